#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

struct sqlite3;

namespace quillo {

// The book table and the tables beside it, seen whole: what renumbering and
// taking back an apply do to every table keyed by the book's ID.

void runSql(sqlite3* db, const QString& sql);
QStringList textColumn(sqlite3* db, const QString& sql);
QString quotedName(const QString& identifier);

// The tables beside the book table that are keyed by the book's ID.
QStringList sideTables(sqlite3* db);

// The book table's triggers keep its side tables in step row by row; work that
// writes the side tables itself drops them first and makes them again after,
// inside its transaction (a rollback brings them back anyway).
class SuspendedTriggers {
public:
    explicit SuspendedTriggers(sqlite3* db);
    void restore();

private:
    sqlite3* m_db;
    QList<std::pair<QString, QString>> m_triggers;  // name, and the statement that made it
};

}  // namespace quillo
