#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace quillo {

// The number of a book field; the same numbering indexes every per-field table
// (settings, check boxes, filter and search choices, the CSV column map).
struct FieldNo {
    enum : int {
        ID,
        Title,
        Writer,
        Publisher,
        PubDate,
        BuyDate,
        SubTitle,
        Kind,
        Translator,
        Memo,
        Writer2,
        Writer3,
        Writer4,
        Writer5,
    };
};

constexpr int kFieldCount = 14;

// One flag per field choosing the columns a filter or a search looks in. Entries
// for ID and the two dates are never consulted.
using FieldFlags = std::array<quint8, kFieldCount>;

// One row of the book table: the ID and the thirteen data fields as texts
// (dates as "yyyy/mm/dd", empty when the book has none). Slot 0 is unused.
struct BookRecord {
    qint64 id = 0;
    std::array<QString, kFieldCount> fields;
    bool operator==(const BookRecord&) const = default;
};

enum class FieldKindOfBook { Key, Text, Date, Memo };

struct BookFieldInfo {
    const char* column;
    const char* sqlType;  // as the book table declares the column
    FieldKindOfBook kind;
    int inputLimitBytes;  // in the record dialog, counted in Shift-JIS bytes
    const char* defaultLabel;
    const char* mnemonic;
};

const BookFieldInfo& bookField(int fieldNo);

// The column names by field number, as the store keeps them for building SQL.
class FieldNameTable {
public:
    FieldNameTable();
    QString name(int fieldNo) const { return m_names.at(static_cast<size_t>(fieldNo)); }
    // The field number of a column name (case-insensitive, as SQL names are), or -1.
    int fieldNoOf(const QString& column) const;

private:
    std::array<QString, kFieldCount> m_names;
};

// The default display names of the fourteen fields.
std::array<QString, kFieldCount> defaultFieldLabels();

// The fields a CSV line carries, in their order: all but ID and Memo.
constexpr std::array<int, 12> kCsvFields = {
    FieldNo::Title,   FieldNo::Writer,   FieldNo::Publisher, FieldNo::PubDate,
    FieldNo::BuyDate, FieldNo::SubTitle, FieldNo::Kind,      FieldNo::Translator,
    FieldNo::Writer2, FieldNo::Writer3,  FieldNo::Writer4,   FieldNo::Writer5};

inline bool isDateField(int fieldNo) {
    return fieldNo == FieldNo::PubDate || fieldNo == FieldNo::BuyDate;
}

}  // namespace quillo
