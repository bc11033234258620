// Western and era date texts, with the beep that is their only failure signal.
#include <QtTest>

#include "edit/date_text.h"

using namespace quillo;
using namespace std::chrono;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestDateText : public QObject {
    Q_OBJECT
    int m_beeps = 0;

private slots:
    void init() {
        m_beeps = 0;
        setDateBeep([this] { ++m_beeps; });
    }

    void westernToEra_data() {
        QTest::addColumn<QString>("western");
        QTest::addColumn<QString>("era");
        QTest::addColumn<int>("beeps");
        QTest::addRow("Heisei 11") << S("1999/03/15") << S("H11/03/15") << 0;
        QTest::addRow("last day of Showa") << S("1989/01/07") << S("S64/01/07") << 0;
        QTest::addRow("first day of Heisei") << S("1989/01/08") << S("H01/01/08") << 0;
        QTest::addRow("last day of Taisho") << S("1926/12/24") << S("T15/12/24") << 0;
        QTest::addRow("first day of Showa") << S("1926/12/25") << S("S01/12/25") << 0;
        QTest::addRow("first day of Taisho") << S("1912/07/30") << S("T01/07/30") << 0;
        QTest::addRow("last day of Meiji") << S("1912/07/29") << S("M45/07/29") << 0;
        QTest::addRow("a 1905 first edition") << S("1905/05/01") << S("M38/05/01") << 0;
        QTest::addRow("first Gregorian day of Meiji") << S("1873/01/01") << S("M06/01/01") << 0;
        QTest::addRow("lunisolar dates stay Western") << S("1872/12/31") << S("") << 0;
        QTest::addRow("last day of Heisei") << S("2019/04/30") << S("H31/04/30") << 0;
        QTest::addRow("first day of Reiwa") << S("2019/05/01") << S("R01/05/01") << 0;
        QTest::addRow("a 2026 purchase") << S("2026/12/07") << S("R08/12/07") << 0;
        QTest::addRow("Reiwa 99") << S("2117/12/31") << S("R99/12/31") << 0;
        QTest::addRow("three-digit era years have no era text") << S("2118/01/01") << S("") << 0;
        QTest::addRow("empty form") << S("    /  /  ") << S("") << 0;
        QTest::addRow("30 February") << S("1999/02/30") << S("") << 1;
        QTest::addRow("month 13") << S("1999/13/01") << S("") << 1;
        QTest::addRow("blanks in it") << S("1999/  /  ") << S("") << 1;
    }
    void westernToEra() {
        QFETCH(QString, western);
        QFETCH(QString, era);
        QFETCH(int, beeps);
        QCOMPARE(WesternToEraText(western), era);
        QCOMPARE(m_beeps, beeps);
    }

    void eraToWestern_data() {
        QTest::addColumn<QString>("era");
        QTest::addColumn<QString>("western");
        QTest::addColumn<int>("beeps");
        QTest::addRow("Heisei 11") << S("H11/03/15") << S("1999/03/15") << 0;
        QTest::addRow("Showa 64") << S("S64/01/07") << S("1989/01/07") << 0;
        QTest::addRow("Taisho 1") << S("T01/07/30") << S("1912/07/30") << 0;
        QTest::addRow("Reiwa 2") << S("R02/05/01") << S("2020/05/01") << 0;
        QTest::addRow("Meiji 38") << S("M38/05/01") << S("1905/05/01") << 0;
        QTest::addRow("Meiji 6, its first Gregorian day") << S("M06/01/01") << S("1873/01/01") << 0;
        QTest::addRow("Meiji before the Gregorian calendar") << S("M05/12/31") << S("") << 1;
        QTest::addRow("Meiji once Taisho had begun") << S("M45/07/30") << S("") << 1;
        QTest::addRow("empty form") << S("   /  /  ") << S("") << 0;
        QTest::addRow("unknown era letter") << S("X11/03/15") << S("") << 1;
        QTest::addRow("blanks in the digits") << S("H1 /03/15") << S("") << 1;
        QTest::addRow("no such day") << S("H11/02/30") << S("") << 1;
        QTest::addRow("era year zero") << S("H00/01/01") << S("") << 1;
        QTest::addRow("before the era began") << S("H01/01/07") << S("") << 1;
        QTest::addRow("last day of Heisei") << S("H31/04/30") << S("2019/04/30") << 0;
        QTest::addRow("once the next era had begun") << S("H31/05/01") << S("") << 1;
        QTest::addRow("a Heisei year that never was") << S("H81/03/15") << S("") << 1;
        QTest::addRow("Western text") << S("1999/03/15") << S("") << 1;
    }
    void eraToWestern() {
        QFETCH(QString, era);
        QFETCH(QString, western);
        QFETCH(int, beeps);
        QCOMPARE(EraToWesternText(era), western);
        QCOMPARE(m_beeps, beeps);
    }

    void everyEraDayTravelsThereAndBack() {
        const sys_days first = year(1873) / January / 1;
        const sys_days last = year(2100) / December / 31;
        const sys_days noDate = year(1899) / December / 30;  // the stored "no date"
        for (sys_days d = first; d <= last; d += days(1)) {
            if (d == noDate)
                continue;
            const QString western = FormatDateText(year_month_day(d));
            const QString era = WesternToEraText(western);
            if (EraToWesternText(era) != western)
                QFAIL(qPrintable(western + QStringLiteral(" -> ") + era));
        }
        QCOMPARE(m_beeps, 0);
    }

    void formatAndEmptyForms() {
        QCOMPARE(FormatDateText(std::nullopt), S("    /  /  "));
        QCOMPARE(FormatDateText(year(1899) / December / 30), S("    /  /  "));
        QCOMPARE(FormatDateText(year(1999) / March / 5), S("1999/03/05"));
        QCOMPARE(FormatDateText(S("")), S("    /  /  "));
        QCOMPARE(FormatDateText(S("2001/02/03")), S("2001/02/03"));
        QVERIFY(IsEmptyDateText(S("    /  /  ")));
        QVERIFY(IsEmptyDateText(S("   /  /  ")));
        QVERIFY(!IsEmptyDateText(S(" ")));
        QVERIFY(!IsEmptyDateText(S("")));
        QVERIFY(!IsEmptyDateText(S("    /  /   ")));
    }

    void textHandedToTheStore() {
        QCOMPARE(DateTextToStore(S("    /  /  "), DateForm::Western), S(""));
        QCOMPARE(DateTextToStore(S("   /  /  "), DateForm::Era), S(""));
        QCOMPARE(DateTextToStore(S("1999/02/30"), DateForm::Western),
                 S("1999/02/30"));  // the store refuses it
        QCOMPARE(DateTextToStore(S("H11/03/15"), DateForm::Era), S("1999/03/15"));
        QCOMPARE(m_beeps, 0);
        QCOMPARE(DateTextToStore(S("H  /03/15"), DateForm::Era), S(""));
        QCOMPARE(m_beeps, 1);
    }
};

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_date_text.moc"
