// CSV export and import through the catalogue store, on real files and databases.
#include <QtTest>

#include "catalogue_generator.h"
#include "csv/csv_exchange.h"
#include "files.h"
#include "recording_host.h"
#include "store/tdm.h"
#include "test_db.h"

using namespace quillo;

Q_DECLARE_METATYPE(quillo::CsvSplit)

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
    CsvResult import(const QByteArray& bytes, CsvSettings settings = {},
                     QString* reason = nullptr) {
        settings.fileName = file("in.csv");
        test::writeFile(settings.fileName, bytes);
        const CsvResult result = ImportCsv(*m_store, &settings);
        if (reason)
            *reason = result.reason;
        return result;
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
        QVERIFY(ExportCsv(*m_store, &settings).ok());
        const QByteArray first = test::readFile(settings.fileName);
        QVERIFY(first.endsWith("\r\n"));
        QCOMPARE(first.count('\n'), 1001);

        test::exec(S("delete from quillo"));
        openStore();
        QVERIFY(ImportCsv(*m_store, &settings).ok());
        QCOMPARE(m_store->RecordCount(), 1001);
        QVERIFY(m_host.calls.contains(S("changesPending")));
        m_store->ApplyPendingUpdates();
        const QStringList viaStore = table();
        settings.fileName = file("second.csv");
        QVERIFY(ExportCsv(*m_store, &settings).ok());
        QCOMPARE(test::readFile(settings.fileName), first);

        // Straight into the table, the same books land with the same IDs.
        test::exec(S("delete from quillo"));
        Connection books(QStringLiteral("book"));
        settings.fileName = file("first.csv");
        QVERIFY(ImportCsvIntoTable(books, &settings).ok());
        QCOMPARE(table(), viaStore);
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
        QVERIFY(ExportCsv(*m_store, &settings).ok());
        QCOMPARE(test::readFile(settings.fileName), test::sjis(line + S("\r\n")));
    }

    void exportRefusals() {
        QCOMPARE(ExportCsv(*m_store, nullptr).kind, CsvResult::Kind::NoSettings);
        const CsvSettings nowhere{file("no/such/folder/out.csv")};
        QCOMPARE(ExportCsv(*m_store, &nowhere).kind, CsvResult::Kind::NotWritable);

        // A text that Shift-JIS cannot hold (written by another program) stops the
        // export before the old file is touched.
        test::exec(S("insert into quillo (ID, Title) values (1, 'emoji 😀')"));
        const CsvSettings settings{file("kept.csv")};
        test::writeFile(settings.fileName, "old contents\r\n");
        QCOMPARE(ExportCsv(*m_store, &settings).kind, CsvResult::Kind::Unencodable);
        QCOMPARE(test::readFile(settings.fileName), QByteArray("old contents\r\n"));

        // The same when the text comes long after the first rows were written out.
        test::exec(S("delete from quillo"));
        bench::generateCatalogue(m_db->path(), 5000);
        test::exec(S("insert into quillo (ID, Title, Publisher) values (99999, '題', '𠮷野家')"));
        const CsvResult refused = ExportCsv(*m_store, &settings);
        QCOMPARE(refused.kind, CsvResult::Kind::Unencodable);
        // It names the book and the field, and what would write it.
        QVERIFY2(refused.reason.contains(S("ID 99999「題」の出版社に「𠮷」(U+20BB7)")) &&
                     refused.reason.contains(S("UTF-8")),
                 qPrintable(refused.reason));
        QCOMPARE(test::readFile(settings.fileName), QByteArray("old contents\r\n"));
        QCOMPARE(QDir(m_db->folder()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{S("book.db"), S("kept.csv")}));  // no temporary file left
    }

    void importReadsDatesByTheChosenFormat_data() {
        QTest::addColumn<int>("dateFormat");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("stored");
        QTest::addRow("YYMMDD") << 2 << S("19990105") << S("1999/01/05");
        QTest::addRow("YY.MM.DD") << 1 << S("1999.01.05") << S("1999/01/05");
        QTest::addRow("slashes read under YYMMDD") << 2 << S("1999/01/05") << S("1999/01/05");
        QTest::addRow("ISO under any format") << 1 << S("1999-01-05") << S("1999/01/05");
        QTest::addRow("ISO, short numbers") << 0 << S("1906-4-1") << S("1906/04/01");
        QTest::addRow("short numbers") << 0 << S("1999/1/5") << S("1999/01/05");
        QTest::addRow("empty stays empty") << 0 << S("") << S("");
        QTest::addRow("ISO with time and zone")
            << 0 << S("2004-09-04T00:00:00+00:00") << S("2004/09/04");
        QTest::addRow("ISO with a time") << 0 << S("2004-09-04 12:34:56") << S("2004/09/04");
        QTest::addRow("UTC, fractions") << 0 << S("2004-09-04T12:34:56.789Z") << S("2004/09/04");
        QTest::addRow("the same digits as yyyymmdd are a date")
            << 2 << S("01010101") << S("0101/01/01");
        QTest::addRow("no date, as calibre writes it")
            << 0 << S("0101-01-01T00:00:00+00:00") << S("");
    }
    void importReadsDatesByTheChosenFormat() {
        QFETCH(int, dateFormat);
        QFETCH(QString, column);
        QFETCH(QString, stored);
        CsvSettings settings;
        settings.dateFormat = dateFormat;
        QVERIFY(import(test::sjis(test::csvLine({S("本"), S(""), S(""), column})), settings).ok());
        QCOMPARE(pendingField(0, FieldNo::PubDate), stored);
    }

    void everyColumnLandsInItsField() {
        QVERIFY(import(test::sjis(S("a,b,c,,,f,g,h,w2,w3,w4,w5\r\n"))).ok());
        QCOMPARE(pendingField(0, FieldNo::Title), S("a"));
        QCOMPARE(pendingField(0, FieldNo::Publisher), S("c"));
        QCOMPARE(pendingField(0, FieldNo::SubTitle), S("f"));
        QCOMPARE(pendingField(0, FieldNo::Translator), S("h"));
        QCOMPARE(pendingField(0, FieldNo::Writer2), S("w2"));
        QCOMPARE(pendingField(0, FieldNo::Writer5), S("w5"));
        QCOMPARE(pendingField(0, FieldNo::Memo), S(""));
        QVERIFY(m_host.calls.endsWith(S("booksCounted")));
        QVERIFY(m_store->cursorHookAttached());
    }

    void aLineOfTooFewOrTooManyFieldsFailsByItsNumber() {
        // Spreadsheets leave off empty columns at the end: a short line is filled
        // up. More columns than the twelve and the three readings would put
        // texts in the wrong fields.
        QVERIFY(import(test::sjis(S("一,二\r\n"))).ok());
        QCOMPARE(pendingField(0, FieldNo::Title), S("一"));
        QCOMPARE(pendingField(0, FieldNo::Writer), S("二"));
        m_store->CancelPendingUpdates();
        QString reason;
        QCOMPARE(import(test::sjis(test::csvLine({S("良い")}) + S("\r\n") +
                                   S("a,b,c,,,f,g,h,w2,w3,w4,w5,y1,y2,y3,extra\r\n")),
                        CsvSettings{}, &reason)
                     .line,
                 3);  // the empty line 2 is passed over
        QCOMPARE(reason, S("項目が 16 個あります（15 個まで）"));
        QCOMPARE(m_store->RecordCount(), 1);
        QCOMPARE(pendingField(0, FieldNo::Title), S("良い"));
    }

    void aFailingLineKeepsTheLinesBeforeIt_data() {
        QTest::addColumn<QByteArray>("bad");
        QTest::addRow("month 13") << test::sjis(S("壊れた,,,1999/13/01,,,,,,,,"));
        QTest::addRow("no date at all") << test::sjis(S("壊れた,,,昨日,,,,,,,,"));
        QTest::addRow("bytes that are not Shift-JIS") << QByteArray("\x81\x20,x,,,,,,,,,,");
    }
    void aFailingLineKeepsTheLinesBeforeIt() {
        QFETCH(QByteArray, bad);
        test::exec(S("insert into quillo (ID, Title) values (1, '既存')"));
        openStore();
        const QByteArray bytes =
            test::sjis(test::csvLine({S("一")}) + S("\r\n") + test::csvLine({S("三")})) + bad +
            QByteArray("\r\n") + test::sjis(test::csvLine({S("五")}));
        // Straight into the table: all or nothing, so nothing.
        const QStringList before = table();
        Connection books(QStringLiteral("book"));
        CsvSettings settings{file("in.csv")};
        test::writeFile(settings.fileName, bytes);
        QCOMPARE(ImportCsvIntoTable(books, &settings).line, 4);
        QCOMPARE(table(), before);

        QCOMPARE(import(bytes).line, 4);
        QCOMPARE(m_store->RecordCount(), 3);  // the stored book and two pending lines
        QCOMPARE(m_store->QueryBook().rowCount(), 3);
        QVERIFY(m_store->cursorHookAttached());
        QVERIFY(!m_host.calls.contains(S("changesPending")) ||
                m_store->QueryBook().updatesPending());
        m_store->ApplyPendingUpdates();
        QCOMPARE(test::scalar(S("select count(*) from quillo")), 3);
    }

    void separatorsOnImport() {
        CsvSettings settings;
        settings.separator = 2;
        QVERIFY(import(test::sjis(test::csvLine({S("猫町"), S("著者 名")}, QLatin1Char('\t'))),
                       settings)
                    .ok());
        QCOMPARE(pendingField(0, FieldNo::Writer), S("著者 名"));
        settings.separator = 1;
        QVERIFY(
            import(test::sjis(test::csvLine({S("\"a;b\""), S("c,d")}, QLatin1Char(';'))), settings)
                .ok());
        QCOMPARE(pendingField(1, FieldNo::Title), S("a;b"));  // kept as written
        QCOMPARE(pendingField(1, FieldNo::Writer), S("c,d"));
    }

    // The books of tests/csv/data, as data/make_python_csv.py writes them.
    static QList<QStringList> spreadsheetBooks() {
        return {
            {S("Harry Potter and the Stone"), S("J. K. Rowling"), S("Bloomsbury"), S("1997/06/26"),
             S(""), S(""), S("Fantasy"), S("松岡 佑子"), S(""), S(""), S(""), S("")},
            {S("東京 物語"), S("小津 安二郎"), S("松竹"), S(""), S("2020/01/02"), S("映画, 脚本"),
             S(""), S(""), S("野田 高梧"), S(""), S(""), S("")},
            {S("He said \"hi\""), S("O'Neil"), S("a;b"), S(""), S(""), S(""), S(""), S(""), S(""),
             S(""), S(""), S("w5")}};
    }
    QList<QStringList> pendingBooks() {
        QList<QStringList> books;
        for (int row = 0; row < m_store->QueryBook().rowCount(); ++row) {
            QStringList fields;
            for (int field : kCsvFields)
                fields << pendingField(row, field);
            books << fields;
        }
        return books;
    }

    void importsWhatSpreadsheetsAndCsvLibrariesWrite_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("separator");
        QTest::addColumn<CsvSplit>("split");
        QTest::addRow("quoted when needed") << S("python-minimal-comma.csv") << 0 << CsvSplit::Auto;
        QTest::addRow("all quoted") << S("python-all-comma.csv") << 0 << CsvSplit::Auto;
        QTest::addRow("semicolons") << S("python-minimal-semicolon.csv") << 1 << CsvSplit::Auto;
        QTest::addRow("tabs") << S("python-tab.csv") << 2 << CsvSplit::Auto;
        QTest::addRow("LF line ends") << S("python-minimal-comma-lf.csv") << 0 << CsvSplit::Auto;
        QTest::addRow("forced RFC 4180") << S("python-minimal-comma.csv") << 0 << CsvSplit::Rfc4180;
    }
    void importsWhatSpreadsheetsAndCsvLibrariesWrite() {
        QFETCH(QString, name);
        QFETCH(int, separator);
        QFETCH(CsvSplit, split);
        CsvSettings settings;
        settings.fileName = QFINDTESTDATA(S("data/") + name);
        settings.separator = separator;
        settings.split = split;
        QVERIFY(ImportCsv(*m_store, &settings).ok());
        QCOMPARE(pendingBooks(), spreadsheetBooks());
    }

    void theLegacyRuleCanBeForced() {
        CsvSettings settings;
        settings.fileName = QFINDTESTDATA("data/python-minimal-comma.csv");
        settings.split = CsvSplit::Legacy;
        QCOMPARE(ImportCsv(*m_store, &settings).line, 1);  // the blanks split the title
    }

    void quillosOwnExportsComeBackAsTheyWent_data() {
        QTest::addColumn<bool>("quote");
        QTest::addRow("quoted") << true;
        QTest::addRow("unquoted") << false;
    }
    void quillosOwnExportsComeBackAsTheyWent() {
        QFETCH(bool, quote);
        CsvSettings settings;
        settings.fileName = QFINDTESTDATA("data/python-minimal-comma.csv");
        QVERIFY(ImportCsv(*m_store, &settings).ok());
        if (!quote) {  // unquoted, a text may hold no separator or quote
            m_store->QueryBook().last();
            m_store->DeleteCurrent(false);
            m_store->QueryBook().last();
            m_store->DeleteCurrent(false);
        }
        m_store->ApplyPendingUpdates();
        QList<QStringList> books = pendingBooks();  // in the list's order; the file in ID order
        std::sort(books.begin(), books.end());
        settings = CsvSettings{file("out.csv"), quote};
        QVERIFY(ExportCsv(*m_store, &settings).ok());
        test::exec(S("delete from quillo"));
        m_store->Requery();
        QVERIFY(ImportCsv(*m_store, &settings).ok());
        QList<QStringList> back = pendingBooks();
        std::sort(back.begin(), back.end());
        QCOMPARE(back, books);
    }

    void lineBreaksInATextGoAndComeBackAsOneField() {
        test::exec(
            S("insert into quillo (ID, Title, Writer) values (1, '上巻' || char(13, 10) || '下巻', "
              "'x'),"
              " (2, 'LF' || char(10) || 'のみ', 'y'), (3, '普通', 'z')"));
        CsvSettings settings{file("out.csv")};
        QVERIFY(ExportCsv(*m_store, &settings).ok());
        QVERIFY(ImportCsv(*m_store, &settings).ok());
        QCOMPARE(m_store->QueryBook().rowCount(), 3);  // three books, not five
        QCOMPARE(pendingField(0, FieldNo::Title), S("上巻\r\n下巻"));
        QCOMPARE(pendingField(0, FieldNo::Writer), S("x"));
        QCOMPARE(pendingField(1, FieldNo::Title), S("LF\nのみ"));
        QCOMPARE(pendingField(2, FieldNo::Writer), S("z"));
    }

    void nulsAreRefusedNeverCut() {
        // In a file: its line fails by its number, and nothing after it is lost unseen.
        QByteArray bytes = test::sjis(test::csvLine({S("一")}) + test::csvLine({S("二")}));
        bytes +=
            QByteArray("\xE7\x84\x8E\0,,,,,,,,,,,\r\n", 17) + test::sjis(test::csvLine({S("四")}));
        QCOMPARE(import(bytes).line, 3);
        // In a stored text: the export is refused and the old file kept.
        test::exec(S("insert into quillo (ID, Title) values (9, 'a' || char(0) || 'b')"));
        const CsvSettings settings{file("kept.csv")};
        test::writeFile(settings.fileName, "old\r\n");
        const CsvResult refused = ExportCsv(*m_store, &settings);
        QCOMPARE(refused.kind, CsvResult::Kind::HasNul);
        QCOMPARE(test::readFile(settings.fileName), QByteArray("old\r\n"));
        QVERIFY(refused.reason.contains(S("NUL")));
        QVERIFY(refused.reason.contains(S("ID 9「a")));
    }

    void utf8WithoutItsMarkIsReadAsUtf8() {
        // What a spreadsheet writes when told "CSV UTF-8" on most systems.
        const QByteArray bytes = test::csvLine({S("吾輩は猫である"), S("夏目漱石")}).toUtf8();
        QVERIFY(import(bytes).ok());
        QCOMPARE(pendingField(0, FieldNo::Title), S("吾輩は猫である"));
        CsvSettings settings;
        settings.encoding = CsvEncoding::ShiftJis;  // forced: the same bytes are no Shift-JIS
        QVERIFY(!import(bytes, settings).ok() ||
                pendingField(1, FieldNo::Title) != S("吾輩は猫である"));
        // Shift-JIS text stays Shift-JIS, and plain ASCII reads the same either way.
        QVERIFY(import(test::sjis(test::csvLine({S("こころ")}))).ok());
        QCOMPARE(pendingField(m_store->QueryBook().rowCount() - 1, FieldNo::Title), S("こころ"));
    }

    void exportCanWriteUtf8WithItsMark() {
        test::exec(
            S("insert into quillo (ID, Title, Writer) values (1, '坊っちゃん', '夏目漱石')"));
        CsvSettings settings{file("out.csv")};
        settings.encoding = CsvEncoding::Utf8;
        QVERIFY(ExportCsv(*m_store, &settings).ok());
        QCOMPARE(test::readFile(settings.fileName),
                 QByteArray("\xEF\xBB\xBF") +
                     test::csvLine({S("\"坊っちゃん\""), S("\"夏目漱石\""), S("\"\""), S(""), S(""),
                                    S("\"\""), S("\"\""), S("\"\""), S("\"\""), S("\"\""),
                                    S("\"\""), S("\"\"")})
                         .toUtf8());
        settings.encoding = CsvEncoding::Auto;
        QVERIFY(ImportCsv(*m_store, &settings).ok());
        QCOMPARE(pendingField(m_store->QueryBook().rowCount() - 1, FieldNo::Title),
                 S("坊っちゃん"));
    }

    void utf8FilesAreReadWithEveryCharacter() {
        QVERIFY(
            import(QByteArray("\xEF\xBB\xBF") + test::csvLine({S("ＭＳ"), S("本")}).toUtf8()).ok());
        QCOMPARE(pendingField(0, FieldNo::Title), S("ＭＳ"));
        QVERIFY(import(QByteArray("\xEF\xBB\xBF") +
                       (test::csvLine({S("ok")}) + test::csvLine({S("😀")})).toUtf8())
                    .ok());
        QCOMPARE(pendingField(2, FieldNo::Title), S("😀"));
    }

    void emptyUnreadableAndMissingSettings() {
        test::exec(S("insert into quillo (ID, Title) values (1, '既存')"));
        openStore();
        QVERIFY(import(QByteArray()).ok());
        QCOMPARE(m_store->RecordCount(), 1);
        QVERIFY(m_host.calls.contains(S("changesPending")));

        m_host.calls.clear();
        const CsvSettings folder{m_db->folder()};
        QCOMPARE(ImportCsv(*m_store, &folder).kind, CsvResult::Kind::Unreadable);
        QCOMPARE(m_store->RecordCount(), 1);
        QVERIFY(!m_store->QueryBook().updatesPending());
        QCOMPARE(m_host.calls, (QStringList{S("currentBookMoved"), S("booksCounted")}));
        QCOMPARE(ImportCsv(*m_store, nullptr).kind, CsvResult::Kind::NoSettings);
        const CsvSettings unnamed;
        QCOMPARE(ImportCsv(*m_store, &unnamed).kind, CsvResult::Kind::NoFileName);
    }
};

QTEST_GUILESS_MAIN(TestCsvExchange)
#include "tst_csv_exchange.moc"
