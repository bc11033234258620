// Splitting CSV lines by the comma-text rules, and reading files line by line.
#include <sys/stat.h>

#include <QTemporaryDir>
#include <QtTest>
#include <thread>

#include "csv/csv_codec.h"
#include "csv/csv_reader.h"
#include "files.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestCsvCodec : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QStringList split(const QString& line, QChar separator = QLatin1Char(',')) {
        TCSV csv;
        csv.Separator = separator;
        csv.setSrcStrings({line});
        if (!csv.ExtractCsvLine(0))
            return {S("<no line>")};
        return csv.DstStrings();
    }

private slots:
    void commaText_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::addRow("plain") << S("a,b,c") << QStringList{S("a"), S("b"), S("c")};
        QTest::addRow("empty field between") << S("a,,b") << QStringList{S("a"), S(""), S("b")};
        QTest::addRow("no trailing empty field") << S("a,") << QStringList{S("a")};
        QTest::addRow("leading empty field") << S(",a") << QStringList{S(""), S("a")};
        QTest::addRow("blank splits unquoted text")
            << S("Hello World") << QStringList{S("Hello"), S("World")};
        QTest::addRow("quoted keeps blanks and commas")
            << S("\"Hello, World\"") << QStringList{S("Hello, World")};
        QTest::addRow("doubled quotes") << S("\"x \"\"y\"\"\"") << QStringList{S("x \"y\"")};
        QTest::addRow("quoted empty") << S("\"\",a") << QStringList{S(""), S("a")};
        QTest::addRow("blanks around fields vanish")
            << S("  a ,  b  ") << QStringList{S("a"), S("b")};
        QTest::addRow("text after a closing quote")
            << S("\"a\"b,c") << QStringList{S("a"), S("b"), S("c")};
        QTest::addRow("unclosed quote takes the rest") << S("\"a,b c") << QStringList{S("a,b c")};
        QTest::addRow("empty line") << S("") << QStringList{};
        QTest::addRow("Japanese") << S("\"吾輩は猫である\",夏目 漱石")
                                  << QStringList{S("吾輩は猫である"), S("夏目"), S("漱石")};
        QTest::addRow("control codes are blanks") << S("a\x01"
                                                       "b")
                                                  << QStringList{S("a"), S("b")};
    }
    void commaText() {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(split(line), fields);
    }

    void otherSeparatorsLeaveQuotedTextAlone() {
        QCOMPARE(split(S("\"a;b\";c"), QLatin1Char(';')), (QStringList{S("a;b"), S("c")}));
        QCOMPARE(split(S("\"a,b\";c"), QLatin1Char(';')), (QStringList{S("a,b"), S("c")}));
        QCOMPARE(split(S("a\tb,c"), QLatin1Char('\t')), (QStringList{S("a"), S("b,c")}));
        QCOMPARE(split(S("\"x\ty\"\tz"), QLatin1Char('\t')), (QStringList{S("x\ty"), S("z")}));
        QCOMPARE(split(S("a\t\tb"), QLatin1Char('\t')), (QStringList{S("a"), S(""), S("b")}));
    }

    void rfc4180_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::addRow("blanks are text")
            << S("Harry Potter and the Stone,東京 物語")
            << QStringList{S("Harry Potter and the Stone"), S("東京 物語")};
        QTest::addRow("trailing empty field") << S("a,") << QStringList{S("a"), S("")};
        QTest::addRow("only separators") << S(",,") << QStringList{S(""), S(""), S("")};
        QTest::addRow("quoted separator and quotes")
            << S("\"a, \"\"b\"\"\",c") << QStringList{S("a, \"b\""), S("c")};
        QTest::addRow("quoted empty") << S("\"\",x") << QStringList{S(""), S("x")};
        QTest::addRow("unclosed quote takes the rest") << S("\"a,b") << QStringList{S("a,b")};
        QTest::addRow("empty line") << S("") << QStringList{};
    }
    void rfc4180() {
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(TCSV::splitRfc4180(line, QLatin1Char(',')), fields);
    }

    // RFC 4180 first; the blank-splitting rule only for a line with too many
    // fields that way, or with no separator at all; fewer fields are filled up;
    // a quote left open is refused by every rule.
    void autoReadsWhatSpreadsheetsWriteAndRefusesBrokenQuotes_data() {
        QTest::addColumn<CsvSplit>("split");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("problem");
        const QString none;
        QTest::addRow("RFC 4180") << CsvSplit::Auto << S("東京 物語,小津,松竹")
                                  << QStringList{S("東京 物語"), S("小津"), S("松竹")} << none;
        QTest::addRow("trailing columns left off")
            << CsvSplit::Auto << S("東京 物語,小津")
            << QStringList{S("東京 物語"), S("小津"), S("")} << none;
        QTest::addRow("blanks for separators")
            << CsvSplit::Auto << S("東京 小津 松竹") << QStringList{S("東京"), S("小津"), S("松竹")}
            << none;
        QTest::addRow("unquoted blanks are no separators when there are commas")
            << CsvSplit::Auto << S("夏目 漱石 x,y") << QStringList{S("夏目 漱石 x"), S("y"), S("")}
            << none;
        QTest::addRow("one separator too many, legacy trailing comma")
            << CsvSplit::Auto << S("a,b,c,") << QStringList{S("a"), S("b"), S("c")} << none;
        QTest::addRow("too many") << CsvSplit::Auto << S("a,b,c,d")
                                  << QStringList{S("a"), S("b"), S("c"), S("d")}
                                  << S("項目が 4 個あります（3 個まで）");
        QTest::addRow("a quote closed too early")
            << CsvSplit::Auto << S("\"本3,\"著者3\",\"社\"") << QStringList{}
            << S("1 番目の項目の引用符が閉じていません");
        QTest::addRow("a quote never closed") << CsvSplit::Rfc4180 << S("a,\"b,c") << QStringList{}
                                              << S("2 番目の項目の引用符が閉じていません");
        QTest::addRow("blanks after a closing quote")
            << CsvSplit::Auto << S("\"a\" ,b,c") << QStringList{S("a"), S("b"), S("c")} << none;
        QTest::addRow("quoted words one by one are no longer guessed at")
            << CsvSplit::Auto << S("\"a\" \"b\" \"c\"") << QStringList{}
            << S("1 番目の項目の引用符が閉じていません");
        QTest::addRow("legacy asks for the number exactly")
            << CsvSplit::Legacy << S("a,b") << QStringList{S("a"), S("b")}
            << S("項目が 2 個あります（3 個必要です）");
    }
    void autoReadsWhatSpreadsheetsWriteAndRefusesBrokenQuotes() {
        QFETCH(CsvSplit, split);
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QFETCH(QString, problem);
        TCSV csv;
        csv.Split = split;
        csv.ExpectedFields = 3;
        const CsvFields read = csv.readFields(line);
        QCOMPARE(read.problem, problem);
        if (!fields.isEmpty())
            QCOMPARE(read.fields, fields);
    }

    void extractOutsideTheLinesChangesNothing() {
        TCSV csv;
        csv.setSrcStrings({S("a,b")});
        QVERIFY(csv.ExtractCsvLine(0));
        QVERIFY(!csv.ExtractCsvLine(1));
        QVERIFY(!csv.ExtractCsvLine(-1));
        QCOMPARE(csv.GetDstCount(), 2);
        QCOMPARE(csv.GetDstText(), S("a\r\nb\r\n"));
        csv.Clear();
        QCOMPARE(csv.GetSrcCount(), 0);
        QCOMPARE(csv.GetDstCount(), 0);
    }

    void separatorConversionAndQuoting() {
        QString text = S("a;b;;c");
        TCSV::CnvSeparator(text, QLatin1Char(';'), QLatin1Char(','));
        QCOMPARE(text, S("a,b,,c"));
        QCOMPARE(TCSV::AddQuoteStr(S("a,bc,d"), QLatin1Char('"')), S("\"a\",\"bc\",\"d\""));
        QCOMPARE(TCSV::AddQuoteStr(S("x"), QLatin1Char('\'')), S("'x'"));
        QCOMPARE(TCSV::AddQuoteStr(S(""), QLatin1Char('"')), S(""));
        QCOMPARE(TCSV::AddQuoteStr(S("ab"), QChar()), S(""));
        QCOMPARE(TCSV::AddQuoteStr(S("a\"b"), QLatin1Char('"')), S("\"a\"b\""));  // not doubled
    }

    void lineEnds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{S("a"), S("b")};
        // A lone CR ends lines only in a file of CR lines (an old Mac's); in a
        // file of LF lines it is a character of its line (pandas writes one
        // unquoted inside a field).
        QTest::addRow("lone CRs") << QByteArray("a\rb\rc") << QStringList{S("a"), S("b"), S("c")};
        QTest::addRow("a lone CR among LF lines")
            << QByteArray("a\rb\nc") << QStringList{S("a\rb"), S("c")};
        QTest::addRow("LF CR is an end and a character")
            << QByteArray("a\n\rb") << QStringList{S("a"), S("\rb")};
        QTest::addRow("empty lines kept")
            << QByteArray("a\r\n\r\nb") << QStringList{S("a"), S(""), S("b")};
        QTest::addRow("a zero byte spoils its line only")
            << QByteArray("a\r\nb\0c\r\nd", 9) << QStringList{S("a"), S(""), S("d")};
        QTest::addRow("empty file") << QByteArray() << QStringList{};
    }
    void lineEnds() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const QString path = m_dir.filePath(S("lines.csv"));
        test::writeFile(path, bytes);
        TCSV csv;
        csv.LoadFromFile(path);
        QCOMPARE(csv.SrcStrings(), lines);
    }

    void aQuotedFieldCarriesItsLineBreaksAndLinesKeepTheirNumbers() {
        const QString path = m_dir.filePath(S("breaks.csv"));
        test::writeFile(
            path, test::sjis(S("\"一行目\r\n二行目\",x\r\n\"LF\nだけ\"\r\n後,\"\"\"\",y\r\n")) +
                      QByteArray("n\0l\r\nlast\r\n", 11));
        TCSV csv;
        csv.Split = CsvSplit::Auto;
        csv.LoadFromFile(path);
        QCOMPARE(csv.GetSrcCount(), 5);
        csv.ExtractCsvLine(0);
        QCOMPARE(csv.DstStrings(), (QStringList{S("一行目\r\n二行目"), S("x")}));
        csv.ExtractCsvLine(1);
        QCOMPARE(csv.DstStrings(), QStringList{S("LF\nだけ")});  // the break as it was
        csv.ExtractCsvLine(2);
        QCOMPARE(csv.DstStrings(), (QStringList{S("後"), S("\""), S("y")}));
        QCOMPARE(csv.LineNumber(2), 5);   // file lines 1-2 and 3-4 hold the first two
        QVERIFY(!csv.isLineReadable(3));  // the NUL
        QCOMPARE(csv.LineNumber(3), 6);
        QVERIFY(csv.isLineReadable(4));
    }

    void encodingsAndUnreadableLines() {
        const QString path = m_dir.filePath(S("mixed.csv"));
        test::writeFile(path,
                        test::sjis(S("表,ソ\r\n")) + QByteArray("ok\r\n\x81\x20\r\nlast\r\n"));
        TCSV csv;
        csv.LoadFromFile(path);
        QCOMPARE(csv.GetSrcCount(), 4);
        QCOMPARE(csv.SrcStrings().at(0), S("表,ソ"));
        QVERIFY(csv.isLineReadable(1));
        QVERIFY(!csv.isLineReadable(2));
        QVERIFY(csv.isLineReadable(3));

        test::writeFile(path, QByteArray("\xEF\xBB\xBF") + S("本,棚\r\n顔😀\r\n").toUtf8());
        csv.LoadFromFile(path);
        QVERIFY(csv.isUtf8());
        QCOMPARE(csv.SrcStrings().at(0), S("本,棚"));
        QVERIFY(csv.isLineReadable(1));  // any character has its place in the catalogue
        QCOMPARE(csv.SrcStrings().at(1), S("顔😀"));
    }

    // Files far larger than a block of the reader: records that span lines, bad
    // lines and the encoding decision all come out as for a small file.
    void aLargeFileReadsAsASmallOneAcrossItsBlocks() {
        QByteArray bytes;
        QStringList expected;
        QList<int> firstLines;
        int line = 0;
        for (int i = 1; i <= 4000; ++i) {
            const QString pad = S("長い題名の本").repeated(i % 7 + 1);
            QString record = QStringLiteral("%1,%2").arg(i).arg(pad);
            if (i % 9 == 0)  // a quoted field that goes on over the next line
                record += S(",\"一行目\r\n二行目\"");
            firstLines << line + 1;
            line += i % 9 == 0 ? 2 : 1;
            expected << record;
            bytes += test::sjis(record + S("\r\n"));
        }
        bytes += QByteArray("\x81\x20\r\n");  // no Shift-JIS
        bytes += QByteArray("tail\r\n");
        const QString path = m_dir.filePath(S("large.csv"));
        test::writeFile(path, bytes);
        QVERIFY(bytes.size() > 2 * 64 * 1024);

        TCSV csv;
        csv.LoadFromFile(path);
        QVERIFY(!csv.isUtf8());
        QCOMPARE(csv.GetSrcCount(), 4002);
        QCOMPARE(csv.SrcStrings().mid(0, 4000), expected);
        for (int i = 0; i < 4000; ++i)
            QCOMPARE(csv.LineNumber(i), firstLines[i]);
        QVERIFY(!csv.isLineReadable(4000));
        QCOMPARE(csv.LineNumber(4000), line + 1);
        QCOMPARE(csv.SrcStrings().at(4001), S("tail"));

        // The first line beyond ASCII decides the encoding, however far in; a
        // later line in the other encoding is refused by its number, never read
        // as garbage.
        QByteArray utf8 = QByteArray("plain ascii line\r\n").repeated(10000);
        test::writeFile(path, utf8 + S("本棚\r\n").toUtf8());
        csv.LoadFromFile(path);
        QVERIFY(csv.isUtf8());
        QCOMPARE(csv.SrcStrings().last(), S("本棚"));
        test::writeFile(path, S("本棚\r\n").toUtf8() + utf8 + test::sjis(S("表\r\n")));
        csv.LoadFromFile(path);
        QVERIFY(csv.isUtf8());
        QVERIFY(!csv.isLineReadable(csv.GetSrcCount() - 1));
        QCOMPARE(csv.LineNumber(csv.GetSrcCount() - 1), 10002);
    }

    // A pipe can be read only once: its lines are kept from the first reading.
    void aPipeIsReadLikeAFile() {
        const QString fifo = m_dir.filePath(S("pipe.csv"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QByteArray bytes = test::sjis(S("題名,著者\r\n\"二行\r\nの題\",x\r\n"));
        std::thread writer([&] {
            QFile out(fifo);
            if (out.open(QIODevice::WriteOnly))
                out.write(bytes);
        });
        CsvRecordReader reader(QLatin1Char(','), CsvEncoding::Auto);
        reader.open(fifo);
        writer.join();
        QStringList records;
        while (reader.next())
            records << QStringLiteral("%1:%2").arg(reader.firstLine()).arg(reader.record());
        QCOMPARE(records, (QStringList{S("1:題名,著者"), S("2:\"二行\r\nの題\",x")}));
    }

    void missingFileIsAnError() {
        TCSV csv;
        QVERIFY_THROWS_EXCEPTION(CsvFileError, csv.LoadFromFile(m_dir.filePath(S("none.csv"))));
        QVERIFY_THROWS_EXCEPTION(CsvFileError, csv.LoadFromFile(m_dir.path()));
    }
};

QTEST_GUILESS_MAIN(TestCsvCodec)
#include "tst_csv_codec.moc"
