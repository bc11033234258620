// Readings as text: kana folded to katakana, 五十音 order, and romaji that
// finds a reading however its long vowels are typed.
#include <QtTest>
#include <algorithm>

#include "platform/kana_order.h"
#include "platform/kana_text.h"
#include "platform/romaji.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestReadingText : public QObject {
    Q_OBJECT
private slots:
    void kanaBecomesKatakana_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<bool>("kanaOnly");
        QTest::newRow("hiragana") << S("なつめ そうせき") << S("ナツメ ソウセキ") << true;
        QTest::newRow("half-width") << S("ﾅﾂﾒ ｿｳｾｷ") << S("ナツメ ソウセキ") << true;
        QTest::newRow("voiced marks") << S("ｶﾞｯｺｳ ﾊﾟﾝ ｳﾞｧ") << S("ガッコウ パン ヴァ") << true;
        QTest::newRow("a mark on no kana") << S("ﾝﾞ") << S("ン゛") << true;
        QTest::newRow("iteration") << S("いすゞ") << S("イスヾ") << true;
        QTest::newRow("long vowel, dot") << S("すーぱー・まりお") << S("スーパー・マリオ") << true;
        QTest::newRow("kanji kept") << S("夏目 そうせき") << S("夏目 ソウセキ") << false;
        QTest::newRow("latin kept") << S("C++ 入門") << S("C++ 入門") << false;
        QTest::newRow("no kana") << S("・ ") << S("・ ") << false;
        QTest::newRow("empty") << QString() << QString() << false;
    }
    void kanaBecomesKatakana() {
        QFETCH(QString, text);
        QFETCH(QString, reading);
        QFETCH(bool, kanaOnly);
        QCOMPARE(katakanaReading(text), reading);
        QCOMPARE(isKanaText(text), kanaOnly);
    }

    // Shuffled and sorted by key, the readings come back in dictionary order.
    void readingsSortInGojuonOrder() {
        const QStringList ordered{S("アイ"),
                                  S("アイウ"),
                                  S("アベ コウボウ"),
                                  S("イノウエ ヤスシ"),
                                  S("エドガワ ランポ"),
                                  S("カ"),
                                  S("ガ"),
                                  S("カア"),
                                  S("カアド"),
                                  S("カード"),
                                  S("シャ"),
                                  S("シヤ"),
                                  S("ナツメ"),
                                  S("ナツメ ソウセキ"),
                                  S("ナツメヤ"),
                                  S("ハ"),
                                  S("バ"),
                                  S("パ"),
                                  S("ヒガシノ ケイゴ"),
                                  S("ミヤベ ミユキ"),
                                  S("ワタヤ リサ"),
                                  S("ン"),
                                  S("漢字"),
                                  S("abc"),
                                  S("Bcd"),
                                  S("Gödel"),
                                  S("Gödelian"),
                                  S("Goedel"),
                                  S("Goethe")};
        QStringList shuffled = ordered;
        std::reverse(shuffled.begin(), shuffled.end());
        std::rotate(shuffled.begin(), shuffled.begin() + 7, shuffled.end());
        std::sort(shuffled.begin(), shuffled.end(), [](const QString& a, const QString& b) {
            return kanaOrderKey(a) < kanaOrderKey(b);
        });
        QCOMPARE(shuffled, ordered);
        QCOMPARE(kanaOrderKey(S("ABC")), kanaOrderKey(S("abc")));  // letters without case
        // Each key is its own: different readings never share one.
        QVERIFY(kanaOrderKey(S("カード")) != kanaOrderKey(S("カアド")));
        QVERIFY(kanaOrderKey(S("ハ")) != kanaOrderKey(S("パ")));
        QVERIFY(kanaOrderKey(S("Godel")) != kanaOrderKey(S("Gödel")));
    }

    void aReadingStartsInARowOfTheKanaTable_data() {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<int>("row");
        QTest::newRow("ア") << S("アベ") << 0;
        QTest::newRow("ヴ") << S("ヴェルヌ") << 0;
        QTest::newRow("ガ") << S("ガモウ") << 1;
        QTest::newRow("ジ") << S("ジロウ") << 2;
        QTest::newRow("ヅ") << S("ヅカ") << 3;
        QTest::newRow("ナ") << S("ナツメ") << 4;
        QTest::newRow("パ") << S("パール") << 5;
        QTest::newRow("モ") << S("モリ") << 6;
        QTest::newRow("ャ") << S("ャ") << 7;
        QTest::newRow("ロ") << S("ロハン") << 8;
        QTest::newRow("ヲ, filed as オ") << S("ヲ") << 0;
        QTest::newRow("ン") << S("ン") << 9;
        QTest::newRow("kanji") << S("漢") << -1;
        QTest::newRow("latin") << S("abc") << -1;
        QTest::newRow("empty") << QString() << -1;
    }
    void aReadingStartsInARowOfTheKanaTable() {
        QFETCH(QString, reading);
        QFETCH(int, row);
        QCOMPARE(kanaRow(reading), row);
    }

    void romajiIsHepburn_data() {
        QTest::addColumn<QString>("katakana");
        QTest::addColumn<QString>("romaji");
        QTest::newRow("plain") << S("ナツメ ソウセキ") << S("natsume souseki");
        QTest::newRow("n") << S("シンブン") << S("shinbun");
        QTest::newRow("small tsu") << S("ガッコウ") << S("gakkou");
        QTest::newRow("small tsu before ch") << S("マッチャ") << S("matcha");
        QTest::newRow("digraphs") << S("リュウノスケ ジュンイチロウ") << S("ryuunosuke junichirou");
        QTest::newRow("fu, tsu, ji") << S("フジ ツジ ヂ ヅ") << S("fuji tsuji ji zu");
        QTest::newRow("long vowel mark") << S("ラーメン") << S("raamen");
        QTest::newRow("loanwords") << S("ティー ファイル ヴァイオリン") << S("tii fairu vaiorin");
        QTest::newRow("latin kept") << S("C++ ニュウモン") << S("c++ nyuumon");
    }
    void romajiIsHepburn() {
        QFETCH(QString, katakana);
        QFETCH(QString, romaji);
        QCOMPARE(hepburnRomaji(katakana), romaji);
    }

    // What a user types finds the reading however the long vowels are written.
    void romajiMatchesWithLongVowelsEitherWay_data() {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("found");
        QTest::newRow("natsume") << S("ナツメ ソウセキ") << S("natsume") << true;
        QTest::newRow("souseki") << S("ナツメ ソウセキ") << S("souseki") << true;
        QTest::newRow("soseki") << S("ナツメ ソウセキ") << S("soseki") << true;
        QTest::newRow("macron") << S("ナツメ ソウセキ") << S("Sōseki") << true;
        QTest::newRow("with a blank") << S("ナツメ ソウセキ") << S("Natsume Soseki") << true;
        QTest::newRow("oe") << S("オオエ ケンザブロウ") << S("Oe Kenzaburo") << true;
        QTest::newRow("ohe") << S("オオエ ケンザブロウ") << S("Ōe") << true;
        QTest::newRow("shimbun") << S("シンブン") << S("shimbun") << true;
        QTest::newRow("another name") << S("ナツメ ソウセキ") << S("mori") << false;
        QTest::newRow("not a prefix of a syllable") << S("ナツメ") << S("natsuma") << false;
    }
    void romajiMatchesWithLongVowelsEitherWay() {
        QFETCH(QString, reading);
        QFETCH(QString, typed);
        QFETCH(bool, found);
        QCOMPARE(romajiMatchKey(hepburnRomaji(reading)).contains(romajiMatchKey(typed)), found);
    }
};

QTEST_GUILESS_MAIN(TestReadingText)
#include "tst_reading_text.moc"
