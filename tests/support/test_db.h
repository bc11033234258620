#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "engine/field_def.h"
#include "engine/packed_row.h"
#include "engine/statement.h"
#include "store/book_table.h"

namespace quillo::test {

// A fresh, empty catalogue in a temporary folder, registered under the alias
// "book".
class TempBookDb {
public:
    TempBookDb() {
        QVERIFY2(m_dir.isValid(), "temporary folder");
        Connection::setAliasPath(QStringLiteral("book"), path());
        CreateCatalogue(path());
    }
    QString path() const { return m_dir.filePath(QStringLiteral("book.db")); }
    QString folder() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Runs statements on a connection of its own, as another program would.
inline void exec(const QString& sql) {
    Connection connection(QStringLiteral("book"));
    connection.execute(sql);
}

// The first column of the first row of a query, as an integer.
inline qint64 scalar(const QString& sql) {
    Connection connection(QStringLiteral("book"));
    Statement statement(connection.handle(), {sql});
    return statement.step() ? statement.currentRow().integer(0) : -1;
}

// The rows of a query as "a|b|c" texts, for comparing whole tables.
inline QStringList rows(const QString& sql) {
    Connection connection(QStringLiteral("book"));
    Statement statement(connection.handle(), {sql});
    QStringList out;
    while (statement.step()) {
        const PackedRow row = statement.currentRow();
        QStringList cells;
        for (int i = 0; i < statement.columnCount(); ++i)
            cells << (row.type(i) == FieldValue::Type::Null ? QStringLiteral("<null>")
                                                            : fieldText(row, i, FieldKind::Text));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

}  // namespace quillo::test
