#include "store/id_renumbering.h"

#include <QStringList>

#include "engine/statement.h"
#include "store/side_tables.h"

namespace quillo {

namespace {

// One table's rows written again under their new IDs, in that order (which
// builds its b-tree by appending), the ID first among its columns.
void rewrite(sqlite3* db, const QString& table) {
    QStringList others;
    Statement columns(db, {QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE name <>"
                                          " 'ID' ORDER BY cid")});
    columns.bindText(1, table.toUtf8());
    while (columns.step()) {
        const QByteArrayView column = columns.textAt(0);
        others << quotedName(QString::fromUtf8(column.data(), column.size()));
    }
    const QString rest = others.isEmpty() ? QString() : QStringLiteral(", ") + others.join(u',');
    const QString name = quotedName(table);
    // The copy is in ID order, and each of its rows finds its new ID by the old:
    // the rows come out in their new order without a sort.
    runSql(db, QStringLiteral("CREATE TEMP TABLE quillo_renumber_rows AS SELECT * FROM ") + name +
                   QStringLiteral(" ORDER BY ID"));
    runSql(db, QStringLiteral("DELETE FROM ") + name);
    runSql(db, QStringLiteral("INSERT INTO ") + name + QStringLiteral(" (ID") + rest +
                   QStringLiteral(") SELECT m.New") + rest +
                   QStringLiteral(" FROM quillo_renumber_rows CROSS JOIN temp.quillo_renumber m ON"
                                  " m.Old = quillo_renumber_rows.ID ORDER BY"
                                  " quillo_renumber_rows.rowid"));
    runSql(db, QStringLiteral("DROP TABLE temp.quillo_renumber_rows"));
}

}  // namespace

void renumberBookIds(sqlite3* db) {
    // The side tables are renumbered here themselves.
    SuspendedTriggers triggers(db);
    runSql(db, QStringLiteral("DROP TABLE IF EXISTS temp.quillo_renumber"));
    runSql(db, QStringLiteral("CREATE TEMP TABLE quillo_renumber (Old INTEGER PRIMARY KEY, New"
                              " INTEGER NOT NULL)"));
    runSql(db, QStringLiteral("INSERT INTO temp.quillo_renumber SELECT ID, row_number() OVER (ORDER"
                              " BY ID) FROM quillo"));
    rewrite(db, QStringLiteral("quillo"));
    for (const QString& table : sideTables(db))
        rewrite(db, table);
    runSql(db, QStringLiteral("DROP TABLE temp.quillo_renumber"));

    triggers.restore();
}

}  // namespace quillo
