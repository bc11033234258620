#include "engine/statement.h"

#include <sqlite3.h>

#include <algorithm>

#include "engine/engine_error.h"
#include "engine/packed_row.h"
#include "engine/sql_text.h"
#include "engine/sqlite_failure.h"

namespace quillo {

namespace {

bool onlyBlanksOrSemicolons(const char* p) {
    for (; *p; ++p) {
        if (*p != ';' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
            return false;
    }
    return true;
}

}  // namespace

Statement::Statement(sqlite3* db, const QStringList& lines) : m_db(db) {
    const QByteArray sql = toEngineSql(lines);
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size() + 1), &m_stmt, &tail) !=
        SQLITE_OK)
        fail();
    if (!m_stmt)
        throw EngineError(QStringLiteral("SQL 文がありません。"));
    if (tail && !onlyBlanksOrSemicolons(tail)) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw EngineError(QStringLiteral("一度に実行できる SQL 文は一つだけです。"));
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::fail() const {
    throw EngineError(QString::fromUtf8(sqlite3_errmsg(m_db)));
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const EngineError failure = sqliteFailure(m_db, rc);
    sqlite3_reset(m_stmt);
    throw failure;
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QByteArray Statement::declaredType(int column) const {
    return QByteArray(sqlite3_column_decltype(m_stmt, column)).toUpper();
}

void Statement::requireReadableWidth() const {
    const int n = sqlite3_column_count(m_stmt);
    if (n > kMaxColumns)  // a row cut short would be read past its end later
        throw EngineError(QStringLiteral("列が多すぎます（%1 列。読めるのは %2 列までです）")
                              .arg(QString::number(n), QString::number(kMaxColumns)));
}

PackedRow Statement::currentRow() const {
    // Two passes: the sizes first, so the row is one allocation of the exact size.
    requireReadableWidth();
    int types[kMaxColumns];
    const int n = sqlite3_column_count(m_stmt);
    qsizetype total = 0;
    for (int i = 0; i < n; ++i) {
        types[i] = sqlite3_column_type(m_stmt, i);
        if (types[i] == SQLITE_NULL) {
            total += PackedRow::Builder::kNullSize;
        } else if (types[i] == SQLITE_INTEGER) {
            total += PackedRow::Builder::kIntegerSize;
        } else {
            sqlite3_column_text(m_stmt, i);  // converts the value to text before its size is taken
            total += PackedRow::Builder::textSize(sqlite3_column_bytes(m_stmt, i));
        }
    }
    PackedRow::Builder builder(total);
    for (int i = 0; i < n; ++i) {
        if (types[i] == SQLITE_NULL) {
            builder.addNull();
        } else if (types[i] == SQLITE_INTEGER) {
            builder.addInteger(sqlite3_column_int64(m_stmt, i));
        } else {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
            builder.addText(text, sqlite3_column_bytes(m_stmt, i));
        }
    }
    return builder.take();
}

Statement::ValueType Statement::typeAt(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_NULL:
            return ValueType::Null;
        case SQLITE_INTEGER:
            return ValueType::Integer;
        default:
            return ValueType::Text;  // a real or a blob is read as its text, as rows are
    }
}

bool Statement::isBlobAt(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_BLOB;
}

qint64 Statement::integerAt(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QByteArrayView Statement::textAt(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(text, text ? sqlite3_column_bytes(m_stmt, column) : 0);
}

int Statement::parameterCount() const {
    return sqlite3_bind_parameter_count(m_stmt);
}

QString Statement::parameterName(int index) const {
    const char* name = sqlite3_bind_parameter_name(m_stmt, index);
    return name ? QString::fromUtf8(name + 1) : QString();
}

void Statement::bindNull(int index) {
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        fail();
}

void Statement::bindInteger(int index, qint64 value) {
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        fail();
}

namespace {

sqlite3_destructor_type lifetimeOf(Statement::Binding binding) {
    return binding == Statement::Binding::Copied ? SQLITE_TRANSIENT : SQLITE_STATIC;
}

}  // namespace

void Statement::bindText(int index, QByteArrayView utf8, Binding binding) {
    // A null pointer would bind SQL NULL; an empty text must stay a text.
    const char* data = utf8.data() ? utf8.data() : "";
    if (sqlite3_bind_text(m_stmt, index, data, static_cast<int>(utf8.size()),
                          lifetimeOf(binding)) != SQLITE_OK)
        fail();
}

void Statement::bindBlob(int index, QByteArrayView bytes, Binding binding) {
    const char* data = bytes.data() ? bytes.data() : "";
    if (sqlite3_bind_blob(m_stmt, index, data, static_cast<int>(bytes.size()),
                          lifetimeOf(binding)) != SQLITE_OK)
        fail();
}

}  // namespace quillo
