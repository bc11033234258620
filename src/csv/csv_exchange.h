#pragma once

#include <QChar>
#include <QHash>
#include <QString>
#include <optional>

#include "csv/csv_heading.h"

#include "csv/csv_codec.h"

namespace quillo {

class BookReadings;
class Connection;
class TDM;

// Whether an import's first line names the columns: Auto takes it so when it
// names two columns Quillo knows, or nothing else (see readCsvHeading); each
// column is then read by its name wherever it stands.
enum class CsvHeader { Auto, Yes, No };

// The CSV settings of a run; not stored in the settings file.
struct CsvSettings {
    QString fileName;
    bool quote = true;
    int dateFormat = 0;  // 0 "YY/MM/DD", 1 "YY.MM.DD", 2 "YYMMDD" (years always have four digits)
    int separator = 0;   // 0 comma, 1 semicolon, 2 tab
    // Import: the separator is found in the file instead (see findCsvSeparator).
    bool findSeparator = false;
    CsvSplit split = CsvSplit::Auto;  // how an import cuts its lines into fields
    // An import reads by it; an export writes Shift-JIS unless told UTF-8 (which it
    // writes with the byte-order mark, so any program can tell).
    CsvEncoding encoding = CsvEncoding::Auto;
    CsvHeader header = CsvHeader::Auto;  // import
    bool writeHeader = false;            // export: a first line of the columns' labels
    // The user's labels of the twelve columns, in their order; an empty one (or
    // none) is the default label.
    QStringList labels = {};
    // Export: three more columns after the twelve, the readings of 書名, 著者名
    // and 出版社. An import takes them whenever a line has them.
    bool readings = false;
    // Export: one more column last, the book's ISBN ("978-4-..."; empty for none).
    bool isbn = false;
    // Export: a text a spreadsheet would take for a formula (see
    // guardsAgainstFormula) is written after an apostrophe, which spreadsheets
    // read as "text follows" and an import takes off again.
    bool formulaGuard = true;
    // Import: where each column goes, as the user set it for this file (its
    // first line then passed over when `columnsHeading`), instead of what its
    // heading or the twelve columns say.
    std::optional<QList<CsvColumn>> columns = std::nullopt;
    bool columnsHeading = false;
    // Import: columns the user set before for a heading, by csvHeadingKey.
    QHash<QString, QString> rememberedColumns = {};
};

// Whether a text would start a formula in a spreadsheet: its first character
// is =, +, -, @, a tab or a carriage return, after any apostrophes (so a text
// that starts with an apostrophe keeps it through an export and an import).
bool startsFormula(QStringView text);
bool startsFormula(QByteArrayView utf8);
// A field as an import reads it: one apostrophe before a text that starts a
// formula is the export's guard, and goes.
QString withoutFormulaGuard(const QString& field);

// The reading columns and their labels.
constexpr int kCsvReadingColumns = 3;
QStringList csvReadingLabels();

// How an import or an export ended.
struct CsvResult {
    enum class Kind {
        Done,
        NoSettings,
        NoFileName,
        Unreadable,     // import: the file could not be read, nothing was taken
        LineRefused,    // import: `line` could not be taken
        NotWritable,    // export: the file could not be written
        Unencodable,    // export: a stored text has characters Shift-JIS cannot hold
        HasNul,         // export: a stored text holds a NUL character
        OntoCatalogue,  // export: the file named is the catalogue itself
        // Export: a stored value no book of Quillo's holds: bytes, or a date
        // column that holds no date (only another program writes such values).
        BadValue,
        // Export without quotes: a text holds a line break, which would read
        // back as the start of another book.
        LineBreakUnquoted,
    };
    Kind kind = Kind::Done;
    QString reason;              // why it failed, for the user (naming the book an export refused)
    int line = 0;                // the line refused, counted from 1
    int books = 0;               // the books read in, or written out
    int unsafeBooks = 0;         // export without quotes: books that may not read back as written
    QChar separator;             // import: the separator the file was read by
    int guardedFields = 0;       // export: texts written after an apostrophe
    QStringList ignoredColumns;  // import: the heading's columns nothing is read from
    QString program;             // import: the program the file was read as the export of
    // Import without a heading: lines whose columns after the twelve held no
    // readings, and were not read; the first of them, and what it held.
    int extrasNotRead = 0;
    int firstExtrasNotRead = 0;
    QString extrasNotReadExample;
    bool ok() const { return kind == Kind::Done; }
};

QChar csvSeparatorChar(int index);

// A date as the chosen format writes it: "1999/01/05", "1999.01.05" or "19990105".
QString formatCsvDate(int year, int month, int day, int dateFormat);
// Reads a date into "yyyy/mm/dd": the whole text is a date with a four-digit
// year, in the chosen format or as yyyy-mm-dd (a time and zone after it, as
// ISO writes them, are passed over); an empty text for 0101-01-01, which other
// programs write for "no date" (in the ISO form); nothing otherwise.
std::optional<QString> readCsvDate(const QString& text, int dateFormat);
// The forms a date may take, for a message: "yyyy/mm/dd または yyyy-mm-dd".
QString csvDateForms(int dateFormat);
// The twelve columns' labels: the user's, or the default ones.
QStringList csvColumnLabels(const QStringList& userLabels);
// Whether a reading column's value can be the reading of the text beside it:
// kana with blanks, ー and ・, and otherwise only the text's own Latin letters,
// digits and signs in their order.
bool mayBeReadingOf(const QString& reading, const QString& text);

// The first lines of a file to import, cut into fields by the separator the
// import would use (found in the file when asked): at most `lines`, readable
// ones only. Empty when the file cannot be read.
QList<QStringList> csvPreview(const CsvSettings& settings, int lines);
// How the import would read the columns of those lines: the columns the user
// set before for the heading, or what the heading names, or the twelve (and
// three reading) columns in their order; and whether line 1 is a heading.
QList<CsvColumn> csvColumnsOf(const QList<QStringList>& preview, const CsvSettings& settings,
                              bool* heading);
// The columns of the twelve-column layout, with the readings after them.
QList<CsvColumn> csvLayoutColumns(int count);

// Writes the book table, as stored and in ID order, to a CP932 (or UTF-8) file
// with CR LF lines. The file is replaced only when the whole export succeeded.
// Without quotes, a text holding a blank, the separator or a quote may not read
// back as written: the result counts the books with such a text. A refusal's
// reason names the book and the column it is about.
CsvResult ExportCsv(TDM& store, const CsvSettings* settings);
// Why an export failed, for the user: the dialog and the tool say the same.
// `where` is the book and column refused, or what happened to the file.
QString exportFailureReason(CsvResult::Kind kind, const QString& fileName,
                            const QString& where = QString());
// What the dialog and the tool say after such an export.
QString unquotedExportWarning(int unsafeBooks);
// What an import's summary adds, a line each: the separator it found in the
// file (when asked to, and other than the comma) and the heading's columns it
// read nothing from. Empty for neither.
QString importNotes(const CsvResult& result, const CsvSettings& settings);
// What they add when texts were guarded against formulas: empty for none.
QString formulaGuardNote(int guardedFields);

// Appends the lines of a CSV file to the live query as pending rows. Every line
// gives twelve fields, a short one filled up with empty ones (an empty line is
// passed over). A failing line ends the import: the rows of the lines before it
// stay pending, its own row is discarded, and the result names the line and
// why. The result counts the books read, those before a failing line too.
CsvResult ImportCsv(TDM& store, const CsvSettings* settings);
// The same import straight into the stored table, in one transaction: every line
// is stored with new IDs after the largest, or (when any line fails, with the same
// results) none, and the result counts the books stored. Memory does not grow
// with the file. `readings`, when given, gets the new books' readings in the
// same transaction (those the file gives are taken as they are, a writer's or
// publisher's learned).
CsvResult ImportCsvIntoTable(Connection& catalogue, const CsvSettings* settings,
                             BookReadings* readings = nullptr);

}  // namespace quillo
