#include "reading/reading_table.h"

#include <sqlite3.h>

#include <QHash>
#include <algorithm>
#include <optional>

#include "engine/search_text.h"
#include "engine/statement.h"
#include "engine/text_functions.h"
#include "platform/kana_order.h"
#include "platform/search_fold.h"
#include "reading/order_key.h"
#include "reading/reading_pass.h"
#include "store/book_record.h"

namespace quillo {

namespace {

// The tables' version: 1 kept three readings, 2 keeps eight with what is
// known of each.
constexpr int kVersion = 2;
// How the sort keys are made, kept apart from kVersion so that a catalogue
// read by an older Quillo is still in step for it: 1 orders numbers by value.
constexpr int kKeysVersion = 1;

void run(sqlite3* db, const QString& sql) {
    Statement statement(db, {sql});
    while (statement.step()) {
    }
}

QString textAt(const Statement& statement, int column) {
    if (statement.typeAt(column) == Statement::ValueType::Null)
        return QString();
    const QByteArrayView bytes = statement.textAt(column);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

QString columnOf(int field) {
    return QString::fromLatin1(bookField(field).column);
}

int slotOf(int field) {
    const auto at = std::find(kReadFields.begin(), kReadFields.end(), field);
    return at == kReadFields.end() ? -1 : static_cast<int>(at - kReadFields.begin());
}

qint64 bitOf(int field) {
    return qint64(1) << field;
}

qint64 allReadBits() {
    qint64 bits = 0;
    for (int field : kReadFields)
        bits |= bitOf(field);
    return bits;
}

// "q.Title, q.Writer, …" or "r.Title, …" for the fields with readings.
QString readColumns(const char* table) {
    QStringList columns;
    for (int field : kReadFields)
        columns << QLatin1String(table) + QLatin1Char('.') + columnOf(field);
    return columns.join(QStringLiteral(", "));
}

const QString kSearchedColumns = QStringLiteral(
    "q.Title, q.Writer, q.Publisher, q.SubTitle, q.Kind, q.Translator, q.Memo, q.Writer2,"
    " q.Writer3, q.Writer4, q.Writer5");

// For the triggers: a book's search text goes when one of its texts changes.
const QString kTextsChanged = QStringLiteral(
    "old.Title IS NOT new.Title OR old.Writer IS NOT new.Writer OR old.Publisher IS NOT "
    "new.Publisher OR old.SubTitle IS NOT new.SubTitle OR old.Kind IS NOT new.Kind OR "
    "old.Translator IS NOT new.Translator OR old.Memo IS NOT new.Memo OR old.Writer2 IS NOT "
    "new.Writer2 OR old.Writer3 IS NOT new.Writer3 OR old.Writer4 IS NOT new.Writer4 OR "
    "old.Writer5 IS NOT new.Writer5");

// The bits of the fields with readings whose text an update changed.
QString changedReadBits() {
    QStringList bits;
    for (int field : kReadFields)
        bits << QStringLiteral("((old.%1 IS NOT new.%1) * %2)")
                    .arg(columnOf(field), QString::number(bitOf(field)));
    return bits.join(QStringLiteral(" | "));
}

// A name as learned names are matched in SQL: folded, without blanks.
QString nameKeySql(const QString& column) {
    return QStringLiteral("replace(replace(FOLD(%1), ' ', ''), '　', '')").arg(column);
}

qint64 count(sqlite3* db, const QString& sql) {
    Statement statement(db, {sql});
    return statement.step() ? statement.integerAt(0) : 0;
}

}  // namespace

ReadingKind readingKindOf(int field) {
    return field == FieldNo::Title       ? ReadingKind::Text
           : field == FieldNo::Publisher ? ReadingKind::Organisation
                                         : ReadingKind::Name;
}

bool ReadingTable::exists() const {
    const qint64 objects =
        count(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN "
                                   "('quillo_reading', 'quillo_search', 'quillo_learned_reading',"
                                   " 'quillo_learned_part', 'quillo_reading_info',"
                                   " 'quillo_reading_insert', 'quillo_reading_delete',"
                                   " 'quillo_reading_move', 'quillo_reading_texts')"));
    return objects == 9 &&
           count(m_db, QStringLiteral("SELECT max(Version) FROM quillo_reading_info")) == kVersion;
}

void ReadingTable::create(const ReadingAnalyzer& analyzer) {
    const bool hadTable =
        count(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name ="
                                   " 'quillo_reading'")) == 1;
    const bool current =
        hadTable &&
        count(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name ="
                                   " 'quillo_reading_info'")) == 1 &&
        count(m_db, QStringLiteral("SELECT max(Version) FROM quillo_reading_info")) == kVersion;
    const bool hadTriggers =
        count(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND"
                                   " name LIKE 'quillo_reading_%'")) == 4;
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_reading (ID INTEGER PRIMARY KEY,"
                             " Title TEXT, Writer TEXT, Publisher TEXT, TitleKey BLOB,"
                             " WriterKey BLOB, PublisherKey BLOB, Translator TEXT, Writer2 TEXT,"
                             " Writer3 TEXT, Writer4 TEXT, Writer5 TEXT, Uncertain INTEGER NOT"
                             " NULL DEFAULT 0, Fixed INTEGER NOT NULL DEFAULT 0, Stale INTEGER"
                             " NOT NULL DEFAULT 0)"));
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_search (ID INTEGER PRIMARY KEY,"
                             " Folded BLOB)"));
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_learned_reading (Name TEXT"
                             " PRIMARY KEY, Reading TEXT NOT NULL)"));
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_learned_part (Name TEXT NOT NULL,"
                             " Role INTEGER NOT NULL, Reading TEXT NOT NULL, PRIMARY KEY (Name,"
                             " Role))"));
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_reading_info (Version INTEGER)"));
    // A table of its own, which an older Quillo neither needs nor looks at.
    const bool keysKept = count(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE"
                                                     " name = 'quillo_reading_keys'")) == 1;
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_reading_keys (Version INTEGER)"));
    // Rows made from here on have keys of this version; rows from before are
    // made again by rekey().
    if (!keysKept && count(m_db, QStringLiteral("SELECT count(*) FROM quillo_reading")) == 0)
        markKeysInStep();
    if (current && hadTriggers)
        return;
    if (!hadTriggers) {
        // Rows kept while nothing kept them in step cannot be trusted.
        run(m_db, QStringLiteral("DELETE FROM quillo_reading"));
        run(m_db, QStringLiteral("DELETE FROM quillo_search"));
    } else if (hadTable && !current) {
        upgradeFromFirstVersion(analyzer);
    }
    run(m_db, QStringLiteral("DROP INDEX IF EXISTS quillo_reading_stale"));
    run(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS quillo_reading_stale2 ON quillo_reading"
                             " (ID) WHERE Stale <> 0"));
    run(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS quillo_reading_uncertain ON"
                             " quillo_reading (ID) WHERE Uncertain <> 0"));
    createTriggers();
    run(m_db, QStringLiteral("DELETE FROM quillo_reading_info"));
    run(m_db, QStringLiteral("INSERT INTO quillo_reading_info VALUES (%1)")
                  .arg(QString::number(kVersion)));
}

void ReadingTable::createTriggers() {
    for (const char* name : {"insert", "delete", "move", "texts"})
        run(m_db,
            QStringLiteral("DROP TRIGGER IF EXISTS quillo_reading_%1").arg(QLatin1String(name)));
    // An insert replacing a book (INSERT OR REPLACE) fires no delete trigger.
    run(m_db, QStringLiteral("CREATE TRIGGER quillo_reading_insert AFTER INSERT ON quillo BEGIN"
                             " DELETE FROM quillo_reading WHERE ID = new.ID;"
                             " DELETE FROM quillo_search WHERE ID = new.ID; END"));
    run(m_db, QStringLiteral("CREATE TRIGGER quillo_reading_delete AFTER DELETE ON quillo BEGIN"
                             " DELETE FROM quillo_reading WHERE ID = old.ID;"
                             " DELETE FROM quillo_search WHERE ID = old.ID; END"));
    // A new ID is no book's, so no row holds it yet (every row is a book's).
    run(m_db, QStringLiteral("CREATE TRIGGER quillo_reading_move AFTER UPDATE OF ID ON quillo"
                             " WHEN new.ID IS NOT old.ID BEGIN"
                             " UPDATE quillo_reading SET ID = new.ID WHERE ID = old.ID;"
                             " UPDATE quillo_search SET ID = new.ID WHERE ID = old.ID; END"));
    // Only the readings of the texts that changed go stale (a reading the user
    // gave for another field stays); a changed text's own given reading no
    // longer holds. The book's rows are at one of its two IDs.
    const QString changed = changedReadBits();
    run(m_db, QStringLiteral("CREATE TRIGGER quillo_reading_texts AFTER UPDATE ON quillo WHEN %1"
                             " BEGIN UPDATE quillo_reading SET Stale = Stale | (%2), Fixed = Fixed"
                             " & ~(%2) WHERE ID IN (old.ID, new.ID); DELETE FROM quillo_search"
                             " WHERE ID IN (old.ID, new.ID); END")
                  .arg(kTextsChanged, changed));
}

void ReadingTable::upgradeFromFirstVersion(const ReadingAnalyzer& analyzer) {
    for (const char* column :
         {"Translator TEXT", "Writer2 TEXT", "Writer3 TEXT", "Writer4 TEXT", "Writer5 TEXT",
          "Uncertain INTEGER NOT NULL DEFAULT 0", "Fixed INTEGER NOT NULL DEFAULT 0",
          "Stale INTEGER NOT NULL DEFAULT 0"})
        run(m_db,
            QStringLiteral("ALTER TABLE quillo_reading ADD COLUMN %1").arg(QLatin1String(column)));
    // Every reading is made again, with the name data; a title reading that
    // is not what the readings were made as before was typed by the user, and
    // stays.
    run(m_db,
        QStringLiteral("UPDATE quillo_reading SET Stale = %1").arg(QString::number(allReadBits())));
    Statement titles(m_db, {QStringLiteral("SELECT r.ID, r.Title, q.Title FROM quillo_reading r"
                                           " JOIN quillo q ON q.ID = r.ID WHERE r.Title IS NOT"
                                           " NULL")});
    Statement keep(m_db, {QStringLiteral("UPDATE quillo_reading SET Fixed = ?, Stale = ? WHERE"
                                         " ID = ?")});
    while (titles.step()) {
        const QString stored = textAt(titles, 1);
        if (stored.isEmpty() || stored == analyzer.plainReading(textAt(titles, 2)))
            continue;
        keep.reset();
        keep.bindInteger(1, bitOf(FieldNo::Title));
        keep.bindInteger(2, allReadBits() & ~bitOf(FieldNo::Title));
        keep.bindInteger(3, titles.integerAt(0));
        keep.step();
    }
    // Learned names are matched as typed no longer, but folded.
    QHash<QString, QString> learned;
    Statement names(m_db, {QStringLiteral("SELECT Name, Reading FROM quillo_learned_reading")});
    while (names.step())
        learned.insert(textAt(names, 0), textAt(names, 1));
    run(m_db, QStringLiteral("DELETE FROM quillo_learned_reading"));
    Statement relearn(m_db, {QStringLiteral("INSERT OR REPLACE INTO quillo_learned_reading"
                                            " (Name, Reading) VALUES (?, ?)")});
    for (auto it = learned.cbegin(); it != learned.cend(); ++it) {
        relearn.reset();
        relearn.bindText(1, learnedNameKey(it.key()).toUtf8());
        relearn.bindText(2, it.value().toUtf8());
        relearn.step();
    }
    run(m_db, QStringLiteral("DELETE FROM quillo_search"));
}

int ReadingTable::countMissing(const char* table) const {
    // Every row should be a book's; the same count, sum and sum of squares of
    // the IDs on both sides says so at the cost of two scans, and only when
    // they differ are the books without a row counted one by one (a missing
    // row and a row of no book would pass a count alone). A stale reading is
    // found through its index.
    const bool readings = QByteArrayView(table) == "quillo_reading";
    const QString name = QLatin1String(table);
    // An empty table (a first open) misses every book, counted from the
    // table's own b-tree without a scan.
    if (count(m_db, QStringLiteral("SELECT NOT EXISTS (SELECT 1 FROM %1)").arg(name)) == 1)
        return static_cast<int>(count(m_db, QStringLiteral("SELECT count(*) FROM quillo")));
    const QString stale = readings ? QStringLiteral(
                                         " + (SELECT count(*) FROM quillo_reading WHERE"
                                         " Stale <> 0)")
                                   : QString();
    const bool sameBooks =
        count(m_db, QStringLiteral("SELECT (SELECT count(*), total(ID), total(ID * ID) FROM"
                                   " quillo) IS (SELECT count(*), total(ID), total(ID * ID)"
                                   " FROM %1)")
                        .arg(name)) == 1;
    return static_cast<int>(count(
        m_db, sameBooks ? QStringLiteral("SELECT 0%1").arg(stale)
                        : QStringLiteral("SELECT (SELECT count(*) FROM quillo q WHERE NOT EXISTS"
                                         " (SELECT 1 FROM %1 t WHERE t.ID = q.ID)) + (SELECT"
                                         " count(*) > 0 FROM %1 t WHERE NOT EXISTS (SELECT 1 FROM"
                                         " quillo q WHERE q.ID = t.ID))%2")
                              .arg(name, stale)));
}

int ReadingTable::booksOutOfStep() const {
    return std::max(countMissing("quillo_reading"), countMissing("quillo_search"));
}

bool ReadingTable::inStep() const {
    return exists() && countMissing("quillo_reading") == 0 && countMissing("quillo_search") == 0;
}

int ReadingTable::sync(const ReadingAnalyzer& analyzer,
                       const std::function<void(int, int)>& progress) {
    // Rows of no book (left by a program that wrote without the triggers)
    // would otherwise hide a book without one.
    for (const char* table : {"quillo_reading", "quillo_search"})
        run(m_db, QStringLiteral("DELETE FROM %1 WHERE ID NOT IN (SELECT ID FROM quillo)")
                      .arg(QLatin1String(table)));
    // Progress is told in books: reading them and folding their search texts
    // are the two halves of the work on each. Counting them takes scans of
    // both tables, so an apply, which tells no progress, looks for the
    // missing search texts only by looking for them.
    const int toRead = progress ? countMissing("quillo_reading") : 0;
    const int toFold = progress ? countMissing("quillo_search") : 1;
    const int books = std::max(toRead, toFold);
    const qint64 steps = qint64(toRead) + toFold;
    auto tell = [&](qint64 done) {
        if (progress && steps > 0)
            progress(static_cast<int>(done * books / steps), books);
    };
    const int read = readMissing(analyzer, learnedNames(), nullptr, [&](int done) { tell(done); });
    // A book read has its search text made with its readings; only where some
    // were not read can a search text still be missing.
    if (toFold > 0 && read < count(m_db, QStringLiteral("SELECT count(*) FROM quillo")))
        foldMissing(nullptr, [&](int done) { tell(qint64(toRead) + done); });
    tell(steps);
    return read;
}

int ReadingTable::sync(const ReadingAnalyzer& analyzer, const std::vector<qint64>& ids) {
    if (ids.size() > kReadOneByOne)
        return sync(analyzer);
    const LearnedNames learned = learnedNames();
    int read = 0;
    for (const qint64 id : ids) {
        read += readMissing(analyzer, learned, &id, {});
        foldMissing(&id);
    }
    return read;
}

LearnedNames ReadingTable::learnedNames() const {
    LearnedNames learned;
    Statement names(m_db, {QStringLiteral("SELECT Name, Reading FROM quillo_learned_reading")});
    while (names.step())
        learned.names.insert(textAt(names, 0), textAt(names, 1));
    Statement parts(m_db, {QStringLiteral("SELECT Name, Role, Reading FROM quillo_learned_part")});
    while (parts.step())
        (parts.integerAt(1) == 1 ? learned.families : learned.givens)
            .insert(textAt(parts, 0), textAt(parts, 2));
    return learned;
}

namespace {

// A column's stored bytes; no data where it is NULL.
std::string_view bytesAt(const Statement& statement, int column) {
    if (statement.typeAt(column) == Statement::ValueType::Null)
        return {};
    const QByteArrayView bytes = statement.textAt(column);
    return {bytes.data() ? bytes.data() : "", static_cast<size_t>(bytes.size())};
}

// Writes books' rows into a table many to a statement (SQLite's work for each
// statement is then shared by its rows), the last few one by one.
class BookRowsWriter {
public:
    using Bind = std::function<void(Statement&, int first, const BookRead&)>;

    // `insert` is the statement up to VALUES, `row` one row's parameters.
    BookRowsWriter(sqlite3* db, const QString& insert, const QString& row, int parameters,
                   Bind bind)
        : m_db(db),
          m_insert(insert),
          m_row(row),
          m_parameters(parameters),
          m_bind(std::move(bind)) {}

    void write(const std::vector<BookRead>& books) {
        size_t at = 0;
        if (books.size() >= kRows) {
            if (!m_many)
                m_many.emplace(m_db, QStringList{m_insert + QStringList(kRows, m_row).join(u',')});
            for (; at + kRows <= books.size(); at += kRows)
                writeRows(*m_many, books, at, kRows);
        }
        if (at < books.size() && !m_one)
            m_one.emplace(m_db, QStringList{m_insert + m_row});
        for (; at < books.size(); ++at)
            writeRows(*m_one, books, at, 1);
    }

private:
    static constexpr size_t kRows = 32;

    void writeRows(Statement& statement, const std::vector<BookRead>& books, size_t at,
                   size_t rows) {
        statement.reset();
        for (size_t i = 0; i < rows; ++i)
            m_bind(statement, 1 + static_cast<int>(i) * m_parameters, books[at + i]);
        statement.step();
    }

    sqlite3* m_db;
    QString m_insert, m_row;
    int m_parameters;
    Bind m_bind;
    std::optional<Statement> m_many, m_one;
};

void bindSearchText(Statement& row, int first, const BookRead& book) {
    row.bindInteger(first, book.id);
    row.bindBlob(first + 1, book.search, Statement::Binding::KeptUntilStep);
}

}  // namespace

int ReadingTable::readMissing(const ReadingAnalyzer& analyzer, const LearnedNames& learned,
                              const qint64* id, const std::function<void(int)>& progress) {
    // The books without readings, and those with stale ones: the readings
    // still good, and those the user gave, are kept. Their search texts are
    // made in the same pass.
    constexpr int kFields = static_cast<int>(kReadFields.size());
    constexpr int kTexts = static_cast<int>(kSearchedFields.size());
    Statement missing(
        m_db, {QStringLiteral("SELECT q.ID, %1, r.ID IS NULL, ifnull(r.Stale, 0), ifnull(r.Fixed,"
                              " 0), ifnull(r.Uncertain, 0), %2")
                   .arg(kSearchedColumns, readColumns("r")),
               QStringLiteral("FROM quillo q LEFT JOIN quillo_reading r ON r.ID = q.ID"),
               QStringLiteral("WHERE %1(r.ID IS NULL OR r.Stale <> 0)")
                   .arg(id ? QStringLiteral("q.ID = ? AND ") : QString())});
    if (id)
        missing.bindInteger(1, *id);
    constexpr auto unCopied = Statement::Binding::KeptUntilStep;
    BookRowsWriter write(
        m_db,
        QStringLiteral("INSERT OR REPLACE INTO quillo_reading (ID, %1, TitleKey, WriterKey,"
                       " PublisherKey, Uncertain, Fixed, Stale) VALUES ")
            .arg(readColumns("q").remove(QStringLiteral("q."))),
        QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)"), 14,
        [](Statement& row, int first, const BookRead& book) {
            row.bindInteger(first, book.id);
            for (size_t i = 0; i < kReadFields.size(); ++i) {
                const int at = first + 1 + static_cast<int>(i);
                if (book.hasReading[i])
                    row.bindText(at, book.readings[i], unCopied);
                else
                    row.bindNull(at);
            }
            for (size_t k = 0; k < book.keys.size(); ++k)
                row.bindBlob(first + 1 + kFields + static_cast<int>(k), book.keys[k], unCopied);
            row.bindInteger(first + 4 + kFields, book.uncertain);
            row.bindInteger(first + 5 + kFields, book.fixed);
        });
    BookRowsWriter writeSearch(
        m_db, QStringLiteral("INSERT OR REPLACE INTO quillo_search (ID, Folded) VALUES "),
        QStringLiteral("(?, ?)"), 2, bindSearchText);
    constexpr int flags = 1 + kTexts;  // where r.ID IS NULL, Stale, Fixed and Uncertain are
    auto next = [&](BookToRead& book) {
        if (!missing.step())
            return false;
        book.id = missing.integerAt(0);
        for (int k = 0; k < kTexts; ++k)
            book.texts[static_cast<size_t>(k)] = bytesAt(missing, 1 + k);
        book.newRow = missing.integerAt(flags) != 0;
        book.stale = missing.integerAt(flags + 1);
        book.fixed = missing.integerAt(flags + 2);
        book.uncertain = missing.integerAt(flags + 3);
        for (int i = 0; i < kFields; ++i)
            book.kept[static_cast<size_t>(i)] = bytesAt(missing, flags + 4 + i);
        return true;
    };
    auto store = [&](const std::vector<BookRead>& books) {
        write.write(books);
        writeSearch.write(books);
    };
    BookReader reader(&analyzer, &learned);
    return runReadingPass(next, reader, store, progress);
}

int ReadingTable::foldMissing(const qint64* id, const std::function<void(int done)>& progress) {
    // Books whose readings are good but whose search text went (a text that
    // has no reading changed).
    Statement missing(
        m_db, {QStringLiteral("SELECT q.ID, %1, %2 FROM quillo q JOIN quillo_reading r ON r.ID ="
                              " q.ID WHERE NOT EXISTS (SELECT 1 FROM quillo_search s WHERE s.ID ="
                              " q.ID)%3")
                   .arg(kSearchedColumns, readColumns("r"),
                        id ? QStringLiteral(" AND q.ID = ?") : QString())});
    if (id)
        missing.bindInteger(1, *id);
    BookRowsWriter write(m_db, QStringLiteral("INSERT INTO quillo_search (ID, Folded) VALUES "),
                         QStringLiteral("(?, ?)"), 2, bindSearchText);
    constexpr int first = 1 + static_cast<int>(kSearchedFields.size());
    auto next = [&](BookToRead& book) {
        if (!missing.step())
            return false;
        book.id = missing.integerAt(0);
        for (size_t k = 0; k < kSearchedFields.size(); ++k)
            book.texts[k] = bytesAt(missing, 1 + static_cast<int>(k));
        for (size_t i = 0; i < kReadFields.size(); ++i)
            book.kept[i] = bytesAt(missing, first + static_cast<int>(i));
        return true;  // every reading kept: none is stale or missing
    };
    BookReader reader;
    return runReadingPass(
        next, reader, [&](const std::vector<BookRead>& books) { write.write(books); }, progress);
}

QString ReadingTable::reading(qint64 id, int field) const {
    if (slotOf(field) < 0)
        return QString();
    Statement statement(
        m_db, {QStringLiteral("SELECT %1 FROM quillo_reading WHERE ID = ?").arg(columnOf(field))});
    statement.bindInteger(1, id);
    return statement.step() ? textAt(statement, 0) : QString();
}

bool ReadingTable::uncertain(qint64 id, int field) const {
    Statement statement(m_db,
                        {QStringLiteral("SELECT Uncertain & ? FROM quillo_reading WHERE ID = ?")});
    statement.bindInteger(1, bitOf(field));
    statement.bindInteger(2, id);
    return statement.step() && statement.integerAt(0) != 0;
}

int ReadingTable::uncertainBooks() const {
    return static_cast<int>(
        count(m_db, QStringLiteral("SELECT count(*) FROM quillo_reading WHERE Uncertain <> 0")));
}

void ReadingTable::setReading(qint64 id, int field, const QString& reading) {
    const int slot = slotOf(field);
    if (slot < 0)
        return;
    const bool keyed = slot < 3;
    Statement set(
        m_db, {QStringLiteral("UPDATE quillo_reading SET %1 = ?%2, Fixed = Fixed | ?,"
                              " Stale = Stale & ~?, Uncertain = Uncertain & ~? WHERE"
                              " ID = ?")
                   .arg(columnOf(field),
                        keyed ? QStringLiteral(", %1Key = ?").arg(columnOf(field)) : QString())});
    int at = 1;
    set.bindText(at++, reading.toUtf8());
    if (keyed) {
        Statement text(m_db,
                       {QStringLiteral("SELECT %1 FROM quillo WHERE ID = ?").arg(columnOf(field))});
        text.bindInteger(1, id);
        set.bindBlob(at++, readingOrderKey(text.step() ? textAt(text, 0) : QString(), reading));
    }
    for (int i = 0; i < 3; ++i)
        set.bindInteger(at++, bitOf(field));
    set.bindInteger(at, id);
    set.step();
    Statement stale(m_db, {QStringLiteral("DELETE FROM quillo_search WHERE ID = ?")});
    stale.bindInteger(1, id);
    stale.step();
}

void ReadingTable::learn(const ReadingAnalyzer& analyzer, const QHash<QString, QString>& readings) {
    // FOLD matches the books' names as the keys were folded; a bare handle
    // (a tool's, a test's) is given it.
    sqlite3_stmt* probe = nullptr;
    const bool folds =
        sqlite3_prepare_v2(m_db, "SELECT FOLD('')", -1, &probe, nullptr) == SQLITE_OK;
    sqlite3_finalize(probe);
    if (!folds)
        registerTextFunctions(m_db);
    Statement keep(m_db, {QStringLiteral("INSERT OR REPLACE INTO quillo_learned_reading (Name,"
                                         " Reading) VALUES (?, ?)")});
    Statement keepPart(m_db, {QStringLiteral("INSERT OR REPLACE INTO quillo_learned_part (Name,"
                                             " Role, Reading) VALUES (?, ?, ?)")});
    run(m_db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS quillo_learning (Name TEXT PRIMARY"
                             " KEY, Part INTEGER)"));
    run(m_db, QStringLiteral("DELETE FROM quillo_learning"));
    Statement name(m_db, {QStringLiteral("INSERT OR IGNORE INTO quillo_learning VALUES (?, ?)")});
    auto remember = [&](const QString& key, bool part) {
        name.reset();
        name.bindText(1, key.toUtf8());
        name.bindInteger(2, part ? 1 : 0);
        name.step();
    };
    for (auto it = readings.cbegin(); it != readings.cend(); ++it) {
        const QString key = learnedNameKey(it.key());
        keep.reset();
        keep.bindText(1, key.toUtf8());
        keep.bindText(2, it.value().toUtf8());
        keep.step();
        remember(key, false);
        // A person's family and given name, typed and read with a blank
        // between them, are learned on their own too (冲方 丁 helps 冲方).
        const QStringList nameParts =
            it.key().simplified().replace(QChar(0x3000), u' ').split(u' ');
        const QStringList readParts = it.value().simplified().split(u' ');
        if (nameParts.size() == 2 && readParts.size() == 2) {
            for (int role = 0; role < 2; ++role) {
                const QString partKey = learnedNameKey(nameParts[role]);
                keepPart.reset();
                keepPart.bindText(1, partKey.toUtf8());
                keepPart.bindInteger(2, role + 1);
                keepPart.bindText(3, readParts[role].toUtf8());
                keepPart.step();
                remember(partKey, true);
            }
        }
    }
    // The books with one of the names (or one of the parts in their names)
    // have those readings made again, now with what was learned.
    for (int field : kReadFields) {
        if (field == FieldNo::Title)
            continue;
        const QString key = nameKeySql(QStringLiteral("q.") + columnOf(field));
        run(m_db, QStringLiteral("UPDATE quillo_reading SET Stale = Stale | %1 WHERE ID IN (SELECT"
                                 " q.ID FROM quillo q JOIN quillo_learning n ON (n.Part = 0 AND"
                                 " n.Name = %2) OR (n.Part = 1 AND instr(%2, n.Name) > 0))")
                      .arg(QString::number(bitOf(field)), key));
    }
    run(m_db, QStringLiteral("DELETE FROM quillo_search WHERE ID IN (SELECT ID FROM"
                             " quillo_reading WHERE Stale <> 0)"));
    sync(analyzer);
}

namespace {

// A row one of whose keys an older version made (see kOrderKeyMark).
QString unmarkedKey(const QString& table) {
    QStringList terms;
    for (const char* key : {"TitleKey", "WriterKey", "PublisherKey"})
        terms << QStringLiteral("substr(%1.%2, 1, 2) <> %3")
                     .arg(table, QLatin1String(key), QLatin1String(kOrderKeyMarkSql));
    return u'(' + terms.join(QStringLiteral(" OR ")) + u')';
}

}  // namespace

bool ReadingTable::keysVersionKept() const {
    return count(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name ="
                                      " 'quillo_reading_keys'")) == 1 &&
           count(m_db, QStringLiteral("SELECT ifnull(max(Version), 0) FROM quillo_reading_keys")) ==
               kKeysVersion;
}

bool ReadingTable::keysInStep() const {
    // The version says how the keys are made; the mark finds a book an older
    // Quillo added or changed since.
    return keysVersionKept() &&
           count(m_db, QStringLiteral("SELECT EXISTS (SELECT 1 FROM quillo_reading r WHERE ") +
                           unmarkedKey(QStringLiteral("r")) + u')') == 0;
}

void ReadingTable::markKeysInStep() {
    run(m_db, QStringLiteral("DELETE FROM quillo_reading_keys"));
    run(m_db, QStringLiteral("INSERT INTO quillo_reading_keys VALUES (%1)").arg(kKeysVersion));
}

void ReadingTable::rekey() {
    makeKeys(!keysVersionKept());
    markKeysInStep();
}

void ReadingTable::rekeyAside() {
    Statement made(m_db, {QStringLiteral("SELECT sql FROM main.sqlite_master WHERE name ="
                                         " 'quillo_reading' AND type = 'table'")});
    if (!made.step())
        return;
    // SQLite keeps the statement as made, from its "CREATE TABLE" on.
    QString sql = textAt(made, 0);
    sql.replace(0, QStringLiteral("CREATE TABLE").size(), QStringLiteral("CREATE TEMP TABLE"));
    run(m_db, sql);
    run(m_db, QStringLiteral("INSERT INTO temp.quillo_reading SELECT * FROM main.quillo_reading"));
    makeKeys(!keysVersionKept());
}

void ReadingTable::makeKeys(bool everyBook) {
    Statement rows(
        m_db,
        {QStringLiteral("SELECT q.ID, q.Title, q.Writer, q.Publisher, r.Title,"
                        " r.Writer, r.Publisher FROM quillo q JOIN"
                        " quillo_reading r ON r.ID = q.ID") +
         (everyBook ? QString() : QStringLiteral(" WHERE ") + unmarkedKey(QStringLiteral("r")))});
    Statement set(m_db, {QStringLiteral("UPDATE quillo_reading SET TitleKey = ?, WriterKey = ?,"
                                        " PublisherKey = ? WHERE ID = ?")});
    while (rows.step()) {
        set.reset();
        for (int k = 0; k < 3; ++k)
            set.bindBlob(k + 1, readingOrderKey(textAt(rows, 1 + k), textAt(rows, 4 + k)));
        set.bindInteger(4, rows.integerAt(0));
        set.step();
    }
}

QString ReadingTable::learned(const QString& name) const {
    Statement statement(
        m_db, {QStringLiteral("SELECT Reading FROM quillo_learned_reading WHERE Name = ?")});
    statement.bindText(1, learnedNameKey(name).toUtf8());
    return statement.step() ? textAt(statement, 0) : QString();
}

}  // namespace quillo
