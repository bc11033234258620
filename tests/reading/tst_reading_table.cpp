// The readings kept beside the book table of a real catalogue file: made for
// new books, remade for books another program changed, dropped for books that
// are gone, and corrected readings of a name used for every book with it.
#include <sqlite3.h>
#include <QTemporaryDir>
#include <QtTest>

#include "damaged_files.h"
#include "engine/catalogue_file.h"
#include "files.h"
#include "reading/reading_analyzer.h"
#include "reading/reading_table.h"
#include "store/book_record.h"
#include "store/book_table.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestReadingTable : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    ReadingAnalyzer m_analyzer;
    sqlite3* m_db = nullptr;

    QString path() const { return m_dir.filePath(S("book.db")); }
    void exec(const QString& sql) {
        QCOMPARE(sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr),
                 SQLITE_OK);
    }
    qint64 count(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr);
        sqlite3_step(statement);
        const qint64 n = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        return n;
    }

private slots:
    void init() {
        QFile::remove(path());
        CreateCatalogue(path());
        QCOMPARE(sqlite3_open(QFile::encodeName(path()).constData(), &m_db), SQLITE_OK);
        exec(
            S("INSERT INTO quillo (ID, Title, Writer, Publisher) VALUES"
              " (1, '吾輩は猫である', '夏目 漱石', '岩波書店'),"
              " (2, '白夜行', '東野 圭吾', '集英社'),"
              " (3, 'ｷｯﾁﾝ', '吉本 ばなな', NULL)"));
    }
    void cleanup() {
        sqlite3_close(m_db);
        m_db = nullptr;
    }

    void readingsAreMadeBesideTheBooks() {
        ReadingTable table(m_db);
        QVERIFY(!table.exists());  // an older catalogue has none until written
        table.create(m_analyzer);
        QVERIFY(table.exists());
        QList<int> told;
        QCOMPARE(table.sync(m_analyzer, [&](int done, int total) { told << done << total; }), 3);
        QCOMPARE(told.mid(told.size() - 2), (QList<int>{3, 3}));  // in books
        QVERIFY(table.inStep());
        QCOMPARE(table.reading(1, FieldNo::Title), S("ワガハイワネコデアル"));
        QCOMPARE(table.reading(1, FieldNo::Writer), S("ナツメ ソウセキ"));
        QCOMPARE(table.reading(1, FieldNo::Publisher), S("イワナミショテン"));
        QCOMPARE(table.reading(3, FieldNo::Title), S("キッチン"));
        QCOMPARE(table.reading(3, FieldNo::Publisher), QString());
        QCOMPARE(table.reading(3, FieldNo::Memo), QString());
        // The book table itself is as it was.
        QCOMPARE(count("SELECT count(*) FROM pragma_table_info('quillo')"), kFieldCount);
        QCOMPARE(table.sync(m_analyzer), 0);  // nothing changed, nothing read
    }

    // What another program writes is followed through the triggers, in its own
    // transaction: a changed writer loses its reading (the title keeps the one
    // the user typed), a changed memo only the search text, a new ID carries
    // them along.
    void theTriggersKeepEveryRowABooks() {
        ReadingTable table(m_db);
        table.create(m_analyzer);
        table.sync(m_analyzer);
        table.setReading(1, FieldNo::Title, S("ワガハイハ ネコデアル"));  // the user's own
        exec(S("UPDATE quillo SET Memo = '初版' WHERE ID = 1"));
        QCOMPARE(count("SELECT count(*) FROM quillo_search"), 2);
        exec(S("UPDATE quillo SET Writer = '森 鴎外' WHERE ID = 1"));
        QVERIFY(!table.inStep());  // the writer's reading is stale
        QCOMPARE(table.sync(m_analyzer), 1);
        QCOMPARE(table.reading(1, FieldNo::Writer), S("モリ オウガイ"));
        QCOMPARE(table.reading(1, FieldNo::Title), S("ワガハイハ ネコデアル"));
        QCOMPARE(table.reading(1, FieldNo::Publisher), S("イワナミショテン"));
        exec(S("UPDATE quillo SET ID = 7 WHERE ID = 2"));
        QCOMPARE(table.reading(7, FieldNo::Writer), S("ヒガシノ ケイゴ"));
        QCOMPARE(table.reading(2, FieldNo::Writer), QString());
        exec(S("INSERT OR REPLACE INTO quillo (ID, Title) VALUES (7, '別の本')"));
        QCOMPARE(table.reading(7, FieldNo::Writer), QString());
        QVERIFY(!table.inStep());
        QCOMPARE(table.sync(m_analyzer), 1);
        QVERIFY(table.inStep());
        QCOMPARE(count("SELECT count(*) FROM quillo_search s JOIN quillo q ON q.ID = s.ID"), 3);

        // Another program took a book's rows and left rows of no book, as
        // many: the counts agree, the IDs do not.
        exec(S("DELETE FROM quillo_reading WHERE ID = 7; DELETE FROM quillo_search WHERE ID = 7"));
        exec(
            S("INSERT INTO quillo_reading (ID, Title, TitleKey, WriterKey, PublisherKey)"
              " VALUES (99, 'ナイホン', x'01', x'01', x'01')"));
        exec(S("INSERT INTO quillo_search (ID, Folded) VALUES (99, x'00')"));
        QVERIFY(!table.inStep());
        QCOMPARE(table.booksOutOfStep(), 2);
        QCOMPARE(table.sync(m_analyzer), 1);
        QVERIFY(table.inStep());
        QCOMPARE(table.reading(7, FieldNo::Title), S("ベツノホン"));
        QCOMPARE(count("SELECT count(*) FROM quillo_reading WHERE ID = 99"), 0);

        // A book table made again by another program has lost the triggers:
        // the rows kept meanwhile are not trusted.
        exec(S("ALTER TABLE quillo RENAME TO old_quillo"));
        exec(S("CREATE TABLE quillo AS SELECT * FROM old_quillo WHERE 0"));
        exec(S("DROP TABLE old_quillo"));
        exec(S("INSERT INTO quillo (ID, Title) VALUES (1, '雪国')"));
        QVERIFY(!table.exists());
        table.create(m_analyzer);
        QCOMPARE(table.sync(m_analyzer), 1);
        QCOMPARE(table.reading(1, FieldNo::Title), S("ユキグニ"));
    }

    // Whatever changed the books (this program or another), the next sync
    // brings the readings in step, and only for what changed.
    void booksChangedOrGoneAreFollowed() {
        ReadingTable table(m_db);
        table.create(m_analyzer);
        table.sync(m_analyzer);
        QVERIFY(table.inStep());
        exec(S("UPDATE quillo SET Title = '容疑者Xの献身' WHERE ID = 2"));
        exec(S("DELETE FROM quillo WHERE ID = 1"));
        exec(S("INSERT INTO quillo (ID, Title, Writer) VALUES (9, '雪国', '川端 康成')"));
        QCOMPARE(table.sync(m_analyzer), 2);
        QCOMPARE(table.reading(2, FieldNo::Title), S("ヨウギシャXノケンシン"));
        QCOMPARE(table.reading(9, FieldNo::Writer), S("カワバタ ヤスナリ"));
        QCOMPARE(table.reading(1, FieldNo::Title), QString());
        QCOMPARE(count("SELECT count(*) FROM quillo_reading"), 3);
        QCOMPARE(count("SELECT count(*) FROM quillo_reading WHERE ID NOT IN"
                       " (SELECT ID FROM quillo)"),
                 0);
    }

    // Many books are read a batch at a time, on a second thread, and written
    // many rows to a statement: every row must be what reading the books one
    // at a time writes, at the batches' edges too, and again when some
    // books' texts changed (one reading the user gave kept).
    void aPassOverManyBooksWritesWhatOneBookAtATimeWrites_data() {
        QTest::addColumn<int>("books");
        QTest::newRow("one") << 1;
        QTest::newRow("a statement of many rows and one more") << 33;
        QTest::newRow("whole batches") << 1024;
        QTest::newRow("batches and a short one") << 2600;
    }
    void aPassOverManyBooksWritesWhatOneBookAtATimeWrites() {
        QFETCH(int, books);
        const QString onePath = m_dir.filePath(S("one-by-one.db"));
        QFile::remove(onePath);
        QVERIFY(QFile::copy(path(), onePath));
        sqlite3* one = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(onePath).constData(), &one), SQLITE_OK);
        const QStringList titles = {
            S("雪国"),    S("こゝろ"), S("白夜行"), S("ノルウェイの森"), S("1973年のピンボール"),
            S("The Road")};
        const QStringList writers = {S("川端 康成"), S("夏目漱石"), S("村上 春樹"), S("東野 圭吾"),
                                     S("冲方 丁")};
        QStringList rows;
        for (int i = 4; i < books + 4; ++i)
            rows << S("(%1, '%2 %3', '%4', %5, %6, %7, %8)")
                        .arg(i)
                        .arg(titles[i % titles.size()])
                        .arg(i % 5 == 0 ? QString() : QString::number(i))
                        .arg(writers[i % writers.size()])
                        .arg(i % 4 == 0 ? S("NULL") : S("'新潮社'"))
                        .arg(i % 3 == 0 ? S("'柴田 元幸'") : S("NULL"))
                        .arg(i % 7 == 0 ? S("'初版 帯あり'") : S("NULL"))
                        .arg(i % 6 == 0 ? S("'野崎 孝'") : S("NULL"));
        const QString insert = S("DELETE FROM quillo; INSERT INTO quillo (ID, Title, Writer,"
                                 " Publisher, Translator, Memo, Writer2) VALUES ") +
                               rows.join(u',');
        std::vector<qint64> ids;
        for (int i = 4; i < books + 4; ++i)
            ids.push_back(i);
        auto dump = [](sqlite3* db, const char* table) {
            QStringList lines;
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(db, (QByteArray("SELECT * FROM ") + table + " ORDER BY ID").data(),
                               -1, &statement, nullptr);
            while (sqlite3_step(statement) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(statement); ++c)
                    lines << QString::number(sqlite3_column_type(statement, c)) +
                                 QString::fromLatin1(
                                     QByteArray(static_cast<const char*>(
                                                    sqlite3_column_blob(statement, c)),
                                                sqlite3_column_bytes(statement, c))
                                         .toHex());
            sqlite3_finalize(statement);
            return lines;
        };
        ReadingTable many(m_db), single(one);
        for (int round = 0; round < 2; ++round) {
            for (sqlite3* db : {m_db, one}) {
                QCOMPARE(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
                const QString sql =
                    round == 0 ? insert
                               : S("UPDATE quillo SET Title = Title || '下', Writer2 = '柴田 元幸'"
                                   " WHERE ID % 2 = 1");
                QCOMPARE(sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr),
                         SQLITE_OK);
            }
            if (round == 0) {
                many.create(m_analyzer);
                single.create(m_analyzer);
                QCOMPARE(many.sync(m_analyzer), books);
            } else {
                QCOMPARE(many.sync(m_analyzer), books / 2);  // the odd IDs
            }
            for (size_t at = 0; at < ids.size(); at += 100)
                single.sync(m_analyzer,
                            std::vector<qint64>(ids.begin() + at,
                                                ids.begin() + std::min(ids.size(), at + 100)));
            for (sqlite3* db : {m_db, one})
                QCOMPARE(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
            QCOMPARE(count("SELECT count(*) FROM quillo_reading"), books);
            QCOMPARE(dump(m_db, "quillo_reading"), dump(one, "quillo_reading"));
            QCOMPARE(dump(m_db, "quillo_search"), dump(one, "quillo_search"));
            if (round == 0)  // a reading the user gave, on a book whose title changes
                for (ReadingTable* table : {&many, &single})
                    table->setReading(5, FieldNo::Writer, S("ナツメ ソーセキ"));
        }
        sqlite3_close(one);
        if (books > 1)
            QCOMPARE(many.reading(5, FieldNo::Writer), S("ナツメ ソーセキ"));
    }

    // A catalogue whose readings the previous version made: they are made
    // again with the name data, but a title reading the user typed stays, and
    // a learned name is matched folded from then on.
    void readingsOfTheFirstVersionAreMadeAgain() {
        exec(
            S("CREATE TABLE quillo_reading (ID INTEGER PRIMARY KEY, Title TEXT, Writer TEXT,"
              " Publisher TEXT, TitleKey BLOB, WriterKey BLOB, PublisherKey BLOB);"
              "CREATE TABLE quillo_search (ID INTEGER PRIMARY KEY, Folded BLOB);"
              "CREATE TABLE quillo_learned_reading (Name TEXT PRIMARY KEY, Reading TEXT NOT NULL);"
              "CREATE TRIGGER quillo_reading_insert AFTER INSERT ON quillo BEGIN SELECT 1; END;"
              "CREATE TRIGGER quillo_reading_delete AFTER DELETE ON quillo BEGIN SELECT 1; END;"
              "CREATE TRIGGER quillo_reading_move AFTER UPDATE OF ID ON quillo BEGIN SELECT 1; END;"
              "CREATE TRIGGER quillo_reading_texts AFTER UPDATE ON quillo BEGIN SELECT 1; END;"
              "INSERT INTO quillo_reading (ID, Title, Writer, TitleKey, WriterKey, PublisherKey)"
              " VALUES (1, 'ワガハイハネコデアル', 'ナツメ ソウセキ', x'01', x'01', x'01'),"
              " (2, 'ハクヤユキ', 'トウノ ケイゴ', x'01', x'01', x'01'),"
              " (3, 'キッチン', 'ヨシモト バナナ', x'01', x'01', x'01');"
              "INSERT INTO quillo_learned_reading VALUES ('吉本 ばなな', 'ヨシモト バナナ')"));
        ReadingTable table(m_db);
        QVERIFY(!table.exists());
        table.create(m_analyzer);
        QVERIFY(table.exists());
        table.sync(m_analyzer);
        QVERIFY(table.inStep());
        QCOMPARE(table.reading(1, FieldNo::Title), S("ワガハイワネコデアル"));  // made again
        QCOMPARE(table.reading(2, FieldNo::Title), S("ハクヤユキ"));            // the user's
        QCOMPARE(table.reading(2, FieldNo::Writer), S("ヒガシノ ケイゴ"));
        QCOMPARE(table.learned(S("吉本ばなな")), S("ヨシモト バナナ"));
    }

    // A catalogue whose keys an older version made (numbers as words) has them
    // made again when it is next written, its readings untouched, so a series
    // lists in volume order without the user doing anything; an older Quillo
    // still takes the tables as its own.
    void keysOfAnOlderVersionAreMadeAgain() {
        exec(S("DELETE FROM quillo"));
        QStringList titles;
        for (int i = 1; i <= 12; ++i)
            titles << S("(%1, 'ワンピース %2')").arg(i).arg(13 - i);
        exec(S("INSERT INTO quillo (ID, Title) VALUES ") + titles.join(S(",")));
        ReadingTable table(m_db);
        table.create(m_analyzer);
        table.sync(m_analyzer);
        QVERIFY(table.keysInStep());
        auto byKey = [&] {
            QStringList ordered;
            sqlite3_stmt* statement = nullptr;
            sqlite3_prepare_v2(m_db,
                               "SELECT q.Title FROM quillo q JOIN quillo_reading r USING (ID)"
                               " ORDER BY r.TitleKey",
                               -1, &statement, nullptr);
            while (sqlite3_step(statement) == SQLITE_ROW)
                ordered << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
            sqlite3_finalize(statement);
            return ordered;
        };
        QStringList expected;
        for (int i = 1; i <= 12; ++i)
            expected << S("ワンピース %1").arg(i);
        QCOMPARE(byKey(), expected);
        // As an older version left it: keys of the readings' kana alone, and no
        // word of their version.
        exec(S("DROP TABLE quillo_reading_keys"));
        exec(S("UPDATE quillo_reading SET TitleKey = CAST(Title AS BLOB)"));
        QVERIFY(byKey() != expected);
        QVERIFY(table.exists());  // what an older version checks
        QVERIFY(!table.keysInStep());
        const QString reading = table.reading(5, FieldNo::Title);
        // Where the file may only be read, the keys are made beside it.
        table.rekeyAside();
        QCOMPARE(byKey(), expected);
        exec(S("DROP TABLE temp.quillo_reading"));
        QVERIFY(byKey() != expected);
        QVERIFY(!table.keysInStep());
        table.create(m_analyzer);
        table.rekey();
        QVERIFY(table.keysInStep());
        QCOMPARE(byKey(), expected);
        QCOMPARE(table.reading(5, FieldNo::Title), reading);
        // An older Quillo, sharing the catalogue, keys a book its own way.
        exec(S("UPDATE quillo_reading SET TitleKey = CAST(Title AS BLOB) WHERE ID = 4"));
        QVERIFY(!table.keysInStep());
        table.rekey();
        QVERIFY(table.keysInStep());
        QCOMPARE(byKey(), expected);
    }

    // A name's corrected reading goes to every book with the name, however its
    // blanks and width are typed, now and when books with it come later; its
    // family and given names are learned on their own too; other names keep
    // theirs.
    void aCorrectedNameIsLearned() {
        exec(
            S("INSERT INTO quillo (ID, Title, Writer, Translator, Writer3) VALUES"
              " (4, '阪急電車', '有川浩', '有川　浩', '有川  浩'), (5, '本', '有川 太一', NULL, "
              "NULL),"
              " (6, '本', '次田 浩', NULL, NULL)"));
        ReadingTable table(m_db);
        table.create(m_analyzer);
        table.sync(m_analyzer);
        QVERIFY(table.reading(4, FieldNo::Writer) != S("アリカワ ヒロ"));  // the data's ヒロシ
        table.learn(m_analyzer, S("有川 浩"), S("アリカワ ヒロ"));
        for (int field : {FieldNo::Writer, FieldNo::Translator, FieldNo::Writer3})
            QCOMPARE(table.reading(4, field), S("アリカワ ヒロ"));
        QCOMPARE(table.learned(S("有川浩")), S("アリカワ ヒロ"));
        QCOMPARE(table.learned(S("夏目 漱石")), QString());
        QVERIFY(table.reading(5, FieldNo::Writer).startsWith(S("アリカワ ")));
        QVERIFY(table.reading(6, FieldNo::Writer).endsWith(S(" ヒロ")));
        exec(
            S("INSERT INTO quillo (ID, Title, Writer, Publisher) VALUES"
              " (7, '図書館戦争', '有川 浩', '有川 浩')"));
        table.sync(m_analyzer);
        QCOMPARE(table.reading(7, FieldNo::Writer), S("アリカワ ヒロ"));
        QCOMPARE(table.reading(7, FieldNo::Publisher), S("アリカワ ヒロ"));
        QCOMPARE(table.reading(1, FieldNo::Writer), S("ナツメ ソウセキ"));
    }

    // 120 writers: those the dictionary reads wrong are right once each has
    // been corrected one time, for the books there and for new ones.
    void everyWriterIsRightOnceCorrected() {
        exec(S("DELETE FROM quillo"));
        QList<QPair<QString, QString>> writers;
        for (const QString& line :
             QString::fromUtf8(
                 test::readFile(S(QUILLO_SOURCE_DIR "/tests/reading/data/author-readings.tsv")))
                 .split(u'\n', Qt::SkipEmptyParts)) {
            if (line.startsWith(u'#'))
                continue;
            const QStringList columns = line.split(u'\t');
            writers.append({columns[0], columns[1]});
            exec(S("INSERT INTO quillo (ID, Title, Writer) VALUES (%1, '本', '%2')")
                     .arg(writers.size())
                     .arg(columns[0]));
        }
        ReadingTable table(m_db);
        table.create(m_analyzer);
        table.sync(m_analyzer);
        int right = 0;
        for (int i = 0; i < writers.size(); ++i) {
            if (table.reading(i + 1, FieldNo::Writer) == writers[i].second)
                ++right;
            else
                table.learn(m_analyzer, writers[i].first, writers[i].second);
        }
        QVERIFY(right < writers.size());
        for (int i = 0; i < writers.size(); ++i)
            QCOMPARE(table.reading(i + 1, FieldNo::Writer), writers[i].second);
        // A later book by a corrected writer is read right at once.
        exec(S("INSERT INTO quillo (ID, Title, Writer) VALUES (500, '新刊', '東野 圭吾')"));
        table.sync(m_analyzer);
        QCOMPARE(table.reading(500, FieldNo::Writer), S("ヒガシノ ケイゴ"));
    }
};

QTEST_GUILESS_MAIN(TestReadingTable)
#include "tst_reading_table.moc"
