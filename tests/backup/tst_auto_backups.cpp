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
    QString file(const char* name) const { return m_folder.filePath(S(name)); }
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
        QVERIFY2(QFileInfo(first).fileName().startsWith(S("book-")) &&
                     QFileInfo(first).fileName().endsWith(S("-20261208-100000.qbk")),
                 qPrintable(first));
        QCOMPARE(backups.beforeChange(books, at("2026-12-08 10:09:59")), QString());  // too soon
        test::exec(S("insert into quillo (ID, Title) values (3, '山の音')"));
        QVERIFY(!backups.beforeChange(books, at("2026-12-08 10:10:00")).isEmpty());
        backups.take(books, at("2026-12-08 10:10:00"));  // the same second: a second name
        backups.take(books, at("2026-12-08 11:00:00"));
        const std::vector<BackupEntry> listed = backups.list();
        QCOMPARE(listed.size(), size_t(3));  // the oldest went
        QCOMPARE(listed[0].taken, at("2026-12-08 11:00:00"));
        QVERIFY(listed[1].path.endsWith(S("-20261208-101000-2.qbk")));
        QCOMPARE(listed[2].books, 3);
        QVERIFY(!QFileInfo::exists(first));
        QVERIFY(listed[0].bytes > 0);
        // Another catalogue's backups, and the user's own files, are not ours.
        test::writeFile(folder() + S("/other-20261208-090000.qbk"), "x");
        test::writeFile(folder() + S("/book-20261208-090000.qbk"), "x");  // whose, unknown
        test::writeFile(folder() + S("/notes.txt"), "x");
        QCOMPARE(backups.list().size(), size_t(3));
        backups.take(books, at("2026-12-08 12:00:00"));
        QVERIFY(QFileInfo::exists(folder() + S("/other-20261208-090000.qbk")));
        QVERIFY(QFileInfo::exists(folder() + S("/book-20261208-090000.qbk")));
        QCOMPARE(backups.olderUnkeyed(), 1);
        QVERIFY(QFileInfo::exists(folder() + S("/notes.txt")));
    }

    // Two catalogues named book.db (two folders, one a copy of the other)
    // each have their own series: one's rotation never deletes the other's
    // backups, and each lists only its own, also after a restore.
    void twoCataloguesOfOneNameKeepTheirOwnBackups() {
        QTemporaryDir other;
        const QString b = other.filePath(S("book.db"));
        QVERIFY(QFile::copy(m_db->path(), b));  // a copy starts as the same books
        test::rawExec(b, S("insert into quillo (ID, Title) values (7, 'bの本')"));
        const BackupPolicy one{true, 1, 0, 2000};
        Connection books(S("book"));
        AutoBackups a(folder(), m_db->path(), one);
        const QString aBackup = a.take(books, at("2026-12-08 10:00:00"));
        // b is copied from a after a's first backup: it carries a's key.
        QFile::remove(b);
        QVERIFY(QFile::copy(m_db->path(), b));
        test::rawExec(b, S("insert into quillo (ID, Title) values (7, 'bの本')"));
        Connection::setAliasPath(S("b"), b);
        Connection bBooks(S("b"));
        AutoBackups bSeries(folder(), b, one);
        const QString bBackup = bSeries.take(bBooks, at("2026-12-08 11:00:00"));
        QVERIFY(QFileInfo::exists(aBackup));
        QCOMPARE(a.list().size(), size_t(1));
        QCOMPARE(a.list().front().books, 2);
        QCOMPARE(bSeries.list().size(), size_t(1));
        QCOMPARE(bSeries.list().front().books, 3);
        QCOMPARE(AutoBackups(folder(), b).list().front().path, bBackup);  // as the tool lists it
        // A restore of a's backup into b (named by hand) leaves b b's series.
        restoreFromBackup(bBooks, aBackup, bSeries);
        QCOMPARE(test::rawScalar(b, S("select count(*) from quillo")), S("2"));
        QVERIFY(QFileInfo::exists(aBackup));
        for (const BackupEntry& entry : AutoBackups(folder(), b, one).list())
            QVERIFY(entry.path != aBackup);
    }

    // Restoring the oldest of a full series keeps it (and the undo backup);
    // a refused restore takes no backup at all.
    void aRestoreNeverRotatesAwayItsOwnBackup() {
        Connection books(S("book"));
        AutoBackups backups(folder(), m_db->path(), BackupPolicy{true, 3, 0, 2000});
        QStringList taken;
        for (const char* time :
             {"2026-12-08 10:00:00", "2026-12-08 11:00:00", "2026-12-08 12:00:00"}) {
            test::exec(S("insert into quillo (Title) values ('もう一冊')"));
            taken << backups.take(books, at(time));
        }
        // Named as a user types it, not as the list spells it.
        QDir::setCurrent(folder());
        const QString undo =
            restoreFromBackup(books, S("./") + QFileInfo(taken.first()).fileName(), backups);
        QVERIFY(QFileInfo::exists(taken.first()));
        QVERIFY(QFileInfo::exists(undo));
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 3);
        QCOMPARE(backups.list().size(), size_t(3));

        // A damaged backup, or a catalogue that cannot be written: no backup.
        const int before = QDir(folder()).entryList(QDir::Files).size();
        QFile::copy(taken[1], file("damaged.qbk"));
        test::setHeaderPageCount(file("damaged.qbk"), 99);
        QVERIFY_THROWS_EXCEPTION(EngineError,
                                 restoreFromBackup(books, file("damaged.qbk"), backups));
        Connection reading(S("book"), Connection::Access::ReadOnly);
        QVERIFY_THROWS_EXCEPTION(EngineError, restoreFromBackup(reading, taken[1], backups));
        QCOMPARE(QDir(folder()).entryList(QDir::Files).size(), before);
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 3);
    }

    // An empty catalogue protects nothing; an import backs up the books it
    // changes even minutes after the last backup, not the same books twice;
    // the size budget keeps the newest; a killed backup's part goes.
    void backupsWorthKeeping() {
        const BackupPolicy policy{true, 20, 10, 1};
        Connection books(S("book"));
        test::exec(S("delete from quillo"));
        AutoBackups backups(folder(), m_db->path(), policy);
        QCOMPARE(backups.beforeImport(books, at("2026-12-08 10:00:00")), QString());
        QCOMPARE(backups.take(books, at("2026-12-08 10:00:00")), QString());
        test::exec(S("insert into quillo (ID, Title, Memo) values (1, '雪国', '") +
                   QString(600 * 1024, QLatin1Char('x')) + S("')"));
        const QString first = backups.beforeImport(books, at("2026-12-08 10:01:00"));
        QVERIFY(!first.isEmpty());
        QCOMPARE(backups.beforeImport(books, at("2026-12-08 10:02:00")), QString());  // same books
        test::exec(S("insert into quillo (ID, Title) values (2, '千羽鶴')"));
        test::writeFile(first + S(".Ab12Cd.part"), "half a backup");
        const QString second = backups.beforeImport(books, at("2026-12-08 10:03:00"));
        QVERIFY(!second.isEmpty());
        QVERIFY(!QFileInfo::exists(first + S(".Ab12Cd.part")));
        // Two of some 600 KB are over one megabyte: the older one goes.
        QCOMPARE(backups.list().size(), size_t(1));
        QCOMPARE(backups.list().front().path, second);
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

    // Checked through its copy with the very check a restore makes, a damaged
    // catalogue is refused as damaged (the window then offers a restore), and
    // no copy is left: a torn page, and an index that no longer matches its
    // table (which the quick check does not see).
    void aDamagedCatalogueIsNotBackedUp_data() {
        QTest::addColumn<bool>("index");
        QTest::addRow("torn page") << false;
        QTest::addRow("index out of step") << true;
    }
    void aDamagedCatalogueIsNotBackedUp() {
        QFETCH(bool, index);
        m_db.reset();
        m_db = std::make_unique<test::TempBookDb>();
        QFile::remove(m_db->path());
        test::makeCatalogue(m_db->path(), 400);
        if (index) {
            test::rawExec(m_db->path(), S("CREATE INDEX quillo_by_title ON quillo(Title)"));
            test::rawExec(m_db->path(),
                          S("PRAGMA writable_schema = ON; UPDATE sqlite_master SET sql ="
                            " 'CREATE INDEX quillo_by_title ON quillo(Writer)'"
                            " WHERE name = 'quillo_by_title'"));
        } else {
            test::damagePage(m_db->path(), 3);
        }
        Connection books(S("book"));
        AutoBackups backups(folder(), m_db->path(), BackupPolicy{true, 5, 0});
        try {
            backups.take(books, at("2026-12-08 10:00:00"));
            QFAIL("a damaged catalogue was backed up");
        } catch (const EngineError& e) {
            QVERIFY2(index || isDamageError(e), qPrintable(e.message()));
        }
        QCOMPARE(QDir(folder()).entryList(QDir::Files | QDir::Hidden).size(), 0);
        QVERIFY(backups.list().empty());
    }
};

QTEST_GUILESS_MAIN(TestAutoBackups)
#include "tst_auto_backups.moc"
