#pragma once

#include <QChar>
#include <QSet>
#include <QString>

#include <QStringList>
#include <stdexcept>
#include "platform/quillo_error.h"

namespace quillo {

// A file that could not be read, with the file system's reason.
class CsvFileError : public QuilloError {
public:
    using QuilloError::QuilloError;
};

// How a line is cut into fields.
//  - Legacy: Quillo's own rule of old: blanks end unquoted fields, quoted fields
//    keep blanks and separators and un-double their quotes.
//  - Rfc4180: what spreadsheets and CSV libraries write: only the separator ends a
//    field; a field in quotes may hold separators, blanks and doubled quotes.
//  - Auto: RFC 4180, unless the line gives too many fields that way, or has no
//    separator at all, and the legacy rule gives the expected number.
//  - Plain: only the separator ends a field, and a quote is text like any
//    other character (LibraryThing's tab-separated export quotes nothing).
// With an expected number of fields, RFC 4180's fewer fields are filled up with
// empty ones (spreadsheets leave off empty columns at the end), more are
// refused; the legacy rule must give the number exactly. A field that opens
// with a quote must close it before the separator or the line's end.
enum class CsvSplit { Auto, Rfc4180, Legacy, Plain };

// The fields of one record, or why it cannot be read.
struct CsvFields {
    QStringList fields;
    QString problem;  // empty when the fields can be taken
};

// How a file's bytes are read: Shift-JIS (CP932), UTF-8, UTF-16 (little-endian
// unless its byte-order mark says otherwise), or Auto: UTF-16 when the file starts
// with a UTF-16 byte-order mark; else UTF-8 when it starts with the UTF-8 mark
// (a spreadsheet's usual UTF-8 export has none); else what the whole file's
// lines beyond ASCII say: the encoding more of them read only in, or, where all
// read either way, UTF-8 when that reading looks like text. A line that only
// reads in the other encoding is refused rather than read as garbage.
enum class CsvEncoding { Auto, ShiftJis, Utf8, Utf16 };

// Holds the lines of a delimited text file and splits one line at a time into its
// fields. Text inside quotes is kept exactly, separators included.
//
// Files are read by `Encoding`. A line that is not valid in its encoding or holds
// a NUL is kept as an empty text and marked unreadable, so the caller can refuse
// it by its number.
class TCSV {
public:
    static constexpr qsizetype kMaxLineBytes = 1 << 20;  // one line of a file, at most

    QChar Separator = QLatin1Char(',');
    CsvSplit Split = CsvSplit::Legacy;
    int ExpectedFields = 0;  // what Auto looks for; 0: any number
    int FewerFields = 0;     // a shorter line a legacy split also takes whole; 0: none
    CsvEncoding Encoding = CsvEncoding::Auto;

    void LoadFromFile(const QString& fileName);  // throws CsvFileError with the reason
    void Clear();
    bool ExtractCsvLine(int index);
    // Splits one record by `Split` and `ExpectedFields`.
    CsvFields readFields(const QString& line) const;
    QStringList splitRecord(const QString& line) const { return readFields(line).fields; }

    // Replaces every `from` in the text by `to`.
    static void CnvSeparator(QString& text, QChar from, QChar to);
    // Encloses every comma-separated item of the text in the quote character.
    static QString AddQuoteStr(const QString& text, QChar quote);

    QString GetSrcText() const { return joinedWithCrLf(m_src); }
    QString GetDstText() const { return joinedWithCrLf(m_dst); }
    int GetSrcCount() const { return static_cast<int>(m_src.size()); }
    int GetDstCount() const { return static_cast<int>(m_dst.size()); }
    const QStringList& SrcStrings() const { return m_src; }
    const QStringList& DstStrings() const { return m_dst; }
    void setSrcStrings(const QStringList& lines);

    // A line here is a record: a quoted field may carry it over several lines of
    // the file, so each knows the number of the file line it starts on.
    bool isLineReadable(int index) const { return !m_unreadable.contains(index); }
    int LineNumber(int index) const { return m_firstLines.value(index, index + 1); }
    bool isUtf8() const { return m_utf8; }

    // Splits one comma-separated line by the legacy rule.
    static QStringList splitCommaText(const QString& line) {
        return splitLegacy(line, QLatin1Char(','));
    }
    static QStringList splitLegacy(const QString& line, QChar separator);
    // `brokenField`, when given, gets the index of the first quoted field that
    // does not close before the separator or the line's end, or -1.
    static QStringList splitRfc4180(const QString& line, QChar separator,
                                    int* brokenField = nullptr);

private:
    static QString joinedWithCrLf(const QStringList& lines);

    QStringList m_src;
    QStringList m_dst;
    QSet<int> m_unreadable;
    QList<int> m_firstLines;
    bool m_utf8 = false;
};

}  // namespace quillo
