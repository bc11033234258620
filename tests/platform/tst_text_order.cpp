// JIS order and the fuzzy search's folding: what a Japanese reader expects of a
// sorted list and of a search typed on a Linux input method.
#include <QtTest>

#include "engine/connection.h"
#include "engine/statement.h"
#include "platform/jis_order.h"
#include "platform/search_fold.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestTextOrder : public QObject {
    Q_OBJECT

    static int jis(const QString& a, const QString& b) {
        return JisOrder::instance().compare(a.toUtf8(), b.toUtf8());
    }

private slots:
    void jisOrderSortsAsShiftJisDoes_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addRow("first-level kanji by reading") << S("伊藤") << S("井上");
        QTest::addRow("井上 before 中村") << S("井上") << S("中村");
        QTest::addRow("ASCII before kana") << S("Z") << S("あ");
        QTest::addRow("hiragana before half-width kana (byte order)") << S("ん") << S("ｱ");
        QTest::addRow("hiragana before katakana") << S("ん") << S("ア");
        QTest::addRow("katakana before kanji") << S("ヴ") << S("亜");
        QTest::addRow("second level after the first") << S("腕") << S("弌");
        QTest::addRow("a prefix first") << S("中村") << S("中村 花子");
        QTest::addRow("an accented Latin letter as its plain one")
            << S("Gödel, Kurt") << S("Goethe");
        QTest::addRow("Å among the A's") << S("Åsa Larsson") << S("B");
        QTest::addRow("outside CP932 after everything") << S("黑") << S("😀");
        QTest::addRow("outside CP932 by code point") << S("∯") << S("😀");
    }
    void jisOrderSortsAsShiftJisDoes() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QVERIFY(jis(before, after) < 0);
        QVERIFY(jis(after, before) > 0);
        QCOMPARE(jis(before, before), 0);
    }

    void theWaveDashSortsAsTheFormCp932Writes() {
        QCOMPARE(jis(S("A〜B"), S("A～B")), 0);
        QCOMPARE(JisOrder::instance().weight(0x3042), 0x82A0u);  // あ
        QCOMPARE(JisOrder::instance().weight('A'), 0x4100u);
    }

    // The collation on a real connection, as the list's ORDER BY names it.
    void theDatabaseSortsByTheCollation() {
        test::TempBookDb db;
        test::exec(
            S("insert into quillo (ID, Writer) values (1, '中村'), (2, '井上'), (3, '伊藤'),"
              " (4, NULL), (5, 'Abe')"));
        Connection connection(S("book"));
        Statement byJis(connection.handle(),
                        {S("SELECT ID FROM quillo ORDER BY Writer COLLATE JIS, ID")});
        QList<qint64> ids;
        while (byJis.step())
            ids << byJis.integerAt(0);
        QCOMPARE(ids, (QList<qint64>{4, 5, 3, 2, 1}));
        Statement folded(connection.handle(),
                         {S("SELECT count(*) FROM quillo WHERE FOLD(Writer) LIKE '%abe%'")});
        QVERIFY(folded.step());
        QCOMPARE(folded.integerAt(0), 1);
    }

    void foldingFindsWhatWasWrittenAnotherWay_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("found");
        QTest::addRow("half-width kana") << S("カナダ旅行") << S("ｶﾅﾀﾞ") << true;
        QTest::addRow("full-width letters") << S("ABC殺人事件") << S("ＡＢＣ") << true;
        QTest::addRow("full-width digits") << S("第10巻") << S("１０") << true;
        QTest::addRow("hiragana for katakana") << S("ハリー・ポッター") << S("はりー") << true;
        QTest::addRow("katakana for hiragana") << S("ひらがな") << S("ヒラガナ") << true;
        QTest::addRow("ASCII case") << S("Kokoro") << S("kOKORO") << true;
        QTest::addRow("wave dash") << S("東京～大阪") << S("東京〜大阪") << true;
        QTest::addRow("minus sign") << S("Ａ－Ｂ") << S("A−B") << true;
        QTest::addRow("voiced mark composes") << S("ガイド") << S("ｶﾞｲﾄﾞ") << true;
        QTest::addRow("voicing still counts") << S("カイト") << S("ｶﾞｲﾄﾞ") << false;
        QTest::addRow("a different kanji") << S("中村") << S("仲村") << false;
        QTest::addRow("full-width percent stays literal") << S("100%") << S("100％") << false;
        // Two-byte signs fold to three-byte ones: the folded text outgrows its bytes.
        QTest::addRow("cent and pound signs") << S("¢£¬¢£¬") << S("￠￡￢") << true;
        QTest::addRow("é found by e") << S("Émile Zola") << S("emile") << true;
        QTest::addRow("ß found by ss") << S("Die Straße") << S("strasse") << true;
        QTest::addRow("accents typed find plain letters") << S("Cafe") << S("Café") << true;
        QTest::addRow("ø and æ") << S("Søren Kierkegaard, Æsop") << S("soren") << true;
        QTest::addRow("long vowel kept apart from a hyphen")
            << S("スーパー") << S("ス-パ-") << false;
    }
    void foldingFindsWhatWasWrittenAnotherWay() {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, found);
        QCOMPARE(foldForSearch(stored).contains(foldForSearch(typed)), found);
        // The database's function folds the same way.
        QCOMPARE(QString::fromUtf8(foldForSearchUtf8(stored.toUtf8())), foldForSearch(stored));
    }
};

QTEST_GUILESS_MAIN(TestTextOrder)
#include "tst_text_order.moc"
