#include "csv/csv_exchange.h"

#include <algorithm>

#include "csv/csv_codec.h"
#include "engine/date_field.h"
#include "engine/engine_error.h"
#include "engine/table_cursor.h"
#include "platform/cp932.h"
#include "platform/utf8_text.h"
#include "platform/whole_file.h"
#include "store/tdm.h"

namespace quillo {

namespace {

QChar dateSeparator(int dateFormat) {
    switch (dateFormat) {
        case 1:
            return QLatin1Char('.');
        case 2:
            return QChar();
        default:
            return QLatin1Char('/');
    }
}

// Reads a number as scanf's "%Nd" does: blanks skipped, an optional sign, at most
// `width` characters in all.
std::optional<int> scanNumber(const QString& text, qsizetype& pos, int width) {
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
    const qsizetype start = pos;
    const qsizetype end = std::min(text.size(), start + width);
    if (pos < end && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+')))
        ++pos;
    const qsizetype digitsStart = pos;
    while (pos < end && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9'))
        ++pos;
    if (pos == digitsStart)
        return std::nullopt;
    return text.mid(start, pos - start).toInt();
}

// Appends a stored UTF-8 text, enclosed in double quotes when asked; a quote
// inside is then doubled, so the reader gives back exactly this text.
void appendColumn(QByteArray& out, QByteArrayView utf8, bool quote) {
    if (!quote) {
        out += utf8;
        return;
    }
    out += '"';
    if (utf8.contains('"'))
        out += utf8.toByteArray().replace('"', "\"\"");
    else
        out += utf8;
    out += '"';
}

// Appends a number with at least `width` digits, zero-padded, as "%0*d" writes it.
void appendPadded(QString& out, int value, int width) {
    if (value < 0) {
        out += QLatin1Char('-');
        value = -value;
        --width;
    }
    const QString digits = QString::number(value);
    for (qsizetype i = digits.size(); i < width; ++i)
        out += QLatin1Char('0');
    out += digits;
}

}  // namespace

QChar csvSeparatorChar(int index) {
    switch (index) {
        case 1:
            return QLatin1Char(';');
        case 2:
            return QLatin1Char('\t');
        default:
            return QLatin1Char(',');
    }
}

QString formatCsvDate(int year, int month, int day, int dateFormat) {
    const QChar sep = dateSeparator(dateFormat);
    QString text;
    text.reserve(10);
    appendPadded(text, year, 4);
    if (!sep.isNull())
        text += sep;
    appendPadded(text, month, 2);
    if (!sep.isNull())
        text += sep;
    appendPadded(text, day, 2);
    return text;
}

std::optional<QString> readCsvDate(const QString& text, int dateFormat) {
    const QChar sep = dateSeparator(dateFormat);
    qsizetype pos = 0;
    const auto year = scanNumber(text, pos, 4);
    if (!year)
        return std::nullopt;
    if (!sep.isNull() && (pos >= text.size() || text[pos++] != sep))
        return std::nullopt;
    const auto month = scanNumber(text, pos, 2);
    if (!month)
        return std::nullopt;
    if (!sep.isNull() && (pos >= text.size() || text[pos++] != sep))
        return std::nullopt;
    const auto day = scanNumber(text, pos, 2);
    if (!day)
        return std::nullopt;
    return formatCsvDate(*year, *month, *day, 0);
}

QString exportFailureReason(int result, const QString& fileName) {
    switch (result) {
        case kExportHasNul:
            return QStringLiteral("NUL 文字を含む項目がある本があるため出力できません。");
        case kExportUnencodable:
            return QStringLiteral("Shift-JIS で書けない文字を含む本があるため出力できません。");
        default:
            return QStringLiteral("出力ファイル %1 に書き込めません。").arg(fileName);
    }
}

QString unquotedExportWarning(int unsafeBooks) {
    return QStringLiteral(
               "出力しましたが、%1 件の本に空白・区切り文字・引用符を含む項目があります。\n"
               "２重引用符で囲まずに出力したため、正しく読み戻せないことがあります。")
        .arg(unsafeBooks);
}

int ExportCsv(TDM& store, const CsvSettings* settings, int* unsafeBooks) {
    if (!settings)
        return kExportNoSettings;
    // The whole export is built first; the file is touched only once it is known
    // to succeed, so the previous export survives every failure.
    TableCursor table(QStringLiteral("BOOK"), QStringLiteral("QUILLO"));
    table.open(TableCursor::Reading::WholeRows);
    int columns[kCsvFields.size()];
    for (size_t c = 0; c < kCsvFields.size(); ++c)
        columns[c] = table.fieldIndex(store.fieldNames().name(kCsvFields[c]));

    // The lines are gathered as UTF-8, the way the rows are held, and converted to
    // Shift-JIS in one go at the end.
    const char separator = csvSeparatorChar(settings->separator).toLatin1();
    QByteArray text;
    text.reserve(table.recordCount() * 160);
    if (unsafeBooks)
        *unsafeBooks = 0;
    // Blanks (as the legacy reader counts them), quotes and the separator.
    auto unsafe = [separator](QByteArrayView text) {
        return std::any_of(text.begin(), text.end(), [separator](char c) {
            return static_cast<unsigned char>(c) <= 32 || c == '"' || c == separator;
        });
    };
    for (table.first(); !table.eof(); table.next()) {
        const std::vector<PackedRow::FieldView> row = table.row().views();
        if (unsafeBooks && !settings->quote &&
            std::any_of(std::begin(columns), std::end(columns),
                        [&](int column) { return unsafe(row[static_cast<size_t>(column)].text); }))
            ++*unsafeBooks;
        for (size_t c = 0; c < kCsvFields.size(); ++c) {
            if (c > 0)
                text += separator;
            const PackedRow::FieldView& value = row[static_cast<size_t>(columns[c])];
            if (isDateField(kCsvFields[c])) {
                const QByteArrayView stored = value.text;
                if (const auto date = storedDateToYmd(stored))
                    text += formatCsvDate(static_cast<int>(date->year()),
                                          static_cast<int>(static_cast<unsigned>(date->month())),
                                          static_cast<int>(static_cast<unsigned>(date->day())),
                                          settings->dateFormat)
                                .toLatin1();
                else
                    text += stored;
            } else if (value.type == FieldValue::Type::Integer) {
                appendColumn(text, QByteArray::number(value.integer), settings->quote);
            } else {
                // A NUL would end the line for many readers: refused, never cut.
                if (value.text.contains('\0'))
                    return kExportHasNul;
                appendColumn(text, value.text, settings->quote);
            }
        }
        text += "\r\n";
    }
    table.close();

    QByteArray bytes;
    if (settings->encoding == CsvEncoding::Utf8) {
        bytes = kUtf8Bom + text;
    } else {
        std::optional<QByteArray> sjis = Cp932::encode(QString::fromUtf8(text));
        if (!sjis)
            return kExportUnencodable;
        bytes = std::move(*sjis);
    }
    return replaceFileWhole(settings->fileName, bytes) ? 0 : kExportNotWritable;
}

int ImportCsv(TDM& store, const CsvSettings* settings, QString* failure) {
    if (!settings)
        return kImportNoSettings;
    if (settings->fileName.isEmpty())
        return kImportNoFileName;
    StoreHost* host = store.host();
    CachedDataset& query = store.QueryBook();
    int result = 0;
    {
        CursorHookDetach detached(store);
        TCSV csv;
        csv.Separator = csvSeparatorChar(settings->separator);
        csv.Split = settings->split;
        csv.Encoding = settings->encoding;
        csv.ExpectedFields = static_cast<int>(kCsvFields.size());
        try {
            csv.LoadFromFile(settings->fileName);
        } catch (const CsvFileError& e) {
            result = kImportUnreadable;
            if (failure)
                *failure = e.message();
        }
        int fields[kCsvFields.size()];
        for (size_t c = 0; c < kCsvFields.size(); ++c)
            fields[c] = query.fieldIndex(store.fieldNames().name(kCsvFields[c]));

        for (int i = 0; result == 0 && i < csv.GetSrcCount(); ++i) {
            if (!csv.isLineReadable(i)) {
                result = -csv.LineNumber(i);
                break;
            }
            if (csv.SrcStrings().at(i).isEmpty())
                continue;
            csv.ExtractCsvLine(i);
            const QStringList& values = csv.DstStrings();
            // A line with more or fewer fields would put texts in the wrong columns.
            if (values.size() != static_cast<qsizetype>(kCsvFields.size())) {
                result = -csv.LineNumber(i);
                break;
            }
            store.AppendRecord();
            try {
                for (qsizetype c = 0; c < values.size(); ++c) {
                    QString value = values[c];
                    if (isDateField(kCsvFields[static_cast<size_t>(c)]))
                        value = readCsvDate(value, settings->dateFormat).value_or(value);
                    query.setText(fields[c], value);
                }
                query.post();
            } catch (const EngineError&) {
                store.DeleteCurrent(false);
                result = -csv.LineNumber(i);
            }
        }
        if (result == 0 && host && query.rowCount() > 0)
            host->SetPendingMode(true);
    }
    if (host)
        host->RefreshRecordStatus();
    return result;
}

}  // namespace quillo
