// The store over a real catalogue with its readings: the list in 五十音 order,
// the filter and the fuzzy search finding books by kana in any script and
// width and by romaji, exact search letter for letter, and the readings kept
// in step when books are deleted and renumbered.
#include <QtTest>

#include "catalogue_generator.h"
#include "engine/engine_error.h"
#include "reading/catalogue_readings.h"
#include "store/headless_host.h"
#include "store/tdm.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestReadingSearch : public QObject {
    Q_OBJECT
    std::unique_ptr<test::TempBookDb> m_db;
    HeadlessStoreHost m_host;
    std::unique_ptr<TDM> m_store;

    QStringList column(int field) const {
        QStringList texts;
        const CachedDataset& q = m_store->QueryBook();
        for (int row = 0; row < q.rowCount(); ++row)
            texts << q.textAt(row, field);
        return texts;
    }
    FieldFlags fields(std::initializer_list<int> chosen) const {
        FieldFlags flags{};
        for (int k : chosen)
            flags[static_cast<size_t>(k)] = 1;
        return flags;
    }

private slots:
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        test::exec(
            S("insert into quillo (ID, Title, Writer, Publisher) values"
              " (1, '吾輩は猫である', '夏目 漱石', '岩波書店'),"
              " (2, '容疑者Xの献身', '東野 圭吾', '文藝春秋'),"
              " (3, '模倣犯', '宮部 みゆき', '新潮社'),"
              " (4, '羅生門', '芥川 龍之介', '新潮社'),"
              " (5, 'Book', 'Abe', NULL),"
              " (7, 'ｷｯﾁﾝ', '吉本 ばなな', '福武書店')"));
        m_host = HeadlessStoreHost();
        m_host.sort.reading = true;
        m_store = std::make_unique<TDM>(&m_host, TDM::FirstRead::Deferred);
        auto readings = std::make_unique<CatalogueReadings>(m_store->Database());
        readings->prepare(true);
        m_store->setReadings(std::move(readings));
        m_store->QueryAll();
    }
    void cleanup() {
        m_store.reset();
        m_db.reset();
    }

    // Writers by their readings (ア カ … then Latin), where JIS order puts the
    // kanji by one on-reading each and the second level last.
    void theListIsInReadingOrder() {
        QCOMPARE(column(FieldNo::Writer),
                 (QStringList{S("芥川 龍之介"), S("夏目 漱石"), S("東野 圭吾"), S("宮部 みゆき"),
                              S("吉本 ばなな"), S("Abe")}));
        m_host.sort.field1 = S("Title");
        m_host.sort.field2.clear();
        m_store->QueryAll();
        QCOMPARE(column(FieldNo::Title),
                 (QStringList{S("ｷｯﾁﾝ"), S("模倣犯"), S("容疑者Xの献身"), S("羅生門"),
                              S("吾輩は猫である"), S("Book")}));
        m_host.sort.reading = false;
        m_store->QueryAll();
        QCOMPARE(column(FieldNo::Title).first(), S("Book"));  // JIS order: ASCII first
    }

    void theFilterFindsReadingsByKanaAndRomaji_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("titles");
        const QStringList soseki{S("吾輩は猫である")};
        QTest::addRow("hiragana") << S("なつめ") << soseki;
        QTest::addRow("katakana") << S("ナツメ") << soseki;
        QTest::addRow("half-width") << S("ﾅﾂﾒ") << soseki;
        QTest::addRow("across the blank") << S("なつめそうせき") << soseki;
        QTest::addRow("romaji") << S("natsume") << soseki;
        QTest::addRow("long vowel written") << S("souseki") << soseki;
        QTest::addRow("long vowel left out") << S("soseki") << soseki;
        QTest::addRow("macron, capitals") << S("Sōseki") << soseki;
        QTest::addRow("full-width romaji") << S("ｓｏｓｅｋｉ") << soseki;
        QTest::addRow("title reading") << S("mohou") << QStringList{S("模倣犯")};
        QTest::addRow("publisher reading")
            << S("しんちょう") << QStringList{S("模倣犯"), S("羅生門")};
        QTest::addRow("the text itself") << S("猫") << soseki;
        QTest::addRow("Latin text") << S("book") << QStringList{S("Book")};
        QTest::addRow("kana of a kana title") << S("きっちん") << QStringList{S("ｷｯﾁﾝ")};
        QTest::addRow("no such reading") << S("ぬぬぬ") << QStringList{};
        // What looks like a placeholder is text like any other.
        for (const char* typed : {"%1", "%2", "%1%2", "%1 ORDER"})
            QTest::addRow("%s typed", typed) << S(typed) << QStringList{};
    }
    void theFilterFindsReadingsByKanaAndRomaji() {
        QFETCH(QString, typed);
        QFETCH(QStringList, titles);
        const FieldFlags flags = fields({FieldNo::Title, FieldNo::Writer, FieldNo::Publisher});
        m_store->ApplyFilter(typed, &flags);
        QStringList found = column(FieldNo::Title);
        found.sort();
        titles.sort();
        QCOMPARE(found, titles);
        // Only the chosen fields' readings count.
        const FieldFlags memo = fields({FieldNo::Memo});
        m_store->ApplyFilter(typed, &memo);
        QCOMPARE(m_store->QueryBook().rowCount(), 0);
    }

    // A filter takes its books from the list in memory, in the list's order, and
    // removing it gives the list back without reading it; anything written in
    // between, here or by another program, is read instead.
    void theFilterTakesItsBooksFromTheListAndGivesThemBack_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QStringList>("titlesAfter");
        QTest::addColumn<bool>("readAgain");
        const QStringList all{S("羅生門"), S("吾輩は猫である"), S("容疑者Xの献身"),
                              S("模倣犯"), S("ｷｯﾁﾝ"),           S("Book")};
        QTest::addRow("nothing written") << QString() << all << false;
        QStringList renamed = all;
        renamed[0] = S("鼻");
        QTest::addRow("a book changed and applied here") << S("apply") << renamed << true;
        QStringList other = all;
        other[5] = S("Another");
        QTest::addRow("a book changed by another program") << S("other") << other << true;
    }
    void theFilterTakesItsBooksFromTheListAndGivesThemBack() {
        QFETCH(QString, meanwhile);
        QFETCH(QStringList, titlesAfter);
        QFETCH(bool, readAgain);
        const FieldFlags flags = fields({FieldNo::Title, FieldNo::Writer, FieldNo::Publisher});
        CachedDataset& q = m_store->QueryBook();
        const int reads = q.reads();
        m_store->ApplyFilter(S("しんちょう"), &flags);  // 芥川 before 宮部, as the list has them
        QCOMPARE(column(FieldNo::Title), (QStringList{S("羅生門"), S("模倣犯")}));
        QCOMPARE(q.reads(), reads);
        QVERIFY(q.locate(FieldNo::ID, 3));
        if (meanwhile == S("apply")) {
            QVERIFY(q.locate(FieldNo::ID, 4));
            q.edit();
            q.setText(FieldNo::Title, S("鼻"));
            q.post();
            m_store->ApplyPendingUpdates();
        } else if (meanwhile == S("other")) {
            test::exec(S("update quillo set Title = 'Another' where ID = 5"));
        }
        m_store->ClearFilterCondition();
        m_store->QueryAll();
        QCOMPARE(column(FieldNo::Title), titlesAfter);
        QCOMPARE(q.reads() > reads, readAgain);
        QCOMPARE(m_store->RecordCount(), 6);
        if (!readAgain)
            QCOMPARE(q.integer(FieldNo::ID), 3);  // the current book stays current
    }

    // A large list's first apply: the keys of the books it places are read as
    // the placing asks for them, from the two threads that make the sort keys,
    // until it takes them all at once; the list comes out as a fresh read
    // orders it.
    void aLargeFirstApplyPlacesItsBooksAsAFreshReadWould() {
        m_store.reset();
        m_db = std::make_unique<test::TempBookDb>();
        bench::generateCatalogue(m_db->path(), 20000);
        m_store = std::make_unique<TDM>(&m_host, TDM::FirstRead::Deferred);
        auto readings = std::make_unique<CatalogueReadings>(m_store->Database());
        readings->prepare(true);
        m_store->setReadings(std::move(readings));
        m_store->QueryAll();
        m_host.maxId = m_store->GetMaxId();
        CachedDataset& q = m_store->QueryBook();
        bench::CatalogueGenerator generator(7);
        {
            CursorHookDetach detached(*m_store);
            for (int i = 1; i <= 2500; ++i) {
                const BookRecord book = generator.next(30000 + i);
                m_store->AppendRecord();
                for (int k = 1; k < kFieldCount; ++k)
                    q.setText(k, book.fields[static_cast<size_t>(k)]);
                q.post();
            }
        }
        m_store->ApplyPendingUpdates();
        // Every book added has its readings and its search text.
        QCOMPARE(test::scalar(S("select count(*) from quillo_reading")), 22500);
        QCOMPARE(test::scalar(S("select count(*) from quillo_search")), 22500);
        auto compareWithAFreshRead = [&] {
            CachedDataset fresh(m_store->Database());
            fresh.setSql(q.sql());
            fresh.open();
            QCOMPARE(q.rowCount(), 22500);
            QStringList placed, read;
            for (int row = 0; row < q.rowCount(); ++row) {
                placed << q.textAt(row, FieldNo::ID);
                read << fresh.textAt(row, FieldNo::ID);
            }
            QCOMPARE(placed, read);
        };
        compareWithAFreshRead();
        // Keys read ahead of a change of order, then another program's write:
        // the order takes the readings as they are now.
        m_store->ReadSortKeysAhead();
        test::exec(S("update quillo_reading set PublisherKey = X'00' where ID = 30000"));
        m_host.sort.field1 = QStringLiteral("Publisher");
        m_store->QueryAll();
        compareWithAFreshRead();
        // A book changed once the keys are all read moves with its new key.
        QVERIFY(q.locate(FieldNo::ID, 30));
        q.edit();
        q.setText(FieldNo::Publisher, S("亜紀書房"));
        q.post();
        m_store->ApplyPendingUpdates();
        compareWithAFreshRead();
    }

    // Keys that could not be read (another program held the file) are read
    // again when the order needs them, never taken as books without keys.
    void keysNotReadAreReadAgain() {
        {
            Connection other(QStringLiteral("book"));
            other.execute(S("BEGIN EXCLUSIVE"));
            QVERIFY_THROWS_EXCEPTION(EngineError, m_store->ReadSortKeysAhead());
            other.execute(S("ROLLBACK"));
        }
        m_host.sort.field1 = QStringLiteral("Title");
        m_store->QueryAll();
        CachedDataset fresh(m_store->Database());
        fresh.setSql(m_store->QueryBook().sql());
        fresh.open();
        QStringList read;
        for (int row = 0; row < fresh.rowCount(); ++row)
            read << fresh.textAt(row, FieldNo::Title);
        QCOMPARE(column(FieldNo::Title), read);
        QCOMPARE(read.indexOf(S("ｷｯﾁﾝ")), read.indexOf(S("模倣犯")) - 1);  // キッチン, モホウハン
    }

    // The fuzzy search finds by reading too; the exact one letter for letter.
    void theFuzzySearchReadsAndTheExactOneDoesNot() {
        const FieldFlags writer = fields({FieldNo::Writer});
        QCOMPARE(m_store->Search(S("touno"), &writer, true), 0);  // MeCab alone: トウノ
        QCOMPARE(m_store->Search(S("higashino"), &writer, true), 1);
        QCOMPARE(m_store->QueryBook().text(FieldNo::Title), S("容疑者Xの献身"));
        QCOMPARE(m_store->Search(S("ミヤベ"), &writer, true), 1);
        QCOMPARE(m_store->QueryBook().text(FieldNo::Title), S("模倣犯"));
        QCOMPARE(m_store->Search(S("ミヤベ"), &writer, false), 0);
        QCOMPARE(m_store->Search(S("宮部 みゆき"), &writer, false), 1);
    }

    // A writer another program changed is read again at the next start, which
    // counts the book among those to read (and so reads the list again after).
    void aTextChangedElsewhereIsReadAgain() {
        test::exec(S("update quillo set Writer = '森 鴎外' where ID = 4"));
        CatalogueReadings next(m_store->Database());
        QCOMPARE(next.booksToRead(), 1);
        next.prepare(true);
        QCOMPARE(next.booksToRead(), 0);
        QCOMPARE(next.reading(4, FieldNo::Writer, S("森 鴎外")), S("モリ オウガイ"));
    }

    // A corrected reading moves the book and is found by its new romaji; a
    // deleted book's readings go, and renumbering carries them to the new IDs.
    void correctionsDeletesAndRenumberingKeepTheReadingsInStep() {
        BookReadings* readings = m_store->readings();
        CachedDataset& q = m_store->QueryBook();
        QVERIFY(q.locate(FieldNo::ID, 2));
        q.edit();
        readings->setReading(2, FieldNo::Writer, S("ヒガシノ ケイゴ"));
        q.post();
        m_store->ApplyPendingUpdates();
        // ヒガシノ: after ナツメ now, where トウノ came before it.
        QCOMPARE(column(FieldNo::Writer).indexOf(S("東野 圭吾")), 2);
        const FieldFlags writer = fields({FieldNo::Writer});
        QCOMPARE(m_store->Search(S("higashino"), &writer, true), 1);

        QVERIFY(q.locate(FieldNo::ID, 1));
        m_store->DeleteCurrent(false);
        m_store->ApplyPendingUpdates();
        QVERIFY(m_store->RenumberIds());
        QCOMPARE(test::rows(S("select q.ID, q.Title, r.Title from quillo q left join"
                              " quillo_reading r on r.ID = q.ID order by q.ID")),
                 (QStringList{S("1|容疑者Xの献身|ヨウギシャXノケンシン"), S("2|模倣犯|モホウハン"),
                              S("3|羅生門|ラショウモン"), S("4|Book|Book"), S("5|ｷｯﾁﾝ|キッチン")}));
        QCOMPARE(test::scalar(S("select count(*) from quillo_reading")), 5);
        QCOMPARE(
            test::scalar(S("select count(*) from quillo_search s join quillo q on q.ID = s.ID")),
            5);
    }
};

QTEST_GUILESS_MAIN(TestReadingSearch)
#include "tst_reading_search.moc"
