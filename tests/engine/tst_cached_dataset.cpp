// The live dataset with cached updates over a real database file.
#include <QRandomGenerator>
#include <QtTest>

#include "engine/cached_dataset.h"
#include "engine/engine_error.h"
#include "engine/read_only_query.h"
#include "engine/table_cursor.h"
#include "test_db.h"

using namespace quillo;

namespace {

UpdateStatements simpleUpdates() {
    return {{QStringLiteral("update quillo set ID = :ID, Title = :Title, PubDate = :PubDate"),
             QStringLiteral("where ID = :OLD_ID")},
            {QStringLiteral("insert into quillo (ID, Title, PubDate)"),
             QStringLiteral("values (:ID, :Title, :PubDate)")},
            {QStringLiteral("delete from quillo where ID = :OLD_ID")}};
}

const QString kAllRows = QStringLiteral("select ID, Title, PubDate from quillo order by ID");

// Texts of every kind a catalogue holds, for orders compared with SQLite's own:
// prefixes, cases, widths, kana, both kanji levels, forms CP932 writes another
// way and characters it lacks.
const char* const kSamples[] = {"",   "abc", "ABC", "ab", "abc ", "1984",      "Z",    "z",
                                "é",  "あ",  "ア",  "ｱ",  "亜",   "伊藤",      "井上", "中村",
                                "弌", "😀",   "〜",  "～", "∯",    "中村 花子", "ヴ",   "𠮷"};

QString sampleOrNull(QRandomGenerator& random) {
    switch (random.bounded(16)) {
        case 0:
        case 1:
            return QStringLiteral("NULL");
        case 2:  // zero bytes inside a text sort as SQLite sorts them
            return QStringLiteral("'ab' || char(0) || 'c'");
        case 3:
            return QStringLiteral("'ab' || char(0)");
        default:
            break;
    }
    QString text;
    for (int parts = 1 + random.bounded(2); parts > 0; --parts)
        text += QString::fromUtf8(kSamples[random.bounded(int(std::size(kSamples)))]);
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QList<qint64> idsOf(const CachedDataset& data) {
    QList<qint64> ids;
    for (int row = 0; row < data.rowCount(); ++row)
        ids << data.textAt(row, 0).toLongLong();
    return ids;
}

}  // namespace

class TestCachedDataset : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempBookDb> m_db;
    std::unique_ptr<Connection> m_connection;
    std::unique_ptr<CachedDataset> m_data;
    int m_title = 0, m_pubDate = 0;

private slots:
    // Sort keys kept beside the rows are found under any ID a table may hold:
    // near, far, negative, written again, removed; an empty one is not none.
    void blobsAreFoundUnderAnyId() {
        BlobsById blobs;
        const QList<qint64> ids{1, 2, 70000, 5'000'000'000, -4, 0};
        for (qint64 id : ids)
            blobs.insert(id, QByteArray::number(id));
        for (qint64 id : ids)
            QCOMPARE(blobs.find(id).value_or("none"), QByteArray::number(id));
        for (qint64 id : {3, 70001, -5})
            QVERIFY(!blobs.find(id));
        blobs.insert(2, "again");
        blobs.insert(5'000'000'000, "far again");
        QCOMPARE(blobs.find(2).value_or("none"), "again");
        QCOMPARE(blobs.find(5'000'000'000).value_or("none"), "far again");
        blobs.remove(2);
        blobs.remove(5'000'000'000);
        QVERIFY(!blobs.find(2) && !blobs.find(5'000'000'000));
        blobs.insert(9, "");
        QVERIFY(blobs.find(9) && blobs.find(9)->isEmpty());
        blobs.clear();
        QVERIFY(!blobs.find(1) && !blobs.find(-4));
    }
    void init() {
        m_db = std::make_unique<test::TempBookDb>();
        test::exec(QStringLiteral(
            "insert into quillo (ID, Title, PubDate) values (1, '坊っちゃん', '1906-04-01'),"
            " (2, '草枕', NULL), (3, '三四郎', '1908-09-01')"));
        m_connection = std::make_unique<Connection>(QStringLiteral("book"));
        m_data = std::make_unique<CachedDataset>(*m_connection);
        m_data->setSql({QStringLiteral("select * from quillo"), QStringLiteral("order by ID")});
        m_data->setUpdateStatements(simpleUpdates());
        m_data->open();
        m_title = m_data->fieldIndex(QStringLiteral("title"));
        m_pubDate = m_data->fieldIndex(QStringLiteral("PubDate"));
    }
    void cleanup() {
        m_data.reset();
        m_connection.reset();
        m_db.reset();
    }

    void opensWithFieldsByNameAndKind() {
        QCOMPARE(m_data->rowCount(), 3);
        QCOMPARE(m_data->fieldCount(), 14);
        QCOMPARE(m_data->field(0).kind, FieldKind::Integer);
        QCOMPARE(m_data->field(m_pubDate).kind, FieldKind::Date);
        QCOMPARE(m_data->field(m_title).kind, FieldKind::Text);
        QCOMPARE(m_data->text(m_title), QStringLiteral("坊っちゃん"));
        QCOMPARE(m_data->text(m_pubDate), QStringLiteral("1906/04/01"));
        QCOMPARE(m_data->date(m_pubDate),
                 std::chrono::year_month_day(std::chrono::year(1906), std::chrono::April,
                                             std::chrono::day(1)));
        m_data->next();
        QVERIFY(m_data->isNull(m_pubDate));
        QCOMPARE(m_data->text(m_pubDate), QString());
        QVERIFY_THROWS_EXCEPTION(EngineError, m_data->text(QStringLiteral("NoSuchColumn")));
    }

    void cursorEdgesAreFirstAndLastRow() {
        QVERIFY(m_data->atBeginning());
        QVERIFY(!m_data->atEnd());
        m_data->next();
        QVERIFY(!m_data->atBeginning() && !m_data->atEnd());
        m_data->last();
        QVERIFY(m_data->atEnd());
        m_data->next();  // past the end stays on the last row
        QCOMPARE(m_data->currentRow(), 2);
        m_data->first();
        m_data->prior();
        QCOMPARE(m_data->currentRow(), 0);
        QVERIFY(m_data->locate(0, 3));
        QCOMPARE(m_data->text(m_title), QStringLiteral("三四郎"));
        QVERIFY(!m_data->locate(0, 99));
        QCOMPARE(m_data->currentRow(), 2);
    }

    void emptyResultIsAtBothEnds() {
        m_data->close();
        m_data->setSql({QStringLiteral("select * from quillo where ID < 0")});
        m_data->open();
        QCOMPARE(m_data->rowCount(), 0);
        QCOMPARE(m_data->currentRow(), -1);
        QVERIFY(m_data->atBeginning() && m_data->atEnd());
        m_data->deleteCurrent();  // nothing to delete, nothing happens
        QVERIFY(!m_data->updatesPending());
    }

    void changesStayInTheCacheUntilApplied() {
        int inserts = 0, edits = 0, deletes = 0;
        m_data->onAfterInsert = [&] { ++inserts; };
        m_data->onAfterEdit = [&] { ++edits; };
        m_data->onAfterDelete = [&] { ++deletes; };

        m_data->append();
        QCOMPARE(m_data->state(), DatasetState::Insert);
        QCOMPARE(m_data->rowCount(), 4);
        m_data->setInteger(0, 10);
        m_data->setText(m_title, QStringLiteral("門"));
        m_data->setText(m_pubDate, QStringLiteral("1911/02/01"));
        m_data->post();

        QVERIFY(m_data->locate(0, 2));
        m_data->setText(m_title, QStringLiteral("草枕 (改)"));  // enters edit by itself
        m_data->setInteger(0, 20);                              // a new key; OLD_ID finds the row
        m_data->post();

        QVERIFY(m_data->locate(0, 1));
        m_data->deleteCurrent();
        QCOMPARE(m_data->rowCount(), 3);
        QCOMPARE((std::array{inserts, edits, deletes}), (std::array{1, 1, 1}));
        QVERIFY(m_data->updatesPending());

        const QStringList before = test::rows(kAllRows);
        QCOMPARE(before.size(), 3);  // the table has not changed yet

        m_data->applyUpdates();
        QVERIFY(!m_data->updatesPending());
        QCOMPARE(test::rows(kAllRows), (QStringList{QStringLiteral("3|三四郎|1908-09-01"),
                                                    QStringLiteral("10|門|1911-02-01"),
                                                    QStringLiteral("20|草枕 (改)|<null>")}));
    }

    void applyPostsTheRowBeingEdited() {
        m_data->setText(m_title, QStringLiteral("新しい題"));
        QCOMPARE(m_data->state(), DatasetState::Edit);
        m_data->applyUpdates();
        QCOMPARE(test::rows(QStringLiteral("select Title from quillo where ID = 1")),
                 QStringList{QStringLiteral("新しい題")});
    }

    void editsOfAnInsertedOrDeletedRowWriteOnce() {
        m_data->append();
        m_data->setInteger(0, 7);
        m_data->setText(m_title, QStringLiteral("一"));
        m_data->post();
        m_data->setText(m_title, QStringLiteral("二"));  // still an insert
        m_data->post();
        m_data->append();
        m_data->setInteger(0, 8);
        m_data->post();
        m_data->deleteCurrent();  // an insert deleted again never reaches the table
        QVERIFY(m_data->locate(0, 3));
        m_data->setText(m_title, QStringLiteral("消える"));
        m_data->post();
        m_data->deleteCurrent();  // the delete finds the row by the key it was read with
        m_data->applyUpdates();
        QCOMPARE(test::rows(kAllRows),
                 (QStringList{QStringLiteral("1|坊っちゃん|1906-04-01"),
                              QStringLiteral("2|草枕|<null>"), QStringLiteral("7|二|<null>")}));
    }

    void cancelOfAnAppendDiscardsTheRow() {
        m_data->last();
        m_data->append();
        m_data->setText(m_title, QStringLiteral("書きかけ"));
        m_data->cancel();
        QCOMPARE(m_data->rowCount(), 3);
        QCOMPARE(m_data->currentRow(), 2);
        QVERIFY(!m_data->updatesPending());
        m_data->append();
        m_data->deleteCurrent();  // deleting a row being appended discards it too
        QCOMPARE(m_data->rowCount(), 3);
        QVERIFY(!m_data->updatesPending());
    }

    void datesAcceptOnlyRealDatesOrNothing() {
        try {
            m_data->setText(m_pubDate, QStringLiteral("2001/02/30"));
            QFAIL("a date that does not exist was accepted");
        } catch (const EngineError& e) {
            QCOMPARE(e.message(), QStringLiteral("'2001/02/30' は日付ではありません"));
        }
        QCOMPARE(m_data->state(), DatasetState::Browse);  // a refused value starts no edit
        m_data->setText(m_pubDate, QString());
        QVERIFY(m_data->isNull(m_pubDate));
        m_data->setText(m_title, QString());  // an empty text is stored as no value
        m_data->applyUpdates();
        QCOMPARE(test::rows(QStringLiteral("select Title, PubDate from quillo where ID = 1")),
                 QStringList{QStringLiteral("<null>|<null>")});
    }

    void refusedApplyKeepsEveryUpdateAndTheTable() {
        test::exec(
            QStringLiteral("create trigger no_kafka before insert on quillo when new.Title = '審判'"
                           " begin select raise(abort, 'この本は受け付けません'); end"));
        const QStringList before = test::rows(kAllRows);
        QVERIFY(m_data->locate(0, 1));
        m_data->deleteCurrent();
        m_data->setText(m_title, QStringLiteral("編集"));
        m_data->post();
        m_data->append();
        m_data->setInteger(0, 4);
        m_data->setText(m_title, QStringLiteral("審判"));
        m_data->post();

        try {
            m_data->applyUpdates();
            QFAIL("the trigger should have refused the insert");
        } catch (const EngineError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("この本は受け付けません")),
                     qPrintable(e.message()));
        }
        QCOMPARE(test::rows(kAllRows), before);
        QVERIFY(!m_connection->inTransaction());
        QVERIFY(m_data->updatesPending());
        QCOMPARE(m_data->rowCount(), 3);

        test::exec(QStringLiteral("drop trigger no_kafka"));
        m_data->applyUpdates();
        QCOMPARE(test::rows(kAllRows), (QStringList{QStringLiteral("2|編集|<null>"),
                                                    QStringLiteral("3|三四郎|1908-09-01"),
                                                    QStringLiteral("4|審判|<null>")}));
    }

    void cancelUpdatesShowsTheStoredRowsAgain() {
        QVERIFY(m_data->locate(0, 2));
        m_data->setText(m_title, QStringLiteral("変更"));
        m_data->post();
        m_data->first();
        m_data->deleteCurrent();
        m_data->append();
        m_data->setInteger(0, 9);
        m_data->post();
        QVERIFY(m_data->locate(0, 3));
        m_data->cancelUpdates();
        QVERIFY(!m_data->updatesPending());
        QCOMPARE(m_data->rowCount(), 3);
        QCOMPARE(m_data->integer(0), 3);  // the cursor stays on the same book
        QVERIFY(m_data->locate(0, 2));
        QCOMPARE(m_data->text(m_title), QStringLiteral("草枕"));
    }

    void dataChangeFollowsTheCursorAndTheData() {
        int changes = 0;
        m_data->onDataChange = [&] { ++changes; };
        m_data->next();
        m_data->next();
        m_data->next();  // already on the last row: no move, no notice
        QCOMPARE(changes, 2);
        m_data->setText(m_title, QStringLiteral("x"));
        QCOMPARE(changes, 3);
    }

    void visibilityOfAFieldSurvivesReopening() {
        m_data->setFieldVisible(0, false);
        m_data->close();
        m_data->open();
        QVERIFY(!m_data->isFieldVisible(0));
        QVERIFY(m_data->isFieldVisible(m_title));
    }

    // A read started ahead gives what a plain open gives; it is taken only for
    // its own SQL, never after the table has changed under it, and a read that
    // failed leaves open() to read (and report) for itself.
    void aReadStartedAheadIsTakenOnlyWhenItStillHolds() {
        auto titles = [this] {
            QStringList out;
            for (int row = 0; row < m_data->rowCount(); ++row)
                out << m_data->textAt(row, m_title);
            return out;
        };
        const QStringList descending{QStringLiteral("select * from quillo"),
                                     QStringLiteral("order by ID desc")};
        m_data->close();
        m_data->prefetch(m_data->sql());
        test::exec(QStringLiteral("update quillo set Title = '虞美人草' where ID = 2"));
        m_data->setSql(descending);  // other SQL: the rows read ahead are not used
        m_data->open();
        QCOMPARE(titles(), (QStringList{QStringLiteral("三四郎"), QStringLiteral("虞美人草"),
                                        QStringLiteral("坊っちゃん")}));

        m_data->close();
        m_data->prefetch(descending);
        m_data->open();
        QCOMPARE(titles().size(), 3);
        QCOMPARE(m_data->fieldIndex(QStringLiteral("Title")), m_title);

        // Changes applied after the read started make it stale.
        m_data->prefetch(descending);
        m_data->first();
        m_data->setText(m_title, QStringLiteral("変更後"));
        m_data->post();
        m_data->applyUpdates();
        m_data->close();
        m_data->open();
        QCOMPARE(titles().first(), QStringLiteral("変更後"));

        m_data->close();
        m_data->prefetch({QStringLiteral("select * from no_such_table")});
        m_data->setSql({QStringLiteral("select * from no_such_table")});
        QVERIFY_THROWS_EXCEPTION(EngineError, m_data->open());
        QVERIFY(!m_data->isActive());
    }

    void sqlIsFixedWhileOpen() {
        QVERIFY_THROWS_EXCEPTION(EngineError, m_data->setSql({QStringLiteral("select 1")}));
    }

    void readOnlyQueryVisitsItsRows() {
        ReadOnlyQuery query(*m_connection);
        query.setSql({QStringLiteral("select ID, Title from quillo order by ID desc")});
        query.open();
        QCOMPARE(query.rowCount(), 3);
        QStringList seen;
        for (query.first(); !query.eof(); query.next())
            seen << QString::number(query.integer(0)) + query.text(1);
        QCOMPARE(seen, (QStringList{QStringLiteral("3三四郎"), QStringLiteral("2草枕"),
                                    QStringLiteral("1坊っちゃん")}));
        query.close();
        QVERIFY(!query.isActive());
        QCOMPARE(query.integer(0), 0);
    }

    // Rows sorted in memory, all at once or a few written rows moved to their
    // places by an apply, stand exactly where SQLite's ORDER BY puts them.
    void rowsSortedInMemoryStandWhereTheDatabasePutsThem_data() {
        QTest::addColumn<QString>("orderBy");
        QTest::addColumn<QList<int>>("fields");  // negative: descending
        QTest::addColumn<QList<bool>>("jis");
        const int title = 1, writer = 2, pubDate = 4;
        QTest::addRow("title in JIS order")
            << "Title COLLATE JIS, ID" << QList<int>{title, 0} << QList<bool>{true, false};
        QTest::addRow("title by code point")
            << "Title, ID" << QList<int>{title, 0} << QList<bool>{false, false};
        QTest::addRow("descending, NULLs last")
            << "Writer COLLATE JIS DESC, Title COLLATE JIS DESC, ID"
            << QList<int>{-writer, -title, 0} << QList<bool>{true, true, false};
        QTest::addRow("date, then title")
            << "PubDate, Title COLLATE JIS, ID" << QList<int>{pubDate, title, 0}
            << QList<bool>{false, true, false};
    }
    void rowsSortedInMemoryStandWhereTheDatabasePutsThem() {
        QFETCH(QString, orderBy);
        QFETCH(QList<int>, fields);
        QFETCH(QList<bool>, jis);
        std::vector<RowOrderKey> keys;
        for (int i = 0; i < fields.size(); ++i)
            keys.push_back({std::abs(fields[i]), jis[i], fields[i] < 0});
        const RowOrder order(keys);
        QRandomGenerator random(17);
        QStringList values;
        for (int id = 10; id < 400; ++id)
            values << QStringLiteral("(%1, %2, %3, %4)")
                          .arg(id)
                          .arg(sampleOrNull(random), sampleOrNull(random),
                               random.bounded(3) == 0
                                   ? QStringLiteral("NULL")
                                   : QStringLiteral("'19%1-01-01'").arg(random.bounded(10, 99)));
        test::exec(QStringLiteral("insert into quillo (ID, Title, Writer, PubDate) values ") +
                   values.join(QLatin1Char(',')));
        const QStringList sorted{QStringLiteral("select * from quillo order by ") + orderBy};
        auto readSorted = [&] {
            CachedDataset fresh(*m_connection);
            fresh.setSql(sorted);
            fresh.open();
            return idsOf(fresh);
        };

        m_data->close();
        m_data->setSql({QStringLiteral("select * from quillo order by random()")});
        m_data->open();
        m_data->moveTo(5);
        const qint64 current = m_data->integer(0);
        m_data->reorder(sorted, order);
        QCOMPARE(idsOf(*m_data), readSorted());
        QCOMPARE(m_data->integer(0), current);
        QCOMPARE(m_data->sql(), sorted);

        // A few books changed and one added: the apply moves just those.
        for (int row : {0, 7, 100, 389}) {
            m_data->moveTo(row);
            m_data->edit();
            m_data->setText(m_title, QString::fromUtf8(kSamples[random.bounded(23)]));
        }
        m_data->append();
        m_data->setInteger(0, 500);
        m_data->setText(m_title, QStringLiteral("中村"));
        m_data->applyUpdates(&order);
        QCOMPARE(idsOf(*m_data), readSorted());
        QCOMPARE(m_data->integer(0), 500);  // the book just added stays current
    }

    void tableCursorRewritesKeysInKeyOrder() {
        test::exec(QStringLiteral("delete from quillo where ID = 2"));
        test::exec(QStringLiteral("insert into quillo (ID, Title) values (50, '明暗')"));
        TableCursor table(QStringLiteral("BOOK"), QStringLiteral("QUILLO"));
        table.open();
        QCOMPARE(table.recordCount(), 3);
        int i = 0;
        for (table.first(); !table.eof(); table.next()) {
            table.edit();
            table.setInteger(QStringLiteral("ID"), ++i);
        }
        table.close();
        QCOMPARE(test::rows(QStringLiteral("select ID, Title from quillo order by ID")),
                 (QStringList{QStringLiteral("1|坊っちゃん"), QStringLiteral("2|三四郎"),
                              QStringLiteral("3|明暗")}));
    }
};

QTEST_GUILESS_MAIN(TestCachedDataset)
#include "tst_cached_dataset.moc"
