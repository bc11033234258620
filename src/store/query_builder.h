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
    // Titles, writers and publishers by their readings (kana order), ties and
    // other texts in JIS order; only where the catalogue keeps readings.
    bool reading = false;
};

// One term of the order: a column, in the JIS collation or by code point,
// ascending or descending.
struct OrderTerm {
    QString column;
    bool jis = false;
    bool descending = false;
    bool reading = false;  // by the column's reading first, then as jis says
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
    QStringList lines;    // the live query's two lines
    QString condition;    // "( ... )", kept by the store for later searches
    QStringList idLines;  // the IDs of the books it finds, in no order
};

// Nothing when no field is chosen. With readings (a catalogue that keeps them
// in step), the filter looks in the books' folded search texts, where kana
// also finds the readings and Latin letters their romaji.
// With ISBNs (a catalogue that keeps some), a text that is an ISBN, in either
// form, also finds the book with that number.
std::optional<FilterSql> BuildFilterSql(const QString& text, const FieldFlags& flags,
                                        const SortSettings& sort, const FieldNameTable& names,
                                        bool withReadings = false, bool withIsbns = false);
// The condition that finds a book by the ISBN a text is (ISBN-10 or -13,
// hyphens or not), with the book table's ID column named `id`; empty when the
// text is no ISBN.
QString IsbnConditionOf(const QString& text, const QString& id);
// What a text typed to find books looks for in their readings: the kana (a
// kana text without blanks) and the romaji key (a Latin text); either is empty
// when the text is not one.
struct ReadingPatterns {
    QString kana, romaji;
};
ReadingPatterns ReadingPatternsOf(const QString& folded);

// The filter over the search texts, for a text already folded for search.
std::optional<FilterSql> BuildReadingFilterSql(const QString& folded, const FieldFlags& flags,
                                               const SortSettings& sort,
                                               const QString& isbnCondition = {});

// The search line over the scratch query; nothing when no field is chosen.
std::optional<QString> BuildSearchSql(const QString& text, const FieldFlags& flags, bool fuzzy,
                                      const QString& filterCondition, const SortSettings& sort,
                                      const FieldNameTable& names);

// The live query's lines for the books that may be the same book twice (see
// same_books.h), in the order of `sort`.
QStringList BuildSameBooksSql(const SortSettings& sort);
// The books with a reading worth a look (uncertain), in the order of `sort`;
// only where the catalogue keeps readings.
QStringList BuildUncertainReadingsSql(const SortSettings& sort);

// The same books as a live query's lines, without their order: for counting
// them, where sorting would only cost time. Every line the builder makes puts
// its ORDER BY last, after any user text, so the last one found is the order.
QStringList BuildSelectionOf(const QStringList& liveLines);

QString BuildMaxIdSql();
QString BuildDistinctValuesSql(const QString& column, bool jis = false);

// User text for inside a LIKE pattern whose escape character is "$".
QString EscapeLikeText(const QString& text);

// User text for inside a quoted literal: apostrophes doubled, then colons doubled.
QString QuoteValueText(const QString& text);

}  // namespace quillo
