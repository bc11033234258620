#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace quillo {

// Where one column of a file goes, as its heading names it.
struct CsvColumn {
    enum class Kind {
        Field,    // a field of the book: `target` is its FieldNo
        Writers,  // names for 著者名, 著者名2 … in order (`山田 太郎 & 鈴木 花子`)
        Reading,  // the reading of 書名, 著者名 or 出版社: `target` is 0, 1 or 2
        Isbn,     // the book's ISBN, kept beside it
        Ignored,  // a column Quillo does not keep
    };
    Kind kind = Kind::Ignored;
    int target = -1;
    QString name;  // as the heading writes it
};

// Reads a file's first line as a heading: each column matched by its name
// wherever it stands — Quillo's labels (the user's and the default ones, with
// 著者名２ as 著者名2), the table's column names, English and calibre names
// (title, authors, publisher, pubdate, timestamp, tags, comments, series …).
// A line is a heading when `forced`, or when it names two columns Quillo
// knows, or names nothing else, and no other text of it holds a digit (a date
// or a number is a book's); otherwise, and when a forced line names no column
// Quillo knows, there is no mapping.
std::optional<QList<CsvColumn>> readCsvHeading(const QStringList& fields,
                                               const QStringList& userLabels, bool forced);

// A heading's key for remembering how its columns were read: the same for
// the same names in the same order, whatever their width or case.
QString csvHeadingKey(const QStringList& fields);
// Columns as the settings file keeps them ("F1,W,R0,-"), and back; nothing
// when the text is not such a list.
QString csvColumnsText(const QList<CsvColumn>& columns);
std::optional<QList<CsvColumn>> csvColumnsFromText(const QString& text, const QStringList& names);

// A heading's columns that nothing is read from, by name, for the summary.
QStringList ignoredCsvColumns(const QList<CsvColumn>& columns);

// A memo column's text without the line breaks other programs leave after it
// (calibre ends its comments with one).
QString memoText(const QString& text);

// Splits an author column's text into its names: at " & ", ";" and "；".
QStringList splitAuthorNames(const QString& text);

}  // namespace quillo
