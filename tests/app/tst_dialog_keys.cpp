// Every dialog's Alt keys are unique among the controls shown together, so each
// key reaches the one control its caption promises.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

#include "app/main_window.h"
#include "csv/csv_dialog.h"
#include "edit/record_dialog.h"
#include "search/search_dialog.h"
#include "settings/options_dialog.h"
#include "widgets/about_box.h"
#include "window_fixture.h"

using namespace quillo;

namespace {

// The Alt key of a caption, lower case; none for a caption without "&x".
QChar mnemonicOf(const QString& text) {
    static const QRegularExpression key(QStringLiteral("&([^&])"));
    const QRegularExpressionMatch m = key.match(text);
    return m.hasMatch() ? m.captured(1).at(0).toLower() : QChar();
}

// The captions under `root`, leaving out the pages of a tab widget other than
// `page` (those are not shown together with it).
QStringList captionsUnder(QWidget* root, QWidget* page = nullptr) {
    QStringList captions;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        bool elsewhere = false;
        for (QWidget* up = w; up && up != root; up = up->parentWidget()) {
            auto* tabs = qobject_cast<QTabWidget*>(
                up->parentWidget() ? up->parentWidget()->parentWidget() : nullptr);
            if (tabs && up != page && tabs->indexOf(up) >= 0)
                elsewhere = true;
        }
        if (elsewhere)
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            text = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            text = g->title();
        if (!mnemonicOf(text).isNull())
            captions << text;
    }
    return captions;
}

QString clashes(const QStringList& captions) {
    QMap<QChar, QStringList> byKey;
    for (const QString& c : captions)
        byKey[mnemonicOf(c)] << c;
    QStringList out;
    for (auto it = byKey.cbegin(); it != byKey.cend(); ++it)
        if (it.value().size() > 1)
            out << it.value().join(QStringLiteral(" / "));
    return out.join(QStringLiteral("; "));
}

}  // namespace

class TestDialogKeys : public QObject {
    Q_OBJECT
    test::WindowFixture m_fixture;

private slots:
    void init() { m_fixture.open(); }
    void cleanup() { m_fixture.close(); }

    void everyDialogsKeysAreUnique() {
        TFormMainWin& window = *m_fixture.window;
        TFormIoCsv csv(*m_fixture.store, window, &window);
        TFormAbout about(&window);
        QList<QWidget*> dialogs{window.recordDialog(), window.searchDialog(), &csv, &about};
        for (QWidget* dialog : dialogs) {
            const QString found = clashes(captionsUnder(dialog));
            QVERIFY2(found.isEmpty(),
                     qPrintable(dialog->objectName() + QStringLiteral(": ") + found));
        }
        TFormOption* options = window.optionsDialog();
        auto* tabs = options->findChild<QTabWidget*>();
        for (int i = 0; i < tabs->count(); ++i) {
            const QString found = clashes(captionsUnder(options, tabs->widget(i)));
            QVERIFY2(found.isEmpty(), qPrintable(tabs->tabText(i) + QStringLiteral(": ") + found));
        }
    }
};

QTEST_MAIN(TestDialogKeys)
#include "tst_dialog_keys.moc"
