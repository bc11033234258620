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

// Where a field sits on the record dialog and on the card: across the top,
// in the left or the right column, or across below them.
enum class FormArea { None, Across, Left, Right, Below };

// Everything the program knows of a column of the book table. The list, the
// record dialog, the card, the settings file, CSV lines, the statistics and
// the SQL of the store are all made from this table: a new column is a new
// row here (and a new FieldNo).
struct BookFieldInfo {
    // Its name in the book table, in the settings file's per-field sections
    // and in a CSV heading written by another program.
    const char* column;
    const char* sqlType;  // as the book table declares the column
    FieldKindOfBook kind;
    int inputLimitBytes;  // in the record dialog, counted in Shift-JIS bytes
    const char* defaultLabel;
    const char* mnemonic;
    // The stem of its controls' names (EditTitle, LabelPublish) and of its
    // label's key in the settings file (NAME_PUBLISH).
    const char* widgetName;
    const char* choiceName;  // its name beside a check box, where not its label
    FormArea area;
    int formOrder;  // on the forms: the tab order, also the clipboard's order; 0 none
    int listWidth;  // the list column's first width
    bool listShown;
    bool inCsv;         // a CSV line carries it (in field order)
    bool offersStored;  // its box offers the values already stored
    bool isWriter;      // counted with the writers in the statistics
    bool renamable;     // the user may rename it in the options
};

namespace field_table {
using K = FieldKindOfBook;
using A = FormArea;
// clang-format off
inline constexpr std::array<BookFieldInfo, kFieldCount> kRows = {{
//   column        type                   kind     bytes label         mnemonic widget        choice     area       form width shown  csv    stored writer rename
    {"ID",         "INTEGER PRIMARY KEY", K::Key,  0,    "ID",         "",      "ID",         nullptr,   A::None,   0,   10,   false, false, false, false, false},
    {"Title",      "TEXT",                K::Text, 255,  "書名",       "(&N)",  "Title",      nullptr,   A::Across, 1,   200,  true,  true,  false, false, false},
    {"Writer",     "TEXT",                K::Text, 64,   "著者名",     "(&W)",  "Writer",     nullptr,   A::Left,   3,   100,  true,  true,  true,  true,  false},
    {"Publisher",  "TEXT",                K::Text, 64,   "出版社",     "(&P)",  "Publish",    nullptr,   A::Right,  9,   100,  true,  true,  true,  false, false},
    {"PubDate",    "DATE",                K::Date, 0,    "初版発行日", "(&D)",  "PubDate",    nullptr,   A::Right,  11,  80,   true,  true,  false, false, false},
    {"BuyDate",    "DATE",                K::Date, 0,    "購入日",     "(&B)",  "BuyDate",    nullptr,   A::Right,  12,  80,   true,  true,  false, false, false},
    {"SubTitle",   "TEXT",                K::Text, 255,  "副題",       "(&S)",  "SubTitle",   nullptr,   A::Across, 2,   100,  true,  true,  false, false, false},
    {"Kind",       "TEXT",                K::Text, 64,   "分類",       "(&K)",  "Kind",       nullptr,   A::Right,  10,  100,  true,  true,  true,  false, false},
    {"Translator", "TEXT",                K::Text, 64,   "翻訳者",     "(&T)",  "Translator", "訳者名",  A::Right,  8,   100,  true,  true,  true,  false, false},
    {"Memo",       "TEXT",                K::Memo, 255,  "メモ",       "(&M)",  "Memo",       nullptr,   A::Below,  13,  80,   true,  false, false, false, false},
    {"Writer2",    "TEXT",                K::Text, 64,   "著者名２",   "(&2)",  "Writer2",    nullptr,   A::Left,   4,   100,  true,  true,  true,  true,  true},
    {"Writer3",    "TEXT",                K::Text, 64,   "著者名３",   "(&3)",  "Writer3",    nullptr,   A::Left,   5,   100,  true,  true,  true,  true,  true},
    {"Writer4",    "TEXT",                K::Text, 64,   "著者名４",   "(&4)",  "Writer4",    nullptr,   A::Left,   6,   100,  true,  true,  true,  true,  true},
    {"Writer5",    "TEXT",                K::Text, 64,   "著者名５",   "(&5)",  "Writer5",    nullptr,   A::Left,   7,   100,  true,  true,  true,  true,  true},
}};
// clang-format on

template <typename Keep>
constexpr size_t count(Keep keep) {
    size_t n = 0;
    for (const BookFieldInfo& f : kRows)
        n += keep(f) ? 1 : 0;
    return n;
}

// The numbers of the fields kept, in field order.
template <size_t N, typename Keep>
constexpr std::array<int, N> numbers(Keep keep) {
    std::array<int, N> fields{};
    size_t n = 0;
    for (int k = 0; k < kFieldCount; ++k)
        if (keep(kRows[static_cast<size_t>(k)]))
            fields[n++] = k;
    return fields;
}

// The fields on the forms, in their tab order.
template <size_t N>
constexpr std::array<int, N> formOrder() {
    std::array<int, N> fields{};
    size_t n = 0;
    for (int order = 1; n < N; ++order)
        for (int k = 0; k < kFieldCount; ++k)
            if (kRows[static_cast<size_t>(k)].formOrder == order)
                fields[n++] = k;
    return fields;
}

inline constexpr auto inCsv = [](const BookFieldInfo& f) { return f.inCsv; };
inline constexpr auto onForm = [](const BookFieldInfo& f) { return f.formOrder > 0; };
inline constexpr auto offersStored = [](const BookFieldInfo& f) { return f.offersStored; };
inline constexpr auto renamable = [](const BookFieldInfo& f) { return f.renamable; };
inline constexpr auto isText = [](const BookFieldInfo& f) {
    return f.kind == FieldKindOfBook::Text || f.kind == FieldKindOfBook::Memo;
};
}  // namespace field_table

inline const BookFieldInfo& bookField(int fieldNo) {
    return field_table::kRows.at(static_cast<size_t>(fieldNo));
}

// The fields a CSV line carries, in their order: all but ID and Memo.
inline constexpr auto kCsvFields =
    field_table::numbers<field_table::count(field_table::inCsv)>(field_table::inCsv);
// The fields of the record dialog and the card, in their tab order; the
// clipboard lists them in the same order.
inline constexpr auto kFormFields =
    field_table::formOrder<field_table::count(field_table::onForm)>();
// The fields whose boxes offer the values already stored, in field order.
inline constexpr auto kListFields =
    field_table::numbers<field_table::count(field_table::offersStored)>(field_table::offersStored);
// The fields the user may rename, in field order.
inline constexpr auto kRenamableFields =
    field_table::numbers<field_table::count(field_table::renamable)>(field_table::renamable);
// The fields of text a filter or a search may look in, in field order.
inline constexpr auto kTextFields =
    field_table::numbers<field_table::count(field_table::isText)>(field_table::isText);

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

// The default display names of the fourteen fields, and the list's first
// column widths and columns shown.
std::array<QString, kFieldCount> defaultFieldLabels();
std::array<int, kFieldCount> defaultFieldWidths();
std::array<bool, kFieldCount> defaultFieldsShown();
// A field's caption beside a check box, with its mnemonic: "訳者名(&T)".
QString fieldChoiceCaption(int fieldNo);

inline bool isDateField(int fieldNo) {
    return bookField(fieldNo).kind == FieldKindOfBook::Date;
}

}  // namespace quillo
