#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "store/book_record.h"

namespace quillo {

struct SortSettings {
    QString field1 = QStringLiteral("Writer");
    QString field2 = QStringLiteral("Title");  // empty: no second key
    int option = 0;                            // 0 ascending, anything else descending
    // Texts in Shift-JIS order (reading order for the first-level kanji), or by
    // code point.
    bool jis = true;
};

// One term of the order: a column, in the JIS collation or by code point,
// ascending or descending.
struct OrderTerm {
    QString column;
    bool jis = false;
    bool descending = false;
};

// The terms of the order, always ending with ID ascending. A sort column that
// is not one of the book columns falls back to the default.
std::vector<OrderTerm> BuildOrderTerms(const SortSettings& sort);

// The ORDER BY clause of those terms, always ending with ID ascending. A sort column that is not
// one of the book columns (an empty or edited settings file) falls back to the
// default, so the live query always opens.
QString BuildOrderBy(const SortSettings& sort);

// The live query's single line for all rows.
QString BuildUnfilteredSql(const SortSettings& sort);

struct FilterSql {
    QStringList lines;  // the live query's two lines
    QString condition;  // "( ... )", kept by the store for later searches
};

// Nothing when no field is chosen.
std::optional<FilterSql> BuildFilterSql(const QString& text, const FieldFlags& flags,
                                        const SortSettings& sort, const FieldNameTable& names);

// The search line over the scratch query; nothing when no field is chosen.
std::optional<QString> BuildSearchSql(const QString& text, const FieldFlags& flags, bool fuzzy,
                                      const QString& filterCondition, const SortSettings& sort,
                                      const FieldNameTable& names);

QString BuildMaxIdSql();
QString BuildDistinctValuesSql(const QString& column, bool jis = false);

// User text for inside a LIKE pattern whose escape character is "$".
QString EscapeLikeText(const QString& text);

// User text for inside a quoted literal: apostrophes doubled, then colons doubled.
QString QuoteValueText(const QString& text);

}  // namespace quillo
