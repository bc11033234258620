// Backups as the user meets them: one is taken before an apply changes the
// catalogue (and none when it fails, without losing the apply), and
// ファイル > バックアップから復元 puts an earlier catalogue back after saying how
// many books it will hold, backing up the present one first.
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "backup/auto_backups.h"
#include "backup/restore_dialog.h"
#include "files.h"
#include "window_driver.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestWindowBackups : public QObject {
    Q_OBJECT
    test::WindowFixture m_fixture;
    std::unique_ptr<test::WindowDriver> m_driver;
    test::WindowDriver& d() { return *m_driver; }

    std::vector<BackupEntry> backups() const {
        return AutoBackups(defaultBackupFolder(), m_fixture.db->path()).list();
    }
    void add(const char* title) {
        d().record("menuEAdd", {{FieldNo::Title, S(title)}});
        d().trigger("menuFApply");
    }

private slots:
    void init() {
        QDir(defaultBackupFolder()).removeRecursively();
        m_fixture.open(S("insert into quillo (ID, Title) values (1, '雪国')"));
        m_driver = std::make_unique<test::WindowDriver>(m_fixture);
        clearNextMessageAnswers();
    }
    void cleanup() {
        m_driver.reset();
        m_fixture.close();
    }

    void anApplyIsBackedUpFirstAtMostOnceInTenMinutes() {
        add("千羽鶴");
        QCOMPARE(backups().size(), size_t(1));
        QCOMPARE(backups().front().books, 1);  // the catalogue before the apply
        add("山の音");
        QCOMPARE(backups().size(), size_t(1));  // within ten minutes
        d().window().settings().BackupMinMinutes = 0;
        add("古都");
        QCOMPARE(backups().size(), size_t(2));
        QCOMPARE(backups().front().books, 3);
        d().window().settings().BackupEnabled = false;
        add("眠れる美女");
        QCOMPARE(backups().size(), size_t(2));
    }

    // A backup that cannot be written (here its folder cannot be made) costs
    // the user nothing: the apply goes in, and the status bar says so once.
    void aFailingBackupDoesNotStopTheApply() {
        QDir().mkpath(QFileInfo(defaultBackupFolder()).path());
        test::writeFile(defaultBackupFolder(), "not a folder");
        auto* status = d().window().findChild<QLabel*>(S("StatusPanel0"));
        add("千羽鶴");
        QVERIFY2(status->text().startsWith(S("自動バックアップを作れませんでした")),
                 qPrintable(status->text()));
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 2);
        QVERIFY(!d().window().pendingMode());
        d().window().settings().BackupMinMinutes = 0;
        add("山の音");
        QCOMPARE(status->text(), QString());  // said once
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 3);
        QFile::remove(defaultBackupFolder());
    }

    void aRestoreAsksWithTheBooksItWillHoldAndCanBeUndone() {
        d().window().settings().BackupMinMinutes = 0;
        add("千羽鶴");  // backed up with one book
        add("山の音");  // backed up with two
        QCOMPARE(backups().size(), size_t(2));

        // Pending changes first.
        d().record("menuEAdd", {{FieldNo::Title, S("古都")}});
        setNextMessageAnswer(Answer::Ok);
        d().trigger("menuFRestore");
        QVERIFY(lastShownMessage()->text.startsWith(S("更新が保留されているため、復元できません")));
        d().trigger("menuFCancel");

        QTest::qWait(1100);  // the undo backup gets a second of its own
        TFormMainWin* window = &d().window();
        setNextMessageAnswer(Answer::Yes);
        m_fixture.withDialog(
            "menuFRestore", [window] { return window->findChild<TFormRestoreBackup*>(); },
            [window] {
                auto* dialog = window->findChild<TFormRestoreBackup*>();
                auto* list = dialog->findChild<QTableWidget*>(S("ListBackups"));
                QCOMPARE(list->rowCount(), 2);
                QCOMPARE(list->item(1, 1)->text(), S("1 冊"));
                list->selectRow(1);  // the oldest: one book
                dialog->findChild<QPushButton*>(S("ButtonRestore"))->click();
            });
        QVERIFY(lastShownMessage()->text.contains(S("カタログは 1 冊になります（今は 3 冊）")));
        QCOMPARE(test::rows(S("select Title from quillo")), QStringList{S("雪国")});
        QCOMPARE(d().query().rowCount(), 1);
        QCOMPARE(d().store().RecordCount(), 1);
        // The three-book catalogue was kept first: the restore can be undone.
        QCOMPARE(backups().size(), size_t(3));
        QCOMPARE(backups().front().books, 3);
        // New books get IDs after the restored ones.
        add("伊豆の踊子");
        QCOMPARE(test::rows(S("select ID, Title from quillo order by ID")),
                 (QStringList{S("1|雪国"), S("2|伊豆の踊子")}));
    }
};

QTEST_MAIN(TestWindowBackups)
#include "tst_window_backups.moc"
