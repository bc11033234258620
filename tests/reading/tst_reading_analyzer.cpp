// Readings: names from the name data Debian installs (JMnedict, the SKK name
// dictionaries, KANJIDIC) first, MeCab with the IPA dictionary for the rest,
// titles as libraries file them, and never a kanji left in a reading.
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include "files.h"
#include "reading/name_index.h"
#include "reading/order_key.h"
#include "reading/reading_analyzer.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

namespace {

bool hasKanji(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) || c.unicode() == 0x3005;
    });
}

QByteArray eucJp(const QString& text) {
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(text);
}

}  // namespace

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
    void initTestCase() {
        QVERIFY2(!m_analyzer.limited(), qPrintable(m_analyzer.limitation()));
        if (!m_analyzer.hasNameData())
            QSKIP("the name data (enamdict, skkdic-extra, kanjidic) are not installed");
    }

    void textsAndNamesAreRead_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reading");
        const int text = int(ReadingKind::Text), name = int(ReadingKind::Name),
                  company = int(ReadingKind::Organisation);
        QTest::newRow("particle は as pronounced")
            << S("吾輩は猫である") << text << S("ワガハイワネコデアル");
        QTest::newRow("particles へ and を") << S("東京へ花を") << text << S("トウキョウエハナオ");
        QTest::newRow("kana iteration mark") << S("こゝろ") << text << S("ココロ");
        QTest::newRow("voiced iteration mark") << S("金子 みすゞ") << name << S("カネコ ミスズ");
        QTest::newRow("kanji iteration mark") << S("佐々木 譲") << name << S("ササキ ジョウ");
        QTest::newRow("a year read out") << S("1973年のピンボール") << text
                                         << S("センキュウヒャクナナジュウサンネンノピンボール");
        QTest::newRow("full-width number") << S("第２巻") << text << S("ダイニカン");
        QTest::newRow("blank kept") << S("星の王子 第2巻") << text << S("ホシノオウジ ダイニカン");
        QTest::newRow("latin kept") << S("C++入門") << text << S("C++ニュウモン");
        QTest::newRow("kana title") << S("ｷｯﾁﾝ") << text << S("キッチン");
        QTest::newRow("a word MeCab lacks") << S("檸檬") << text << S("レモン");
        QTest::newRow("publisher") << S("岩波書店") << company << S("イワナミショテン");
        QTest::newRow("publisher MeCab reads half") << S("一迅社") << company << S("イチジンシャ");
        QTest::newRow("name") << S("夏目 漱石") << name << S("ナツメ ソウセキ");
        QTest::newRow("pen name MeCab misreads") << S("東野 圭吾") << name << S("ヒガシノ ケイゴ");
        QTest::newRow("kanji MeCab lacks") << S("絲山 秋子") << name << S("イトヤマ アキコ");
        QTest::newRow("one-character given name") << S("冲方 丁") << name << S("ウブカタ トウ");
        QTest::newRow("family name with a shorter reading too")
            << S("伊藤 剛") << name << S("イトウ タケシ");
        QTest::newRow("typed as one") << S("大岡昇平") << name << S("オオオカ ショウヘイ");
        QTest::newRow("typed as one, no full entry")
            << S("山本周五郎") << name << S("ヤマモト シュウゴロウ");
        QTest::newRow("ideographic blank") << S("森　鴎外") << name << S("モリ オウガイ");
        QTest::newRow("kana given name") << S("吉本 ばなな") << name << S("ヨシモト バナナ");
        QTest::newRow("latin name") << S("Bjarne Stroustrup") << name << S("Bjarne Stroustrup");
        QTest::newRow("a foreign name, not doubted") << S("Kurt Gödel") << name << S("Kurt Gödel");
        QTest::newRow("𠮷 read as 吉") << S("𠮷田 茂") << name << S("ヨシダ シゲル");
        QTest::newRow("two translators")
            << S("夏目 漱石、森 鴎外") << name << S("ナツメ ソウセキ、モリ オウガイ");
        QTest::newRow("empty") << S("  ") << name << QString();
    }
    void textsAndNamesAreRead() {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, reading);
        const Reading read = m_analyzer.read(text, ReadingKind(kind));
        QCOMPARE(read.text, reading);
        if (QLatin1String(QTest::currentDataTag()) == QLatin1String("a foreign name, not doubted"))
            QVERIFY(!read.uncertain);
    }

    // A series sorts by its volumes' numbers, as the analyzer reads them or
    // as a reading is typed: digits of either width, 第…巻 in digits or kanji,
    // Roman numerals, 上 中 下 and 前編 後編; the readings stay as they were.
    void numbersSortByTheirValue_data() {
        QTest::addColumn<QStringList>("ordered");
        QTest::addColumn<int>("kind");
        const int text = int(ReadingKind::Text);
        QStringList digits, volumes, kanji, wide;
        for (int i = 1; i <= 100; ++i) {
            digits << S("ワンピース %1").arg(i);
            volumes << S("宇宙兄弟 第%1巻").arg(i);
        }
        for (const char* n : {"一", "二", "三", "九", "十", "十一", "十二", "二十", "九十九", "百"})
            kanji << S("三国志 第%1巻").arg(S(n));
        for (const char* n : {"１", "２", "９", "１０", "１１"})
            wide << S("ベルサイユのばら %1").arg(S(n));
        QTest::addRow("1 to 100") << digits << text;
        QTest::addRow("第1巻 to 第100巻") << volumes << text;
        QTest::addRow("kanji numerals") << kanji << text;
        QTest::addRow("full-width digits") << wide << text;
        QTest::addRow("上 中 下") << QStringList{S("地のはてから 上"), S("地のはてから 中"),
                                                 S("地のはてから 下"), S("地のはてから（上巻）")}
                                  << text;
        QTest::addRow("前編 後編") << QStringList{S("転生 前編"), S("転生 後編")} << text;
        QTest::addRow("Roman numerals")
            << QStringList{S("無題Ⅰ"), S("無題Ⅱ"), S("無題Ⅸ"), S("無題Ⅹ")} << text;
        QTest::addRow("writers W1 to W5")
            << QStringList{S("W1"), S("W2"), S("W3"), S("W4"), S("W5")} << int(ReadingKind::Name);
        QTest::addRow("the series before other titles after it")
            << QStringList{S("ワンピース"), S("ワンピース 2"), S("ワンピース 10"),
                           S("ワンピース エピソードA")}
            << text;
    }
    void numbersSortByTheirValue() {
        QFETCH(QStringList, ordered);
        QFETCH(int, kind);
        QStringList shuffled = ordered;
        std::reverse(shuffled.begin(), shuffled.end());
        std::rotate(shuffled.begin(), shuffled.begin() + shuffled.size() / 3, shuffled.end());
        QHash<QString, QByteArray> keys;
        for (const QString& title : shuffled)
            keys[title] = readingOrderKey(title, m_analyzer.reading(title, ReadingKind(kind)));
        std::stable_sort(shuffled.begin(), shuffled.end(),
                         [&](const QString& a, const QString& b) { return keys[a] < keys[b]; });
        QCOMPARE(shuffled, ordered);
        // A reading typed with the digits, or read out, sorts alike.
        QVERIFY(readingOrderKey(S("ワンピース 9"), S("ワンピース 9")) <
                readingOrderKey(S("ワンピース 10"), S("ワンピース ジュウ")));
        // The reading itself keeps its kana: イチ is still searched for 1.
        QCOMPARE(m_analyzer.reading(S("ワンピース 1"), ReadingKind::Text), S("ワンピース イチ"));
    }

    // Lists of writers, publishers and titles with readings known to be
    // right: the share read right from the data alone (a name typed without
    // its blank too), the blank where the list has it, and never a kanji left.
    void tablesAreReadRight_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("percent");
        QTest::addRow("220 writers never tuned on")
            << S("writers-unseen.tsv") << int(ReadingKind::Name) << 88;
        QTest::addRow("120 well-known writers")
            << S("author-readings.tsv") << int(ReadingKind::Name) << 95;
        QTest::addRow("60 publishers")
            << S("publisher-readings.tsv") << int(ReadingKind::Organisation) << 95;
        QTest::addRow("102 titles") << S("title-readings.tsv") << int(ReadingKind::Text) << 70;
    }
    void tablesAreReadRight() {
        QFETCH(QString, file);
        QFETCH(int, kind);
        QFETCH(int, percent);
        int rows = 0, right = 0, rightWithoutBlank = 0;
        QStringList wrong, misplaced;
        for (const QString& line :
             QString::fromUtf8(test::readFile(S(QUILLO_SOURCE_DIR "/tests/reading/data/") + file))
                 .split(u'\n', Qt::SkipEmptyParts)) {
            if (line.startsWith(u'#'))
                continue;
            const QStringList columns = line.split(u'\t');
            QCOMPARE(columns.size(), 2);
            ++rows;
            QString want = columns[1];
            want.remove(u' ');
            QString read = m_analyzer.reading(columns[0], ReadingKind(kind));
            QVERIFY2(!hasKanji(read), qPrintable(columns[0] + S(" → ") + read));
            const QString asRead = read;
            if (read.remove(u' ') == want) {
                ++right;
                if (asRead != columns[1])
                    misplaced << columns[0] + S(" → ") + asRead;
            } else {
                wrong << columns[0] + S(" → ") + read;
            }
            QString typedAsOne = columns[0];
            rightWithoutBlank +=
                m_analyzer.reading(typedAsOne.remove(u' '), ReadingKind(kind)).remove(u' ') == want;
        }
        qInfo("%d of %d right (%.1f %%), typed without blanks %d; wrong: %s", right, rows,
              100.0 * right / rows, rightWithoutBlank, qPrintable(wrong.join(S(", "))));
        QVERIFY2(right * 100 >= percent * rows, qPrintable(wrong.join(S(", "))));
        // A reading right but for its blank shows a name split in the wrong place.
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(S(", "))));
        QVERIFY2(rightWithoutBlank * 100 >= (percent - 3) * rows, "names typed as one");
    }

    // The reading a name is given comes first among the ones offered, then
    // the others the data and MeCab know; a name with several readings and
    // nothing to choose between them is uncertain.
    void candidatesAndUncertainReadings() {
        const QStringList offered = m_analyzer.candidates(S("東野 圭吾"), ReadingKind::Name);
        QCOMPARE(offered.first(), S("ヒガシノ ケイゴ"));
        QVERIFY2(offered.contains(S("トウノ ケイゴ")), qPrintable(offered.join(u',')));
        QVERIFY(!m_analyzer.read(S("夏目 漱石"), ReadingKind::Name).uncertain);
        // A kanji the data read only on its own, and one nothing reads (left
        // out rather than sorted after わ).
        QVERIFY(m_analyzer.read(S("原 尞"), ReadingKind::Name).uncertain);
        const Reading unread = m_analyzer.read(S("内田 百閒"), ReadingKind::Name);
        QVERIFY(unread.uncertain && !hasKanji(unread.text));
        QVERIFY(m_analyzer.read(S("檸檬"), ReadingKind::Text).uncertain);
    }

    // The index is made from the files once, and again when one changes.
    void theNameIndexFollowsItsFiles() {
        QTemporaryDir dir;
        NameDataFiles files{dir.filePath(S("enamdict")), dir.filePath(S("fullname")),
                            dir.filePath(S("jinmei")), dir.filePath(S("kanjidic"))};
        test::writeFile(files.jmnedict, eucJp(S("東野圭吾 [ひがしのけいご] /(h) Higashino Keigo/\n"
                                                "東野 [とうの] /(s) Touno/\n")));
        test::writeFile(files.skkNames, eucJp(S(";; comment\nひがしの /東野;姓/\n")));
        const QString index = dir.filePath(S("cache/names.db"));
        QVERIFY(NameIndex::ensure(index, files));
        const QDateTime made = QFileInfo(index).lastModified();
        QVERIFY(NameIndex::ensure(index, files));
        QCOMPARE(QFileInfo(index).lastModified(), made);  // nothing read again
        const ReadingAnalyzer small(index);
        QCOMPARE(small.reading(S("東野圭吾"), ReadingKind::Name), S("ヒガシノ ケイゴ"));
        QTest::qWait(1100);
        test::writeFile(files.skkNames, eucJp(S("あずまの /東野;姓/\n")));
        QVERIFY(NameIndex::ensure(index, files));
        QVERIFY(QFileInfo(index).lastModified() > made);
        const auto entries = NameIndex::open(index)->lookUp(S("東野"), kFamilyName);
        QCOMPARE(entries.front().reading, S("アズマノ"));
        QVERIFY(!NameIndex::ensure(
            dir.filePath(S("none.db")),
            NameDataFiles{S("/none/a"), S("/none/b"), S("/none/c"), S("/none/d")}));
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
        QCOMPARE(bare.reading(S("ﾉﾙｳｪｲの森"), ReadingKind::Text), S("ノルウェイノ森"));
    }

    // A dictionary in another encoding, or of another layout (UniDic puts the
    // lemma where the IPA dictionary puts the reading), is not used, and the
    // analyzer says why.
    void aDictionaryOfAnotherKindIsNotUsed() {
        QTemporaryDir dir;
        const QString source = dir.filePath(S("src")), built = dir.filePath(S("dic"));
        QDir().mkpath(source);
        QDir().mkpath(built);
        test::writeFile(source + S("/dicrc"),
                        "cost-factor = 800\nbos-feature = BOS/EOS,*,*,*,*,*,*,*,*\n");
        test::writeFile(source + S("/char.def"), "DEFAULT 0 1 0\nSPACE 0 1 0\n0x0020 SPACE\n");
        test::writeFile(source + S("/unk.def"),
                        "DEFAULT,0,0,1000,名詞,普通名詞,一般,*,*,*,*,*,*,*\n"
                        "SPACE,0,0,1000,空白,*,*,*,*,*,*,*,*,*\n");
        test::writeFile(source + S("/matrix.def"), "1 1\n0 0 0\n");
        test::writeFile(source + S("/lex.csv"),
                        "猫,0,0,100,名詞,普通名詞,一般,*,*,*,ネコ,猫,猫,ネコ\n");
        QProcess index;
        index.start(S("/usr/lib/mecab/mecab-dict-index"),
                    {S("-d"), source, S("-o"), built, S("-f"), S("utf-8"), S("-t"), S("utf-8")});
        if (!index.waitForFinished(60000) || index.exitCode() != 0)
            QSKIP("mecab-dict-index (mecab-utils) cannot build a dictionary here");
        QFile::copy(source + S("/dicrc"), built + S("/dicrc"));
        test::writeFile(dir.filePath(S("mecabrc")), "dicdir = " + built.toUtf8());
        const QByteArray before = qgetenv("MECABRC");
        qputenv("MECABRC", dir.filePath(S("mecabrc")).toUtf8());
        const ReadingAnalyzer unidic;
        restore("MECABRC", before);
        QVERIFY(unidic.limited());
        QVERIFY2(unidic.limitation().contains(S("IPA 辞書の並び")),
                 qPrintable(unidic.limitation()));
        QCOMPARE(unidic.reading(S("猫"), ReadingKind::Text), S("猫"));  // no lemma as a reading

        const QString eucJp = S("/var/lib/mecab/dic/ipadic");
        if (!QFileInfo::exists(eucJp + S("/dicrc")))
            QSKIP("the EUC-JP IPA dictionary is not installed");
        test::writeFile(dir.filePath(S("mecabrc")), "dicdir = " + eucJp.toUtf8());
        qputenv("MECABRC", dir.filePath(S("mecabrc")).toUtf8());
        const ReadingAnalyzer foreign;
        restore("MECABRC", before);
        QVERIFY(foreign.limited());
        QVERIFY2(foreign.limitation().contains(S("UTF-8")), qPrintable(foreign.limitation()));
    }
};

QTEST_GUILESS_MAIN(TestReadingAnalyzer)
#include "tst_reading_analyzer.moc"
