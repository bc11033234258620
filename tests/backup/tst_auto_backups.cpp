// Automatic backups of a real catalogue into a real folder: taken whole,
// rate-limited, rotated, listed newest first with their books, and a backup
// that cannot be written touches no older one.
#include <QtTest>

#include "backup/auto_backups.h"
#include "damaged_files.h"
#include "engine/catalogue_file.h"
#include "engine/engine_error.h"
#include "files.h"
#include "full_disk.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestAutoBackups : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempBookDb> m_db;
    QTemporaryDir m_folder;

    QString folder() const { return m_folder.filePath(S("backups")); }
    static QDateTime at(const char* time) {
        return QDateTime::fromString(S(time), S("yyyy-MM-dd HH:mm:ss"));
    }

private slots:
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        test::exec(S("insert into quillo (ID, Title) values (1, '雪国'), (2, '千羽鶴')"));
        QDir(folder()).removeRecursively();
    }

    void oneBackupInTenMinutesTheNewestKept() {
        Connection books(S("book"));
        AutoBackups backups(folder(), m_db->path(), BackupPolicy{true, 3, 10});
        const QString first = backups.beforeChange(books, at("2026-12-08 10:00:00"));
        QCOMPARE(QFileInfo(first).fileName(), S("book-20261208-100000.qbk"));
        QCOMPARE(backups.beforeChange(books, at("2026-12-08 10:09:59")), QString());  // too soon
        test::exec(S("insert into quillo (ID, Title) values (3, '山の音')"));
        QVERIFY(!backups.beforeChange(books, at("2026-12-08 10:10:00")).isEmpty());
        backups.take(books, at("2026-12-08 10:10:00"));  // the same second: a second name
        backups.take(books, at("2026-12-08 11:00:00"));
        const std::vector<BackupEntry> listed = backups.list();
        QCOMPARE(listed.size(), size_t(3));  // the oldest went
        QCOMPARE(listed[0].taken, at("2026-12-08 11:00:00"));
        QCOMPARE(QFileInfo(listed[1].path).fileName(), S("book-20261208-101000-2.qbk"));
        QCOMPARE(listed[2].books, 3);
        QVERIFY(!QFileInfo::exists(first));
        QVERIFY(listed[0].bytes > 0);
        // Another catalogue's backups, and the user's own files, are not ours.
        test::writeFile(folder() + S("/other-20261208-090000.qbk"), "x");
        test::writeFile(folder() + S("/notes.txt"), "x");
        QCOMPARE(backups.list().size(), size_t(3));
        backups.take(books, at("2026-12-08 12:00:00"));
        QVERIFY(QFileInfo::exists(folder() + S("/other-20261208-090000.qbk")));
        QVERIFY(QFileInfo::exists(folder() + S("/notes.txt")));
    }

    void switchedOffTakesNone() {
        Connection books(S("book"));
        AutoBackups backups(folder(), m_db->path(), BackupPolicy{false, 20, 10});
        QCOMPARE(backups.beforeChange(books), QString());
        QVERIFY(backups.list().empty());
    }

    // A full disk: the backup fails with a reason and the backups there stay.
    void aBackupThatCannotBeWrittenKeepsTheOlderOnes() {
        Connection books(S("book"));
        AutoBackups backups(folder(), m_db->path(), BackupPolicy{true, 1, 0});
        const QString kept = backups.take(books, at("2026-12-08 10:00:00"));
        {
            test::FullDisk disk(1024);
            QVERIFY_THROWS_EXCEPTION(EngineError, backups.take(books, at("2026-12-08 11:00:00")));
        }
        QCOMPARE(backups.list().size(), size_t(1));
        QCOMPARE(backups.list().front().path, kept);
        QCOMPARE(backups.list().front().books, 2);
        QCOMPARE(QDir(folder()).entryList(QDir::Files).size(), 1);  // no part file left
    }

    // Checked through its copy, a damaged catalogue is still refused as
    // damaged (the window then offers a restore), and no copy is left.
    void aDamagedCatalogueIsNotBackedUp() {
        m_db.reset();
        m_db = std::make_unique<test::TempBookDb>();
        QFile::remove(m_db->path());
        test::makeCatalogue(m_db->path(), 400);
        test::damagePage(m_db->path(), 3);
        Connection books(S("book"));
        AutoBackups backups(folder(), m_db->path(), BackupPolicy{true, 5, 0});
        try {
            backups.take(books, at("2026-12-08 10:00:00"));
            QFAIL("a damaged catalogue was backed up");
        } catch (const EngineError& e) {
            QVERIFY2(isDamageError(e), qPrintable(e.message()));
        }
        QCOMPARE(QDir(folder()).entryList(QDir::Files).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAutoBackups)
#include "tst_auto_backups.moc"
