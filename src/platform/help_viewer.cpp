#include "platform/help_viewer.h"

#include <QTextBrowser>
#include <QUrl>

namespace quillo {

HelpViewer& HelpViewer::instance() {
    static HelpViewer viewer;
    return viewer;
}

QString HelpViewer::pageOfContext(int context) {
    switch (context) {
        case 8:
            return QStringLiteral("search.html");
        case 9:
            return QStringLiteral("options.html");
        case 10:
            return QStringLiteral("csv.html");
        case 12:
            return QStringLiteral("print.html");
        case 13:
            return QStringLiteral("record.html");
        default:
            return QStringLiteral("index.html");
    }
}

void HelpViewer::show(const QString& page) {
    if (!m_window) {
        m_window = new QTextBrowser;
        m_window->setObjectName(QStringLiteral("HelpWindow"));
        m_window->setAttribute(Qt::WA_DeleteOnClose);
        m_window->setWindowTitle(QStringLiteral("Quillo ヘルプ"));
        m_window->setSearchPaths({QStringLiteral(":/help")});
        m_window->setOpenExternalLinks(true);
        m_window->resize(640, 560);
    }
    m_window->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void HelpViewer::showContents() {
    show(pageOfContext(0));
}

void HelpViewer::showContext(int context) {
    show(pageOfContext(context));
}

void HelpViewer::quit() {
    if (m_window)
        m_window->close();
}

}  // namespace quillo
