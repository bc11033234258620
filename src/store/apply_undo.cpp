#include "store/apply_undo.h"

#include <QStringList>

#include "engine/connection.h"
#include "engine/engine_error.h"
#include "engine/statement.h"
#include "store/side_tables.h"

namespace quillo {

namespace {

enum Kind { Added = 0, Changed = 1, Deleted = 2 };

QString beforeTable(const QString& table) {
    return QStringLiteral("temp.") + quotedName(QStringLiteral("undo_before_") + table);
}

qint64 count(sqlite3* db, const QString& sql) {
    Statement statement(db, {sql});
    return statement.step() ? statement.integerAt(0) : 0;
}

// The books' own table first, then the tables beside it.
QStringList bookTables(sqlite3* db) {
    return QStringList{QStringLiteral("quillo")} + sideTables(db);
}

}  // namespace

void ApplyUndo::captureBefore(const std::vector<qint64>& changed,
                              const std::vector<qint64>& deleted,
                              const std::vector<qint64>& added) {
    sqlite3* db = m_database.handle();
    m_available = false;
    m_added = static_cast<int>(added.size());
    m_changed = static_cast<int>(changed.size());
    m_deleted = static_cast<int>(deleted.size());
    runSql(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS undo_ids (ID INTEGER PRIMARY KEY,"
                              " Kind INTEGER NOT NULL)"));
    runSql(db, QStringLiteral("DELETE FROM temp.undo_ids"));
    Statement insert(db, {QStringLiteral("INSERT OR REPLACE INTO temp.undo_ids VALUES (?, ?)")});
    for (const auto& [ids, kind] :
         {std::pair{&added, Added}, {&changed, Changed}, {&deleted, Deleted}}) {
        for (const qint64 id : *ids) {
            insert.bindInteger(1, id);
            insert.bindInteger(2, kind);
            insert.step();
            insert.reset();
        }
    }
    for (const QString& table : bookTables(db)) {
        const QString main = QStringLiteral("main.") + quotedName(table);
        runSql(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ") + beforeTable(table).mid(5) +
                       QStringLiteral(" AS SELECT * FROM ") + main + QStringLiteral(" WHERE 0"));
        runSql(db, QStringLiteral("DELETE FROM ") + beforeTable(table));
        runSql(db,
               QStringLiteral("INSERT INTO ") + beforeTable(table) +
                   QStringLiteral(" SELECT * FROM ") + main +
                   QStringLiteral(" WHERE ID IN (SELECT ID FROM temp.undo_ids WHERE Kind > 0)"));
    }
}

void ApplyUndo::captureAfter() {
    sqlite3* db = m_database.handle();
    runSql(db, QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS undo_after AS SELECT * FROM"
                              " main.quillo WHERE 0"));
    runSql(db, QStringLiteral("DELETE FROM temp.undo_after"));
    runSql(db, QStringLiteral("INSERT INTO temp.undo_after SELECT * FROM main.quillo WHERE ID IN"
                              " (SELECT ID FROM temp.undo_ids WHERE Kind < 2)"));
}

QString ApplyUndo::description() const {
    QStringList parts;
    if (m_added > 0)
        parts << QString::number(m_added) + QStringLiteral(" 冊の追加");
    if (m_changed > 0)
        parts << QString::number(m_changed) + QStringLiteral(" 冊の変更");
    if (m_deleted > 0)
        parts << QString::number(m_deleted) + QStringLiteral(" 冊の削除");
    QString joined;
    for (qsizetype i = 0; i < parts.size(); ++i)
        joined += (i == 0                  ? QString()
                   : i + 1 == parts.size() ? QStringLiteral("と ")
                                           : QStringLiteral("、")) +
                  parts[i];
    return joined + QStringLiteral("を取り消します");
}

void ApplyUndo::undo() {
    if (!m_available)
        throw EngineError(QStringLiteral("取り消せる更新がありません。"));
    sqlite3* db = m_database.handle();
    TransactionGuard transaction(m_database);
    // Only books still as the apply left them are taken back: a book another
    // program changed, or one it added under a deleted book's ID, is its work.
    const qint64 kept = count(db, QStringLiteral("SELECT count(*) FROM main.quillo WHERE ID IN"
                                                 " (SELECT ID FROM temp.undo_ids WHERE Kind < 2)"));
    const qint64 moved = count(
        db, QStringLiteral("SELECT count(*) FROM (SELECT * FROM main.quillo WHERE ID IN (SELECT"
                           " ID FROM temp.undo_ids WHERE Kind < 2) EXCEPT SELECT * FROM"
                           " temp.undo_after)"));
    const qint64 taken =
        count(db, QStringLiteral("SELECT count(*) FROM main.quillo WHERE ID IN"
                                 " (SELECT ID FROM temp.undo_ids WHERE Kind = 2)"));
    if (kept != m_added + m_changed || moved != 0 || taken != 0) {
        m_available = false;
        throw EngineError(
            QStringLiteral("最後の更新のあとで他のプログラムがこれらの本を変更したため、"
                           "取り消せません。カタログはそのままです"));
    }
    SuspendedTriggers triggers(db);
    for (const QString& table : bookTables(db)) {
        const QString main = QStringLiteral("main.") + quotedName(table);
        runSql(db, QStringLiteral("DELETE FROM ") + main +
                       QStringLiteral(" WHERE ID IN (SELECT ID FROM temp.undo_ids)"));
        Statement saved(db, {QStringLiteral("SELECT count(*) FROM temp.sqlite_master WHERE"
                                            " name = 'undo_before_' || ?")});
        saved.bindText(1, table.toUtf8());
        if (saved.step() && saved.integerAt(0) == 1)
            runSql(db, QStringLiteral("INSERT INTO ") + main + QStringLiteral(" SELECT * FROM ") +
                           beforeTable(table));
    }
    triggers.restore();
    transaction.commit();
    m_available = false;
}

}  // namespace quillo
