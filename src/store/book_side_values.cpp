#include "store/book_side_values.h"

#include "engine/statement.h"
#include "store/side_tables.h"

namespace quillo {

void BookSideValues::prepare() {
    if (exists())
        return;
    const QString table = quotedName(m_table);
    runSql(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS ") + table +
                     QStringLiteral(" (ID INTEGER PRIMARY KEY, ") + quotedName(m_column) +
                     QLatin1Char(' ') + m_type + QStringLiteral(" NOT NULL)"));
    if (m_indexed)
        runSql(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS ") +
                         quotedName(m_table + QStringLiteral("_value")) + QStringLiteral(" ON ") +
                         table + QStringLiteral(" (") + quotedName(m_column) + QStringLiteral(")"));
    runSql(m_db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS ") +
                     quotedName(m_table + QStringLiteral("_delete")) +
                     QStringLiteral(" AFTER DELETE ON quillo BEGIN DELETE FROM ") + table +
                     QStringLiteral(" WHERE ID = old.ID; END"));
}

bool BookSideValues::exists() const {
    if (m_exists < 0) {
        Statement table(m_db, {QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE"
                                              " type = 'table' AND name = ?")});
        table.bindText(1, m_table.toUtf8());
        m_exists = table.step() && table.integerAt(0) == 1 ? 1 : 0;
    }
    return m_exists == 1;
}

QByteArray BookSideValues::valueOf(qint64 id) const {
    const auto pending = m_pending.constFind(id);
    if (pending != m_pending.constEnd())
        return *pending;
    if (!exists())
        return {};
    Statement stored(m_db,
                     {QStringLiteral("SELECT ") + quotedName(m_column) + QStringLiteral(" FROM ") +
                      quotedName(m_table) + QStringLiteral(" WHERE ID = ?")});
    stored.bindInteger(1, id);
    return stored.step() ? stored.textAt(0).toByteArray() : QByteArray();
}

qint64 BookSideValues::bookWith(const QByteArray& value, qint64 except) const {
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        if (it.key() != except && it.value() == value)
            return it.key();
    if (!exists() || value.isEmpty())
        return 0;
    Statement stored(
        m_db, {QStringLiteral("SELECT ID FROM ") + quotedName(m_table) + QStringLiteral(" WHERE ") +
               quotedName(m_column) + QStringLiteral(" = ? AND ID <> ? LIMIT 1")});
    stored.bindText(1, value);
    stored.bindInteger(2, except);
    return stored.step() ? stored.integerAt(0) : 0;
}

void BookSideValues::write() {
    if (m_pending.isEmpty())
        return;
    prepare();
    m_exists = -1;  // asked again: a rolled-back apply takes a new table with it
    const QString table = quotedName(m_table);
    Statement put(m_db, {QStringLiteral("INSERT OR REPLACE INTO ") + table +
                         QStringLiteral(" (ID, ") + quotedName(m_column) +
                         QStringLiteral(") SELECT ?, ? WHERE EXISTS (SELECT 1 FROM quillo WHERE"
                                        " ID = ?)")});
    Statement drop(m_db,
                   {QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE ID = ?")});
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (it.value().isEmpty()) {
            drop.bindInteger(1, it.key());
            drop.step();
            drop.reset();
        } else {
            put.bindInteger(1, it.key());
            if (m_type == QLatin1String("BLOB"))
                put.bindBlob(2, it.value());
            else
                put.bindText(2, it.value());
            put.bindInteger(3, it.key());
            put.step();
            put.reset();
        }
    }
}

}  // namespace quillo
