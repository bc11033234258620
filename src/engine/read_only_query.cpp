#include "engine/read_only_query.h"

#include "engine/connection.h"
#include "engine/engine_error.h"
#include "engine/statement.h"

namespace quillo {

void ReadOnlyQuery::setSql(const QStringList& lines) {
    if (m_active)
        throw EngineError(QStringLiteral("開いている問い合わせの SQL は変更できません。"));
    m_sql = lines;
}

void ReadOnlyQuery::open() {
    if (m_active)
        return;
    Statement statement(m_connection.handle(), m_sql);
    std::vector<PackedRow> rows;
    loadRows(statement, rows);
    m_fields = fieldsOf(statement);
    m_rows = std::move(rows);
    m_active = true;
    m_current = m_rows.empty() ? -1 : 0;
}

void ReadOnlyQuery::close() {
    m_active = false;
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_current = -1;
}

void ReadOnlyQuery::first() {
    m_current = m_rows.empty() ? -1 : 0;
}

void ReadOnlyQuery::next() {
    if (m_current >= 0 && m_current < rowCount())
        ++m_current;
}

const PackedRow* ReadOnlyQuery::current() const {
    return eof() ? nullptr : &m_rows[static_cast<size_t>(m_current)];
}

bool ReadOnlyQuery::isNull(int field) const {
    const PackedRow* row = current();
    return !row || row->type(field) == FieldValue::Type::Null;
}

qint64 ReadOnlyQuery::integer(int field) const {
    const PackedRow* row = current();
    return row ? row->integer(field) : 0;
}

QString ReadOnlyQuery::text(int field) const {
    const PackedRow* row = current();
    return row ? fieldText(*row, field, m_fields[static_cast<size_t>(field)].kind) : QString();
}

}  // namespace quillo
