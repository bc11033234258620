// The same book twice, as the record dialog, the list's 重複の候補 and an import
// find it: the title and first writer alike once width, kana, case and blanks
// are set aside, in memory and in SQL alike.
#include <QtTest>

#include "engine/cached_dataset.h"
#include "engine/connection.h"
#include "store/same_books.h"
#include "test_db.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestSameBooks : public QObject {
    Q_OBJECT

private slots:
    void keys_data() {
        QTest::addColumn<QString>("title1");
        QTest::addColumn<QString>("writer1");
        QTest::addColumn<QString>("title2");
        QTest::addColumn<QString>("writer2");
        QTest::addColumn<bool>("same");
        QTest::addRow("as typed") << S("雪国") << S("川端 康成") << S("雪国") << S("川端 康成")
                                  << true;
        QTest::addRow("blanks") << S("雪 国") << S("川端康成") << S("雪国") << S("川端　康成")
                                << true;
        QTest::addRow("width and kana")
            << S("ｷｯﾁﾝ") << S("よしもと ばなな") << S("キッチン") << S("ヨシモト バナナ") << true;
        QTest::addRow("case") << S("Norwegian Wood") << S("") << S("NORWEGIAN WOOD") << S("")
                              << true;
        QTest::addRow("full-width letters") << S("ＡＢＣ") << S("x") << S("abc") << S("X") << true;
        QTest::addRow("another writer")
            << S("雪国") << S("川端 康成") << S("雪国") << S("川端") << false;
        QTest::addRow("another volume")
            << S("細雪 上") << S("谷崎") << S("細雪 下") << S("谷崎") << false;
        QTest::addRow("kanji is not its reading")
            << S("雪国") << S("") << S("ゆきぐに") << S("") << false;
    }
    void keys() {
        QFETCH(QString, title1);
        QFETCH(QString, writer1);
        QFETCH(QString, title2);
        QFETCH(QString, writer2);
        QFETCH(bool, same);
        QCOMPARE(sameBookKey(title1, writer1) == sameBookKey(title2, writer2), same);

        // SQL finds what memory finds.
        test::TempBookDb db;
        Connection books(S("book"));
        Statement insert(books.handle(),
                         {S("INSERT INTO quillo (ID, Title, Writer) VALUES (1, ?, ?)")});
        insert.bindText(1, title1.toUtf8());
        insert.bindText(2, writer1.toUtf8());
        insert.step();
        CachedDataset none(books);
        QCOMPARE(findSameBook(books.handle(), none, 2, title2, writer2).has_value(), same);
        QVERIFY(!findSameBook(books.handle(), none, 1, title2, writer2));  // not itself
        QCOMPARE(storedSameBookKeys(books.handle()).contains(sameBookKey(title2, writer2)), same);
    }

    // The list's 重複の候補: only books that share their key with another.
    void theConditionKeepsOnlyGroups() {
        test::TempBookDb db;
        test::exec(
            S("insert into quillo (ID, Title, Writer) values (1, '雪国', '川端 康成'),"
              " (2, '雪 国', '川端康成'), (3, '千羽鶴', '川端 康成'), (4, 'ｷｯﾁﾝ', NULL),"
              " (5, 'キッチン', NULL), (6, 'キッチン', 'よしもと')"));
        QCOMPARE(test::rows(S("select ID from quillo") + sameBooksCondition() + S("order by ID")),
                 (QStringList{S("1"), S("2"), S("4"), S("5")}));
    }
};

QTEST_GUILESS_MAIN(TestSameBooks)
#include "tst_same_books.moc"
