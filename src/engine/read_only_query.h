#pragma once

#include <QStringList>
#include <vector>

#include "engine/field_def.h"
#include "engine/packed_row.h"

namespace quillo {

class Connection;

// A read-only query for one-off selects: its SQL is replaced while it is closed;
// opening runs it and keeps the rows, which a cursor then visits.
class ReadOnlyQuery {
public:
    explicit ReadOnlyQuery(Connection& connection) : m_connection(connection) {}

    void setSql(const QStringList& lines);
    const QStringList& sql() const { return m_sql; }
    void open();
    void close();
    bool isActive() const { return m_active; }

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int currentRow() const { return m_current; }
    bool eof() const { return m_current < 0 || m_current >= rowCount(); }
    void first();
    void next();

    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    bool isNull(int field) const;
    qint64 integer(int field) const;
    QString text(int field) const;

private:
    const PackedRow* current() const;

    Connection& m_connection;
    QStringList m_sql;
    bool m_active = false;
    std::vector<FieldDef> m_fields;
    std::vector<PackedRow> m_rows;
    int m_current = -1;
};

}  // namespace quillo
