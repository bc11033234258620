#pragma once

#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "engine/connection.h"
#include "engine/field_def.h"
#include "engine/field_value.h"
#include "engine/packed_row.h"

namespace quillo {

class Statement;

// Direct access to one table in key order (ascending row key), on a connection of
// its own. A row put into edit is written when the cursor moves on or closes.
class TableCursor {
public:
    TableCursor(const QString& alias, const QString& tableName);
    ~TableCursor();

    // Keys only, for rewriting rows; or whole rows as well, for reading them.
    enum class Reading { KeysOnly, WholeRows };
    void open(Reading reading = Reading::KeysOnly);
    void close();
    Connection& connection() { return m_connection; }

    int recordCount() const { return static_cast<int>(m_keys.size()); }
    bool eof() const { return m_position >= m_keys.size(); }
    void first();
    void next();
    qint64 key() const;

    // The current row's fields (opened with whole rows).
    int fieldIndex(const QString& name) const { return indexOfField(m_fields, name); }
    const PackedRow& row() const;

    void edit();
    void setInteger(const QString& field, qint64 value);
    void setText(const QString& field, const QString& utf8);
    void post();

private:
    void setValue(const QString& field, FieldValue value);

    Connection m_connection;
    QString m_table;
    std::vector<qint64> m_keys;
    std::vector<FieldDef> m_fields;
    std::vector<PackedRow> m_rows;
    size_t m_position = 0;
    bool m_editing = false;
    std::map<QString, FieldValue> m_changes;
    QString m_updateText;
    std::unique_ptr<Statement> m_update;
};

}  // namespace quillo
