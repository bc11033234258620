// The small pieces under the dataset: SQL text handed to SQLite, packed rows and
// the stored form of dates.
#include <QtTest>

#include "engine/date_field.h"
#include "engine/engine_error.h"
#include "engine/packed_row.h"
#include "engine/sql_text.h"
#include "engine/statement.h"
#include "test_db.h"

using namespace quillo;

class TestEngineText : public QObject {
    Q_OBJECT
private slots:
    void sqlTextUndoublesColons_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("lines joined")
            << QStringList{QStringLiteral("select *"), QStringLiteral("from t")}
            << QByteArray("select *\nfrom t");
        QTest::addRow("literal colon")
            << QStringList{QStringLiteral("x = 'a::b'")} << QByteArray("x = 'a:b'");
        QTest::addRow("parameter kept")
            << QStringList{QStringLiteral("ID = :OLD_ID")} << QByteArray("ID = :OLD_ID");
        QTest::addRow("four colons are two")
            << QStringList{QStringLiteral("'::::'")} << QByteArray("'::'");
        QTest::addRow("Japanese text")
            << QStringList{QStringLiteral("'本::棚'")} << QStringLiteral("'本:棚'").toUtf8();
    }
    void sqlTextUndoublesColons() {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, expected);
        QCOMPARE(toEngineSql(lines), expected);
    }

    void statementRefusesASecondStatement() {
        test::TempBookDb db;
        Connection connection(QStringLiteral("book"));
        QVERIFY_THROWS_EXCEPTION(
            EngineError,
            Statement(connection.handle(), {QStringLiteral("select 1; drop table quillo")}));
        // A trailing semicolon is not a second statement.
        Statement ok(connection.handle(), {QStringLiteral("select * from quillo;")});
        QVERIFY(!ok.step());
        QCOMPARE(test::scalar(
                     QStringLiteral("select count(*) from sqlite_master where name = 'quillo'")),
                 1);
    }

    void statementBindsColonTextLiterally() {
        test::TempBookDb db;
        test::exec(QStringLiteral("insert into quillo (ID, Title) values (1, 'a:b')"));
        Connection connection(QStringLiteral("book"));
        Statement s(connection.handle(),
                    {QStringLiteral("select ID from quillo where Title = 'a::b'")});
        QVERIFY(s.step());
        QCOMPARE(s.currentRow().integer(0), 1);
    }

    void packedRowsKeepEveryValue() {
        const std::vector<FieldValue> values = {
            FieldValue::fromInteger(-42), FieldValue::null(), FieldValue::fromText(QByteArray()),
            FieldValue::fromText(QStringLiteral("吾輩は猫である").toUtf8()),
            FieldValue::fromInteger(Q_INT64_C(9007199254740993))};
        const PackedRow row = PackedRow::pack(values);
        QCOMPARE(row.unpack(), values);
        QCOMPARE(row.integer(0), -42);
        QCOMPARE(row.type(1), FieldValue::Type::Null);
        QCOMPARE(row.type(2), FieldValue::Type::Text);
        QCOMPARE(QString::fromUtf8(row.text(3)), QStringLiteral("吾輩は猫である"));
        QCOMPARE(row.value(4), values[4]);
    }

    void shownDatesConvertOnlyWhenReal_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("stored");  // empty: refused
        QTest::addRow("ordinary") << QStringLiteral("1999/03/15") << QByteArray("1999-03-15");
        QTest::addRow("leap day") << QStringLiteral("2000/02/29") << QByteArray("2000-02-29");
        QTest::addRow("no leap day") << QStringLiteral("1900/02/29") << QByteArray();
        QTest::addRow("month 13") << QStringLiteral("2001/13/01") << QByteArray();
        QTest::addRow("blank mask") << QStringLiteral("    /  /  ") << QByteArray();
        QTest::addRow("dashes") << QStringLiteral("1999-03-15") << QByteArray();
        QTest::addRow("short") << QStringLiteral("1999/3/15") << QByteArray();
        QTest::addRow("wide digits") << QStringLiteral("１９９９/03/15") << QByteArray();
    }
    void shownDatesConvertOnlyWhenReal() {
        QFETCH(QString, shown);
        QFETCH(QByteArray, stored);
        const auto result = shownDateToStored(shown);
        QCOMPARE(result.value_or(QByteArray()), stored);
        if (!stored.isEmpty())
            QCOMPARE(storedDateToShown(stored), shown);
    }

    void oddStoredDatesShowAsTheyAre() {
        QCOMPARE(storedDateToShown("sometime"), QStringLiteral("sometime"));
        QVERIFY(!storedDateToYmd("2001-02-30"));
    }
};

QTEST_GUILESS_MAIN(TestEngineText)
#include "tst_engine_text.moc"
