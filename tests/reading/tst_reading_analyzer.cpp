// Readings made by MeCab with the IPA dictionary: titles as running text,
// writers as family and given names, and kana-only readings without it.
#include <QTemporaryDir>
#include <QtTest>

#include "files.h"
#include "reading/reading_analyzer.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestReadingAnalyzer : public QObject {
    Q_OBJECT

    static void restore(const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ReadingAnalyzer m_analyzer;

private slots:
    void initTestCase() { QVERIFY2(!m_analyzer.limited(), qPrintable(m_analyzer.limitation())); }

    void textsAndNamesAreRead_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reading");
        const int text = int(ReadingKind::Text), name = int(ReadingKind::Name);
        QTest::newRow("title") << S("吾輩は猫である") << text << S("ワガハイハネコデアル");
        QTest::newRow("title with blank")
            << S("星の王子 第2巻") << text << S("ホシノオウジ ダイ2カン");
        QTest::newRow("latin kept") << S("C++入門") << text << S("C++ニュウモン");
        QTest::newRow("kana title") << S("ｷｯﾁﾝ") << text << S("キッチン");
        QTest::newRow("publisher") << S("岩波書店") << text << S("イワナミショテン");
        QTest::newRow("name") << S("夏目 漱石") << name << S("ナツメ ソウセキ");
        QTest::newRow("ideographic blank") << S("森　鴎外") << name << S("モリ オウガイ");
        QTest::newRow("kana given name") << S("吉本 ばなな") << name << S("ヨシモト バナナ");
        QTest::newRow("family name as a place") << S("有島 武郎") << name << S("アリシマ タケオ");
        QTest::newRow("latin name") << S("Bjarne Stroustrup") << name << S("Bjarne Stroustrup");
        QTest::newRow("empty") << S("  ") << name << QString();
    }
    void textsAndNamesAreRead() {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, reading);
        QCOMPARE(m_analyzer.reading(text, ReadingKind(kind)), reading);
    }

    // How many of 120 writers' names are read right from the dictionary alone.
    void writersAreReadFromTheDictionary() {
        const QStringList lines =
            QString::fromUtf8(
                test::readFile(S(QUILLO_SOURCE_DIR "/tests/reading/data/author-readings.tsv")))
                .split(u'\n', Qt::SkipEmptyParts);
        int names = 0, right = 0;
        QStringList wrong;
        for (const QString& line : lines) {
            if (line.startsWith(u'#'))
                continue;
            const QStringList columns = line.split(u'\t');
            QCOMPARE(columns.size(), 2);
            ++names;
            const QString read = m_analyzer.reading(columns[0], ReadingKind::Name);
            if (read == columns[1])
                ++right;
            else
                wrong << columns[0] + S(" → ") + read;
        }
        QCOMPARE(names, 120);
        qInfo("%d of %d writers read right (%.1f %%); wrong: %s", right, names,
              100.0 * right / names, qPrintable(wrong.join(S(", "))));
        // Plain dictionary output reads about 72 % of this list; looking for
        // names among MeCab's best analyses and reading the usual endings of
        // given names, 75 %. The rest are pen names the dictionary reads
        // otherwise (東野 圭吾 トウノ, 辻村 深月 フカツキ): the user corrects
        // those once.
        QVERIFY2(right * 100 >= 75 * names, qPrintable(wrong.join(S(", "))));
    }

    // Without a dictionary only kana is read, and the analyzer says why.
    void withoutADictionaryOnlyKanaIsRead() {
        QTemporaryDir dir;
        test::writeFile(dir.filePath(S("mecabrc")), "dicdir = " + dir.filePath(S("none")).toUtf8());
        const QByteArray before = qgetenv("MECABRC");
        qputenv("MECABRC", dir.filePath(S("mecabrc")).toUtf8());
        const ReadingAnalyzer bare;
        restore("MECABRC", before);
        QVERIFY(bare.limited());
        QVERIFY2(bare.limitation().contains(S("かな")), qPrintable(bare.limitation()));
        QCOMPARE(bare.reading(S("なつめ そうせき"), ReadingKind::Name), S("ナツメ ソウセキ"));
        QCOMPARE(bare.reading(S("夏目 漱石"), ReadingKind::Name), S("夏目 漱石"));
        QCOMPARE(bare.reading(S("ﾉﾙｳｪｲの森"), ReadingKind::Text), S("ノルウェイノ森"));
    }

    // A dictionary in another encoding would read UTF-8 titles as noise: it is
    // not used, and the analyzer says why.
    void aDictionaryNotInUtf8IsNotUsed() {
        const QString eucJp = S("/var/lib/mecab/dic/ipadic");
        if (!QFileInfo::exists(eucJp + S("/dicrc")))
            QSKIP("the EUC-JP IPA dictionary is not installed");
        QTemporaryDir dir;
        test::writeFile(dir.filePath(S("mecabrc")), "dicdir = " + eucJp.toUtf8());
        const QByteArray before = qgetenv("MECABRC");
        qputenv("MECABRC", dir.filePath(S("mecabrc")).toUtf8());
        const ReadingAnalyzer foreign;
        restore("MECABRC", before);
        QVERIFY(foreign.limited());
        QVERIFY2(foreign.limitation().contains(S("UTF-8")), qPrintable(foreign.limitation()));
    }
};

QTEST_GUILESS_MAIN(TestReadingAnalyzer)
#include "tst_reading_analyzer.moc"
