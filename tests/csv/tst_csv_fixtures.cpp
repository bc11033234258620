// Files that spreadsheets, CSV libraries and careless hands really write,
// committed under data/: each is read into a catalogue as its books, or refused
// by the number of its line at fault and the reason, storing nothing.
#include <QtTest>

#include "csv/csv_exchange.h"
#include "engine/connection.h"
#include "files.h"
#include "store/headless_host.h"
#include "store/tdm.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestCsvFixtures : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempBookDb> m_db;

    static QString data(const QString& name) { return QFINDTESTDATA(S("data/") + name); }
    static QStringList stored() {
        return test::rows(
            S("select ID, Title, Writer, Publisher, PubDate, BuyDate, SubTitle, Kind,"
              " Translator, Writer2, Writer3, Writer4, Writer5 from quillo order by ID"));
    }
    // Imports into the catalogue, all lines or none, as quillo-csv does.
    CsvResult import(CsvSettings settings, QString* reason = nullptr) {
        Connection books(S("book"));
        const CsvResult result = ImportCsvIntoTable(books, &settings);
        if (reason)
            *reason = result.reason;
        return result;
    }
    CsvResult import(const QString& file, QString* reason = nullptr, int separator = 0) {
        CsvSettings settings;
        settings.fileName = file;
        settings.separator = separator;
        return import(settings, reason);
    }
    // The project's sample, as its own program reads it.
    QStringList sampleBooks() {
        const QStringList before = stored();
        test::TempBookDb other;
        const CsvResult result = import(QFINDTESTDATA("../../samples/books-sample.csv"));
        const QStringList books = stored();
        Connection::setAliasPath(S("book"), m_db->path());
        return result.ok() && before.isEmpty() ? books : QStringList{S("import failed")};
    }

private slots:
    void init() { m_db = std::make_unique<test::TempBookDb>(); }
    void cleanup() { m_db.reset(); }

    void spreadsheetsGiveBackTheSample_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("separator");
        QTest::addRow("Calc, Shift-JIS, empty columns left off") << S("calc-sjis.csv") << 0;
        QTest::addRow("Calc, UTF-8") << S("calc-utf8.csv") << 0;
        QTest::addRow("Calc, Unicode text (UTF-16 LE)") << S("calc-utf16le.txt") << 2;
        QTest::addRow("UTF-16 BE") << S("calc-utf16be.txt") << 2;
        QTest::addRow("Calc, with a heading line") << S("calc-sjis-heading.csv") << 0;
    }
    void spreadsheetsGiveBackTheSample() {
        QFETCH(QString, name);
        QFETCH(int, separator);
        const QStringList sample = sampleBooks();
        QCOMPARE(sample.size(), 50);
        QString reason;
        QVERIFY(import(data(name), &reason, separator).ok());
        QCOMPARE(stored(), sample);
    }

    void pandasHeadingAndIsoDatesAreRead() {
        QVERIFY(import(data(S("pandas-iso-heading.csv"))).ok());
        QCOMPARE(stored(),
                 (QStringList{S("1|坊っちゃん|夏目 漱石|春陽堂|1906-04-01|2020-01-02|<null>|"
                                "小説|<null>|<null>|<null>|<null>|<null>"),
                              S("2|檸檬|梶井 基次郎|武蔵野書院|1931-05-15|<null>|<null>|"
                                "<null>|<null>|<null>|<null>|<null>|<null>")}));
    }

    // A heading names its columns wherever they stand.
    void headingsNameTheirColumns_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("book");
        QTest::addRow("Japanese, out of order")
            << S("著者名,書名,出版社\r\n夏目 漱石,吾輩は猫である,新潮社\r\n")
            << S("吾輩は猫である|夏目 漱石|<null>|新潮社|<null>|<null>|<null>");
        QTest::addRow("English, the dates swapped")
            << S("Title,Writer,Publisher,BuyDate,PubDate\r\n猫,夏目,新潮社,2020/01/02,1905/10/"
                 "06\r\n")
            << S("猫|夏目|<null>|新潮社|1905-10-06|2020-01-02|<null>");
        QTest::addRow("full-width digit, a memo")
            << S("書名,著者名,著者名２,メモ\r\n本,甲,乙,覚え書き\r\n")
            << S("本|甲|乙|<null>|<null>|<null>|覚え書き");
        QTest::addRow("Date as the publication date")
            << S("Title,Author,Publisher,Date\r\nKokoro,Natsume Soseki,Iwanami,1914-09-20\r\n")
            << S("Kokoro|Natsume Soseki|<null>|Iwanami|1914-09-20|<null>|<null>");
        QTest::addRow("several authors in one column, an unknown column")
            << S("title,authors,rating\r\n本,山田 太郎; 鈴木 花子,5\r\n")
            << S("本|山田 太郎|鈴木 花子|<null>|<null>|<null>|<null>");
    }
    void headingsNameTheirColumns() {
        QFETCH(QString, file);
        QFETCH(QString, book);
        const QString path = m_db->folder() + S("/in.csv");
        test::writeFile(path, test::sjis(file));
        QString said;
        QVERIFY2(import(path, &said).ok(), qPrintable(said));
        QCOMPARE(test::rows(S("select Title, Writer, Writer2, Publisher, PubDate, BuyDate, Memo"
                              " from quillo")),
                 QStringList{book});
    }

    // calibre's catalogue moves in as it is (data/calibre-catalog.csv is what
    // calibredb 6.13 wrote with `calibredb catalog books.csv`: two authors, a
    // series, tags, comments, an ISBN (kept) and its "no date" 0101-01-01).
    void aCalibreCatalogueMovesIn() {
        const CsvResult result = import(data(S("calibre-catalog.csv")));
        QVERIFY2(result.ok(), qPrintable(result.reason));
        QCOMPARE(test::rows(S("select Title, Writer, Writer2, Publisher, PubDate, BuyDate,"
                              " SubTitle, Kind, Memo from quillo order by ID")),
                 (QStringList{S("吾輩は猫である|夏目 漱石|<null>|新潮社|1905-10-06|2026-12-08|"
                                "<null>|小説, 名作|猫の目から見た人間模様。\n名作 & 古典"),
                              S("翻訳夜話|村上 春樹|柴田 元幸|文藝春秋|<null>|2026-12-08|翻訳夜話|"
                                "<null>|<null>")}));
        QCOMPARE(result.program, S("calibre"));
        QCOMPARE(
            result.ignoredColumns,  // author_sort and title_sort repeat what is read
            (QStringList{S("cover"), S("formats"), S("id"), S("identifiers"), S("languages"),
                         S("library_name"), S("rating"), S("series_index"), S("size"), S("uuid")}));
        // Its ISBN is kept beside the book.
        QCOMPARE(test::rows(S("select ID, Isbn from quillo_isbn")),
                 QStringList{S("1|9784101010014")});
    }

    void whatCannotBeReadTruthfullyIsRefusedByItsLine_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");
        const QString forms = S("（yyyy/mm/dd または yyyy-mm-dd の形）");
        QTest::addRow("a quote closed too early")
            << S("broken-quote.csv") << 2 << S("1 番目の項目の引用符が閉じていません");
        QTest::addRow("a quote never closed")
            << S("unclosed-quote.csv") << 2 << S("1 番目の項目の引用符が閉じていません");
        QTest::addRow("a two-digit year")
            << S("two-digit-year.csv") << 2
            << S("初版発行日: '04/05/06' は日付ではありません") + forms;
        QTest::addRow("day first") << S("day-first-date.csv") << 2
                                   << S("初版発行日: '9/4/2004' は日付ではありません") + forms;
        QTest::addRow("a date and a time")
            << S("date-and-time.csv") << 2
            << S("初版発行日: '2004/09/04 12:34' は日付ではありません") + forms;
        QTest::addRow("a digit too many")
            << S("date-trailing-digit.csv") << 2
            << S("初版発行日: '2004/09/041' は日付ではありません") + forms;
        QTest::addRow("dates saved as shown")
            << S("calc-sjis-dates-as-shown.csv") << 1
            << S("初版発行日: '8月13日' は日付ではありません") + forms;
        QTest::addRow("a Shift-JIS line after UTF-8 ones")
            << S("mixed-encodings.csv") << 5
            << S("5 行目の文字コードが他の行と違います（ほかの行は UTF-8）");
        QTest::addRow("a Shift-JIS line after UTF-8 ones Shift-JIS also reads")
            << S("mixed-encodings-valid-both.csv") << 5
            << S("5 行目の文字コードが他の行と違います（ほかの行は UTF-8）");
    }
    void whatCannotBeReadTruthfullyIsRefusedByItsLine() {
        QFETCH(QString, name);
        QFETCH(int, line);
        QFETCH(QString, reason);
        QString said;
        QCOMPARE(import(data(name), &said).line, line);
        QCOMPARE(said, reason);
        QVERIFY(stored().isEmpty());
    }

    // Files other programs write, read as they mean: the whole file decides
    // its encoding, not its first line beyond ASCII (a Shift-JIS line may also
    // be valid UTF-8); a yen sign in Unicode text is kept as Shift-JIS holds
    // it; a DOS end-of-file mark is no book.
    void whatOtherProgramsWriteIsReadAsMeant_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("titles");
        QTest::addRow("half-width kana that are also UTF-8")
            << test::sjis(S("\"ﾎｼ\",\"ﾐｽﾃｷ\"\r\n\"ｶﾞﾗｽ\",\"ｱｲｳ\"\r\n"))
            << QStringList{S("ﾎｼ"), S("ｶﾞﾗｽ")};
        QTest::addRow("蟲師 first, then Shift-JIS only")
            << test::sjis(S("蟲師\r\n吾輩は猫である,夏目 漱石\r\n"))
            << QStringList{S("蟲師"), S("吾輩は猫である")};
        QTest::addRow("UTF-8 kana") << S("ねこ,なつめ\r\n").toUtf8() << QStringList{S("ねこ")};
        QTest::addRow("a yen sign in UTF-8")
            << S("\"¥1,500の本\",著者\r\n").toUtf8() << QStringList{S("￥1,500の本")};
        QTest::addRow("a book whose texts are column names, with ISO dates")
            << test::sjis(S("本,著者,出版社,2004-09-04T00:00:00+00:00,0101-01-01\r\n"))
            << QStringList{S("本")};
        QTest::addRow("nothing but two byte-order marks")
            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF") << QStringList{};
        QTest::addRow("a CR inside an unquoted field, as pandas writes it")
            << S("上巻\r下巻合本,著者\n次の本,著者\n").toUtf8()
            << QStringList{S("上巻\r下巻合本"), S("次の本")};
        QTest::addRow("Ctrl-Z at the end")
            << test::sjis(S("猫,夏目\r\n")) + QByteArray("\x1A") << QStringList{S("猫")};
    }
    void whatOtherProgramsWriteIsReadAsMeant() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, titles);
        const QString path = m_db->folder() + S("/in.csv");
        test::writeFile(path, bytes);
        QString said;
        QVERIFY2(import(path, &said).ok(), qPrintable(said));
        QCOMPARE(test::rows(S("select Title from quillo order by ID")), titles);
    }

    // Lines in both encodings: the one most lines are written in holds (the
    // first line deciding a tie), and the first line in the other is refused.
    void aLineInTheOtherEncodingIsRefused() {
        const QString path = m_db->folder() + S("/in.csv");
        QString said;
        test::writeFile(path, QByteArray("plain,ascii\r\n") + test::sjis(S("表,紙\r\n")) +
                                  S("本,棚\r\n").toUtf8());
        QCOMPARE(import(path, &said).line, 3);
        QCOMPARE(said, S("3 行目の文字コードが他の行と違います（ほかの行は Shift-JIS）"));
        test::writeFile(path, test::sjis(S("表,紙\r\n")) + S("本,棚\r\n本,棚\r\n").toUtf8());
        QCOMPARE(import(path, &said).line, 1);
        QCOMPARE(said, S("1 行目の文字コードが他の行と違います（ほかの行は UTF-8）"));
        QVERIFY(stored().isEmpty());
        // Any character a UTF-8 file holds comes in.
        test::writeFile(path, S("本,棚\r\n𠮷野家,Kurt Gödel\r\n").toUtf8());
        QVERIFY(import(path, &said).ok());
        QCOMPARE(test::rows(S("select Title, Writer from quillo order by ID")),
                 (QStringList{S("本|棚"), S("𠮷野家|Kurt Gödel")}));
    }

    void aUtf16FileIsNotReadAsAnotherEncoding() {
        CsvSettings settings;
        settings.fileName = data(S("calc-utf16le.txt"));
        settings.separator = 2;
        settings.encoding = CsvEncoding::ShiftJis;
        QString said;
        QCOMPARE(import(settings, &said).kind, CsvResult::Kind::Unreadable);
        QVERIFY2(said.contains(S("UTF-16 のファイルです")), qPrintable(said));
        settings.encoding = CsvEncoding::Utf16;
        QVERIFY(import(settings).ok());
        QCOMPARE(stored().size(), 50);
    }

    // A heading is passed over when asked, or when it names the columns; told
    // there is none, its texts are taken for a book (and its date refused).
    void headingLines() {
        CsvSettings settings;
        settings.fileName = data(S("calc-sjis-heading.csv"));
        settings.header = CsvHeader::No;
        QString said;
        QCOMPARE(import(settings, &said).line, 1);
        QCOMPARE(said, S("初版発行日: '初版発行日' は日付ではありません（yyyy/mm/dd または "
                         "yyyy-mm-dd の形）"));
        settings.fileName = data(S("calc-sjis.csv"));
        settings.header = CsvHeader::Yes;
        QVERIFY(import(settings).ok());
        QCOMPARE(stored().size(), 49);  // its first book taken for a heading, as told
    }

    // Quillo's own export with a heading in the user's names, and in UTF-16,
    // comes back as it went.
    void exportsWithAHeadingOrInUtf16ComeBack_data() {
        QTest::addColumn<CsvEncoding>("encoding");
        QTest::addColumn<bool>("quote");
        QTest::addRow("Shift-JIS, quoted") << CsvEncoding::Auto << true;
        QTest::addRow("UTF-16, unquoted") << CsvEncoding::Utf16 << false;
    }
    void exportsWithAHeadingOrInUtf16ComeBack() {
        QFETCH(CsvEncoding, encoding);
        QFETCH(bool, quote);
        QVERIFY(import(data(S("calc-sjis.csv"))).ok());
        const QStringList books = stored();
        CsvSettings settings;
        settings.fileName = m_db->folder() + S("/out.csv");
        settings.encoding = encoding;
        settings.quote = quote;
        settings.writeHeader = true;
        settings.labels = csvColumnLabels({});
        settings.labels[8] = S("監修");  // the user's name for Writer2
        {
            HeadlessStoreHost host;
            TDM store(&host, TDM::FirstRead::NoBooks);
            QVERIFY(ExportCsv(store, &settings).ok());
            store.CloseStore(false);
        }
        const QByteArray bytes = test::readFile(settings.fileName);
        if (encoding == CsvEncoding::Utf16)
            QVERIFY(bytes.startsWith("\xFF\xFE"));
        test::exec(S("delete from quillo"));
        QVERIFY(import(settings).ok());  // the heading is known by the user's names
        QCOMPARE(stored(), books);
        test::exec(S("delete from quillo"));
        // "監修" is nobody's label now: its column is named and passed over.
        settings.labels.clear();
        const CsvResult r = import(settings);
        QVERIFY2(r.ok(), qPrintable(r.reason));
        QCOMPARE(r.ignoredColumns, QStringList{S("監修")});
        QCOMPARE(test::scalar(S("select count(*) from quillo where Writer2 is not null")), 0);
    }
};

QTEST_GUILESS_MAIN(TestCsvFixtures)
#include "tst_csv_fixtures.moc"
