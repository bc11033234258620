#include "csv/csv_codec.h"

#include <QFile>

#include "platform/cp932.h"
#include "platform/text_lines.h"
#include "platform/utf8_text.h"

namespace quillo {

namespace {

bool isBlank(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}

}  // namespace

void TCSV::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw CsvFileError(QStringLiteral("%1: %2").arg(fileName, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw CsvFileError(QStringLiteral("%1: %2").arg(fileName, file.errorString()));

    m_src.clear();
    m_unreadable.clear();
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
    if (whole) {
        m_src = splitTextLines(*whole);
        return;
    }
    const QList<QByteArray> lines = splitTextLines(std::move(bytes));
    m_src.reserve(lines.size());
    for (const QByteArray& line : lines) {
        std::optional<QString> text = m_utf8 ? decodeUtf8Strict(line) : Cp932::decode(line);
        // A UTF-8 file may hold characters that have no place in the catalogue's
        // CP932 files; refusing them here means a later export never loses one.
        if (text && m_utf8 && !Cp932::canEncode(*text))
            text.reset();
        if (!text)
            m_unreadable.insert(static_cast<int>(m_src.size()));
        m_src.append(text.value_or(QString()));
    }
}

void TCSV::setSrcStrings(const QStringList& lines) {
    m_src = lines;
    m_unreadable.clear();
}

void TCSV::Clear() {
    m_src.clear();
    m_dst.clear();
    m_unreadable.clear();
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
