// Shift-JIS conversions that lose nothing and report what they cannot do.
#include <QtTest>

#include "platform/cp932.h"
#include "platform/line_encoding.h"
#include "platform/utf8_text.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestCp932 : public QObject {
    Q_OBJECT
private slots:
    void roundTrips_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("brackets and quotes")
            << S("『』「」【】”’〜") << QByteArray::fromHex("81778178817581768179817a816881668160");
        QTest::addRow("font name")
            << S("ＭＳ Ｐゴシック") << QByteArray::fromHex("826c827220826f835383568362834e");
        QTest::addRow("half-width katakana") << S("ﾎﾞｰﾙﾄﾞ") << QByteArray::fromHex("cedeb0d9c4de");
        QTest::addRow("second byte 0x5C") << S("表ソ") << QByteArray::fromHex("955c835c");
        QTest::addRow("circled digit") << S("①") << QByteArray::fromHex("8740");
        QTest::addRow("IBM extension") << S("髙") << QByteArray::fromHex("fbfc");
        QTest::addRow("ASCII") << S("a,b \"c\"") << QByteArray("a,b \"c\"");
    }
    void roundTrips() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const auto encoded = Cp932::encode(text);
        QVERIFY(encoded);
        QCOMPARE(*encoded, bytes);
        QCOMPARE(Cp932::decode(*encoded).value_or(QString()), text);
        QCOMPARE(Cp932::byteLength(text), encoded->size());
    }

    // Wave dash, double vertical line, minus, cent, pound, not, em dash: the
    // JIS forms come back as themselves, and the forms Windows writes for them
    // are written to the same bytes.
    void theJisFormsComeBackAsThemselves() {
        const QString jis = S("\u301C\u2016\u2212\u00A2\u00A3\u00AC\u2014");
        const auto bytes = Cp932::encode(jis);
        QVERIFY(bytes);
        QCOMPARE(*bytes, QByteArray::fromHex("81608161817c8191819281ca815c"));
        QCOMPARE(Cp932::decode(*bytes).value_or(QString()), jis);
        QCOMPARE(Cp932::encode(S("～∥－￠￡￢―")).value_or(QByteArray()), *bytes);
    }

    void refusesWhatItCannotHold() {
        QVERIFY(!Cp932::canEncode(S("本😀")));
        QVERIFY(!Cp932::canEncode(S("한국어")));
        QCOMPARE(Cp932::firstUnencodable(S("ab😀c")), 2);
        QCOMPARE(Cp932::firstUnencodable(S("abc")), -1);
        QVERIFY(Cp932::canEncode(S("")));
    }

    void badBytesAreAnError() {
        QVERIFY(!Cp932::decode(QByteArray("\x81\x20", 2)));  // lead byte without its trail
        QVERIFY(!Cp932::decode(QByteArray("abc\x82", 4)));   // cut at the end
        QVERIFY(!Cp932::decode(QByteArray("\xEF\xBB\xBF\xE6\x9C\xAC", 6)));  // UTF-8 is not CP932
        QVERIFY(!Cp932::decode(QByteArray("\xa0", 1)));  // not a CP932 byte at all
    }

    void controlCodesMapToThemselves() {
        const QByteArray controls("\x1a\x1c\x7f\t", 4);
        const QString text = Cp932::decode(controls).value_or(QString());
        QCOMPARE(text, QString(QChar(0x1A)) + QChar(0x1C) + QChar(0x7F) + QChar(0x09));
        QCOMPARE(Cp932::encode(text).value_or(QByteArray()), controls);
    }

    void byteLengthCountsTwoForWideCharacters() {
        QCOMPARE(Cp932::byteLength(S("abcｱｲｳ")), 6);
        QCOMPARE(Cp932::byteLength(S("本棚")), 4);
    }

    // The quick UTF-8 check that tells a Shift-JIS line from a UTF-8 one says
    // what the strict decoder says.
    void utf8IsToldFromShiftJis_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("Japanese UTF-8") << QByteArray("坊っちゃん");
        QTest::addRow("Shift-JIS") << Cp932::encode(QString::fromUtf8("坊っちゃん")).value();
        QTest::addRow("four bytes") << QByteArray("𠮷");
        QTest::addRow("overlong") << QByteArray("\xC0\xAF");
        QTest::addRow("overlong three") << QByteArray("\xE0\x80\xAF");
        QTest::addRow("surrogate") << QByteArray("\xED\xA0\x80");
        QTest::addRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80");
        QTest::addRow("cut short") << QByteArray("\xE3\x81");
        QTest::addRow("a lone continuation") << QByteArray(
            "a\x80"
            "b");
    }
    void utf8IsToldFromShiftJis() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(isValidUtf8(bytes), decodeUtf8Strict(bytes).has_value());
    }

    // A line valid in both encodings is the one's it reads well in, or
    // Either where it tells nothing: the rest of its file decides then.
    void aLineIsJudgedByHowItReads_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<LineEncoding>("judged");
        auto sjis = [](const char* text) { return Cp932::encode(S(text)).value(); };
        QTest::addRow("ASCII") << QByteArray("Norwegian Wood,1987") << LineEncoding::Either;
        QTest::addRow("UTF-8 kana") << QByteArray("ねこ,なつめ") << LineEncoding::Utf8;
        QTest::addRow("Shift-JIS") << sjis("吾輩は猫である,夏目 漱石") << LineEncoding::ShiftJis;
        QTest::addRow("UTF-8 Shift-JIS also reads")
            << QByteArray("東京散歩,山田,東京出版社") << LineEncoding::Utf8;
        QTest::addRow("two UTF-8 kanji Shift-JIS also reads")
            << QByteArray("東京") << LineEncoding::Utf8;
        QTest::addRow("UTF-8 accented Latin")
            << QByteArray("Müller, Gödel, Erdős, Straße") << LineEncoding::Utf8;
        QTest::addRow("蟲師 in Shift-JIS, also UTF-8") << sjis("蟲師") << LineEncoding::Either;
        QTest::addRow("half-width kana, also UTF-8")
            << sjis("ﾐｽﾃｷﾎｼﾐｽﾃｷﾎｼ") << LineEncoding::Either;
        QTest::addRow("café, either way") << QByteArray("café") << LineEncoding::Either;
        QTest::addRow("neither") << QByteArray("\x80\x80") << LineEncoding::Neither;
    }
    void aLineIsJudgedByHowItReads() {
        QFETCH(QByteArray, line);
        QFETCH(LineEncoding, judged);
        LineEncodingJudge judge;
        QCOMPARE(judge.judge(line), judged);
    }
};

QTEST_GUILESS_MAIN(TestCp932)
#include "tst_cp932.moc"
