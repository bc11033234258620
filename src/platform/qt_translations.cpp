#include "platform/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quillo {

void installQtTranslations() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qtbase"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan),
                             QString::fromLatin1(catalogue), QStringLiteral("_"), folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

}  // namespace quillo
