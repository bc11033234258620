#include "store/id_renumbering.h"

#include <QStringList>

#include "engine/statement.h"

namespace quillo {

namespace {

void run(sqlite3* db, const QString& sql) {
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

QString quoted(const QString& identifier) {
    return QLatin1Char('"') + QString(identifier).replace(u'"', QLatin1String("\"\"")) +
           QLatin1Char('"');
}

// The tables beside the book table that are keyed by the book's ID.
QStringList sideTables(sqlite3* db) {
    QStringList tables;
    for (const QString& table : textColumn(
             db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name"
                                " LIKE 'quillo\\_%' ESCAPE '\\' ORDER BY name"))) {
        Statement columns(db, {QStringLiteral("SELECT count(*) FROM pragma_table_info(?) WHERE"
                                              " name = 'ID' AND pk = 1 AND upper(type) ="
                                              " 'INTEGER'")});
        columns.bindText(1, table.toUtf8());
        if (columns.step() && columns.integerAt(0) == 1)
            tables << table;
    }
    return tables;
}

// One table's rows written again under their new IDs, in that order (which
// builds its b-tree by appending), the ID first among its columns.
void rewrite(sqlite3* db, const QString& table) {
    QStringList others;
    Statement columns(db, {QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE name <>"
                                          " 'ID' ORDER BY cid")});
    columns.bindText(1, table.toUtf8());
    while (columns.step()) {
        const QByteArrayView column = columns.textAt(0);
        others << quoted(QString::fromUtf8(column.data(), column.size()));
    }
    const QString rest = others.isEmpty() ? QString() : QStringLiteral(", ") + others.join(u',');
    const QString name = quoted(table);
    // The copy is in ID order, and each of its rows finds its new ID by the old:
    // the rows come out in their new order without a sort.
    run(db, QStringLiteral("CREATE TEMP TABLE quillo_renumber_rows AS SELECT * FROM ") + name +
                QStringLiteral(" ORDER BY ID"));
    run(db, QStringLiteral("DELETE FROM ") + name);
    run(db, QStringLiteral("INSERT INTO ") + name + QStringLiteral(" (ID") + rest +
                QStringLiteral(") SELECT m.New") + rest +
                QStringLiteral(" FROM quillo_renumber_rows CROSS JOIN temp.quillo_renumber m ON"
                               " m.Old = quillo_renumber_rows.ID ORDER BY"
                               " quillo_renumber_rows.rowid"));
    run(db, QStringLiteral("DROP TABLE temp.quillo_renumber_rows"));
}

}  // namespace

void renumberBookIds(sqlite3* db) {
    // The book table's triggers keep its side tables in step row by row; the
    // side tables are renumbered here themselves, so the triggers wait.
    Statement triggerList(db, {QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type ="
                                              " 'trigger' AND tbl_name = 'quillo'")});
    QList<std::pair<QString, QString>> triggers;
    while (triggerList.step()) {
        const QByteArrayView name = triggerList.textAt(0), sql = triggerList.textAt(1);
        triggers.append({QString::fromUtf8(name.data(), name.size()),
                         QString::fromUtf8(sql.data(), sql.size())});
    }
    for (const auto& trigger : triggers)
        run(db, QStringLiteral("DROP TRIGGER ") + quoted(trigger.first));

    run(db, QStringLiteral("DROP TABLE IF EXISTS temp.quillo_renumber"));
    run(db, QStringLiteral("CREATE TEMP TABLE quillo_renumber (Old INTEGER PRIMARY KEY, New"
                           " INTEGER NOT NULL)"));
    run(db, QStringLiteral("INSERT INTO temp.quillo_renumber SELECT ID, row_number() OVER (ORDER"
                           " BY ID) FROM quillo"));
    rewrite(db, QStringLiteral("quillo"));
    for (const QString& table : sideTables(db))
        rewrite(db, table);
    run(db, QStringLiteral("DROP TABLE temp.quillo_renumber"));

    for (const auto& trigger : triggers)
        run(db, trigger.second);
}

}  // namespace quillo
