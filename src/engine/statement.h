#pragma once

#include <QByteArrayView>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

namespace quillo {

class PackedRow;

// One prepared SQLite statement. Built from the program's SQL lines (see
// toEngineSql); a text holding more than one statement is refused, so a built
// text can never smuggle in a second one.
class Statement {
public:
    Statement(sqlite3* db, const QStringList& lines);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool step();  // true while a row is available; throws on failure
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QByteArray declaredType(int column) const;
    PackedRow currentRow() const;
    // One value of the current row, without copying: for reading rows that are
    // not kept. A text is UTF-8 and valid until the next step.
    enum class ValueType { Null, Integer, Text };
    ValueType typeAt(int column) const;
    // Bytes stored as such, which no column of a book holds as Quillo writes it.
    bool isBlobAt(int column) const;
    qint64 integerAt(int column) const;
    QByteArrayView textAt(int column) const;
    // Rows wider than this are refused with a clear message rather than read.
    static constexpr int kMaxColumns = 64;
    void requireReadableWidth() const;  // throws EngineError when wider

    int parameterCount() const;
    QString parameterName(int index) const;  // 1-based, without its colon
    void bindNull(int index);
    void bindInteger(int index, qint64 value);
    // Bytes bound are copied, unless the caller keeps them unchanged until
    // the statement has been stepped.
    enum class Binding { Copied, KeptUntilStep };
    void bindText(int index, QByteArrayView utf8, Binding binding = Binding::Copied);
    // Bytes compared as such (memcmp), such as a sort key.
    void bindBlob(int index, QByteArrayView bytes, Binding binding = Binding::Copied);

private:
    [[noreturn]] void fail() const;

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

}  // namespace quillo
