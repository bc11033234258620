#include "engine/table_cursor.h"

#include "engine/engine_error.h"
#include "engine/packed_row.h"
#include "engine/statement.h"

namespace quillo {

namespace {

QString quoted(const QString& identifier) {
    QString text = identifier;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

}  // namespace

TableCursor::TableCursor(const QString& alias, const QString& tableName)
    : m_connection(alias), m_table(tableName) {}

TableCursor::~TableCursor() = default;

void TableCursor::open(Reading reading) {
    // The rows are read first, so rewriting a row's key never disturbs the visit.
    // Whole rows carry their key as an extra last column.
    const bool whole = reading == Reading::WholeRows;
    Statement rows(m_connection.handle(),
                   {QStringLiteral("SELECT %1rowid FROM %2 ORDER BY rowid")
                        .arg(whole ? QStringLiteral("*, ") : QString(), quoted(m_table))});
    m_keys.clear();
    m_rows.clear();
    m_fields.clear();
    if (whole)
        m_fields = fieldsOf(rows);
    const int keyColumn = rows.columnCount() - 1;
    while (rows.step()) {
        PackedRow row = rows.currentRow();
        m_keys.push_back(row.integer(keyColumn));
        if (whole)
            m_rows.push_back(std::move(row));
    }
    m_position = 0;
}

const PackedRow& TableCursor::row() const {
    key();  // refuses past the end
    if (m_rows.empty())
        throw EngineError(QStringLiteral("表 %1 は行を読まずに開かれています。").arg(m_table));
    return m_rows[m_position];
}

void TableCursor::close() {
    post();
    m_keys.clear();
    m_rows.clear();
    m_update.reset();
}

void TableCursor::first() {
    post();
    m_position = 0;
}

void TableCursor::next() {
    post();
    if (!eof())
        ++m_position;
}

qint64 TableCursor::key() const {
    if (eof())
        throw EngineError(QStringLiteral("表 %1 の終わりを越えています。").arg(m_table));
    return m_keys[m_position];
}

void TableCursor::edit() {
    key();  // refuses past the end
    m_editing = true;
}

void TableCursor::setValue(const QString& field, FieldValue value) {
    if (!m_editing)
        edit();
    m_changes[field] = std::move(value);
}

void TableCursor::setInteger(const QString& field, qint64 value) {
    setValue(field, FieldValue::fromInteger(value));
}

void TableCursor::setText(const QString& field, const QString& utf8) {
    setValue(field, utf8.isEmpty() ? FieldValue::null() : FieldValue::fromText(utf8.toUtf8()));
}

void TableCursor::post() {
    if (!m_editing)
        return;
    m_editing = false;
    if (m_changes.empty())
        return;
    QStringList assignments;
    for (const auto& change : m_changes)
        assignments << QStringLiteral("%1 = ?").arg(quoted(change.first));
    const QString text = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                             .arg(quoted(m_table), assignments.join(QStringLiteral(", ")));
    if (!m_update || text != m_updateText) {
        m_update = std::make_unique<Statement>(m_connection.handle(), QStringList{text});
        m_updateText = text;
    }
    m_update->reset();
    int index = 1;
    for (const auto& change : m_changes) {
        const FieldValue& v = change.second;
        if (v.type == FieldValue::Type::Integer)
            m_update->bindInteger(index, v.integer);
        else if (v.type == FieldValue::Type::Text)
            m_update->bindText(index, v.text);
        else
            m_update->bindNull(index);
        ++index;
    }
    m_update->bindInteger(index, m_keys[m_position]);
    m_changes.clear();
    m_update->step();
    m_update->reset();
}

}  // namespace quillo
