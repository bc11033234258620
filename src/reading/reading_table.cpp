#include "reading/reading_table.h"

#include <sqlite3.h>

#include <QHash>
#include <algorithm>
#include <array>

#include "engine/search_text.h"
#include "engine/statement.h"
#include "platform/search_fold.h"
#include "reading/kana_order.h"
#include "reading/reading_analyzer.h"
#include "reading/romaji.h"
#include "store/book_record.h"

namespace quillo {

namespace {

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

void bindTextOrNull(Statement& statement, int index, const QString& text) {
    if (text.isNull())
        statement.bindNull(index);
    else
        statement.bindText(index, text.toUtf8());
}

const char* columnOf(int field) {
    switch (field) {
        case FieldNo::Title:
            return "Title";
        case FieldNo::Writer:
            return "Writer";
        case FieldNo::Publisher:
            return "Publisher";
        default:
            return nullptr;
    }
}

// The text fields the filter looks in, in their field order.
constexpr std::array<int, 11> kSearchedFields = {
    FieldNo::Title,   FieldNo::Writer,     FieldNo::Publisher, FieldNo::SubTitle,
    FieldNo::Kind,    FieldNo::Translator, FieldNo::Memo,      FieldNo::Writer2,
    FieldNo::Writer3, FieldNo::Writer4,    FieldNo::Writer5};

const QString kSearchedColumns = QStringLiteral(
    "q.Title, q.Writer, q.Publisher, q.SubTitle, q.Kind, q.Translator, q.Memo, q.Writer2,"
    " q.Writer3, q.Writer4, q.Writer5");

// A reading as the filter matches kana typed in any script and width: folded,
// without the blank between family and given name.
QByteArray searchedReading(const QString& reading) {
    QString folded = foldForSearch(reading);
    folded.remove(u' ');
    folded.remove(u'\u3000');
    return folded.toUtf8();
}

// For the triggers: a book's search text goes when one of its texts changes.
const QString kTextsChanged = QStringLiteral(
    "old.Title IS NOT new.Title OR old.Writer IS NOT new.Writer OR old.Publisher IS NOT "
    "new.Publisher OR old.SubTitle IS NOT new.SubTitle OR old.Kind IS NOT new.Kind OR "
    "old.Translator IS NOT new.Translator OR old.Memo IS NOT new.Memo OR old.Writer2 IS NOT "
    "new.Writer2 OR old.Writer3 IS NOT new.Writer3 OR old.Writer4 IS NOT new.Writer4 OR "
    "old.Writer5 IS NOT new.Writer5");
// A reading whose text changed is stale: its key is NULL until it is read again.
const QString kStale =
    QStringLiteral("TitleKey IS NULL OR WriterKey IS NULL OR PublisherKey IS NULL");

}  // namespace

bool ReadingTable::exists() const {
    Statement statement(
        m_db, {QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name IN "
                              "('quillo_reading', 'quillo_search', 'quillo_learned_reading',"
                              " 'quillo_reading_insert', 'quillo_reading_delete',"
                              " 'quillo_reading_move', 'quillo_reading_texts')")});
    return statement.step() && statement.integerAt(0) == 7;
}

void ReadingTable::create() {
    Statement triggers(m_db, {QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = "
                                             "'trigger' AND name LIKE 'quillo_reading_%'")});
    const bool hadTriggers = triggers.step() && triggers.integerAt(0) == 4;
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_reading (ID INTEGER PRIMARY KEY,"
                             " Title TEXT, Writer TEXT, Publisher TEXT, TitleKey BLOB,"
                             " WriterKey BLOB, PublisherKey BLOB)"));
    run(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS quillo_reading_stale ON quillo_reading"
                             " (ID) WHERE %1")
                  .arg(kStale));
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_search (ID INTEGER PRIMARY KEY,"
                             " Folded BLOB)"));
    run(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_learned_reading (Name TEXT"
                             " PRIMARY KEY, Reading TEXT NOT NULL)"));
    if (hadTriggers)
        return;
    for (const char* name : {"insert", "delete", "move", "texts"})
        run(m_db,
            QStringLiteral("DROP TRIGGER IF EXISTS quillo_reading_%1").arg(QLatin1String(name)));
    run(m_db, QStringLiteral("DELETE FROM quillo_reading"));
    run(m_db, QStringLiteral("DELETE FROM quillo_search"));
    // An insert replacing a book (INSERT OR REPLACE) fires no delete trigger.
    run(m_db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS quillo_reading_insert AFTER INSERT ON"
                             " quillo BEGIN DELETE FROM quillo_reading WHERE ID = new.ID;"
                             " DELETE FROM quillo_search WHERE ID = new.ID; END"));
    run(m_db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS quillo_reading_delete AFTER DELETE ON"
                             " quillo BEGIN DELETE FROM quillo_reading WHERE ID = old.ID;"
                             " DELETE FROM quillo_search WHERE ID = old.ID; END"));
    // A new ID is no book's, so no row holds it yet (every row is a book's).
    run(m_db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS quillo_reading_move AFTER UPDATE OF ID"
                             " ON quillo WHEN new.ID IS NOT old.ID BEGIN"
                             " UPDATE quillo_reading SET ID = new.ID WHERE ID = old.ID;"
                             " UPDATE quillo_search SET ID = new.ID WHERE ID = old.ID; END"));
    // Only the reading of a text that changed is read again: the others, the
    // user's own among them, stay. Whichever of the two triggers runs first,
    // the book's rows are at one of its two IDs.
    QString texts = QStringLiteral(
                        "CREATE TRIGGER IF NOT EXISTS quillo_reading_texts AFTER UPDATE ON quillo"
                        " WHEN %1 BEGIN")
                        .arg(kTextsChanged);
    for (const char* column : {"Title", "Writer", "Publisher"})
        texts += QStringLiteral(
                     " UPDATE quillo_reading SET %1 = NULL, %1Key = NULL WHERE ID IN (old.ID,"
                     " new.ID) AND old.%1 IS NOT new.%1;")
                     .arg(QLatin1String(column));
    texts += QStringLiteral(" DELETE FROM quillo_search WHERE ID IN (old.ID, new.ID); END");
    run(m_db, texts);
}

int ReadingTable::countMissing(const char* table) const {
    // Every row should be a book's; the same count, sum and sum of squares of
    // the IDs on both sides says so at the cost of two scans, and only when
    // they differ are the books without a row counted one by one (a missing
    // row and a row of no book would pass a count alone). A stale reading is
    // found through its index.
    const bool readings = QByteArrayView(table) == "quillo_reading";
    const QString name = QLatin1String(table);
    const QString stale =
        readings ? QStringLiteral(" + (SELECT count(*) FROM quillo_reading WHERE %1)").arg(kStale)
                 : QString();
    Statement same(m_db, {QStringLiteral("SELECT (SELECT count(*), total(ID), total(ID * ID) FROM"
                                         " quillo) IS (SELECT count(*), total(ID), total(ID * ID)"
                                         " FROM %1)")
                              .arg(name)});
    const bool sameBooks = same.step() && same.integerAt(0) == 1;
    Statement statement(
        m_db, {sameBooks ? QStringLiteral("SELECT 0%1").arg(stale)
                         : QStringLiteral("SELECT (SELECT count(*) FROM quillo q WHERE NOT EXISTS"
                                          " (SELECT 1 FROM %1 t WHERE t.ID = q.ID)) + (SELECT"
                                          " count(*) > 0 FROM %1 t WHERE NOT EXISTS (SELECT 1 FROM"
                                          " quillo q WHERE q.ID = t.ID))%2")
                               .arg(name, stale)});
    return statement.step() ? static_cast<int>(statement.integerAt(0)) : 0;
}

int ReadingTable::booksOutOfStep() const {
    return std::max(countMissing("quillo_reading"), countMissing("quillo_search"));
}

bool ReadingTable::inStep() const {
    return exists() && countMissing("quillo_reading") == 0 && countMissing("quillo_search") == 0;
}

int ReadingTable::sync(const ReadingAnalyzer& analyzer,
                       const std::function<void(int, int)>& progress) {
    // Progress is told in books: reading them and folding their search texts
    // are the two halves of the work on each.
    // Rows of no book (left by a program that wrote without the triggers)
    // would otherwise hide a book without one.
    for (const char* table : {"quillo_reading", "quillo_search"})
        run(m_db, QStringLiteral("DELETE FROM %1 WHERE ID NOT IN (SELECT ID FROM quillo)")
                      .arg(QLatin1String(table)));
    const int toRead = countMissing("quillo_reading");
    const int toFold = countMissing("quillo_search");
    const int books = std::max(toRead, toFold);
    const qint64 steps = qint64(toRead) + toFold;
    auto tell = [&](qint64 done) {
        if (progress && steps > 0)
            progress(static_cast<int>(done * books / steps), books);
    };
    const int read =
        readMissing(analyzer, correctedNames(), nullptr, [&](int done) { tell(done); });
    foldMissing(nullptr, [&](int done) { tell(qint64(toRead) + done); });
    tell(steps);
    return read;
}

int ReadingTable::sync(const ReadingAnalyzer& analyzer, const std::vector<qint64>& ids) {
    // Many books (an import) are found quicker by one pass over the table.
    constexpr size_t kOneByOne = 200;
    if (ids.size() > kOneByOne)
        return sync(analyzer);
    const QHash<QString, QString> corrected = correctedNames();
    int read = 0;
    for (const qint64 id : ids) {
        read += readMissing(analyzer, corrected, &id, {});
        foldMissing(&id);
    }
    return read;
}

QHash<QString, QString> ReadingTable::correctedNames() const {
    QHash<QString, QString> corrected;
    Statement all(m_db, {QStringLiteral("SELECT Name, Reading FROM quillo_learned_reading")});
    while (all.step())
        corrected.insert(textAt(all, 0), textAt(all, 1));
    return corrected;
}

int ReadingTable::readMissing(const ReadingAnalyzer& analyzer,
                              const QHash<QString, QString>& corrected, const qint64* id,
                              const std::function<void(int)>& progress) {
    // The books without readings, and those with a stale one (its key NULL):
    // the readings still good are kept.
    Statement missing(
        m_db, {QStringLiteral("SELECT q.ID, q.Title, q.Writer, q.Publisher, r.Title, r.TitleKey"
                              " IS NULL, r.Writer, r.WriterKey IS NULL, r.Publisher, r.PublisherKey"
                              " IS NULL FROM quillo q LEFT JOIN quillo_reading r ON r.ID = q.ID"),
               QStringLiteral("WHERE %1(r.ID IS NULL OR %2)")
                   .arg(id ? QStringLiteral("q.ID = ? AND ") : QString(), kStale)});
    if (id)
        missing.bindInteger(1, *id);
    Statement write(m_db, {QStringLiteral("INSERT OR REPLACE INTO quillo_reading (ID, Title,"
                                          " Writer, Publisher, TitleKey, WriterKey, PublisherKey)"
                                          " VALUES (?, ?, ?, ?, ?, ?, ?)")});
    int done = 0;
    while (missing.step()) {
        auto readingOf = [&](int column, ReadingKind kind, bool learnable) {
            // A reading still good (the row's, with its key) stays as it is.
            if (missing.integerAt(3 + 2 * column) == 0)
                return textAt(missing, 2 + 2 * column);
            const QString text = textAt(missing, column);
            if (text.isEmpty())
                return text;
            const auto found = learnable ? corrected.constFind(text) : corrected.constEnd();
            return found != corrected.constEnd() ? *found : analyzer.reading(text, kind);
        };
        const std::array<QString, 3> readings = {readingOf(1, ReadingKind::Text, false),
                                                 readingOf(2, ReadingKind::Name, true),
                                                 readingOf(3, ReadingKind::Text, true)};
        write.reset();
        write.bindInteger(1, missing.integerAt(0));
        for (int k = 0; k < 3; ++k) {
            bindTextOrNull(write, 2 + k, readings[static_cast<size_t>(k)]);
            write.bindBlob(5 + k, kanaOrderKey(readings[static_cast<size_t>(k)]));
        }
        write.step();
        ++done;
        if (progress && (done % 1000 == 0))
            progress(done);
    }
    if (progress && done % 1000 != 0)
        progress(done);
    return done;
}

int ReadingTable::foldMissing(const qint64* id, const std::function<void(int done)>& progress) {
    Statement missing(
        m_db, {QStringLiteral("SELECT q.ID, %1, r.Title, r.Writer, r.Publisher"
                              " FROM quillo q JOIN quillo_reading r ON r.ID = q.ID"
                              " WHERE NOT EXISTS (SELECT 1 FROM quillo_search s"
                              " WHERE s.ID = q.ID)%2")
                   .arg(kSearchedColumns, id ? QStringLiteral(" AND q.ID = ?") : QString())});
    if (id)
        missing.bindInteger(1, *id);
    Statement write(m_db, {QStringLiteral("INSERT INTO quillo_search (ID, Folded) VALUES (?, ?)")});
    QByteArray folded, search;
    int done = 0;
    while (missing.step()) {
        search.clear();
        for (size_t k = 0; k < kSearchedFields.size(); ++k) {
            const int column = static_cast<int>(k) + 1;
            if (missing.typeAt(column) == Statement::ValueType::Null)
                continue;
            foldForSearchUtf8(missing.textAt(column), folded);
            appendSearchSegment(search, SearchPart::Text, kSearchedFields[k], folded);
        }
        for (int field = FieldNo::Title; field <= FieldNo::Publisher; ++field) {
            const QString reading =
                textAt(missing, static_cast<int>(kSearchedFields.size()) + field);
            if (reading.isEmpty())
                continue;
            appendSearchSegment(search, SearchPart::Reading, field, searchedReading(reading));
            appendSearchSegment(search, SearchPart::Romaji, field,
                                romajiMatchKey(hepburnRomaji(reading)).toUtf8());
        }
        write.reset();
        write.bindInteger(1, missing.integerAt(0));
        write.bindBlob(2, search);
        write.step();
        ++done;
        if (progress && done % 1000 == 0)
            progress(done);
    }
    return done;
}

QString ReadingTable::reading(qint64 id, int field) const {
    const char* column = columnOf(field);
    if (!column)
        return QString();
    Statement statement(
        m_db,
        {QStringLiteral("SELECT %1 FROM quillo_reading WHERE ID = ?").arg(QLatin1String(column))});
    statement.bindInteger(1, id);
    return statement.step() ? textAt(statement, 0) : QString();
}

void ReadingTable::setTitleReading(qint64 id, const QString& reading) {
    Statement set(m_db, {QStringLiteral("UPDATE quillo_reading SET Title = ?, TitleKey = ? WHERE"
                                        " ID = ?")});
    set.bindText(1, reading.toUtf8());
    set.bindBlob(2, kanaOrderKey(reading));
    set.bindInteger(3, id);
    set.step();
    Statement stale(m_db, {QStringLiteral("DELETE FROM quillo_search WHERE ID = ?")});
    stale.bindInteger(1, id);
    stale.step();
}

void ReadingTable::learn(const ReadingAnalyzer& analyzer, const QHash<QString, QString>& readings) {
    Statement keep(m_db, {QStringLiteral("INSERT OR REPLACE INTO quillo_learned_reading (Name,"
                                         " Reading) VALUES (?, ?)")});
    run(m_db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS quillo_learning (Name TEXT PRIMARY"
                             " KEY)"));
    run(m_db, QStringLiteral("DELETE FROM quillo_learning"));
    Statement name(m_db, {QStringLiteral("INSERT OR IGNORE INTO quillo_learning VALUES (?)")});
    for (auto it = readings.cbegin(); it != readings.cend(); ++it) {
        keep.reset();
        keep.bindText(1, it.key().toUtf8());
        keep.bindText(2, it.value().toUtf8());
        keep.step();
        name.reset();
        name.bindText(1, it.key().toUtf8());
        name.step();
    }
    // The books with one of the names lose that reading (and their search
    // text), in one pass over the books; the sync reads them again, now with
    // the learned readings.
    for (const char* column : {"Writer", "Publisher"}) {
        const QString books =
            QStringLiteral("SELECT q.ID FROM quillo q JOIN quillo_learning n ON n.Name = q.%1")
                .arg(QLatin1String(column));
        run(m_db, QStringLiteral("UPDATE quillo_reading SET %1 = NULL, %1Key = NULL WHERE ID IN"
                                 " (%2)")
                      .arg(QLatin1String(column), books));
        run(m_db, QStringLiteral("DELETE FROM quillo_search WHERE ID IN (%1)").arg(books));
    }
    sync(analyzer);
}

QString ReadingTable::learned(const QString& name) const {
    Statement statement(
        m_db, {QStringLiteral("SELECT Reading FROM quillo_learned_reading WHERE Name = ?")});
    statement.bindText(1, name.toUtf8());
    return statement.step() ? textAt(statement, 0) : QString();
}

}  // namespace quillo
