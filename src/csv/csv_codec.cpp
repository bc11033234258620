#include "csv/csv_codec.h"

#include <QFile>

#include "platform/cp932.h"
#include "platform/utf8_text.h"

namespace quillo {

namespace {

bool isBlank(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// A file's lines with the break that ended each, so lines joined again give back
// the text exactly. Unlike other text files, a NUL does not end a CSV file: its
// line is refused instead, so no line after it is lost unseen.
template <typename Text>
QList<std::pair<Text, Text>> linesWithBreaks(const Text& text) {
    using Char = typename Text::value_type;
    const Char cr = Char(13), lf = Char(10);
    QList<std::pair<Text, Text>> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text[i] != cr && text[i] != lf)
            continue;
        const qsizetype breakLength = text[i] == cr && i + 1 < n && text[i + 1] == lf ? 2 : 1;
        lines.append({text.mid(start, i - start), text.mid(i, breakLength)});
        i += breakLength - 1;
        start = i + 1;
    }
    if (start < n)
        lines.append({text.mid(start), Text()});
    return lines;
}

// Whether a line ends inside a quoted field, so the field goes on in the next
// line. A quote opens a field only at its start (blanks before it allowed).
bool endsInsideQuotes(const QString& line, QChar separator) {
    bool atStart = true;
    bool quoted = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != QLatin1Char('"'))
                continue;
            if (i + 1 < n && line[i + 1] == QLatin1Char('"'))
                ++i;
            else
                quoted = false;
        } else if (c == separator) {
            atStart = true;
        } else if (atStart && c == QLatin1Char('"')) {
            quoted = true;
            atStart = false;
        } else if (!isBlank(c)) {
            atStart = false;
        }
    }
    return quoted;
}

}  // namespace

void TCSV::addRecords(const QStringList& lines, const QStringList& breaks,
                      const QSet<int>& unreadableLines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int first = static_cast<int>(i);
        QString record = lines[i];
        bool readable = !unreadableLines.contains(first);
        // A quoted field may hold line breaks: the record goes on until it closes.
        while (readable && endsInsideQuotes(record, Separator) && i + 1 < lines.size() &&
               !unreadableLines.contains(static_cast<int>(i + 1))) {
            record += breaks[i] + lines[i + 1];
            ++i;
        }
        if (record.contains(QChar(0)))
            readable = false;
        if (!readable)
            m_unreadable.insert(static_cast<int>(m_src.size()));
        m_firstLines.append(first + 1);
        m_src.append(readable ? record : QString());
    }
}

void TCSV::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw CsvFileError(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    // Read line by line with a bound on a line's length: a file that is no text
    // (a device, a huge binary) gets a clear message, not an exhausted memory.
    QByteArray bytes;
    try {
        int lineNumber = 0;
        for (;;) {  // not atEnd(): a device tells no end before it is read
            const QByteArray line = file.readLine(kMaxLineBytes + 1);
            if (line.isEmpty()) {
                if (file.error() != QFileDevice::NoError)
                    throw CsvFileError(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
                break;
            }
            ++lineNumber;
            if (line.size() >= kMaxLineBytes && !line.endsWith('\n'))
                throw CsvFileError(
                    QStringLiteral("%1: %2 行目が長すぎます（1 行は %3 バイトまで）。")
                        .arg(fileName)
                        .arg(lineNumber)
                        .arg(kMaxLineBytes));
            bytes += line;
        }
    } catch (const std::bad_alloc&) {
        throw CsvFileError(
            QStringLiteral("%1: ファイルが大きすぎて読み込めません。").arg(fileName));
    }

    Clear();
    const bool bom = bytes.startsWith(QByteArrayView(kUtf8Bom));
    switch (Encoding) {
        case CsvEncoding::ShiftJis:
            m_utf8 = false;
            break;
        case CsvEncoding::Utf8:
            m_utf8 = true;
            break;
        case CsvEncoding::Auto:
            m_utf8 = bom || looksLikeUtf8(bytes);
            break;
    }
    if (m_utf8 && bom)
        bytes.remove(0, sizeof(kUtf8Bom) - 1);
    // The whole file in one conversion; only a file that fails is read line by
    // line, to find the lines at fault.
    std::optional<QString> whole = m_utf8 ? decodeUtf8Strict(bytes) : Cp932::decode(bytes);
    if (whole && m_utf8 && !Cp932::canEncode(*whole))
        whole.reset();
    QStringList lines, breaks;
    QSet<int> unreadable;
    if (whole) {
        for (auto& [line, lineBreak] : linesWithBreaks(*whole)) {
            lines.append(std::move(line));
            breaks.append(std::move(lineBreak));
        }
    } else {
        for (const auto& [line, lineBreak] : linesWithBreaks(bytes)) {
            std::optional<QString> text = m_utf8 ? decodeUtf8Strict(line) : Cp932::decode(line);
            // A UTF-8 file may hold characters that have no place in the catalogue's
            // CP932 files; refusing them here means a later export never loses one.
            if (text && m_utf8 && !Cp932::canEncode(*text))
                text.reset();
            if (!text)
                unreadable.insert(static_cast<int>(lines.size()));
            lines.append(text.value_or(QString()));
            breaks.append(QString::fromLatin1(lineBreak));
        }
    }
    addRecords(lines, breaks, unreadable);
}

void TCSV::setSrcStrings(const QStringList& lines) {
    m_src = lines;
    m_unreadable.clear();
    m_firstLines.clear();
    for (int i = 1; i <= lines.size(); ++i)
        m_firstLines.append(i);
}

void TCSV::Clear() {
    m_src.clear();
    m_dst.clear();
    m_unreadable.clear();
    m_firstLines.clear();
}

bool TCSV::ExtractCsvLine(int index) {
    if (index < 0 || index >= GetSrcCount())
        return false;
    const QString& line = m_src.at(index);
    switch (Split) {
        case CsvSplit::Legacy:
            m_dst = splitLegacy(line, Separator);
            break;
        case CsvSplit::Rfc4180:
            m_dst = splitRfc4180(line, Separator);
            break;
        case CsvSplit::Auto:
            m_dst = splitRfc4180(line, Separator);
            if (ExpectedFields > 0 && m_dst.size() != ExpectedFields) {
                QStringList legacy = splitLegacy(line, Separator);
                if (legacy.size() == ExpectedFields)
                    m_dst = std::move(legacy);
            }
            break;
    }
    return true;
}

QStringList TCSV::splitRfc4180(const QString& line, QChar separator) {
    QStringList fields;
    if (line.isEmpty())
        return fields;
    fields.reserve(16);
    const qsizetype n = line.size();
    qsizetype i = 0;
    for (;;) {
        QString field;
        if (i < n && line[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (line[i] != QLatin1Char('"')) {
                    field += line[i++];
                } else if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                    field += QLatin1Char('"');  // a doubled quote stands for one
                    i += 2;
                } else {
                    ++i;  // the closing quote
                    break;
                }
            }
        }
        // Unquoted text, or anything after a closing quote, runs to the separator.
        const qsizetype start = i;
        while (i < n && line[i] != separator)
            ++i;
        field += QStringView(line).mid(start, i - start);
        fields.append(field);
        if (i >= n)
            break;
        ++i;  // the separator; one at the very end leaves a last, empty field
    }
    return fields;
}

QStringList TCSV::splitLegacy(const QString& line, QChar separator) {
    QStringList fields;
    fields.reserve(16);
    const qsizetype n = line.size();
    qsizetype i = 0;
    // A tab separator is a field boundary, not a blank to skip.
    auto blank = [separator](QChar c) { return c != separator && isBlank(c); };
    auto skipBlanks = [&] {
        while (i < n && blank(line[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString field;
        if (line[i] == QLatin1Char('"')) {
            ++i;
            qsizetype start = i;
            while (i < n) {
                if (line[i] != QLatin1Char('"')) {
                    ++i;
                    continue;
                }
                field += QStringView(line).mid(start, i - start);
                if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                    field += QLatin1Char('"');  // a doubled quote stands for one
                    i += 2;
                    start = i;
                    continue;
                }
                start = -1;
                ++i;  // the closing quote
                break;
            }
            // Without its closing quote the field takes the rest of the line.
            if (start >= 0)
                field += QStringView(line).mid(start, n - start);
        } else {
            const qsizetype start = i;
            while (i < n && !blank(line[i]) && line[i] != separator)
                ++i;
            field = line.mid(start, i - start);
        }
        fields.append(field);
        skipBlanks();
        if (i < n && line[i] == separator) {
            ++i;
            skipBlanks();
        }
    }
    return fields;
}

void TCSV::CnvSeparator(QString& text, QChar from, QChar to) {
    if (!text.isEmpty() && from != to)
        text.replace(from, to);
}

QString TCSV::AddQuoteStr(const QString& text, QChar quote) {
    if (text.isEmpty() || quote.isNull())
        return QString();
    if (text.size() == 1)
        return quote + text + quote;
    QString quoted = text;
    quoted.replace(QLatin1String(","), QString(quote) + QLatin1Char(',') + quote);
    return quote + quoted + quote;
}

QString TCSV::joinedWithCrLf(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1String("\r\n");
    return text;
}

}  // namespace quillo
