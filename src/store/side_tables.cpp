#include "store/side_tables.h"

#include "engine/statement.h"

namespace quillo {

void runSql(sqlite3* db, const QString& sql) {
    Statement statement(db, {sql});
    while (statement.step()) {
    }
}

QStringList textColumn(sqlite3* db, const QString& sql) {
    Statement statement(db, {sql});
    QStringList texts;
    while (statement.step()) {
        const QByteArrayView text = statement.textAt(0);
        texts << QString::fromUtf8(text.data(), text.size());
    }
    return texts;
}

QString quotedName(const QString& identifier) {
    return QLatin1Char('"') + QString(identifier).replace(u'"', QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QStringList sideTables(sqlite3* db) {
    QStringList tables;
    for (const QString& table : textColumn(
             db, QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' AND"
                                " name LIKE 'quillo\\_%' ESCAPE '\\' ORDER BY name"))) {
        Statement columns(db, {QStringLiteral("SELECT count(*) FROM pragma_table_info(?, 'main')"
                                              " WHERE name = 'ID' AND pk = 1 AND upper(type) ="
                                              " 'INTEGER'")});
        columns.bindText(1, table.toUtf8());
        if (columns.step() && columns.integerAt(0) == 1)
            tables << table;
    }
    return tables;
}

SuspendedTriggers::SuspendedTriggers(sqlite3* db) : m_db(db) {
    Statement list(db, {QStringLiteral("SELECT name, sql FROM main.sqlite_master WHERE type ="
                                       " 'trigger' AND tbl_name = 'quillo'")});
    while (list.step()) {
        const QByteArrayView name = list.textAt(0), sql = list.textAt(1);
        m_triggers.append({QString::fromUtf8(name.data(), name.size()),
                           QString::fromUtf8(sql.data(), sql.size())});
    }
    for (const auto& trigger : m_triggers)
        runSql(db, QStringLiteral("DROP TRIGGER main.") + quotedName(trigger.first));
}

void SuspendedTriggers::restore() {
    for (const auto& trigger : m_triggers)
        runSql(m_db, trigger.second);
    m_triggers.clear();
}

}  // namespace quillo
