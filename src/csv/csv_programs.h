#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "csv/csv_heading.h"

namespace quillo {

// The export of a program collectors move from, and where each of its
// columns goes.
struct CsvProgram {
    QString name;                // "Goodreads", "ブクログ"
    QList<CsvColumn> columns;    // one for each column of the file
    bool heading = true;         // the first line names the columns; else it is a book
    bool quotesAreText = false;  // fields are never quoted, so a quote is text
};

// The program a file's first line shows it to be the export of: Goodreads,
// LibraryThing, ブクログ, Tellico or calibre by the names of its heading, or
// ブクログ by the shape of its seventeen columns when it has no heading.
// Nothing for any other file, which is read by its heading's names or as
// Quillo's twelve columns.
std::optional<CsvProgram> csvProgramOf(const QStringList& firstLine, QChar separator);

// A column's text as its form reads it: a name family name last or first as
// the catalogue writes it, a year as its first day, a time's day where the
// user is, a publisher out of "新潮社 (2003), Paperback".
QString formedText(const CsvColumn& column, const QString& text);

// Names a column holds: at " & " and ";", and at commas for a column that
// separates its names so.
QStringList namesOf(const CsvColumn& column, const QString& text);

// A cell a spreadsheet is told to keep as text, ="4101010013" as Goodreads
// writes its ISBNs, as its text; any other as it is.
QString withoutTextFormula(const QString& field);

// An ISBN as other programs write it: "[4101010013]" or "4101010013,
// 9784101010014" give their first number.
QString isbnOf(const QString& text);

}  // namespace quillo
