#pragma once

#include <QBuffer>
#include <QChar>
#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <memory>

#include "csv/csv_codec.h"

namespace quillo {

// Reads a delimited text file one record at a time, in memory that does not grow
// with the file: a record is a line of the file, or several when a quoted field
// holds line breaks.
//
// open() reads the file once before any record is given: a line longer than
// TCSV::kMaxLineBytes or a read error ends it with CsvFileError, so a caller has
// taken nothing from a file it cannot read; and Auto decides the encoding. The
// records then come from a second read.
//
// A line that is not valid in its encoding, holds a NUL, or is written in
// another encoding than the rest of the file, gives an unreadable record with
// the reason, so the caller can refuse it by its line number.
class CsvRecordReader {
public:
    CsvRecordReader(QChar separator, CsvEncoding encoding);

    void open(const QString& fileName);  // throws CsvFileError with the reason
    // A quote is text like any other character, and no record goes on past
    // the end of its line (a file whose fields are never quoted).
    void setQuotesAreText(bool text) { m_quotesAreText = text; }
    bool isUtf8() const { return m_utf8; }
    bool isUtf16() const { return m_utf16 != nullptr; }

    // The next record; false at the end of the file. Throws CsvFileError when the
    // file cannot be read any more.
    bool next();
    const QString& record() const { return m_record; }
    bool readable() const { return m_problem.isEmpty(); }
    QString problem() const { return m_problem; }  // why the record is unreadable
    // An unreadable record that the other of UTF-8 and Shift-JIS would read.
    bool readsInOtherEncoding() const { return m_readsInOther; }
    int firstLine() const { return m_firstLine; }  // the file line it starts on
    int linesDecoded() const { return m_lineNumber; }

private:
    struct Line {
        QString text;
        QString lineBreak;
        QString problem;  // empty for a readable line
        int number = 0;   // in the file, from 1
        bool readsInOther = false;
    };
    void scan(const QString& fileName);
    void scanBytes(const QString& fileName);
    void scanUtf16(QStringConverter::Encoding encoding);
    void rewind(bool sequential, const QByteArray& copy);
    bool readChunk(QByteArrayView& chunk);
    bool nextLine(Line& line);
    bool fillBlock();
    bool fillUtf16Block();
    void addLine(QString text, QString lineBreak, QString problem, bool readsInOther = false);
    QString encodingName() const;

    QChar m_separator;
    CsvEncoding m_encoding;
    QString m_fileName;
    QFile m_file;
    QBuffer m_copy;  // the bytes of a file that cannot be read twice
    QIODevice* m_source = nullptr;
    QByteArray m_line;  // the buffer each line of the file is read into
    bool m_utf8 = false;
    std::unique_ptr<QStringDecoder> m_utf16;  // set for a UTF-16 file
    QString m_utf16Rest;                      // decoded text of a line not yet ended
    int m_otherEncodingLine = 0;              // the first line written in another encoding, or 0
    bool m_loneCrEndsLine = true;             // no line of the file ends in LF

    QList<Line> m_block;  // decoded lines not yet given
    qsizetype m_blockAt = 0;
    bool m_pushedBack = false;
    Line m_held;
    int m_lineNumber = 0;  // lines decoded so far

    QString m_record;
    QString m_problem;
    bool m_quotesAreText = false;
    bool m_readsInOther = false;
    int m_firstLine = 0;
};

}  // namespace quillo
