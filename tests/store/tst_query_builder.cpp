// The SQL texts the store runs, character for character.
#include <QtTest>

#include "recording_host.h"
#include "store/query_builder.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}
using test::flagsFor;

class TestQueryBuilder : public QObject {
    Q_OBJECT
    const FieldNameTable names;

private slots:
    void orderBy_data() {
        QTest::addColumn<QString>("field1");
        QTest::addColumn<QString>("field2");
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("expected");
        // Code-point order: the SQL as it always was.
        QTest::addRow("default") << S("Writer") << S("Title") << 0
                                 << S(" ORDER BY Writer, Title, ID ");
        QTest::addRow("one key") << S("Writer") << S("") << 0 << S(" ORDER BY Writer, ID ");
        QTest::addRow("descending, ID stays ascending")
            << S("Writer") << S("Title") << 1 << S(" ORDER BY Writer DESC, Title DESC, ID ");
        QTest::addRow("descending one key")
            << S("Publisher") << S("") << 1 << S(" ORDER BY Publisher DESC, ID ");
        QTest::addRow("any other option is descending")
            << S("Kind") << S("") << 7 << S(" ORDER BY Kind DESC, ID ");
        QTest::addRow("empty first key falls back")
            << S("") << S("Title") << 0 << S(" ORDER BY Writer, Title, ID ");
        QTest::addRow("unknown first key falls back")
            << S("Author; drop table quillo") << S("") << 0 << S(" ORDER BY Writer, ID ");
        QTest::addRow("unknown second key falls back")
            << S("Kind") << S("Nonsense") << 0 << S(" ORDER BY Kind, Title, ID ");
        QTest::addRow("case of a column name")
            << S("writer2") << S("") << 0 << S(" ORDER BY Writer2, ID ");
    }
    void orderBy() {
        QFETCH(QString, field1);
        QFETCH(QString, field2);
        QFETCH(int, option);
        QFETCH(QString, expected);
        QCOMPARE(BuildOrderBy({field1, field2, option, false}), expected);
    }

    // JIS order names the collation on each text column, not on dates or the ID.
    void jisOrderNamesItsCollation() {
        QCOMPARE(BuildOrderBy({}), S(" ORDER BY Writer COLLATE JIS, Title COLLATE JIS, ID "));
        QCOMPARE(BuildOrderBy({S("PubDate"), S("Title"), 1}),
                 S(" ORDER BY PubDate DESC, Title COLLATE JIS DESC, ID "));
        QCOMPARE(BuildOrderBy({S("nonsense"), S(""), 0}), S(" ORDER BY Writer COLLATE JIS, ID "));
    }

    void fixedTexts() {
        QCOMPARE(BuildUnfilteredSql({}),
                 QStringLiteral(
                     "SELECT * FROM QUILLO  ORDER BY Writer COLLATE JIS, Title COLLATE JIS, ID "));
        QCOMPARE(BuildMaxIdSql(),
                 QStringLiteral("SELECT * FROM QUILLO WHERE ID = (SELECT MAX(ID) FROM QUILLO) ;"));
        QCOMPARE(BuildDistinctValuesSql(names.name(FieldNo::Publisher)),
                 QStringLiteral("SELECT DISTINCT Publisher FROM QUILLO ORDER BY Publisher "));
    }

    void filter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<FieldFlags>("flags");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QString>("condition");
        QTest::addRow("title and writer")
            << S("abc") << flagsFor({FieldNo::Title, FieldNo::Writer})
            << S("WHERE FOLD(Title) LIKE '%abc%' ESCAPE '$'  OR FOLD(Writer) LIKE '%abc%' ESCAPE "
                 "'$'  ORDER BY Writer, Title, ID ")
            << S("(  FOLD(Title) LIKE '%abc%' ESCAPE '$'  OR FOLD(Writer) LIKE '%abc%' ESCAPE '$'  "
                 ")");
        QTest::addRow("memo alone") << S("x") << flagsFor({FieldNo::Memo})
                                    << S("WHERE FOLD(Memo) LIKE '%x%' ESCAPE '$'  ORDER BY Writer, "
                                         "Title, ID ")
                                    << S("(  FOLD(Memo) LIKE '%x%' ESCAPE '$'  )");
        QTest::addRow("wildcards are escaped, quotes and colons doubled, the text folded")
            << S("O'Neil_1:2%$") << flagsFor({FieldNo::Writer5})
            << S("WHERE FOLD(Writer5) LIKE '%o''neil$_1::2$%$$%' ESCAPE '$'  ORDER BY Writer, "
                 "Title, ID ")
            << S("(  FOLD(Writer5) LIKE '%o''neil$_1::2$%$$%' ESCAPE '$'  )");
        QTest::addRow("width and kana folded")
            << S("ｶﾞｲﾄﾞＡ") << flagsFor({FieldNo::Title})
            << S("WHERE FOLD(Title) LIKE '%ガイドa%' ESCAPE '$'  ORDER BY Writer, Title, ID ")
            << S("(  FOLD(Title) LIKE '%ガイドa%' ESCAPE '$'  )");
    }
    void filter() {
        QFETCH(QString, text);
        QFETCH(FieldFlags, flags);
        QFETCH(QString, line2);
        QFETCH(QString, condition);
        SortSettings codePoint;
        codePoint.jis = false;
        const auto sql = BuildFilterSql(text, flags, codePoint, names);
        QVERIFY(sql);
        QCOMPARE(sql->lines, (QStringList{QStringLiteral("SELECT * FROM QUILLO "), line2}));
        QCOMPARE(sql->condition, condition);
    }

    void search_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<FieldFlags>("flags");
        QTest::addColumn<bool>("fuzzy");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("where");
        const QString none;
        QTest::addRow("exact O'Neil") << S("O'Neil") << flagsFor({FieldNo::Title}) << false << none
                                      << S("WHERE Title = 'O''Neil' ");
        QTest::addRow("fuzzy O'Neil") << S("O'Neil") << flagsFor({FieldNo::Title}) << true << none
                                      << S("WHERE Title LIKE '%O''Neil%' ESCAPE '$' ");
        QTest::addRow("fuzzy 10%% is literal")
            << S("10%") << flagsFor({FieldNo::Title}) << true << none
            << S("WHERE Title LIKE '%10$%%' ESCAPE '$' ");
        QTest::addRow("exact a:b") << S("a:b") << flagsFor({FieldNo::Writer}) << false << none
                                   << S("WHERE Writer = 'a::b' ");
        QTest::addRow("fuzzy a:b") << S("a:b") << flagsFor({FieldNo::Writer}) << true << none
                                   << S("WHERE Writer LIKE '%a::b%' ESCAPE '$'  ");
        QTest::addRow("fuzzy several fields")
            << S("猫") << flagsFor({FieldNo::Title, FieldNo::Writer, FieldNo::Memo}) << true << none
            << S("WHERE Title LIKE '%猫%' ESCAPE '$'  OR Writer LIKE '%猫%' ESCAPE '$'   OR Memo "
                 "LIKE "
                 "'%猫%' ESCAPE '$'  ");
        QTest::addRow("exact several fields, title not chosen")
            << S("x") << flagsFor({FieldNo::Kind, FieldNo::Translator}) << false << none
            << S("WHERE Kind = 'x'  OR Translator = 'x' ");
        QTest::addRow("within an active filter")
            << S("x") << flagsFor({FieldNo::Title}) << false << S("(  Memo LIKE '%y%'  )")
            << S("WHERE (  Memo LIKE '%y%'  ) and ( Title = 'x'  )");
        QTest::addRow("dollar and underscore exact")
            << S("$_") << flagsFor({FieldNo::Title}) << false << none << S("WHERE Title = '$_' ");
    }
    void search() {
        QFETCH(QString, text);
        QFETCH(FieldFlags, flags);
        QFETCH(bool, fuzzy);
        QFETCH(QString, filter);
        QFETCH(QString, where);
        SortSettings codePoint;
        codePoint.jis = false;
        const auto sql = BuildSearchSql(text, flags, fuzzy, filter, codePoint, names);
        QVERIFY(sql);
        QCOMPARE(*sql, QStringLiteral("SELECT * FROM QUILLO ") + where +
                           QStringLiteral(" ORDER BY Writer, Title, ID "));
    }

    void noFieldChosenBuildsNothing() {
        const FieldFlags onlyIgnored = flagsFor({FieldNo::ID, FieldNo::PubDate, FieldNo::BuyDate});
        QVERIFY(!BuildFilterSql(QStringLiteral("a"), onlyIgnored, {}, names));
        QVERIFY(!BuildSearchSql(QStringLiteral("a"), onlyIgnored, true, {}, {}, names));
        QVERIFY(!BuildSearchSql(QStringLiteral("a"), FieldFlags{}, false, {}, {}, names));
    }

    void likeEscaping_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("escaped");
        QTest::addRow("empty") << S("") << S("");
        QTest::addRow("plain") << S("夏目漱石") << S("夏目漱石");
        QTest::addRow("every special character") << S("%_$':") << S("$%$_$$''::");
        QTest::addRow("replacements are not looked at again") << S("$%") << S("$$$%");
    }
    void likeEscaping() {
        QFETCH(QString, text);
        QFETCH(QString, escaped);
        QCOMPARE(EscapeLikeText(text), escaped);
    }

    void longTextsAreNotCut() {
        // Built texts have no length limit: a long text over every field is kept whole.
        const QString text(600, QLatin1Char('x'));
        FieldFlags all{};
        all.fill(1);
        const auto sql = BuildSearchSql(text, all, true, {}, {}, names);
        QVERIFY(sql);
        QCOMPARE(sql->count(text), 11);
        const auto filter = BuildFilterSql(text, all, {}, names);
        QVERIFY(filter);
        QCOMPARE(filter->condition.count(text), 11);
    }
};

QTEST_GUILESS_MAIN(TestQueryBuilder)
#include "tst_query_builder.moc"
