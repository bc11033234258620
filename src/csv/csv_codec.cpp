#include "csv/csv_codec.h"

#include "csv/csv_reader.h"
#include "csv/csv_text.h"

namespace quillo {

void TCSV::LoadFromFile(const QString& fileName) {
    CsvRecordReader reader(Separator, Encoding);
    reader.open(fileName);
    Clear();
    m_utf8 = reader.isUtf8();
    while (reader.next()) {
        if (!reader.readable())
            m_unreadable.insert(static_cast<int>(m_src.size()));
        m_firstLines.append(reader.firstLine());
        m_src.append(reader.record());
    }
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
    m_dst = splitRecord(m_src.at(index));
    return true;
}

CsvFields TCSV::readFields(const QString& line) const {
    const qsizetype expected = ExpectedFields;
    if (Split == CsvSplit::Legacy) {
        CsvFields read{splitLegacy(line, Separator), QString()};
        if (expected > 0 && !line.isEmpty() && read.fields.size() != expected &&
            read.fields.size() != FewerFields)
            read.problem = QStringLiteral("項目が %1 個あります（%2 個必要です）")
                               .arg(QString::number(read.fields.size()), QString::number(expected));
        return read;
    }
    int broken = -1;
    CsvFields read{
        Split == CsvSplit::Plain ? line.split(Separator) : splitRfc4180(line, Separator, &broken),
        QString()};
    // A quote left open would put the separators after it into the text: the
    // line cannot be read truthfully by any rule.
    if (broken >= 0) {
        read.problem = QStringLiteral("%1 番目の項目の引用符が閉じていません").arg(broken + 1);
        return read;
    }
    const qsizetype found = read.fields.size();
    if (expected <= 0 || found == expected || line.isEmpty())
        return read;
    if (Split == CsvSplit::Auto && (found > expected || found == 1)) {
        QStringList legacy = splitLegacy(line, Separator);
        if (legacy.size() == expected || (FewerFields > 0 && legacy.size() == FewerFields))
            return {legacy, QString()};
    }
    if (found > expected) {
        read.problem = QStringLiteral("項目が %1 個あります（%2 個まで）")
                           .arg(QString::number(found), QString::number(expected));
        return read;
    }
    while (read.fields.size() < expected)
        read.fields.append(QString());
    return read;
}

QStringList TCSV::splitRfc4180(const QString& line, QChar separator, int* brokenField) {
    if (brokenField)
        *brokenField = -1;
    auto brokenAt = [&](qsizetype field) {
        if (brokenField && *brokenField < 0)
            *brokenField = static_cast<int>(field);
    };
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
            // The text between quotes is taken a run at a time, up to each quote.
            for (;;) {
                const qsizetype quote = line.indexOf(QLatin1Char('"'), i);
                const qsizetype end = quote < 0 ? n : quote;
                field += QStringView(line).mid(i, end - i);
                i = end;
                if (i >= n) {
                    brokenAt(fields.size());  // never closed
                    break;
                }
                if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                    field += QLatin1Char('"');  // a doubled quote stands for one
                    i += 2;
                } else {
                    ++i;  // the closing quote
                    break;
                }
            }
            // Blanks may follow the closing quote; anything else means the quote
            // closed too early (or was never meant to close).
            qsizetype after = i;
            while (after < n && line[after] != separator && isCsvBlank(line[after]))
                ++after;
            if (after < n && line[after] != separator)
                brokenAt(fields.size());
            else
                i = after;  // the blanks belong to no field
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
    auto blank = [separator](QChar c) { return c != separator && isCsvBlank(c); };
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
