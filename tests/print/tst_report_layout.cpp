// The report's column arithmetic: fixed columns keep their width, empty ones take
// little, text columns their minimum and then a share of the rest by how much
// more each would like (as a browser lays out a table), what is left by the
// list's proportions, and nothing ever runs past the printable width.
#include <QtTest>

#include "print/report_layout.h"

using namespace quillo;

namespace {

ReportColumnNeeds flexible(int grid, double headingWord = 30, double preferred = 0) {
    ReportColumnNeeds n;
    n.visible = true;
    n.gridWidth = grid;
    n.headingWidth = headingWord;
    n.headingWord = headingWord;
    n.preferredWidth = preferred;
    return n;
}

ReportColumnNeeds fixed(double width) {
    ReportColumnNeeds n = flexible(80);
    n.fixedWidth = width;
    return n;
}

ReportColumnNeeds empty(double heading) {
    ReportColumnNeeds n = flexible(100, heading / 4);
    n.empty = true;
    n.headingWidth = heading;
    return n;
}

double rightEdge(const ReportLayout& layout) {
    double right = 0;
    for (const ReportColumn& c : layout.columns)
        if (c.enabled)
            right = std::max(right, c.left + c.width);
    return right;
}

}  // namespace

class TestReportLayout : public QObject {
    Q_OBJECT
private slots:
    void unitsFollowThePixelsPerInch() {
        QCOMPARE(qRound(layoutUnits(2100) * 10), 7937);  // A4 width
        QCOMPARE(qRound(layoutUnits(100) * 10), 378);    // a 10 mm margin
    }

    void fixedAndEmptyColumnsTakeTheirNeedAndTheRestIsShared() {
        ReportLayoutInput in;
        in.width = 718;
        in.fields[FieldNo::Title] = flexible(200);
        in.fields[FieldNo::Writer] = flexible(100);
        in.fields[FieldNo::PubDate] = fixed(62);
        in.fields[FieldNo::Writer2] = empty(48);
        const ReportLayout layout = computeReportLayout(in);
        QCOMPARE(layout.scale, 1.0);
        QVERIFY(layout.readable);
        QCOMPARE(layout.columns[FieldNo::PubDate].width, 62.0);
        QCOMPARE(layout.columns[FieldNo::Writer2].width, 30.0);  // its heading on two lines
        // Every text fits on its line: what is left goes by the list's proportions.
        const double rest = 718 - 3 * kReportGap - 62 - 30 - 2 * 30;
        QCOMPARE(layout.columns[FieldNo::Title].width, 30 + rest * 2 / 3);
        QCOMPARE(layout.columns[FieldNo::Writer].width, 30 + rest / 3);
        QCOMPARE(layout.columns[FieldNo::Title].left, 0.0);
        QCOMPARE(layout.columns[FieldNo::Writer].left, 30 + rest * 2 / 3 + kReportGap);
        QCOMPARE(rightEdge(layout), 718.0);
        QVERIFY(!layout.columns[FieldNo::ID].enabled);
    }

    void aSmallShareIsRaisedToWhatTheColumnNeeds() {
        ReportLayoutInput in;
        in.width = 300;
        in.em = 12;
        in.fields[FieldNo::Title] = flexible(1000);
        in.fields[FieldNo::Kind] = flexible(1);  // a sliver by proportion
        const ReportLayout layout = computeReportLayout(in);
        QVERIFY(layout.columns[FieldNo::Kind].width >= 30.0);  // its heading's word
        QVERIFY(layout.columns[FieldNo::Kind].width < 31.0);
        QCOMPARE(rightEdge(layout), 300.0);
    }

    // A column of short texts (names) keeps them on one line when the room
    // allows, even against a larger proportion; long texts only get their share.
    void shortTextsStayOnOneLineWhereTheRoomAllows() {
        ReportLayoutInput in;
        in.width = 400;
        in.em = 12;
        in.fields[FieldNo::Title] = flexible(900, 30, 300);  // long: wraps anyway
        in.fields[FieldNo::Writer] = flexible(100, 30, 61);  // "中村 花子"
        const ReportLayout roomy = computeReportLayout(in);
        QVERIFY(roomy.columns[FieldNo::Writer].width >= 61.0);  // both on one line, and
        QVERIFY(roomy.columns[FieldNo::Title].width >= 300.0);  // the rest by the list
        QCOMPARE(rightEdge(roomy), 400.0);
        in.width = 80;  // no room: each column gets what it cannot do without
        const ReportLayout tight = computeReportLayout(in);
        QVERIFY(tight.columns[FieldNo::Writer].width < 61);
        QVERIFY(rightEdge(tight) <= 80 + 1e-9);
    }

    // A long title is not starved by columns of short names, nor by a column
    // most books leave empty, however wide the list shows them; no column goes
    // below its widest word.
    void longTextsShareByWhatTheyWouldLikeNotByTheList() {
        ReportLayoutInput in;
        in.width = 420;
        in.em = 12;
        in.fields[FieldNo::Title] = flexible(10, 30, 400);
        in.fields[FieldNo::Writer] = flexible(300, 30, 60);
        in.fields[FieldNo::Writer2] = flexible(300, 30, 60);
        in.fields[FieldNo::Writer2].filled = 0.05;
        in.fields[FieldNo::Translator] = flexible(300, 30, 150);
        in.fields[FieldNo::Translator].minWidth = 90;  // "Seidensticker"
        const ReportLayout layout = computeReportLayout(in);
        QCOMPARE(layout.scale, 1.0);
        QVERIFY(layout.columns[FieldNo::Translator].width >= 90);
        QVERIFY(layout.columns[FieldNo::Title].width > 3 * layout.columns[FieldNo::Writer2].width);
        QVERIFY(layout.columns[FieldNo::Writer].width > layout.columns[FieldNo::Writer2].width);
        QCOMPARE(rightEdge(layout), 420.0);
    }

    void columnsThatCannotFitScaleDownAndSaySoBelowSevenPoints_data() {
        QTest::addColumn<int>("dates");
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("readable");
        QTest::addRow("fits") << 4 << 718.0 << true;
        QTest::addRow("a little tight") << 12 << 718.0 << true;
        QTest::addRow("far too many") << 13 << 300.0 << false;
    }
    void columnsThatCannotFitScaleDownAndSaySoBelowSevenPoints() {
        QFETCH(int, dates);
        QFETCH(double, width);
        QFETCH(bool, readable);
        ReportLayoutInput in;
        in.width = width;
        in.fontPoints = 9;
        for (int i = 1; i <= dates; ++i)
            in.fields[static_cast<size_t>(i)] = fixed(62);
        const ReportLayout layout = computeReportLayout(in);
        QCOMPARE(layout.readable, readable);
        QVERIFY(layout.scale <= 1.0);
        QVERIFY(rightEdge(layout) <= width + 1e-9);
        if (!readable)
            QVERIFY(9 * layout.scale < kReadablePoints);
    }

    // Wrapping the books' texts decides the last word: width moves to a column
    // of names that would leave a given name alone on a line ("中村/彩"), from
    // a title column that keeps its depth, and the columns still end inside
    // the page; when no move helps, nothing moves.
    void widthsArePolishedByHowTheTextsWrap() {
        ReportLayoutInput in;
        in.width = 200;
        in.em = 12;
        in.leastRowLines = 3;
        in.fields[FieldNo::Title] = flexible(300, 24, 600);
        in.fields[FieldNo::Writer] = flexible(10, 24, 100);
        const int books = 20;
        auto wraps = [&](int field, double width) {
            ReportColumnWrap wrap;
            for (int b = 0; b < books; ++b) {
                if (field == FieldNo::Writer) {
                    wrap.lines.push_back(width < 44 ? 2 : 1);
                    wrap.lone += width < 44 ? 1 : 0;
                } else {
                    // Titles of 500 units: four lines from 125 to 166.
                    wrap.lines.push_back(static_cast<int>(std::ceil(500 / width)));
                }
            }
            return wrap;
        };
        const ReportLayout plain = computeReportLayout(in);
        QVERIFY(plain.columns[FieldNo::Writer].width < 44);
        in.measure = wraps;
        const ReportLayout polished = computeReportLayout(in);
        QVERIFY2(polished.columns[FieldNo::Writer].width >= 44,
                 qPrintable(QString::number(polished.columns[FieldNo::Writer].width)));
        QVERIFY(polished.columns[FieldNo::Title].width >= 125);
        QVERIFY(rightEdge(polished) <= in.width + 1e-6);

        in.measure = [&](int, double) {
            ReportColumnWrap wrap;
            wrap.lines.assign(books, 1);
            return wrap;
        };
        const ReportLayout still = computeReportLayout(in);
        QCOMPARE(still.columns[FieldNo::Writer].width, plain.columns[FieldNo::Writer].width);
        QCOMPARE(still.columns[FieldNo::Title].width, plain.columns[FieldNo::Title].width);
    }

    void zeroWidthsShareEquallyAndNoColumnsLayNothing() {
        ReportLayoutInput in;
        in.width = 500;
        in.fields[FieldNo::Title] = flexible(0);
        in.fields[FieldNo::Writer] = flexible(0);
        const ReportLayout layout = computeReportLayout(in);
        QCOMPARE(layout.columns[FieldNo::Title].width, layout.columns[FieldNo::Writer].width);
        const ReportLayout none = computeReportLayout(ReportLayoutInput{});
        for (const ReportColumn& column : none.columns)
            QVERIFY(!column.enabled);
    }
};

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_report_layout.moc"
