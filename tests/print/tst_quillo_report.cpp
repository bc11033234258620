// quillo-report end to end: the sample catalogue to a PDF, read back with
// poppler's pdftotext as a person reads the page.
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QtTest>
#include <utility>

#include <unistd.h>
#include "catalogue_generator.h"
#include "csv/csv_exchange.h"
#include "engine/connection.h"

#include "damaged_files.h"
#include "files.h"
#include "full_disk.h"
#include "odd_output_targets.h"
#include "settings/settings_file.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestQuilloReport : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempBookDb> m_db;
    QString file(const char* name) const { return m_db->folder() + QLatin1Char('/') + S(name); }

    struct Run {
        int status;
        QString err;
    };
    Run report(const QStringList& args) {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(S("XDG_RUNTIME_DIR"));
        tool.setProcessEnvironment(env);
        tool.start(S(QUILLO_REPORT), args);
        tool.waitForFinished(120000);
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                QString::fromUtf8(tool.readAllStandardError())};
    }
    QString pdfText(const QStringList& options, const QString& pdf) {
        QProcess poppler;
        poppler.start(S("pdftotext"), options + QStringList{pdf, S("-")});
        poppler.waitForFinished(60000);
        return QString::fromUtf8(poppler.readAllStandardOutput());
    }
    // The lines of a PDF's text, and those that hold one Japanese character alone.
    struct Lines {
        int lines = 0, lone = 0;
    };
    Lines linesOf(const QString& pdf) {
        Lines count;
        const QRegularExpression line(S("<line[^>]*>(.*?)</line>"),
                                      QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpression text(S(">([^<]*)</word>"));
        for (const QRegularExpressionMatch& l :
             line.globalMatch(pdfText({S("-bbox-layout")}, pdf))) {
            QString joined;
            for (const QRegularExpressionMatch& w : text.globalMatch(l.captured(1)))
                joined += w.captured(1);
            ++count.lines;
            if (joined.size() == 1 && joined[0].unicode() >= 0x2E80)
                ++count.lone;
        }
        return count;
    }
    int pagesOf(const QString& pdf) { return static_cast<int>(pdfText({}, pdf).count(u'\f')); }
    static QString sampleCsv() { return S(QUILLO_SOURCE_DIR "/samples/books-sample.csv"); }

private slots:
    void init() {
        if (QStandardPaths::findExecutable(S("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        m_db = std::make_unique<test::TempBookDb>();
        Connection books(S("book"));
        CsvSettings csv{sampleCsv()};
        QVERIFY(ImportCsvIntoTable(books, &csv).ok());
        test::writeFile(file("quillo.Ini"), QByteArray());  // the defaults
    }
    void cleanup() { m_db.reset(); }

    // A FIFO is written into (the PDF can be piped on), and a disk that fills
    // part way fails the run and leaves the old PDF as it was: every write is
    // checked, not only the last.
    void aPdfGoesIntoAFifoAndNeverHalfOverAnOldOne() {
        {
            test::FifoReader reader(file("pipe"), file("read.pdf"));
            const Run run = report(
                {file("pipe"), S("--db"), m_db->path(), S("--settings"), file("quillo.Ini")});
            QVERIFY2(run.status == 0, qPrintable(run.err));
            QVERIFY(reader.finished());
        }
        QVERIFY(test::isFifo(file("pipe")));
        QVERIFY(pdfText({}, file("read.pdf")).contains(S("書名")));

        test::writeFile(file("full.pdf"), "%PDF-old");
        Run run{};
        {
            test::FullDisk full(12 * 1024);
            run = report(
                {file("full.pdf"), S("--db"), m_db->path(), S("--settings"), file("quillo.Ini")});
        }
        QCOMPARE(run.status, 1);
        QVERIFY2(
            run.err.contains(S("ディスクがいっぱいです")) && run.err.contains(file("full.pdf")),
            qPrintable(run.err));
        QCOMPARE(test::readFile(file("full.pdf")), QByteArray("%PDF-old"));
        QCOMPARE(QDir(m_db->folder()).entryList({S("*.part")}, QDir::Files), QStringList());
    }

    void theSampleBooksPrintWithDatesAndNamesWholeInsideThePrintableArea() {
        const QString pdf = file("list.pdf");
        const Run run = report({pdf, S("--db"), m_db->path(), S("--settings"), file("quillo.Ini")});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(run.err, QString());  // a run that succeeds says nothing

        const QString text = pdfText({S("-layout")}, pdf);
        QVERIFY(text.contains(S("Quilloレポート")));
        // Every footer counts the pages: the last one says "Page : M / M".
        const int pages = int(text.count(QChar(u'\f')));
        QVERIFY(pages > 1);
        for (int page = 1; page <= pages; ++page)
            QVERIFY2(text.contains(S("Page : %1 / %2").arg(page).arg(pages)), qPrintable(text));
        const QStringList books =
            test::rows(S("select Title, Writer, PubDate, BuyDate from quillo"));
        QCOMPARE(books.size(), 50);
        for (const QString& book : books) {
            const QStringList f = book.split(QLatin1Char('|'));
            for (const QString& date : {f[2], f[3]}) {
                if (date != S("<null>"))
                    QVERIFY2(
                        text.contains(QString(date).replace(QLatin1Char('-'), QLatin1Char('/'))),
                        qPrintable(date));
            }
            // The writer's family and given names stand on one line.
            const QStringList name = f[1].split(QLatin1Char(' '));
            const QRegularExpression oneLine(QRegularExpression::escape(name.first()) + S("[ ]+") +
                                             QRegularExpression::escape(name.last()));
            QVERIFY2(text.contains(oneLine), qPrintable(f[1]));
        }

        // Every word lies inside the printable area: 10 mm (28.35 pt) from each edge.
        const QString boxes = pdfText({S("-bbox")}, pdf);
        const QRegularExpression page(S("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
        const QRegularExpressionMatch size = page.match(boxes);
        QVERIFY(size.hasMatch());
        const double width = size.captured(1).toDouble(), height = size.captured(2).toDouble();
        QCOMPARE(qRound(width), 595);  // A4 portrait
        const QRegularExpression word(S(
            "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">"));
        int words = 0;
        for (auto it = word.globalMatch(boxes); it.hasNext(); ++words) {
            const QRegularExpressionMatch w = it.next();
            const double margin = 28.35 - 0.5;  // pdftotext's boxes are the fonts' estimates
            QVERIFY2(w.captured(1).toDouble() >= margin &&
                         w.captured(3).toDouble() <= width - margin &&
                         w.captured(2).toDouble() >= margin &&
                         w.captured(4).toDouble() <= height - margin,
                     qPrintable(w.captured(0)));
        }
        QVERIFY(words > 300);
    }

    void theSettingsPaperAndOrientationAreFollowed() {
        const QString pdf = file("filtered.pdf");
        const Run run = report({pdf, S("--db"), m_db->path(), S("--settings"), file("quillo.Ini"),
                                S("--filter"), S("東京"), S("--landscape"), S("--paper"), S("A5")});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QString text = pdfText({S("-layout")}, pdf);
        const QStringList titles = test::rows(S("select Title from quillo"));
        for (const QString& title : titles) {
            // Only the filtered books: a title with 東京 is printed, no other is.
            const bool shown = text.contains(title.section(QLatin1Char(' '), 0, 0));
            if (title.contains(S("東京")))
                QVERIFY2(shown, qPrintable(title));
        }
        QVERIFY(!text.contains(S("古都の時計")));
        const QString boxes = pdfText({S("-bbox")}, pdf);
        const QRegularExpressionMatch size =
            QRegularExpression(S("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">")).match(boxes);
        QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());  // landscape
        QCOMPARE(qRound(size.captured(1).toDouble()), 595);                  // A5 across
    }

    void whatItCannotDoEndsWithAReason() {
        const QString ini = file("quillo.Ini");
        Run r = report({file("x.pdf"), S("--db"), file("none.db"), S("--settings"), ini});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("none.db")), qPrintable(r.err));
        r = report({file("no such folder/x.pdf"), S("--db"), m_db->path(), S("--settings"), ini});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("no such folder")), qPrintable(r.err));
        r = report({file("x.pdf"), S("--db"), m_db->path(), S("--paper"), S("A0")});
        QCOMPARE(r.status, 1);
        test::exec(S("delete from quillo"));
        r = report({file("x.pdf"), S("--db"), m_db->path(), S("--settings"), ini});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(S("印刷するレコードがありません")), qPrintable(r.err));
        QVERIFY(!QFile::exists(file("x.pdf")));
        QVERIFY(!QFile::exists(file("none.db")));  // a mistyped path makes nothing
    }

    void theCatalogueAndTheSettingsAreNeverTheOutput() {
        const QString ini = file("quillo.Ini");
        const QByteArray catalogue = test::fileBytes(m_db->path());
        QVERIFY(::link(QFile::encodeName(m_db->path()).constData(),
                       QFile::encodeName(file("linked.db")).constData()) == 0);
        for (const QString& output : {m_db->path(), file("linked.db"), ini}) {
            const Run r = report({output, S("--db"), m_db->path(), S("--settings"), ini});
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(S("そのものです")), qPrintable(r.err));
        }
        QCOMPARE(test::fileBytes(m_db->path()), catalogue);
        QCOMPARE(test::fileBytes(ini), QByteArray());

        // Another program's database is read as nothing and changed in nothing.
        test::rawExec(file("notes.db"), S("CREATE TABLE notes (body TEXT)"));
        const QByteArray notes = test::fileBytes(file("notes.db"));
        const Run foreign =
            report({file("x.pdf"), S("--db"), file("notes.db"), S("--settings"), ini});
        QCOMPARE(foreign.status, 1);
        QVERIFY2(foreign.err.contains(S("Quillo のカタログではありません")),
                 qPrintable(foreign.err));
        QCOMPARE(test::fileBytes(file("notes.db")), notes);
    }

    // B5 is what a Japanese user means by it: JIS B5. ISO B5 has a name of its own.
    void papersAsAJapaneseUserNamesThem() {
        for (const auto& [paper, size] :
             {std::pair{S("B5"), S("516 x 729")}, std::pair{S("B5-ISO"), S("499 x 709")}}) {
            const QString pdf = file("paper.pdf");
            const Run run = report({pdf, S("--db"), m_db->path(), S("--settings"),
                                    file("quillo.Ini"), S("--paper"), paper});
            QVERIFY2(run.status == 0, qPrintable(run.err));
            QProcess info;
            info.start(S("pdfinfo"), {pdf});
            info.waitForFinished(30000);
            const QString text = QString::fromUtf8(info.readAllStandardOutput());
            QVERIFY2(text.contains(S("Page size:       ") + size), qPrintable(paper + text));
        }
    }

    // Every column on portrait A5 is too cramped to read, and the tool says so
    // with what would help; four columns of one very long word do not make it
    // worse: on landscape A5 the word is broken and the list reads well.
    void aCrampedListIsSaidWithAdviceThatFits() {
        const QString word = QString(120, u'x');
        test::exec(S("update quillo set Title = '") + word + S("', Writer = '") + word +
                   S("', Publisher = '") + word + S("', Memo = '") + word + S("' where ID = 1"));
        AppSettings all;
        all.FieldVisible.fill(true);
        SaveSettings(file("all.Ini"), all);
        const QStringList args{file("x.pdf"),   S("--db"),    m_db->path(), S("--settings"),
                               file("all.Ini"), S("--paper"), S("A5")};
        const Run portrait = report(args);
        QVERIFY2(portrait.status == 0 && portrait.err.contains(S("--landscape で読みやすく")),
                 qPrintable(portrait.err));
        const Run landscape = report(args + QStringList{S("--landscape")});
        QVERIFY2(landscape.status == 0 && landscape.err.isEmpty(), qPrintable(landscape.err));
        QVERIFY(
            pdfText({S("-bbox")}, file("x.pdf")).contains(QRegularExpression(S(">x+-</word>"))));
    }

    // Settings that hide every column print nothing, and say why.
    void aListWithoutColumnsIsRefused() {
        AppSettings settings;
        settings.FieldVisible.fill(false);
        SaveSettings(file("hidden.Ini"), settings);
        const Run run =
            report({file("x.pdf"), S("--db"), m_db->path(), S("--settings"), file("hidden.Ini")});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(S("一覧に表示する項目がないため、印刷できません。")),
                 qPrintable(run.err));
        QVERIFY(!QFile::exists(file("x.pdf")));
    }

    // The printed list's quality on every paper and orientation, for the sample
    // and for a stress catalogue (page-long titles, five writers, every column,
    // Latin names, half-width kana): no word outside the printable area, no
    // Latin word broken, the end of a page-long title printed; and for the
    // sample with every column on A4 and B5, hardly a line holding one Japanese
    // character alone.
    void theListReadsWellOnEveryPaper() {
        AppSettings all;
        all.FieldVisible.fill(true);
        SaveSettings(file("all.Ini"), all);
        const QStringList latin{S("Gabriel"),       S("Marquez"),     S("Stroustrup"),
                                S("Seidensticker"), S("Programming"), S("Language")};
        QString longTitle;
        for (int i = 0; i < 30; ++i)
            longTitle += S("とても長い題名の第%1部、").arg(i);
        longTitle += S("最後の言葉");
        QString values;
        for (int i = 0; i < 12; ++i)
            values += S("%1(%2, '%3', '%4', 'ｶﾀｶﾅ書房', '2001-02-03', '2002-03-04', 'Subtitle "
                        "With Words', '小説', 'Edward G. Seidensticker', '一行目\n二行目', "
                        "'Gabriel Garcia Marquez', '鈴木 優', '佐藤 美咲', '高橋 一郎')")
                          .arg(i ? S(",") : QString())
                          .arg(1000 + i)
                          .arg(i == 5 ? longTitle : S("The C++ Programming Language 第%1版").arg(i),
                               i % 2 ? S("Bjarne Stroustrup") : S("中村 花子"));
        test::exec(S("insert into quillo (ID, Title, Writer, Publisher, PubDate, BuyDate, SubTitle,"
                     " Kind, Translator, Memo, Writer2, Writer3, Writer4, Writer5) values ") +
                   values);
        for (const char* paper : {"A4", "B5", "A5", "Letter"}) {
            for (const bool landscape : {false, true}) {
                const QString pdf = file("quality.pdf");
                QStringList args{
                    pdf,          S("--db"), m_db->path(), S("--settings"), file("all.Ini"),
                    S("--paper"), S(paper)};
                if (landscape)
                    args << S("--landscape");
                const Run run = report(args);
                const QString where = S("%1%2").arg(S(paper), landscape ? S(" landscape") : S(""));
                QVERIFY2(run.status == 0, qPrintable(where + run.err));
                const QString boxes = pdfText({S("-bbox")}, pdf);
                const QRegularExpressionMatch size =
                    QRegularExpression(S("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"))
                        .match(boxes);
                const double width = size.captured(1).toDouble(),
                             height = size.captured(2).toDouble();
                const double margin = 10 * 72 / 25.4 - 0.5;
                const QRegularExpression word(
                    S("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                      "yMax=\"([0-9.]+)\">([^<]*)</word>"));
                QSet<QString> words;
                QString all;
                for (const QRegularExpressionMatch& w : word.globalMatch(boxes)) {
                    QVERIFY2(w.captured(1).toDouble() >= margin &&
                                 w.captured(3).toDouble() <= width - margin &&
                                 w.captured(2).toDouble() >= margin &&
                                 w.captured(4).toDouble() <= height - margin,
                             qPrintable(where + S(": ") + w.captured(0)));
                    words.insert(w.captured(5));
                    all += w.captured(5);
                }
                // Where the list is too cramped to read (and says so), a name
                // may be broken.
                for (const QString& name : latin)
                    QVERIFY2(!run.err.isEmpty() || words.contains(name),
                             qPrintable(where + S(": ") + name));
                QVERIFY2(all.contains(S("最後の言葉")), qPrintable(where));
            }
        }

        // The sample alone, every column, A4 and JIS B5 portrait.
        test::exec(S("delete from quillo where ID >= 1000"));
        for (const char* paper : {"A4", "B5"}) {
            const QString pdf = file("sample.pdf");
            QCOMPARE(report({pdf, S("--db"), m_db->path(), S("--settings"), file("all.Ini"),
                             S("--paper"), S(paper)})
                         .status,
                     0);
            const auto [lines, lone] = linesOf(pdf);
            QVERIFY(lines > 100);
            QVERIFY2(lone * 100 < 3 * lines,
                     qPrintable(S("%1: %2 of %3 lines").arg(S(paper)).arg(lone).arg(lines)));
        }
    }

    // 2,000 generated books with the default columns take about half the A4
    // a band of three lines a book took (106 pages), one line where a book's
    // texts fit, hardly a line holding one character alone; a long word, a
    // web address and a long name in three books change neither; portrait A5
    // is said to be too cramped; and a book taller than the rest of a page
    // starts there and goes on with its title and "（続き）".
    void aLongListTakesHalfThePaperAndOneLongWordSpoilsNothing() {
        test::exec(S("delete from quillo"));
        bench::generateCatalogue(m_db->path(), 2000);
        const QString pdf = file("list.pdf");
        // What the tool says on stderr; "failed" when it fails.
        auto print = [&](const char* paper) {
            const Run run = report({pdf, S("--db"), m_db->path(), S("--paper"), S(paper)});
            return run.status == 0 ? run.err : S("failed: ") + run.err;
        };
        QCOMPARE(print("A4"), QString());
        const int pages = pagesOf(pdf);
        const Lines plain = linesOf(pdf);
        QVERIFY2(pages <= 60, qPrintable(QString::number(pages)));
        QVERIFY2(plain.lone * 100 <= plain.lines, qPrintable(QString::number(plain.lone)));

        test::exec(
            S("update quillo set Memo = 'https://www.example.co.jp/books/2024/a/b/"
              "index.html?id=12345' where ID = (select min(ID) from quillo)"));
        test::exec(
            S("update quillo set Writer = 'Bartholomew Fitzwilliam-Featherstonehaugh' "
              "where ID = (select min(ID) + 3 from quillo)"));
        test::exec(
            S("update quillo set Title = 'Die Donaudampfschiffahrtsgesellschaftskapitaen' "
              "where ID = (select min(ID) + 6 from quillo)"));
        QCOMPARE(print("A4"), QString());
        const Lines spoilt = linesOf(pdf);
        QVERIFY2(pagesOf(pdf) <= pages + 1, qPrintable(QString::number(pagesOf(pdf))));
        QVERIFY2(spoilt.lone * 100 <= spoilt.lines, qPrintable(QString::number(spoilt.lone)));
        QVERIFY(pdfText({S("-bbox")}, pdf).contains(QRegularExpression(S(">Donau[a-z]+-</word>"))));
        QCOMPARE(print("B5"), QString());
        const QString a5 = print("A5");
        QVERIFY2(a5.contains(S("一文字だけ")) && !a5.startsWith(S("failed")), qPrintable(a5));

        QString memo;
        for (int i = 0; i < 90; ++i)
            memo += S("メモの%1行目\n").arg(i);
        test::exec(S("update quillo set Title = '長いメモの本', Memo = '") + memo +
                   S("' where ID = (select ID from quillo order by ID limit 1 offset 40)"));
        QCOMPARE(print("A4"), QString());
        const QString text = pdfText({}, pdf);
        const QStringList pageTexts = text.split(u'\f');
        const qsizetype starts = pageTexts.indexOf(QRegularExpression(S("(?s).*長いメモの本.*")));
        QVERIFY(starts >= 0 && starts + 1 < pageTexts.size());
        QVERIFY(!pageTexts[starts].contains(S("（続き）")));
        QVERIFY(pageTexts[starts + 1].contains(S("長いメモの本（続き）")));
        // The page it starts on is not left almost empty: most of it is books.
        QVERIFY2(pageTexts[starts].count(S("行目")) >= 10,
                 qPrintable(QString::number(pageTexts[starts].count(S("行目")))));
    }
};

QTEST_GUILESS_MAIN(TestQuilloReport)
#include "tst_quillo_report.moc"
