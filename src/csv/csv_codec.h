#pragma once

#include <QChar>
#include <QSet>
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace quillo {

// A file that could not be read, with the file system's reason.
class CsvFileError : public std::runtime_error {
public:
    explicit CsvFileError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Holds the lines of a delimited text file and splits one line at a time into its
// fields by the comma-text rules: blanks end unquoted fields, quoted fields keep
// blanks and commas and un-double their quotes.
//
// Files are read as Shift-JIS (CP932), or as UTF-8 when they start with the UTF-8
// byte-order mark. A line that is not valid in its encoding, or (in a UTF-8 file)
// holds characters that CP932 cannot hold, is kept as an empty text and marked
// unreadable, so the caller can refuse it by its line number.
class TCSV {
public:
    QChar Separator = QLatin1Char(',');

    void LoadFromFile(const QString& fileName);  // throws CsvFileError
    void Clear();
    bool ExtractCsvLine(int index);

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

    bool isLineReadable(int index) const { return !m_unreadable.contains(index); }
    bool isUtf8() const { return m_utf8; }

    // Splits one line (already in commas) into its fields.
    static QStringList splitCommaText(const QString& line);

private:
    static QString joinedWithCrLf(const QStringList& lines);

    QStringList m_src;
    QStringList m_dst;
    QSet<int> m_unreadable;
    bool m_utf8 = false;
};

}  // namespace quillo
