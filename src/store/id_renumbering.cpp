#include "store/id_renumbering.h"

#include <sqlite3.h>

#include <algorithm>
#include <vector>

#include "engine/engine_error.h"
#include "engine/statement.h"
#include "store/side_tables.h"

namespace quillo {

namespace {

// The books' IDs in order: a book's new ID is its place among them.
using IdOrder = std::vector<sqlite3_int64>;

IdOrder readIdOrder(sqlite3* db) {
    IdOrder ids;
    Statement count(db, {QStringLiteral("SELECT count(*) FROM quillo")});
    if (count.step())
        ids.reserve(static_cast<size_t>(count.integerAt(0)));
    Statement read(db, {QStringLiteral("SELECT ID FROM quillo ORDER BY ID")});
    while (read.step())
        ids.push_back(read.integerAt(0));
    return ids;
}

// quillo_renumbered_id(ID): the new ID of the book with that ID, or the ID
// negated for a side row of no book (set aside there, then deleted).
void renumberedId(sqlite3_context* context, int, sqlite3_value** values) {
    const auto* ids = static_cast<const IdOrder*>(sqlite3_user_data(context));
    const sqlite3_int64 old = sqlite3_value_int64(values[0]);
    const auto found = std::lower_bound(ids->begin(), ids->end(), old);
    if (found == ids->end() || *found != old)
        sqlite3_result_int64(context, -old);
    else
        sqlite3_result_int64(context, (found - ids->begin()) + 1);
}

// The function lives only while the renumbering runs.
class RenumberFunction {
public:
    RenumberFunction(sqlite3* db, const IdOrder& ids) : m_db(db) {
        if (sqlite3_create_function_v2(
                db, "quillo_renumbered_id", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                const_cast<IdOrder*>(&ids), renumberedId, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw EngineError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    ~RenumberFunction() {
        sqlite3_create_function_v2(m_db, "quillo_renumbered_id", 1, SQLITE_UTF8, nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
    }
    RenumberFunction(const RenumberFunction&) = delete;
    RenumberFunction& operator=(const RenumberFunction&) = delete;

private:
    sqlite3* m_db;
};

// A larger cache while the rows move: fewer of the changed pages are spilled
// to the file on the way (each spill syncs the journal first).
class RoomyCache {
public:
    explicit RoomyCache(sqlite3* db) : m_db(db) {
        Statement size(db, {QStringLiteral("PRAGMA cache_size")});
        if (size.step())
            m_before = size.integerAt(0);
        runSql(db, QStringLiteral("PRAGMA cache_size = -32768"));  // 32 MiB at most
    }
    ~RoomyCache() {
        try {
            runSql(m_db, QStringLiteral("PRAGMA cache_size = ") + QString::number(m_before));
        } catch (const EngineError&) {
        }
    }
    RoomyCache(const RoomyCache&) = delete;
    RoomyCache& operator=(const RoomyCache&) = delete;

private:
    sqlite3* m_db;
    qint64 m_before = -2000;
};

// Books numbered below 1 (written by another program) would move up, not
// down: every table is first shifted above its largest ID, and the IDs with it.
void liftIdsBelowOne(sqlite3* db, const QStringList& tables, IdOrder& ids) {
    if (ids.empty() || ids.front() >= 1)
        return;
    sqlite3_int64 highest = ids.back();
    for (const QString& table : tables) {
        Statement top(db, {QStringLiteral("SELECT max(ID) FROM ") + quotedName(table)});
        if (top.step())
            highest = std::max<sqlite3_int64>(highest, top.integerAt(0));
    }
    const sqlite3_int64 shift = highest - ids.front() + 1;
    for (const QString& table : tables)
        runSql(db, QStringLiteral("UPDATE ") + quotedName(table) +
                       QStringLiteral(" SET ID = ID + ") + QString::number(shift));
    for (sqlite3_int64& id : ids)
        id += shift;
}

}  // namespace

void renumberBookIds(sqlite3* db) {
    RoomyCache cache(db);
    // The side tables are renumbered here themselves.
    SuspendedTriggers triggers(db);
    QStringList tables{QStringLiteral("quillo")};
    tables << sideTables(db);
    IdOrder ids = readIdOrder(db);
    liftIdsBelowOne(db, tables, ids);
    // Books 1..k keep their IDs; only those after the first gap move.
    qint64 kept = 0;
    while (kept < static_cast<qint64>(ids.size()) && ids[static_cast<size_t>(kept)] == kept + 1)
        ++kept;
    const QString after = QString::number(kept);

    RenumberFunction function(db, ids);
    for (const QString& table : tables) {
        const QString name = quotedName(table);
        // Side rows below 1 belong to no book.
        runSql(db, QStringLiteral("DELETE FROM ") + name + QStringLiteral(" WHERE ID < 1"));
        // Every new ID is below the old one and SQLite moves the rows in
        // ascending order, so each lands in a place already left.
        runSql(db, QStringLiteral("UPDATE ") + name +
                       QStringLiteral(" SET ID = quillo_renumbered_id(ID) WHERE ID > ") + after);
        runSql(db, QStringLiteral("DELETE FROM ") + name + QStringLiteral(" WHERE ID < 0"));
    }
    triggers.restore();
}

}  // namespace quillo
