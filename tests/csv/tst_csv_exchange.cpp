// CSV export and import through the catalogue store, on real files and databases.
#include <QtTest>

#include "catalogue_generator.h"
#include "csv/csv_exchange.h"
#include "files.h"
#include "recording_host.h"
#include "store/tdm.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestCsvExchange : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempBookDb> m_db;
    test::RecordingHost m_host;
    std::unique_ptr<TDM> m_store;

    void openStore() {
        m_store = TDM::OpenStore(&m_host);
        m_store->QueryAll();
        m_host.maxId = m_store->GetMaxId();
        m_host.calls.clear();
    }
    QString file(const char* name) const { return m_db->folder() + QLatin1Char('/') + S(name); }
    int import(const QByteArray& bytes, CsvSettings settings = {}) {
        settings.fileName = file("in.csv");
        test::writeFile(settings.fileName, bytes);
        return ImportCsv(*m_store, &settings);
    }
    QStringList table() {
        return test::rows(
            S("select ID, Title, Writer, Publisher, PubDate, BuyDate, SubTitle, Kind,"
              " Translator, Memo, Writer2, Writer3, Writer4, Writer5 from quillo order by ID"));
    }
    QString pendingField(int row, int field) { return m_store->QueryBook().textAt(row, field); }

private slots:
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        m_host = test::RecordingHost();
        openStore();
    }
    void cleanup() {
        m_store.reset();
        m_db.reset();
    }

    void exportThenImportReproducesTheFileExactly() {
        m_store.reset();
        bench::generateCatalogue(m_db->path(), 1000);
        test::exec(
            S("insert into quillo (ID, Title, Writer, SubTitle, Memo) values"
              " (5000, '\"引用\" と, カンマ', 'O''Neil ; x', '  前後の空白  ', 'メモは出ない')"));
        openStore();
        CsvSettings settings;
        settings.fileName = file("first.csv");
        QCOMPARE(ExportCsv(*m_store, &settings), 0);
        const QByteArray first = test::readFile(settings.fileName);
        QVERIFY(first.endsWith("\r\n"));
        QCOMPARE(first.count('\n'), 1001);

        test::exec(S("delete from quillo"));
        openStore();
        QCOMPARE(ImportCsv(*m_store, &settings), 0);
        QCOMPARE(m_store->RecordCount(), 1001);
        QVERIFY(m_host.calls.contains(S("SetPendingMode(on)")));
        m_store->ApplyPendingUpdates();
        settings.fileName = file("second.csv");
        QCOMPARE(ExportCsv(*m_store, &settings), 0);
        QCOMPARE(test::readFile(settings.fileName), first);
    }

    void exportFormats_data() {
        QTest::addColumn<bool>("quote");
        QTest::addColumn<int>("dateFormat");
        QTest::addColumn<int>("separator");
        QTest::addColumn<QString>("line");
        QTest::addRow("quoted, slashes, comma") << true << 0 << 0
                                                << S("\"坊っちゃん\",\"夏目漱石\",\"\",1906/04/"
                                                     "01,,\"\",\"小説\",\"\",\"\",\"\",\"\",\"\"");
        QTest::addRow("plain, dots, semicolon")
            << false << 1 << 1 << S("坊っちゃん;夏目漱石;;1906.04.01;;;小説;;;;;");
        QTest::addRow("plain, no separator in dates, tab")
            << false << 2 << 2 << S("坊っちゃん\t夏目漱石\t\t19060401\t\t\t小説\t\t\t\t\t");
        QTest::addRow("unknown indexes fall back to comma and slashes")
            << false << 9 << 9 << S("坊っちゃん,夏目漱石,,1906/04/01,,,小説,,,,,");
    }
    void exportFormats() {
        QFETCH(bool, quote);
        QFETCH(int, dateFormat);
        QFETCH(int, separator);
        QFETCH(QString, line);
        test::exec(
            S("insert into quillo (ID, Title, Writer, PubDate, Kind, Memo)"
              " values (1, '坊っちゃん', '夏目漱石', '1906-04-01', '小説', '出ない')"));
        const CsvSettings settings{file("out.csv"), quote, dateFormat, separator};
        QCOMPARE(ExportCsv(*m_store, &settings), 0);
        QCOMPARE(test::readFile(settings.fileName), test::sjis(line + S("\r\n")));
    }

    void exportRefusals() {
        QCOMPARE(ExportCsv(*m_store, nullptr), kExportNoSettings);
        const CsvSettings nowhere{file("no/such/folder/out.csv")};
        QCOMPARE(ExportCsv(*m_store, &nowhere), kExportNotWritable);

        // A text that Shift-JIS cannot hold (written by another program) stops the
        // export before the old file is touched.
        test::exec(S("insert into quillo (ID, Title) values (1, 'emoji 😀')"));
        const CsvSettings settings{file("kept.csv")};
        test::writeFile(settings.fileName, "old contents\r\n");
        QCOMPARE(ExportCsv(*m_store, &settings), kExportUnencodable);
        QCOMPARE(test::readFile(settings.fileName), QByteArray("old contents\r\n"));
    }

    void importReadsDatesByTheChosenFormat_data() {
        QTest::addColumn<int>("dateFormat");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("stored");
        QTest::addRow("YYMMDD") << 2 << S("19990105") << S("1999/01/05");
        QTest::addRow("YY.MM.DD") << 1 << S("1999.01.05") << S("1999/01/05");
        QTest::addRow("slashes read under YYMMDD") << 2 << S("1999/01/05") << S("1999/01/05");
        QTest::addRow("short numbers") << 0 << S("1999/1/5") << S("1999/01/05");
        QTest::addRow("empty stays empty") << 0 << S("") << S("");
    }
    void importReadsDatesByTheChosenFormat() {
        QFETCH(int, dateFormat);
        QFETCH(QString, column);
        QFETCH(QString, stored);
        CsvSettings settings;
        settings.dateFormat = dateFormat;
        QCOMPARE(import(test::sjis(S("本,,,") + column + S("\r\n")), settings), 0);
        QCOMPARE(pendingField(0, FieldNo::PubDate), stored);
    }

    void shortLongAndEmptyLines() {
        QCOMPARE(import(test::sjis(S("一,二\r\n\r\n") +
                                   S("a,b,c,,,f,g,h,w2,w3,w4,w5,extra1,extra2\r\n"))),
                 0);
        QCOMPARE(m_store->RecordCount(), 3);
        QCOMPARE(pendingField(0, FieldNo::Writer), S("二"));
        QCOMPARE(pendingField(0, FieldNo::Publisher), S(""));
        QCOMPARE(pendingField(1, FieldNo::Title), S(""));  // an empty line: only an ID
        QCOMPARE(m_store->QueryBook().textAt(1, 0), S("2"));
        QCOMPARE(pendingField(2, FieldNo::Translator), S("h"));
        QCOMPARE(pendingField(2, FieldNo::Writer2), S("w2"));
        QCOMPARE(pendingField(2, FieldNo::Writer5), S("w5"));
        QCOMPARE(pendingField(2, FieldNo::Memo), S(""));
        QVERIFY(m_host.calls.endsWith(S("RefreshRecordStatus")));
        QVERIFY(m_store->cursorHookAttached());
    }

    void aFailingLineKeepsTheLinesBeforeIt_data() {
        QTest::addColumn<QByteArray>("bad");
        QTest::addRow("month 13") << test::sjis(S("壊れた,,,1999/13/01"));
        QTest::addRow("no date at all") << test::sjis(S("壊れた,,,昨日"));
        QTest::addRow("bytes that are not Shift-JIS") << QByteArray("\x81\x20,x");
    }
    void aFailingLineKeepsTheLinesBeforeIt() {
        QFETCH(QByteArray, bad);
        test::exec(S("insert into quillo (ID, Title) values (1, '既存')"));
        openStore();
        const QByteArray bytes =
            test::sjis(S("一\r\n\r\n三\r\n")) + bad + QByteArray("\r\n") + test::sjis(S("五\r\n"));
        QCOMPARE(import(bytes), -4);
        QCOMPARE(m_store->RecordCount(), 4);  // the stored book and three pending lines
        QCOMPARE(m_store->QueryBook().rowCount(), 4);
        QVERIFY(m_store->cursorHookAttached());
        QVERIFY(!m_host.calls.contains(S("SetPendingMode(on)")) ||
                m_store->QueryBook().updatesPending());
        m_store->ApplyPendingUpdates();
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 4);
    }

    void separatorsOnImport() {
        CsvSettings settings;
        settings.separator = 2;
        QCOMPARE(import(test::sjis(S("題名\t著者 名\r\n")), settings), 0);
        QCOMPARE(pendingField(0, FieldNo::Writer), S("著者"));  // a blank still splits
        QCOMPARE(pendingField(0, FieldNo::Publisher), S("名"));
        settings.separator = 1;
        QCOMPARE(import(test::sjis(S("\"a;b\";c\r\n")), settings), 0);
        QCOMPARE(pendingField(1, FieldNo::Title), S("a,b"));
        QCOMPARE(pendingField(1, FieldNo::Writer), S("c"));
    }

    void utf8FilesAreReadAndCheckedForShiftJis() {
        QCOMPARE(import(QByteArray("\xEF\xBB\xBF") + S("ＭＳ,本\r\n").toUtf8()), 0);
        QCOMPARE(pendingField(0, FieldNo::Title), S("ＭＳ"));
        QCOMPARE(import(QByteArray("\xEF\xBB\xBF") + S("ok\r\n😀\r\n").toUtf8()), -2);
    }

    void emptyUnreadableAndMissingSettings() {
        test::exec(S("insert into quillo (ID, Title) values (1, '既存')"));
        openStore();
        QCOMPARE(import(QByteArray()), 0);
        QCOMPARE(m_store->RecordCount(), 1);
        QVERIFY(m_host.calls.contains(S("SetPendingMode(on)")));

        m_host.calls.clear();
        const CsvSettings folder{m_db->folder()};
        QCOMPARE(ImportCsv(*m_store, &folder), kImportUnreadable);
        QCOMPARE(m_store->RecordCount(), 1);
        QVERIFY(!m_store->QueryBook().updatesPending());
        QCOMPARE(m_host.calls, (QStringList{S("RefreshNavigation"), S("RefreshRecordStatus")}));
        QCOMPARE(ImportCsv(*m_store, nullptr), kImportNoSettings);
        const CsvSettings unnamed;
        QCOMPARE(ImportCsv(*m_store, &unnamed), kImportNoFileName);
    }
};

QTEST_GUILESS_MAIN(TestCsvExchange)
#include "tst_csv_exchange.moc"
