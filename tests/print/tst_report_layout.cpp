// Where the report's columns go: their share of the ruled width, and never past it.
#include <QtTest>

#include "print/report_layout.h"

using namespace quillo;

namespace {

const std::array<int, kFieldCount> kDefaultWidths = {10,  200, 100, 100, 80,  80,  100,
                                                     100, 100, 80,  100, 100, 100, 100};
std::array<bool, kFieldCount> allButId() {
    std::array<bool, kFieldCount> v{};
    v.fill(true);
    v[FieldNo::ID] = false;
    return v;
}

}  // namespace

class TestReportLayout : public QObject {
    Q_OBJECT
private slots:
    void unitsFollowThePixelsPerInch() {
        QCOMPARE(qRound(layoutUnits(2100) * 10), 7937);  // A4 width
        QCOMPARE(qRound(layoutUnits(100) * 10), 378);    // a 10 mm margin
    }

    void defaultColumnsShareTheRuledWidth() {
        const ReportLayout layout =
            computeReportLayout(allButId(), kDefaultWidths, layoutUnits(2100), layoutUnits(100));
        QCOMPARE(layout.lineLeft, 26);
        QCOMPARE(layout.lineWidth, 717);
        QVERIFY(!layout.columns[FieldNo::ID].enabled);
        QCOMPARE(layout.columns[FieldNo::Title].left, 36);
        QCOMPARE(layout.columns[FieldNo::Title].width, 96);   // 647 * 200 / 1340
        QCOMPARE(layout.columns[FieldNo::Writer].left, 137);  // after the title and a gap
        QCOMPARE(layout.columns[FieldNo::Writer].width, 48);
        int right = 0;
        for (const ReportColumn& column : layout.columns) {
            if (column.enabled)
                right = std::max(right, column.left + column.width);
        }
        QVERIFY(right <= layout.lineLeft + layout.lineWidth);  // nothing runs off the paper
        QVERIFY(right > layout.lineLeft + layout.lineWidth - 20);
    }

    void oneColumnTakesTheWholeWidth() {
        std::array<bool, kFieldCount> only{};
        only[FieldNo::Title] = true;
        const ReportLayout layout =
            computeReportLayout(only, kDefaultWidths, layoutUnits(2100), layoutUnits(100));
        QCOMPARE(layout.columns[FieldNo::Title].left, 36);
        QCOMPARE(layout.columns[FieldNo::Title].width, 707);
    }

    void landscapeWidensEveryColumn() {
        const ReportLayout portrait =
            computeReportLayout(allButId(), kDefaultWidths, layoutUnits(2100), layoutUnits(100));
        const ReportLayout landscape =
            computeReportLayout(allButId(), kDefaultWidths, layoutUnits(2970), layoutUnits(100));
        QCOMPARE(landscape.lineWidth, 1046);
        for (int i = 1; i < kFieldCount; ++i)
            QVERIFY(landscape.columns[static_cast<size_t>(i)].width >
                    portrait.columns[static_cast<size_t>(i)].width);
    }

    void theIdColumnAndZeroWidths() {
        std::array<bool, kFieldCount> idAndTitle{};
        idAndTitle[FieldNo::ID] = true;
        idAndTitle[FieldNo::Title] = true;
        std::array<int, kFieldCount> zero{};
        const ReportLayout layout =
            computeReportLayout(idAndTitle, zero, layoutUnits(2100), layoutUnits(100));
        QVERIFY(layout.columns[FieldNo::ID].enabled);
        QCOMPARE(layout.columns[FieldNo::ID].width,
                 layout.columns[FieldNo::Title].width);  // an equal share
        const ReportLayout none =
            computeReportLayout({}, kDefaultWidths, layoutUnits(2100), layoutUnits(100));
        for (const ReportColumn& column : none.columns)
            QVERIFY(!column.enabled);
    }
};

QTEST_GUILESS_MAIN(TestReportLayout)
#include "tst_report_layout.moc"
