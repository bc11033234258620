// The window over a catalogue it must not write: a damaged file, found by the
// first read or by the check that runs after it, and a write-protected one.
#include <sqlite3.h>
#include <unistd.h>
#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

#include "app/main_window.h"
#include "csv/csv_dialog.h"
#include "damaged_files.h"
#include "store/tdm.h"
#include "test_db.h"
#include "ui/message_dialog.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestWindowCatalogue : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempBookDb> m_db;
    std::unique_ptr<TDM> m_store;
    std::unique_ptr<TFormMainWin> m_window;

    // 300 books with a gap in their IDs, so a close would renumber them.
    void fill() {
        QString values;
        for (int i = 1; i <= 300; ++i)
            values += S("%1(%2, '本 %2 %3')")
                          .arg(values.isEmpty() ? QString() : S(","))
                          .arg(i == 300 ? 1000 : i)
                          .arg(QString(60, QLatin1Char('x')));
        test::exec(S("insert into quillo (ID, Title) values ") + values);
    }
    void openWindow() {
        m_store = std::make_unique<TDM>(nullptr, TDM::FirstRead::Deferred);
        m_window = std::make_unique<TFormMainWin>(*m_store, m_db->folder() + S("/quillo.Ini"));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTRY_VERIFY(m_window->damageCheckDone());
    }
    bool enabled(const char* name) {
        return m_window->findChild<QAction*>(QString::fromLatin1(name))->isEnabled();
    }
    QString readOnlyPanel() {
        auto* panel = m_window->findChild<QLabel*>(S("StatusPanelReadOnly"));
        return panel && panel->isVisible() ? panel->text() : QString();
    }
    // Every command that changes books is off; reading ones stay.
    void verifyReadOnly() {
        for (const char* command : {"menuEAdd", "menuEEdit", "menuEDelete", "menuFApply"})
            QVERIFY2(!enabled(command), command);
        for (const char* command : {"menuFPrintPreview", "menuFIoCsv", "menuVOption"})
            QVERIFY2(enabled(command), command);
        QCOMPARE(readOnlyPanel(), S("読み取り専用"));
        m_window->menuEAddClick();  // as a key would run it
        QVERIFY(!m_store->QueryBook().updatesPending());
    }
    // The close as the program makes it: the file stays byte for byte.
    void closeAndVerifyUnchanged(const QByteArray& before) {
        m_window->close();
        m_window.reset();
        m_store->CloseStore();
        m_store.reset();
        QCOMPARE(test::fileBytes(m_db->path()), before);
    }

private slots:
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        fill();
        clearShownMessages();
        clearNextMessageAnswers();
    }
    void cleanup() {
        m_window.reset();
        m_store.reset();
        m_db.reset();
    }

    void aWholeCatalogueIsCheckedWithoutAWord() {
        openWindow();
        QCOMPARE(shownMessageCount(), 0);
        QVERIFY(enabled("menuEAdd"));
        QCOMPARE(readOnlyPanel(), QString());
    }

    // Another program reading the catalogue keeps a close from renumbering:
    // the window says so before it goes, in Japanese, and the IDs stay until a
    // close that has the file to itself.
    void aCloseAnotherReaderBlocksSaysSoAndKeepsTheIds() {
        openWindow();
        sqlite3* reader = nullptr;
        QCOMPARE(sqlite3_open(m_db->path().toUtf8().constData(), &reader), SQLITE_OK);
        QCOMPARE(
            sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM quillo;", nullptr, nullptr, nullptr),
            SQLITE_OK);
        setNextMessageAnswer(Answer::Ok);
        m_window->close();
        QVERIFY(lastShownMessage());
        QCOMPARE(lastShownMessage()->text, kRenumberingDeferred);
        m_window.reset();
        m_store->CloseStore();
        m_store.reset();
        sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(reader);
        QCOMPARE(test::scalar(S("select max(ID) from quillo")), 1000);
        // Alone with the file, the next close renumbers.
        clearShownMessages();
        openWindow();
        m_window->close();
        QCOMPARE(shownMessageCount(), 0);
        m_window.reset();
        m_store->CloseStore();
        QCOMPARE(test::scalar(S("select max(ID) from quillo")), 300);
    }

    void aDamagedPageTheListReadsIsNamedAndTheCatalogueIsOnlyRead() {
        test::damagePage(m_db->path(), 4);
        const QByteArray before = test::fileBytes(m_db->path());
        setNextMessageAnswer(Answer::Ok);
        openWindow();
        QTRY_COMPARE(shownMessageCount(), 1);
        QTest::qWait(50);
        QCOMPARE(shownMessageCount(), 1);  // said once, however often it is met
        const QString text = lastShownMessage()->text;
        QVERIFY2(text.contains(m_db->path()) && text.contains(S("壊れています")) &&
                     text.contains(S("バックアップから復元")) && text.contains(S("読み取り専用")),
                 qPrintable(text));
        QCOMPARE(lastShownMessage()->kind, int(kMessageError));
        verifyReadOnly();
        closeAndVerifyUnchanged(before);
    }

    void damageTheListNeverReadsIsFoundAfterTheWindowIsUp() {
        // A table of another tool's in the same file, damaged where the list
        // never looks: the first read succeeds, the check after it does not.
        test::rawExec(m_db->path(),
                      S("create table notes (body); with recursive n(i) as (select 1 union all"
                        " select i + 1 from n where i < 500) insert into notes select"
                        " printf('%0200d', i) from n"));
        const int root =
            int(test::scalar(S("select rootpage from sqlite_master where"
                               " name = 'notes'")));
        test::damagePage(m_db->path(), root);
        const QByteArray before = test::fileBytes(m_db->path());
        setNextMessageAnswer(Answer::Ok);
        openWindow();
        QCOMPARE(m_store->RecordCount(), 300);  // every book is listed
        QTRY_COMPARE(shownMessageCount(), 1);
        QVERIFY2(lastShownMessage()->text.contains(m_db->path()),
                 qPrintable(lastShownMessage()->text));
        verifyReadOnly();

        // The CSV dialog exports but takes no books.
        auto dialog = std::make_unique<TFormIoCsv>(*m_store, *m_window, m_window.get());
        dialog->show();
        const auto radios = dialog->findChildren<QRadioButton*>();
        const auto import = std::find_if(radios.begin(), radios.end(), [](QRadioButton* r) {
            return r->text() == S("入力(&I)");
        });
        QVERIFY(import != radios.end());
        QVERIFY(!(*import)->isEnabled());
        dialog.reset();
        closeAndVerifyUnchanged(before);
    }

    void aWriteProtectedCatalogueOpensForReading() {
        QFile::setPermissions(m_db->path(), QFile::ReadOwner | QFile::ReadGroup);
        if (::geteuid() == 0)
            QSKIP("running as root: a write-protected file can still be written");
        const QByteArray before = test::fileBytes(m_db->path());
        openWindow();
        QCOMPARE(shownMessageCount(), 0);  // nothing is wrong with it
        verifyReadOnly();
        QVERIFY(m_window->findChild<QLabel*>(S("StatusPanelReadOnly"))
                    ->toolTip()
                    .contains(S("書き込みできない")));
        closeAndVerifyUnchanged(before);
    }
};

QTEST_MAIN(TestWindowCatalogue)
#include "tst_window_catalogue.moc"
