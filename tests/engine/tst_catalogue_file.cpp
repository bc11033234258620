// What may be opened as a catalogue, written to, or restored from: real files
// made damaged or foreign here.
#include <sqlite3.h>
#include <unistd.h>
#include <QtTest>
#include <chrono>
#include <thread>

#include "damaged_files.h"
#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "engine/database_copy.h"
#include "engine/engine_error.h"
#include "full_disk.h"
#include "platform/catalogue_lock.h"
#include "platform/file_identity.h"
#include "store/book_table.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

// The message of the EngineError that `work` throws; empty when it throws none.
template <typename Work>
static QString refusal(Work work) {
    try {
        work();
    } catch (const EngineError& e) {
        return e.message().isEmpty() ? S("(empty message)") : e.message();
    }
    return QString();
}

static QString open(const QString& path) {
    return refusal([&] {
        Connection::setAliasPath(S("guard"), path);
        Connection connection(S("guard"), Connection::Access::ReadWrite, &bookTableSchema());
    });
}

class TestCatalogueFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const char* name) const { return m_dir.filePath(S(name)); }

private slots:
    void init() {
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
    }

    void onlyAWholeQuilloCatalogueOpens_data() {
        QTest::addColumn<QString>("schema");
        QTest::addColumn<QString>("reason");
        const QString columns =
            S("Title TEXT, Writer TEXT, Publisher TEXT, PubDate DATE, BuyDate DATE, SubTitle TEXT,"
              " Kind TEXT, Translator TEXT, Memo TEXT, Writer2 TEXT, Writer3 TEXT, Writer4 TEXT,"
              " Writer5 TEXT");
        QTest::addRow("another program's database")
            << S("CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)")
            << S("表 quillo がありません");
        QTest::addRow("a zero-length file") << QString() << S("表 quillo がありません");
        QTest::addRow("a view named quillo")
            << S("CREATE TABLE books (ID INTEGER PRIMARY KEY, ") + columns +
                   S("); CREATE VIEW quillo AS SELECT * FROM books")
            << S("quillo は表ではなく view です");
        QTest::addRow("columns missing")
            << S("CREATE TABLE quillo (ID INTEGER PRIMARY KEY, Title TEXT)") << S("Writer");
        // Read in another order, every field would show and save in its neighbour's place.
        QTest::addRow("the same columns in another order")
            << S("CREATE TABLE quillo (ID INTEGER PRIMARY KEY, Writer TEXT, Title TEXT,") +
                   columns.mid(columns.indexOf(S(" Publisher"))) + S(")")
            << S("2 番目の列が Title ではなく Writer です");
        QTest::addRow("a column of its own among them")
            << S("CREATE TABLE quillo (ID INTEGER PRIMARY KEY, Shelf TEXT, ") + columns + S(")")
            << S("2 番目の列が Title ではなく Shelf です");
        QTest::addRow("text IDs") << S("CREATE TABLE quillo (ID TEXT PRIMARY KEY, ") + columns +
                                         S(")")
                                  << S("INTEGER PRIMARY KEY");
        QTest::addRow("an ID that is no key")
            << S("CREATE TABLE quillo (ID INTEGER, ") + columns + S(")")
            << S("INTEGER PRIMARY KEY");
        QTest::addRow("a table without row IDs")
            << S("CREATE TABLE quillo (ID INTEGER PRIMARY KEY, ") + columns + S(") WITHOUT ROWID")
            << S("INTEGER PRIMARY KEY");
        QTest::addRow("a descending key, which is no row ID")
            << S("CREATE TABLE quillo (ID INTEGER PRIMARY KEY DESC, ") + columns + S(")")
            << S("INTEGER PRIMARY KEY");
    }
    void onlyAWholeQuilloCatalogueOpens() {
        QFETCH(QString, schema);
        QFETCH(QString, reason);
        const QString path = file("foreign.db");
        QFile(path).open(QIODevice::WriteOnly);  // a zero-length file to start from
        if (!schema.isEmpty())
            test::rawExec(path, schema);
        const QByteArray before = test::fileBytes(path);
        const QString message = open(path);
        QVERIFY2(message.contains(S("Quillo のカタログではありません")) &&
                     message.contains(reason) && message.contains(path),
                 qPrintable(message));
        // Nothing was added to the file: no table, not a byte.
        QCOMPARE(test::fileBytes(path), before);
    }

    void aMissingCatalogueIsRefusedNeverMade() {
        const QString message = open(file("typo.db"));
        QVERIFY2(message.contains(S("がありません")) && message.contains(file("typo.db")),
                 qPrintable(message));
        QVERIFY(!QFile::exists(file("typo.db")));

        CreateCatalogue(file("new.db"));
        QCOMPARE(open(file("new.db")), QString());
        // Making one never takes over a file that is there.
        test::rawExec(file("other.db"), S("CREATE TABLE notes (x)"));
        const QByteArray other = test::fileBytes(file("other.db"));
        QVERIFY(!refusal([&] { CreateCatalogue(file("other.db")); }).isEmpty());
        QVERIFY(!CreateCatalogueIfMissing(file("other.db")));
        QCOMPARE(test::fileBytes(file("other.db")), other);
    }

    void damageIsFoundAndNamed() {
        const QString path = file("damaged.db");
        test::makeCatalogue(path, 300);
        {
            Connection::setAliasPath(S("guard"), path);
            Connection whole(S("guard"), Connection::Access::ReadWrite, &bookTableSchema());
            QCOMPARE(FindDamage(whole.handle(), DamageCheck::Full, true), QString());
            whole.checkWritable();
        }
        test::damagePage(path, 3);
        Connection::setAliasPath(S("guard"), path);
        Connection damaged(S("guard"), Connection::Access::ReadWrite,
                           &bookTableSchema());  // its schema page is whole
        QVERIFY(!FindDamage(damaged.handle(), DamageCheck::Quick).isEmpty());
        const QString message = refusal([&] { damaged.checkWritable(); });
        QVERIFY2(message.contains(path) && message.contains(S("壊れています")) &&
                     message.contains(S("バックアップから復元")),
                 qPrintable(message));
    }

    // A catalogue busy with a write is not damaged: the check waits for the
    // write to end, and one that does not end in time leaves the file
    // unchecked; a damaged page is still found.
    void aBusyCatalogueIsNotCalledDamaged() {
        const QString path = file("busy.db");
        test::makeCatalogue(path, 300);
        sqlite3* writer = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
        QCOMPARE(sqlite3_exec(writer, "BEGIN EXCLUSIVE; UPDATE quillo SET Title = Title", nullptr,
                              nullptr, nullptr),
                 SQLITE_OK);
        QCOMPARE(FindDamageWhenFree(path, 50), QString());  // still busy: unchecked
        QElapsedTimer waited;
        waited.start();
        std::thread commit([writer] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
        });
        QCOMPARE(FindDamageWhenFree(path, 10000), QString());
        QVERIFY(waited.elapsed() >= 250);  // it read the file once the write was done
        commit.join();
        sqlite3_close(writer);
        test::damagePage(path, 3);
        QVERIFY(!FindDamageWhenFree(path, 10000).isEmpty());
    }

    void aBackupMustBeWholeBeforeItReplacesAnything_data() {
        QTest::addColumn<int>("damage");
        QTest::addColumn<QString>("reason");
        QTest::addRow("a damaged page") << 0 << S("壊れている");
        QTest::addRow("a header with a wrong page count") << 1 << S("壊れている");
        QTest::addRow("cut short") << 2 << S("壊れている");
        QTest::addRow("a view") << 3 << S("バックアップではありません");
        QTest::addRow("text IDs with duplicates") << 4 << S("INTEGER PRIMARY KEY");
        QTest::addRow("no database at all") << 5 << S("バックアップではありません");
    }
    void aBackupMustBeWholeBeforeItReplacesAnything() {
        QFETCH(int, damage);
        QFETCH(QString, reason);
        const QString catalogue = file("book.db");
        test::makeCatalogue(catalogue, 20);
        const QString backup = file("copy.qbk");
        test::makeCatalogue(backup, 300);
        switch (damage) {
            case 0:
                test::damagePage(backup, 4);
                break;
            case 1:
                test::setHeaderPageCount(backup, 3);
                break;
            case 2:
                QVERIFY(QFile::resize(backup, QFileInfo(backup).size() - test::kPageSize));
                break;
            case 3:
                QFile::remove(backup);
                test::rawExec(backup, S("CREATE TABLE b (ID INTEGER PRIMARY KEY, Title TEXT);"
                                        " CREATE VIEW quillo AS SELECT * FROM b"));
                break;
            case 4:
                QFile::remove(backup);
                test::rawExec(backup,
                              S("CREATE TABLE quillo (ID TEXT, Title, Writer, Publisher, PubDate,"
                                " BuyDate, SubTitle, Kind, Translator, Memo, Writer2, Writer3,"
                                " Writer4, Writer5); INSERT INTO quillo (ID) VALUES ('ISBN-1'),"
                                " ('ISBN-1')"));
                break;
            default: {
                QFile junk(backup);
                QVERIFY(junk.open(QIODevice::WriteOnly | QIODevice::Truncate));
                junk.write(QByteArray(8192, 'x'));
                break;
            }
        }
        const QByteArray before = test::fileBytes(catalogue);
        Connection::setAliasPath(S("guard"), catalogue);
        Connection target(S("guard"), Connection::Access::ReadWrite, &bookTableSchema());
        const QString message =
            refusal([&] { RestoreDatabase(target, backup, bookTableSchema()); });
        QVERIFY2(message.contains(backup) && message.contains(reason), qPrintable(message));
        QCOMPARE(test::fileBytes(catalogue), before);
    }

    void aBackupIsTakenOnlyOfAWholeCatalogueAndNeverOntoIt() {
        const QString catalogue = file("book.db");
        test::makeCatalogue(catalogue, 300);
        Connection::setAliasPath(S("guard"), catalogue);
        {
            Connection source(S("guard"), Connection::Access::ReadWrite, &bookTableSchema());
            // The catalogue under any of its names is never the copy's target.
            QVERIFY(::link(QFile::encodeName(catalogue).constData(),
                           QFile::encodeName(file("hard-link.db")).constData()) == 0);
            QDir().mkpath(file("sub"));
            for (const QString& name : {catalogue, file("hard-link.db"), file("sub/../book.db")}) {
                const QString message = refusal([&] { BackupDatabase(source, name); });
                QVERIFY2(message.contains(S("カタログそのもの")), qPrintable(name));
            }
            BackupDatabase(source, file("good.qbk"));
            CheckBackupFile(file("good.qbk"), bookTableSchema(), catalogue);
        }
        test::damagePage(catalogue, 3);
        Connection damaged(S("guard"), Connection::Access::ReadWrite, &bookTableSchema());
        const QString message = refusal([&] { BackupDatabase(damaged, file("bad.qbk")); });
        QVERIFY2(message.contains(S("壊れているため、バックアップしません")) &&
                     message.contains(catalogue),
                 qPrintable(message));
        QVERIFY(!QFile::exists(file("bad.qbk")));
        QCOMPARE(QDir(m_dir.path()).entryList({S("*.part")}, QDir::Files), QStringList());
    }

    void aWriteProtectedBackupIsNotReplaced() {
        const QString catalogue = file("book.db");
        test::makeCatalogue(catalogue, 5);
        test::writeProtected(file("old.qbk"));
        if (::geteuid() == 0)
            QSKIP("running as root: a write-protected file can still be written");
        Connection::setAliasPath(S("guard"), catalogue);
        Connection source(S("guard"), Connection::Access::ReadWrite, &bookTableSchema());
        QVERIFY(
            refusal([&] { BackupDatabase(source, file("old.qbk")); }).contains(S("書き込み禁止")));
    }

    void aWriteProtectedCatalogueOpensForReading() {
        const QString catalogue = file("book.db");
        test::makeCatalogue(catalogue, 5);
        Connection::setAliasPath(S("guard"), catalogue);
        QVERIFY(!Connection(S("guard"), Connection::Access::ReadWrite, &bookTableSchema())
                     .isReadOnly());
        QVERIFY(
            Connection(S("guard"), Connection::Access::ReadOnly, &bookTableSchema()).isReadOnly());
        QFile::setPermissions(catalogue, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (::geteuid() == 0)
            QSKIP("running as root: a write-protected file can still be written");
        Connection connection(S("guard"), Connection::Access::ReadWrite, &bookTableSchema());
        QVERIFY(connection.isReadOnly());
        QVERIFY(refusal([&] { connection.checkWritable(); }).contains(S("読み取り専用")));
    }

    void identityIsTheFileNotItsName() {
        test::makeCatalogue(file("book.db"), 1);
        QVERIFY(::link(QFile::encodeName(file("book.db")).constData(),
                       QFile::encodeName(file("linked.db")).constData()) == 0);
        QVERIFY(isSameFile(file("book.db"), file("linked.db")));
        QVERIFY(isSameFile(file("book.db"), m_dir.path() + S("/./book.db")));
        QVERIFY(!isSameFile(file("book.db"), file("missing.db")));
        test::makeCatalogue(file("other.db"), 1);
        QVERIFY(!isSameFile(file("book.db"), file("other.db")));

        // The lock is on the file itself: a hard link does not get around it,
        // and another catalogue is free.
        CatalogueLock held(file("book.db"));
        QVERIFY(held.tryAcquire());
        CatalogueLock linked(file("linked.db"), CatalogueUser::CsvTool);
        QVERIFY(!linked.tryAcquire());
        QVERIFY(linked.heldByAnother());
        QCOMPARE(linked.holderProgram(), S("quillo"));
        QVERIFY(CatalogueLock::isWrittenByAnother(file("linked.db")));
        QVERIFY(CatalogueLock(file("other.db")).tryAcquire());
        // One that only reads (a backup) may join the writer, and the writer
        // then knows it is not alone with the file.
        CatalogueLock reader(file("linked.db"), CatalogueUser::CsvTool);
        QVERIFY(reader.tryAcquire(false));
        QVERIFY(!held.aloneWithTheFile());
        reader.release();
        QVERIFY(held.aloneWithTheFile());
        held.release();
        QVERIFY(!CatalogueLock::isWrittenByAnother(file("book.db")));
        CatalogueLock missing(file("missing.db"));
        QVERIFY(!missing.tryAcquire());
        QVERIFY(missing.failureReason().contains(S("がありません")));
    }

    void aCatalogueThatCannotBeWrittenIsHeldOnlyToRead() {
        if (::geteuid() == 0)
            QSKIP("running as root: a write-protected file can still be written");
        test::makeCatalogue(file("book.db"), 1);
        QFile::setPermissions(file("book.db"), QFile::ReadOwner);
        CatalogueLock reading(file("book.db"));
        QVERIFY(reading.tryAcquire());
        QVERIFY(!reading.writes());
        QVERIFY(!reading.aloneWithTheFile());  // it changes nothing, not even IDs
        QVERIFY(!CatalogueLock::isWrittenByAnother(file("book.db")));
    }
};

QTEST_GUILESS_MAIN(TestCatalogueFile)
#include "tst_catalogue_file.moc"
