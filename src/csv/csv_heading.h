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
        Note,     // a line of the memo, after `label` (読了日: 2015/03/02)
        // Names with roles in the next column (LibraryThing's Secondary
        // Author): a translator's in 翻訳者, the others' as writers.
        RoledNames,
        Roles,
        Same,     // what another column holds already (Goodreads' Author l-f)
        Ignored,  // a column Quillo does not keep
    };
    // How the column's text is read before it goes where `kind` says.
    enum class Form {
        AsIs,
        FamilyFirst,  // "Murakami, Haruki" → "Haruki Murakami", "東野, 圭吾" → "東野 圭吾"
        Year,         // "2003" → 2003/01/01, "2003-05" → 2003/05/01, else a date
        DateAndTime,  // "2019-05-12 10:20:30" → 2019/05/12
        LocalTime,    // "2019-05-11T15:30:00+00:00" → its day where the user is
        Publication,  // "新潮社 (2003), Paperback" → 新潮社
        Commas,       // names separated by commas ("Jay Rubin, Philip Gabriel")
    };
    Kind kind = Kind::Ignored;
    int target = -1;
    QString name;  // as the heading writes it
    Form form = Form::AsIs;
    bool fallback = false;  // fills its field only where no other column did
    QString label = {};     // for a note: what its line of the memo starts with
};

// A heading's text as names are compared: width folded (著者名２ as 著者名2),
// without case, blanks, underscores or hyphens.
QString csvNameKey(const QString& text);

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
