// The report laid out with real fonts on real paper sizes: every column inside
// the printable area, dates and names whole, headings above their rule, pages
// found a piece at a time.
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

#include "print/print_report.h"
#include "print/report_renderer.h"

using namespace quillo;

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

// Books held in memory, by row and field number.
class VectorRows : public ReportRows {
public:
    std::vector<std::array<QString, kFieldCount>> rows;
    int rowCount() const override { return static_cast<int>(rows.size()); }
    QString text(int row, int field) const override {
        return rows[static_cast<size_t>(row)][static_cast<size_t>(field)];
    }
};

VectorRows sampleBooks(int count) {
    VectorRows books;
    const QStringList names{S("中村 花子"), S("石川 智子"), S("Jean-Baptiste Poquelin"),
                            S("長谷川 一二三四五")};
    for (int i = 0; i < count; ++i) {
        std::array<QString, kFieldCount> b;
        b[FieldNo::ID] = QString::number(100000 + i);
        b[FieldNo::Title] =
            i % 3 == 0 ? S("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ")
                       : S("こころ");
        b[FieldNo::Writer] = names[i % names.size()];
        b[FieldNo::Publisher] = S("岩波書店");
        b[FieldNo::PubDate] = S("2004/09/04");
        b[FieldNo::BuyDate] = i % 2 ? S("1999/12/31") : QString();
        b[FieldNo::SubTitle] = S("副題");
        b[FieldNo::Kind] = S("小説");
        b[FieldNo::Translator] = i % 4 == 0 ? S("Edward G. Seidensticker") : QString();
        b[FieldNo::Memo] = S("メモ");
        // Writer2 to Writer5 stay empty in every book.
        books.rows.push_back(b);
    }
    return books;
}

ReportSetup setupFor(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation, int columns,
                     bool withId) {
    AppSettings settings;
    settings.FieldVisible.fill(false);
    settings.FieldVisible[FieldNo::ID] = withId;
    for (int i = 1; i <= columns; ++i)
        settings.FieldVisible[static_cast<size_t>(i)] = true;
    const QPageLayout page(QPageSize(paper), orientation, QMarginsF(10, 10, 10, 10),
                           QPageLayout::Millimeter);
    return reportSetup(settings, page);
}

}  // namespace

class TestReportPages : public QObject {
    Q_OBJECT
private slots:
    void columnsStayInsideThePrintableAreaAndDatesAndNamesStayWhole_data() {
        QTest::addColumn<int>("paper");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("withId");
        const std::pair<const char*, QPageSize::PageSizeId> papers[] = {
            {"A4", QPageSize::A4}, {"A5", QPageSize::A5}, {"Letter", QPageSize::Letter}};
        for (const auto& [name, paper] : papers) {
            for (int orientation : {int(QPageLayout::Portrait), int(QPageLayout::Landscape)}) {
                for (int columns : {1, 3, 5, 9, 13}) {
                    for (bool withId : {false, true})
                        QTest::addRow(
                            "%s %s %d%s", name,
                            orientation == QPageLayout::Portrait ? "portrait" : "landscape",
                            columns, withId ? " +ID" : "")
                            << int(paper) << orientation << columns << withId;
                }
            }
        }
    }
    void columnsStayInsideThePrintableAreaAndDatesAndNamesStayWhole() {
        QFETCH(int, paper);
        QFETCH(int, orientation);
        QFETCH(int, columns);
        QFETCH(bool, withId);
        const VectorRows books = sampleBooks(40);
        const ReportSetup setup = setupFor(QPageSize::PageSizeId(paper),
                                           QPageLayout::Orientation(orientation), columns, withId);
        const ReportRenderer report(books, setup);
        const ReportLayout& layout = report.layout();
        const ReportFont body(layoutFont(setup.recordFont, std::min(1.0, layout.scale)));
        for (int i = 0; i < kFieldCount; ++i) {
            const ReportColumn& column = layout.columns[static_cast<size_t>(i)];
            QCOMPARE(column.enabled, setup.visible[static_cast<size_t>(i)]);
            if (!column.enabled)
                continue;
            QVERIFY2(
                column.left >= 0 && column.left + column.width <= setup.printable.width() + 0.01,
                qPrintable(QStringLiteral("column %1 at %2+%3 of %4")
                               .arg(i)
                               .arg(column.left)
                               .arg(column.width)
                               .arg(setup.printable.width())));
            if (isDateField(i))
                QVERIFY(body.metrics.horizontalAdvance(S("2004/09/04")) <= column.width);
            if (i == FieldNo::ID)
                QVERIFY(body.metrics.horizontalAdvance(S("100039")) <= column.width);
            // A heading's lines end above the rule.
            const ReportFont heading(layoutFont(
                [] {
                    QFont f(S("ＭＳ Ｐゴシック"));
                    f.setPointSizeF(8);
                    f.setBold(true);
                    return f;
                }(),
                std::min(1.0, layout.scale)));
            const qsizetype lines =
                wrapText(setup.labels[static_cast<size_t>(i)], column.width, heading).size();
            QVERIFY(ReportRenderer::kHeadingTop + lines * heading.metrics.lineSpacing() <=
                    report.headingRuleY());
            // A name breaks only at its blank, when its words fit the column.
            if (i == FieldNo::Writer &&
                body.metrics.horizontalAdvance(S("長谷川")) <= column.width) {
                for (const QString& line : wrapText(S("中村 花子"), column.width, body))
                    QVERIFY2(line == S("中村 花子") || line == S("中村") || line == S("花子"),
                             qPrintable(line));
            }
        }
        QCOMPARE(layout.readable, setup.recordFont.pointSizeF() * layout.scale >= kReadablePoints &&
                                      layout.loneShare <= kMostLoneShare);
    }

    void emptyColumnsTakeLessRoomThanFullOnes() {
        const VectorRows books = sampleBooks(5);
        const ReportRenderer report(books,
                                    setupFor(QPageSize::A4, QPageLayout::Portrait, 13, false));
        const ReportLayout& layout = report.layout();
        QVERIFY(layout.columns[FieldNo::Writer2].width < layout.columns[FieldNo::Writer].width);
        QVERIFY(layout.columns[FieldNo::Writer5].width < layout.columns[FieldNo::Publisher].width);
        QVERIFY(layout.readable);  // the default columns read well on portrait A4
    }

    void pagesAreFoundAPieceAtATimeAndAgreeWithAWholeCount() {
        const VectorRows books = sampleBooks(500);
        const ReportSetup setup = setupFor(QPageSize::A4, QPageLayout::Portrait, 13, false);
        ReportRenderer whole(books, setup);
        while (!whole.paginate(1000)) {
        }
        ReportRenderer pieces(books, setup);
        QVERIFY(pieces.ensurePage(2));
        QVERIFY(!pieces.paginated());
        QVERIFY(pieces.pageCount() < whole.pageCount());
        while (!pieces.paginate(7)) {
        }
        QCOMPARE(pieces.pageCount(), whole.pageCount());
        QVERIFY(!pieces.ensurePage(whole.pageCount() + 1));
        // A book taller than a page takes the pages its lines need, found a
        // piece at a time or all at once alike.
        VectorRows tall = sampleBooks(3);
        tall.rows[1][FieldNo::Title] = QString(3000, QChar(0x672C));
        ReportRenderer tallReport(tall, setup);
        tallReport.paginate(10);
        QVERIFY(tallReport.pageCount() >= 4);
    }

    // Rendered, the row of the rule under the headings is dark and nothing of a
    // heading's text reaches it.
    void theRuleRowIsClearOfHeadings() {
        const VectorRows books = sampleBooks(3);
        AppSettings settings;
        settings.FieldLabels[FieldNo::PubDate] = S("初版発行日（奥付に書かれた日）");
        const QPageLayout page(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                               QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
        ReportRenderer report(books, reportSetup(settings, page));
        report.paginate(10);
        const double zoom = 2;
        QImage image((report.setup().printable.size() * zoom).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.scale(zoom, zoom);
            report.paintPage(painter, 1);
        }
        const int rule = qRound(report.headingRuleY() * zoom);
        auto darkIn = [&](int y) {
            int dark = 0;
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 128;
            return dark;
        };
        QVERIFY(darkIn(rule) > image.width() * 9 / 10);  // the rule runs across
        // Just above the rule nothing is drawn: the headings ended higher up.
        QCOMPARE(darkIn(rule - 3), 0);
        QVERIFY(report.headingRuleY() > 64);  // the long heading took a second line
    }

    // Wrapping keeps every character and blank: a word broken because it is
    // wider than the column still has its blank before the next word.
    void wrappingLosesNoBlank() {
        const ReportFont font(layoutFont(QFont(S("IPAPGothic"), 9)));
        const QString text = S("A Subtitle With Words");
        const QStringList words = text.split(u' ');
        for (double width = 10; width <= 120; width += 3) {
            for (QString line : wrapText(text, width, font)) {
                if (line.endsWith(u'-'))  // a word broken inside
                    line.chop(1);
                for (const QString& token : line.split(u' ', Qt::SkipEmptyParts))
                    QVERIFY2(std::any_of(words.begin(), words.end(),
                                         [&](const QString& w) { return w.contains(token); }),
                             qPrintable(QStringLiteral("%1 at %2").arg(line).arg(width)));
            }
        }
    }

    // A line of one Japanese character takes a neighbour along ("第11/巻" is
    // printed "第/11巻", "森をめぐっ/て" "森をめ/ぐって"), at every width where the
    // line above keeps two characters: nothing is lost, every line fits, and no
    // line starts with a small kana.
    void aJapaneseCharacterIsNotLeftAlone() {
        const ReportFont font(layoutFont(QFont(S("IPAPGothic"), 9)));
        const double em = font.metrics.horizontalAdvance(QChar(0x3042));
        for (const QString& text :
             {S("海辺の家族第11巻"), S("森をめぐって"), S("岩波書店"), S("東京創元社の本")}) {
            for (double width = 2 * em; width < font.metrics.horizontalAdvance(text);
                 width += em / 4) {
                const QStringList lines = wrapText(text, width, font);
                const QString where = lines.join(u'/') + S(" at %1").arg(width / em);
                QCOMPARE(lines.join(QString()), text);
                for (qsizetype i = 0; i < lines.size(); ++i) {
                    QVERIFY2(font.metrics.horizontalAdvance(lines[i]) <= width, qPrintable(where));
                    QVERIFY2(!S("っゃゅょ").contains(lines[i][0]), qPrintable(where));
                    // A small kana goes down with the character before it.
                    const bool room = i > 0 && (lines[i - 1].size() >= 4 ||
                                                (lines[i - 1].size() == 3 &&
                                                 !S("っゃゅょ").contains(lines[i - 1].back())));
                    if (room)
                        QVERIFY2(lines[i].size() > 1, qPrintable(where));
                }
            }
        }
    }

    // A memo's line breaks start new lines and its tabs print as blanks.
    void memoLinesAndTabsArePrinted() {
        const ReportFont font(layoutFont(QFont(S("IPAPGothic"), 9)));
        QCOMPARE(wrapField(S("一行目のメモ\r\n二行目\tのメモ"), 500, font),
                 (QStringList{S("一行目のメモ"), S("二行目 のメモ")}));
        QCOMPARE(wrapField(S("上\n\n下"), 500, font), (QStringList{S("上"), S(""), S("下")}));
    }

    // A large record font scaled far down still has headings one can read.
    void headingsStayReadableWhenTheBodyShrinks() {
        const VectorRows books = sampleBooks(20);
        ReportSetup setup = setupFor(QPageSize::A5, QPageLayout::Portrait, 13, true);
        setup.recordFont.setPointSizeF(20);
        const ReportRenderer report(books, setup);
        QVERIFY(report.layout().scale < 0.5);
        QCOMPARE(report.headingPoints(), kLeastHeadingPoints);
    }

    // A book taller than a page goes on over the next pages: every line of it
    // is printed, none over the footer or off the paper, and the next book
    // follows its end.
    void aRowTallerThanAPageGoesOnOverTheNextPages() {
        if (QStandardPaths::findExecutable(S("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        VectorRows books = sampleBooks(3);
        QString title;
        for (int i = 0; i < 120; ++i)
            title += S("長い題名の%1章、").arg(i, 3, 10, QLatin1Char('0'));
        title += S("最後の言葉");
        books.rows[1][FieldNo::Title] = title;
        books.rows[2][FieldNo::Title] = S("Zebra");
        ReportSetup setup = setupFor(QPageSize::A5, QPageLayout::Portrait, 13, false);
        ReportRenderer report(books, setup);
        while (!report.paginate(100)) {
        }
        QVERIFY(report.pageCount() >= 3);

        QTemporaryDir folder;
        const QString pdf = folder.filePath(S("tall.pdf"));
        QPdfWriter writer(pdf);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Portrait,
                                         QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        QCOMPARE(paintReport(report, writer, 1, 9999), PaintResult::Done);
        QProcess text;
        text.start(S("pdftotext"), {S("-bbox"), pdf, S("-")});
        text.waitForFinished(60000);
        const QString boxes = QString::fromUtf8(text.readAllStandardOutput());
        QString words;
        const QRegularExpression word(
            S("<word xMin=\"[0-9.]+\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"([0-9.]+)\">"
              "([^<]*)</word>"));
        const double pageHeight = QPageSize(QPageSize::A5).size(QPageSize::Point).height();
        const double margin = 10 * 72 / 25.4;
        for (const QRegularExpressionMatch& m : word.globalMatch(boxes)) {
            words += m.captured(3);
            QVERIFY2(m.captured(2).toDouble() <= pageHeight - margin + 0.5,
                     qPrintable(m.captured(0)));
        }
        QVERIFY(words.contains(S("最後の言葉")));  // the end of the long title
        QVERIFY(words.contains(S("長い題名の119章")));
        QVERIFY(words.contains(S("Zebra")));  // the book after it
    }
};

QTEST_MAIN(TestReportPages)
#include "tst_report_pages.moc"
