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
        table.create();
        QVERIFY(table.exists());
        QList<int> told;
        QCOMPARE(table.sync(m_analyzer, [&](int done, int total) { told << done << total; }), 3);
        QCOMPARE(told, (QList<int>{3, 3}));
        QCOMPARE(table.reading(1, FieldNo::Title), S("ワガハイハネコデアル"));
        QCOMPARE(table.reading(1, FieldNo::Writer), S("ナツメ ソウセキ"));
        QCOMPARE(table.reading(1, FieldNo::Publisher), S("イワナミショテン"));
        QCOMPARE(table.reading(3, FieldNo::Title), S("キッチン"));
        QCOMPARE(table.reading(3, FieldNo::Publisher), QString());
        QCOMPARE(table.reading(3, FieldNo::Memo), QString());
        // The book table itself is as it was.
        QCOMPARE(count("SELECT count(*) FROM pragma_table_info('quillo')"), kFieldCount);
        QCOMPARE(table.sync(m_analyzer), 0);  // nothing changed, nothing read
    }

    // Whatever changed the books (this program or another), the next sync
    // brings the readings in step, and only for what changed.
    void booksChangedOrGoneAreFollowed() {
        ReadingTable table(m_db);
        table.create();
        table.sync(m_analyzer);
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

    // A name's corrected reading goes to every book with the name, now and
    // when books with it come later; other names keep theirs.
    void aCorrectedNameIsLearned() {
        ReadingTable table(m_db);
        table.create();
        table.sync(m_analyzer);
        QCOMPARE(table.reading(2, FieldNo::Writer), S("トウノ ケイゴ"));  // the dictionary's
        table.learn(S("東野 圭吾"), S("ヒガシノ ケイゴ"));
        QCOMPARE(table.reading(2, FieldNo::Writer), S("ヒガシノ ケイゴ"));
        QCOMPARE(table.learned(S("東野 圭吾")), S("ヒガシノ ケイゴ"));
        QCOMPARE(table.learned(S("夏目 漱石")), QString());
        exec(
            S("INSERT INTO quillo (ID, Title, Writer, Publisher) VALUES"
              " (4, '容疑者Xの献身', '東野 圭吾', '東野 圭吾')"));
        table.sync(m_analyzer);
        QCOMPARE(table.reading(4, FieldNo::Writer), S("ヒガシノ ケイゴ"));
        QCOMPARE(table.reading(4, FieldNo::Publisher), S("ヒガシノ ケイゴ"));
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
        table.create();
        table.sync(m_analyzer);
        int right = 0;
        for (int i = 0; i < writers.size(); ++i) {
            if (table.reading(i + 1, FieldNo::Writer) == writers[i].second)
                ++right;
            else
                table.learn(writers[i].first, writers[i].second);
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
