#include "csv/csv_exchange.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringEncoder>
#include <algorithm>
#include <chrono>
#include <functional>

#include "csv/csv_codec.h"
#include "csv/csv_heading.h"
#include "csv/csv_programs.h"
#include "csv/csv_reader.h"
#include "csv/csv_separator.h"
#include "engine/date_field.h"
#include "engine/engine_error.h"
#include "engine/statement.h"
#include "lookup/isbn.h"
#include "platform/cp932.h"
#include "platform/file_identity.h"
#include "platform/kana_text.h"
#include "platform/output_file.h"
#include "platform/shown_text.h"
#include "platform/utf8_text.h"
#include "store/book_readings.h"
#include "store/book_side_values.h"
#include "store/tdm.h"

namespace quillo {

namespace {

// The ISBN a heading's column gave, carried after the three readings.
constexpr int kIsbnSlot = kCsvReadingColumns;

}  // namespace

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
    // The whole field is the date: a four-digit year in the chosen form, in the
    // date field's own form yyyy/mm/dd, or in ISO form as databases, pandas and
    // calibre write it, with a time and zone after it or not (the day is what
    // the file says; the time is no part of a book's date). Two-digit years,
    // day-first orders and times after other forms are not guessed at.
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[T ]\\d{2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?"
                       "(?:Z|[+-]\\d{2}:?\\d{2})?)?$"));
    static const QRegularExpression slashes(QStringLiteral("^(\\d{4})/(\\d{1,2})/(\\d{1,2})$"));
    static const QRegularExpression dots(QStringLiteral("^(\\d{4})\\.(\\d{1,2})\\.(\\d{1,2})$"));
    static const QRegularExpression digits(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    const QRegularExpression& chosen = dateFormat == 1 ? dots : dateFormat == 2 ? digits : slashes;
    const QString field = text.trimmed();
    QRegularExpressionMatch match = chosen.match(field);
    if (!match.hasMatch())
        match = slashes.match(field);
    bool isoForm = false;
    if (!match.hasMatch()) {
        match = iso.match(field);
        isoForm = true;
    }
    if (!match.hasMatch())
        return std::nullopt;
    const int year = match.captured(1).toInt();
    const unsigned month = match.captured(2).toUInt();
    const unsigned day = match.captured(3).toUInt();
    // 0101-01-01 is what calibre and others write for "no date".
    if (isoForm && year == 101 && month == 1 && day == 1)
        return QString();
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month),
                                           std::chrono::day(day)};
    if (year < 1 || !date.ok())
        return std::nullopt;
    return formatCsvDate(year, static_cast<int>(month), static_cast<int>(day), 0);
}

QString csvDateForms(int dateFormat) {
    static const char* const forms[] = {"yyyy/mm/dd", "yyyy.mm.dd", "yyyymmdd"};
    const int chosen = dateFormat >= 0 && dateFormat <= 2 ? dateFormat : 0;
    return chosen == 0 ? QStringLiteral("yyyy/mm/dd または yyyy-mm-dd")
                       : QStringLiteral("%1、yyyy/mm/dd または yyyy-mm-dd")
                             .arg(QLatin1String(forms[chosen]));
}

QStringList csvColumnLabels(const QStringList& userLabels) {
    QStringList labels;
    for (size_t c = 0; c < kCsvFields.size(); ++c) {
        const QString mine = userLabels.value(static_cast<qsizetype>(c)).trimmed();
        labels << (mine.isEmpty() ? QString::fromUtf8(bookField(kCsvFields[c]).defaultLabel)
                                  : mine);
    }
    return labels;
}

QStringList csvReadingLabels() {
    return {QStringLiteral("書名ヨミ"), QStringLiteral("著者名ヨミ"), QStringLiteral("出版社ヨミ")};
}

bool mayBeReadingOf(const QString& reading, const QString& text) {
    // Kana, with the blanks, ー and ・ a reading holds; besides them only the
    // Latin letters, digits and signs of the text itself, in their order, as
    // Quillo reads them (Latin text is its own reading, 1Q84 reads
    // イチQハチジュウヨン). An ISBN, a URL or a memo is no one's reading.
    const QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    qsizetype at = 0;
    for (const QChar c : reading) {
        const char16_t u = c.unicode();
        if (isKanaText(QString(c)) || u == u' ' || u == 0x3000 || u == 0x30FB || u == 0xFF65)
            continue;
        const QString same = QString(c).normalized(QString::NormalizationForm_KC).toCaseFolded();
        if (same.size() != 1 || same.front().unicode() <= 0x20 || same.front().unicode() >= 0x7F)
            return false;
        at = folded.indexOf(same.front(), at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

namespace {

template <typename Text>
bool formulaAfterApostrophes(const Text& text) {
    qsizetype at = 0;
    while (at < text.size() && text[at] == u'\'')
        ++at;
    if (at >= text.size())
        return false;
    const auto c = text[at];
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

}  // namespace

bool startsFormula(QStringView text) {
    return formulaAfterApostrophes(text);
}

bool startsFormula(QByteArrayView utf8) {
    return formulaAfterApostrophes(utf8);
}

QString withoutFormulaGuard(const QString& field) {
    return field.startsWith(QLatin1Char('\'')) && startsFormula(QStringView(field)) ? field.mid(1)
                                                                                    : field;
}

QString exportFailureReason(CsvResult::Kind kind, const QString& fileName, const QString& where) {
    const QString book = where.isEmpty() ? QString() : QStringLiteral("（%1）").arg(where);
    switch (kind) {
        case CsvResult::Kind::HasNul:
            return QStringLiteral("NUL 文字を含む項目がある本があるため出力できません。%1")
                .arg(book);
        case CsvResult::Kind::Unencodable:
            return QStringLiteral(
                       "Shift-JIS で書けない文字を含む本があるため出力できません。%1"
                       "文字コードを UTF-8 にすれば出力できます。")
                .arg(book);
        case CsvResult::Kind::OntoCatalogue:
            return QStringLiteral(
                       "出力ファイル %1 はカタログそのものです。別のファイルを指定して"
                       "ください。")
                .arg(fileName);
        case CsvResult::Kind::BadValue:
            return QStringLiteral("文字でも日付でもない値を持つ本があるため出力できません。%1")
                .arg(book);
        case CsvResult::Kind::LineBreakUnquoted:
            return QStringLiteral(
                       "改行を含む項目は２重引用符で囲まないと読み戻せないため出力できません。"
                       "２重引用符で囲んで出力してください。%1")
                .arg(book);
        default:
            // `where` is what went wrong with the file, when it is known.
            return where.isEmpty()
                       ? QStringLiteral("出力ファイル %1 に書き込めません。").arg(fileName)
                       : QStringLiteral("出力ファイル ") + where + QStringLiteral("。");
    }
}

QString unquotedExportWarning(int unsafeBooks) {
    return QStringLiteral(
               "出力しましたが、%1 件の本に空白・区切り文字・引用符を含む項目があります。\n"
               "２重引用符で囲まずに出力したため、正しく読み戻せないことがあります。")
        .arg(unsafeBooks);
}

namespace {

// The book and field of a book's line that Shift-JIS cannot hold, with the
// character: "ID 3「題」の書名に「𠮷」(U+20BB7)".
QString unencodableField(TDM& store, qint64 id, bool readings) {
    QStringList columns;
    for (int field : kCsvFields)
        columns << QStringLiteral("q.") + store.fieldNames().name(field);
    if (readings && store.readings() && store.readings()->ready())
        columns << QStringLiteral("r.Title, r.Writer, r.Publisher");
    Statement row(store.Database().handle(),
                  {QStringLiteral("SELECT q.Title, %1 FROM QUILLO q%2 WHERE q.ID = ?")
                       .arg(columns.join(QStringLiteral(", ")),
                            columns.size() > qsizetype(kCsvFields.size())
                                ? QStringLiteral(" LEFT JOIN quillo_reading r ON r.ID = q.ID")
                                : QString())});
    row.bindInteger(1, id);
    if (!row.step())
        return QString();
    const QString book = QStringLiteral("ID ") + QString::number(id) + QStringLiteral("「") +
                         withControlsShown(QString::fromUtf8(row.textAt(0))) +
                         QStringLiteral("」の");
    const QStringList readingLabels = csvReadingLabels();
    for (int c = 1; c < row.columnCount(); ++c) {
        if (row.typeAt(c) != Statement::ValueType::Text)
            continue;
        const QString value = QString::fromUtf8(row.textAt(c));
        if (Cp932::canEncode(value))
            continue;
        const size_t k = static_cast<size_t>(c - 1);
        const QString label = k < kCsvFields.size()
                                  ? QString::fromUtf8(bookField(kCsvFields[k]).defaultLabel)
                                  : readingLabels.value(qsizetype(k - kCsvFields.size()));
        return book + label + QStringLiteral("に") + Cp932::nameFirstUnencodable(value);
    }
    return book.chopped(1);
}

}  // namespace

QString importNotes(const CsvResult& result, const CsvSettings& settings) {
    QStringList notes;
    if (settings.findSeparator && !result.separator.isNull() &&
        result.separator != QLatin1Char(','))
        notes << QStringLiteral("区切り文字は") + csvSeparatorName(result.separator) +
                     QStringLiteral("と判断しました。");
    if (!result.program.isEmpty()) {
        // "Goodreads の書き出し", "ブクログの書き出し".
        const bool latin = result.program.back().unicode() < 0x80;
        notes.prepend(result.program + (latin ? QStringLiteral(" ") : QString()) +
                      QStringLiteral("の書き出しとして読みました。"));
    }
    if (!result.ignoredColumns.isEmpty())
        notes << QStringLiteral("読まなかった列: ") +
                     withControlsShown(result.ignoredColumns.join(QStringLiteral("、")));
    if (result.extrasNotRead > 0)
        notes << QStringLiteral(
                     "13 列目からの項目が読み（カナ）でない行は、その項目を読みません"
                     "でした: ") +
                     QString::number(result.extrasNotRead) + QStringLiteral(" 行（") +
                     QString::number(result.firstExtrasNotRead) + QStringLiteral(" 行目の ") +
                     result.extrasNotReadExample + QStringLiteral(" など）");
    return notes.join(QLatin1Char('\n'));
}

QString formulaGuardNote(int guardedFields) {
    if (guardedFields <= 0)
        return QString();
    return QStringLiteral(
               "\n%1 個の項目は、表計算ソフトで数式にならないよう先頭に ' を付けました。")
        .arg(guardedFields);
}

CsvResult ExportCsv(TDM& store, const CsvSettings* settings) {
    CsvResult result;
    auto fail = [&](CsvResult::Kind kind, const QString& where = QString()) {
        result.kind = kind;
        result.reason = exportFailureReason(kind, settings ? settings->fileName : QString(), where);
        return result;
    };
    if (!settings)
        return fail(CsvResult::Kind::NoSettings);
    // Replacing the catalogue by its own export would lose every book.
    if (isSameFile(settings->fileName, store.Database().path()))
        return fail(CsvResult::Kind::OntoCatalogue);
    // The rows are read one at a time and written in blocks to a file beside the
    // target, which replaces it only once the whole export has succeeded: the
    // previous export survives every failure, and memory stays flat however
    // large the catalogue.
    // Only the twelve columns, each read where SQLite holds it.
    QStringList names;
    for (int field : kCsvFields)
        names << QStringLiteral("q.") + store.fieldNames().name(field);
    // The ID and the title follow, to name a book that cannot be written; then
    // the stored readings, where they are asked for and kept in step.
    BookReadings* readings = settings->readings ? store.readings() : nullptr;
    const bool storedReadings = readings && readings->ready();
    // The ISBNs where the catalogue keeps any.
    const bool isbns = settings->isbn && store.isbns().anyStored();
    const int isbnColumn = static_cast<int>(kCsvFields.size()) + 2 + (storedReadings ? 3 : 0);
    Statement table(
        store.Database().handle(),
        {QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(", q.") +
         store.fieldNames().name(FieldNo::ID) + QStringLiteral(", q.") +
         store.fieldNames().name(FieldNo::Title) +
         (storedReadings ? QStringLiteral(", r.Title, r.Writer, r.Publisher") : QString()) +
         (isbns ? QStringLiteral(", i.Isbn") : QString()) + QStringLiteral(" FROM QUILLO q") +
         (storedReadings ? QStringLiteral(" LEFT JOIN quillo_reading r ON r.ID = q.ID")
                         : QString()) +
         (isbns ? QStringLiteral(" LEFT JOIN quillo_isbn i ON i.ID = q.ID") : QString()) +
         QStringLiteral(" ORDER BY q.ID")});
    OutputFile file(settings->fileName);
    const bool utf8 = settings->encoding == CsvEncoding::Utf8;
    const bool utf16 = settings->encoding == CsvEncoding::Utf16;
    if (utf8)
        file.write(kUtf8Bom);
    if (utf16)
        file.write(QByteArrayLiteral("\xFF\xFE"));  // little-endian, as spreadsheets write it

    // The lines are gathered as UTF-8, the way the rows are held, and converted to
    // Shift-JIS a block at a time.
    constexpr qsizetype kBlockBytes = 256 * 1024;
    const char separator = csvSeparatorChar(settings->separator).toLatin1();
    QByteArray text;
    text.reserve(kBlockBytes + 4096);
    // Where each book's line starts in the block, to name the book a block
    // that cannot be written in Shift-JIS fails at.
    std::vector<std::pair<qsizetype, qint64>> blockRows;
    qint64 unencodableId = 0;
    auto flush = [&]() -> bool {
        if (utf8) {
            file.write(text);
        } else if (utf16) {
            QStringEncoder toUtf16(QStringConverter::Utf16LE);
            const QByteArray encoded = toUtf16.encode(QString::fromUtf8(text));
            file.write(encoded);
        } else {
            const QString block = QString::fromUtf8(text);
            const std::optional<QByteArray> sjis = Cp932::encode(block);
            if (!sjis) {
                const qsizetype at = block.left(Cp932::firstUnencodable(block)).toUtf8().size();
                for (const auto& [start, id] : blockRows)
                    if (start <= at)
                        unencodableId = id;
                return false;
            }
            file.write(*sjis);
        }
        text.clear();
        blockRows.clear();
        return true;
    };
    // Blanks (as the legacy reader counts them), quotes and the separator.
    auto unsafe = [separator](QByteArrayView text) {
        return std::any_of(text.begin(), text.end(), [separator](char c) {
            return static_cast<unsigned char>(c) <= 32 || c == '"' || c == separator;
        });
    };
    constexpr int kColumns = static_cast<int>(kCsvFields.size());
    auto refuse = [&](CsvResult::Kind kind, int column) {
        return fail(kind, QStringLiteral("ID ") + QString::number(table.integerAt(kColumns)) +
                              QStringLiteral("「") +
                              withControlsShown(QString::fromUtf8(table.textAt(kColumns + 1))) +
                              QStringLiteral("」の") +
                              QString::fromUtf8(
                                  bookField(kCsvFields[static_cast<size_t>(column)]).defaultLabel));
    };
    if (settings->writeHeader) {
        QStringList labels = csvColumnLabels(settings->labels);
        if (settings->readings)
            labels << csvReadingLabels();
        if (settings->isbn)
            labels << QStringLiteral("ISBN");
        for (qsizetype c = 0; c < labels.size(); ++c) {
            if (c > 0)
                text += separator;
            appendColumn(text, labels[c].toUtf8(), settings->quote);
        }
        text += "\r\n";
    }
    while (table.step()) {
        ++result.books;
        blockRows.emplace_back(text.size(), table.integerAt(kColumns));
        if (!settings->quote) {
            for (int c = 0; c < kColumns; ++c) {
                if (table.typeAt(c) == Statement::ValueType::Text && unsafe(table.textAt(c))) {
                    ++result.unsafeBooks;
                    break;
                }
            }
        }
        for (int c = 0; c < kColumns; ++c) {
            if (c > 0)
                text += separator;
            const Statement::ValueType type = table.typeAt(c);
            const bool date = isDateField(kCsvFields[static_cast<size_t>(c)]);
            if (table.isBlobAt(c) || (date && type == Statement::ValueType::Integer))
                return refuse(CsvResult::Kind::BadValue, c);
            if (type == Statement::ValueType::Null) {
                if (!isDateField(kCsvFields[static_cast<size_t>(c)]))
                    appendColumn(text, {}, settings->quote);  // "" when quoting
                continue;
            }
            if (type == Statement::ValueType::Integer) {
                appendColumn(text, QByteArray::number(table.integerAt(c)), settings->quote);
                continue;
            }
            const QByteArrayView value = table.textAt(c);
            if (date) {
                // Written raw, another text would read back as no date, or not at all.
                const auto ymd = storedDateToYmd(value);
                if (!ymd)
                    return refuse(CsvResult::Kind::BadValue, c);
                text += formatCsvDate(static_cast<int>(ymd->year()),
                                      static_cast<int>(static_cast<unsigned>(ymd->month())),
                                      static_cast<int>(static_cast<unsigned>(ymd->day())),
                                      settings->dateFormat)
                            .toLatin1();
            } else {
                // A NUL would end the line for many readers: refused, never cut.
                if (value.contains('\0'))
                    return refuse(CsvResult::Kind::HasNul, c);
                if (!settings->quote && (value.contains('\n') || value.contains('\r')))
                    return refuse(CsvResult::Kind::LineBreakUnquoted, c);
                if (settings->formulaGuard && startsFormula(value)) {
                    ++result.guardedFields;
                    appendColumn(text, QByteArray("'") + value.toByteArray(), settings->quote);
                    continue;
                }
                appendColumn(text, value, settings->quote);
            }
        }
        if (settings->readings) {
            for (int k = 0; k < kCsvReadingColumns; ++k) {
                text += separator;
                const int field = kCsvFields[static_cast<size_t>(k)];
                QByteArray reading;
                if (storedReadings)
                    reading = table.textAt(kColumns + 2 + k).toByteArray();
                else if (readings && table.typeAt(k) == Statement::ValueType::Text)
                    reading =
                        readings->readingOf(QString::fromUtf8(table.textAt(k)), field).toUtf8();
                appendColumn(text, reading, settings->quote);
            }
        }
        if (settings->isbn) {
            text += separator;
            const QString isbn = isbns && table.typeAt(isbnColumn) == Statement::ValueType::Text
                                     ? QString::fromUtf8(table.textAt(isbnColumn))
                                     : QString();
            appendColumn(text, isbn.isEmpty() ? QByteArray() : hyphenatedIsbn(isbn).toUtf8(),
                         settings->quote);
        }
        text += "\r\n";
        if (text.size() >= kBlockBytes && !flush())
            return fail(CsvResult::Kind::Unencodable,
                        unencodableField(store, unencodableId, settings->readings));
    }
    if (!flush())
        return fail(CsvResult::Kind::Unencodable,
                    unencodableField(store, unencodableId, settings->readings));
    QString reason;
    if (!file.commit(&reason))
        return fail(CsvResult::Kind::NotWritable, reason);
    return result;
}

namespace {

// The fields an import fills, in the order `add` gets them: the twelve CSV
// columns, then the memo, which only a heading can name.
constexpr auto kImportFields = [] {
    std::array<int, kCsvFields.size() + 1> fields{};
    for (size_t c = 0; c < kCsvFields.size(); ++c)
        fields[c] = kCsvFields[c];
    fields[kCsvFields.size()] = FieldNo::Memo;
    return fields;
}();

int importIndex(int field) {
    const auto at = std::find(kImportFields.begin(), kImportFields.end(), field);
    return at == kImportFields.end() ? -1 : static_cast<int>(at - kImportFields.begin());
}

// A line read by its heading's columns: each field where its column goes, as
// the column's form reads it (a fallback only where no other column filled its
// field, an empty text never over another's); the names of an author column in
// 著者名, 著者名2 … where no column filled them (the last taking any names beyond
// five); notes after the memo, a line each; names with roles where the roles
// say (a translator in 翻訳者).
void placeByHeading(const QList<CsvColumn>& columns, const QStringList& fields, QStringList& values,
                    QStringList& readings, QList<int>& readingColumns) {
    QStringList names, notes, roled, roles;
    static const QRegularExpression between(QStringLiteral("\\s*[|;]\\s*"));
    for (qsizetype c = 0; c < columns.size() && c < fields.size(); ++c) {
        const CsvColumn& column = columns[c];
        const QString& text = fields[c];
        switch (column.kind) {
            case CsvColumn::Kind::Isbn:
                if (readings[kIsbnSlot].isEmpty())
                    readings[kIsbnSlot] = isbnOf(text);
                break;
            case CsvColumn::Kind::Reading:
                readings[column.target] = text;
                readingColumns[column.target] = static_cast<int>(c) + 1;
                break;
            case CsvColumn::Kind::Writers:
                names += namesOf(column, text);
                break;
            case CsvColumn::Kind::Field: {
                if (column.target == FieldNo::Writer) {
                    names += namesOf(column, text);
                    break;
                }
                QString& value = values[importIndex(column.target)];
                const QString formed =
                    column.target == FieldNo::Memo ? memoText(text) : formedText(column, text);
                if (!formed.trimmed().isEmpty() && !(column.fallback && !value.isEmpty()))
                    value = formed;
                break;
            }
            case CsvColumn::Kind::Note:
                if (const QString note = memoText(formedText(column, text)).trimmed();
                    !note.isEmpty())
                    notes << (column.label.isEmpty() ? note
                                                     : column.label + QStringLiteral(": ") + note);
                break;
            case CsvColumn::Kind::RoledNames:
                for (const QString& name : text.split(between, Qt::SkipEmptyParts))
                    roled << formedText(column, name);
                break;
            case CsvColumn::Kind::Roles:
                roles += text.split(between);
                break;
            case CsvColumn::Kind::Same:
            case CsvColumn::Kind::Ignored:
                break;
        }
    }
    QStringList translators;
    for (qsizetype n = 0; n < roled.size(); ++n) {
        const QString role = roles.value(n, roles.value(0)).toCaseFolded();
        (role.contains(QLatin1String("translat")) || role.contains(u'訳') ? translators : names)
            << roled[n];
    }
    QString& translator = values[importIndex(FieldNo::Translator)];
    if (translator.isEmpty())
        translator = translators.join(QStringLiteral("、"));
    QString& memo = values[importIndex(FieldNo::Memo)];
    if (!notes.isEmpty())
        memo = ((memo.isEmpty() ? QStringList() : QStringList{memo}) + notes).join(u'\n');
    const int writers[] = {FieldNo::Writer, FieldNo::Writer2, FieldNo::Writer3, FieldNo::Writer4,
                           FieldNo::Writer5};
    QList<int> free;
    for (int field : writers)
        if (values[importIndex(field)].isEmpty())
            free << importIndex(field);
    for (qsizetype n = 0; n < names.size() && !free.isEmpty(); ++n) {
        const bool last = free.size() == 1;
        values[free.takeFirst()] = last ? names.mid(n).join(QStringLiteral(" & ")) : names[n];
        if (last)
            break;
    }
}

// Separators that might read a line refused for its fields: another that cuts
// it into several fields, no more than expected.
QList<QChar> separatorsThatMayRead(const QString& record, const TCSV& split) {
    QList<QChar> found;
    for (const QChar other : {QLatin1Char(','), QLatin1Char('\t'), QLatin1Char(';')}) {
        if (other == split.Separator)
            continue;
        int broken = -1;
        const qsizetype fields = TCSV::splitRfc4180(record, other, &broken).size();
        if (broken < 0 && fields >= 2 && fields <= split.ExpectedFields)
            found << other;
    }
    return found;
}

QString separatorOption(QChar separator) {
    return separator == QLatin1Char('\t')  ? QStringLiteral("tab")
           : separator == QLatin1Char(';') ? QStringLiteral("semicolon")
                                           : QStringLiteral("comma");
}

// Reads the books of a CSV file one at a time and hands each line's fields
// (kImportFields; dates already read into "yyyy/mm/dd") and readings to `add`,
// which refuses a book by returning the reason. A first line that is a heading
// says where each column goes; without one, the twelve (or fifteen) columns
// stand in their order. The result says which line was refused and why, or
// why the file could not be read; it counts no books (`add` knows which it
// took).
CsvResult readCsvBooks(const CsvSettings& settings,
                       const std::function<QString(const QStringList&, const QStringList&)>& add,
                       bool advise = true) {
    // Advice in a refusal is given only where following it reads the whole
    // file: each is tried on it first.
    auto readsWhole = [&](const CsvSettings& tried) {
        return advise &&
               readCsvBooks(
                   tried, [](const QStringList&, const QStringList&) { return QString(); }, false)
                   .ok();
    };
    TCSV split;
    split.Separator = settings.findSeparator
                          ? findCsvSeparator(settings.fileName, settings.encoding)
                          : csvSeparatorChar(settings.separator);
    split.Split = settings.split;
    // Twelve columns, or fifteen with the readings.
    split.ExpectedFields = static_cast<int>(kCsvFields.size()) + kCsvReadingColumns;
    split.FewerFields = static_cast<int>(kCsvFields.size());
    CsvRecordReader reader(split.Separator, settings.encoding);
    CsvResult result;
    result.separator = split.Separator;
    auto refuse = [&](const QString& reason, int line) {
        result.kind = CsvResult::Kind::LineRefused;
        result.reason = reason;
        result.line = line;
        return result;
    };
    try {
        reader.open(settings.fileName);
    } catch (const CsvFileError& e) {
        result.kind = CsvResult::Kind::Unreadable;
        result.reason = e.message();
        return result;
    }
    QStringList labels = csvColumnLabels(settings.labels);
    labels << QString::fromUtf8(bookField(FieldNo::Memo).defaultLabel);
    std::optional<QList<CsvColumn>> columns;
    bool first = true, seenBook = false;
    QString firstRecord;
    try {
        while (reader.next()) {
            if (!reader.readable()) {
                // A line the forced encoding cannot read may read in the other.
                QString hint;
                CsvSettings other = settings;
                other.encoding = reader.isUtf8() ? CsvEncoding::ShiftJis : CsvEncoding::Utf8;
                if (settings.encoding != CsvEncoding::Auto && reader.readsInOtherEncoding() &&
                    readsWhole(other))
                    hint = reader.isUtf8() ? QStringLiteral(
                                                 "（文字コードを Shift-JIS にすれば読めます: "
                                                 "--encoding sjis）")
                                           : QStringLiteral(
                                                 "（文字コードを UTF-8 にすれば読めます: "
                                                 "--encoding utf-8）");
                return refuse(reader.problem() + hint, reader.firstLine());
            }
            // A DOS end-of-file mark (Ctrl-Z) on a line of its own is no book.
            if (reader.record().isEmpty() || reader.record() == QStringLiteral("\x1A"))
                continue;
            if (firstRecord.isNull())
                firstRecord = reader.record();
            // A heading line, as spreadsheets and other programs write, names
            // the columns; the export of a program collectors move from is read
            // as that program writes it, with its heading or (ブクログ) without.
            if (first) {
                first = false;
                TCSV anyWidth = split;
                anyWidth.ExpectedFields = anyWidth.FewerFields = 0;
                const CsvFields heading = anyWidth.readFields(reader.record());
                std::optional<CsvProgram> program;
                if (!settings.columns && heading.problem.isEmpty())
                    program = csvProgramOf(heading.fields, split.Separator);
                if (program && (program->heading ? settings.header == CsvHeader::No
                                                 : settings.header == CsvHeader::Yes))
                    program.reset();
                bool passOver = settings.header == CsvHeader::Yes;
                if (settings.columns) {
                    columns = settings.columns;
                    passOver = settings.columnsHeading;
                } else if (program) {
                    columns = program->columns;
                    passOver = program->heading;
                    result.program = program->name;
                    if (program->quotesAreText) {
                        split.Split = CsvSplit::Plain;
                        reader.setQuotesAreText(true);
                    }
                } else if (heading.problem.isEmpty() && settings.header != CsvHeader::No) {
                    const auto remembered =
                        settings.rememberedColumns.constFind(csvHeadingKey(heading.fields));
                    if (remembered != settings.rememberedColumns.constEnd())
                        columns = csvColumnsFromText(*remembered, heading.fields);
                    if (!columns)
                        columns = readCsvHeading(heading.fields, settings.labels,
                                                 settings.header == CsvHeader::Yes);
                    passOver = passOver || columns.has_value();
                }
                if (columns) {
                    result.ignoredColumns = ignoredCsvColumns(*columns);
                    split.ExpectedFields = static_cast<int>(columns->size());
                    split.FewerFields = 0;
                }
                if (passOver)
                    continue;
            }
            first = false;
            CsvFields read = split.readFields(reader.record());
            if (!read.problem.isEmpty()) {
                QString hint;
                for (const QChar separator : separatorsThatMayRead(reader.record(), split)) {
                    // The file's own separator cuts its first line too.
                    if (TCSV::splitRfc4180(firstRecord, separator).size() < 2)
                        continue;
                    CsvSettings other = settings;
                    other.separator = separator == QLatin1Char('\t')  ? 2
                                      : separator == QLatin1Char(';') ? 1
                                                                      : 0;
                    other.findSeparator = false;
                    if (readsWhole(other)) {
                        hint = QStringLiteral("（区切り文字を") + csvSeparatorName(separator) +
                               QStringLiteral("にすれば読めます: --separator ") +
                               separatorOption(separator) + QStringLiteral("）");
                        break;
                    }
                }
                return refuse(read.problem + hint, reader.firstLine());
            }
            const bool firstBook = !seenBook;
            seenBook = true;
            for (QString& field : read.fields)
                field = withoutFormulaGuard(withoutTextFormula(field));
            QStringList values(kImportFields.size());
            QStringList readings(kIsbnSlot + 1);
            QList<int> readingColumns(kCsvReadingColumns);
            if (columns) {
                placeByHeading(*columns, read.fields, values, readings, readingColumns);
            } else {
                for (qsizetype c = 0; c < read.fields.size(); ++c) {
                    if (c < qsizetype(kCsvFields.size()))
                        values[c] = read.fields[c];
                    else if (c < qsizetype(kCsvFields.size()) + kCsvReadingColumns)
                        readings[c - qsizetype(kCsvFields.size())] = read.fields[c];
                }
                for (int k = 0; k < kCsvReadingColumns; ++k)
                    readingColumns[k] = static_cast<int>(kCsvFields.size()) + 1 + k;
            }
            for (qsizetype c = 0; c < values.size(); ++c) {
                if (!isDateField(kImportFields[static_cast<size_t>(c)]) ||
                    values[c].trimmed().isEmpty())
                    continue;
                const std::optional<QString> date = readCsvDate(values[c], settings.dateFormat);
                if (!date) {
                    // A heading of names Quillo does not know reads as a book
                    // whose dates are words without a digit.
                    CsvSettings headed = settings;
                    headed.header = CsvHeader::Yes;
                    const QString hint =
                        firstBook && !columns && settings.header == CsvHeader::Auto &&
                                std::none_of(values[c].begin(), values[c].end(),
                                             [](QChar ch) { return ch.isDigit(); }) &&
                                readsWhole(headed)
                            ? QStringLiteral(
                                  "（1 行目が見出しなら、見出しありにすれば読み飛ばします: "
                                  "--header yes）")
                            : QString();
                    return refuse(QStringLiteral("%1: '%2' は日付ではありません（%3 の形）")
                                          .arg(labels[c], withControlsShown(values[c]),
                                               csvDateForms(settings.dateFormat)) +
                                      hint,
                                  reader.firstLine());
                }
                values[c] = *date;
            }
            // A reading column holds a reading, or a memo or a number moved
            // into it would become the reading of the book. Named so by a
            // heading, it is refused; the columns after the twelve of a file
            // without one are another program's, and not read.
            for (int k = 0; k < kCsvReadingColumns; ++k) {
                if (mayBeReadingOf(readings[k].trimmed(), values[k]))
                    continue;
                if (columns)
                    return refuse(
                        QStringLiteral("%1 番目の項目（%2）が読みではありません")
                            .arg(QString::number(readingColumns[k]), csvReadingLabels()[k]),
                        reader.firstLine());
                if (result.extrasNotRead++ == 0) {
                    result.firstExtrasNotRead = reader.firstLine();
                    result.extrasNotReadExample = csvReadingLabels()[k] + QStringLiteral("「") +
                                                  withControlsShown(readings[k].trimmed()) +
                                                  QStringLiteral("」");
                }
                for (int r = 0; r < kCsvReadingColumns; ++r)
                    readings[r].clear();
                break;
            }
            // An ISBN column holds ISBNs: a wrong one is said, never stored.
            if (const QString isbn = readings[kIsbnSlot].trimmed(); !isbn.isEmpty()) {
                const IsbnCheck check = checkIsbn(isbn);
                if (!check.isbn13)
                    return refuse(QStringLiteral("ISBN: ") + check.problem, reader.firstLine());
                readings[kIsbnSlot] = *check.isbn13;
            }
            if (const QString refused = add(values, readings); !refused.isEmpty())
                return refuse(refused, reader.firstLine());
        }
    } catch (const CsvFileError& e) {
        // The file was read whole once already; failing now, it fails at the first
        // line it could not read, and the lines before it stay, as for a line at
        // fault.
        return refuse(e.message(), reader.linesDecoded() + 1);
    }
    return result;
}

}  // namespace

namespace {

// The readings a line gives for its book, the book's own (never learned for
// the name: an import changes no other book), where they are not what the
// book would be read as anyway: a file of Quillo's own readings brought back
// in pins nothing. A column left empty is read as usual.
void takeReadings(BookReadings& readings, qint64 id, const QStringList& values,
                  const QStringList& given) {
    for (int k = 0; k < kCsvReadingColumns; ++k) {
        // 書名, 著者名 and 出版社 are the first three of the twelve columns.
        const int field = kCsvFields[static_cast<size_t>(k)];
        const QString reading = katakanaReading(given[k].trimmed());
        if (reading.isEmpty() || values[k].isEmpty())
            continue;
        QString computed = readings.readingOf(values[k], field);
        QString typed = reading;
        if (typed.remove(u' ') != computed.remove(u' '))
            readings.setOwnReading(id, field, reading);
    }
}

}  // namespace

QList<QStringList> csvPreview(const CsvSettings& settings, int lines) {
    TCSV split;
    split.Separator = settings.findSeparator
                          ? findCsvSeparator(settings.fileName, settings.encoding)
                          : csvSeparatorChar(settings.separator);
    split.Split = settings.split;
    CsvRecordReader reader(split.Separator, settings.encoding);
    QList<QStringList> preview;
    try {
        reader.open(settings.fileName);
        while (preview.size() < lines && reader.next()) {
            if (!reader.readable() || reader.record().isEmpty())
                continue;
            const CsvFields read = split.readFields(reader.record());
            if (read.problem.isEmpty())
                preview << read.fields;
        }
    } catch (const CsvFileError&) {
    }
    return preview;
}

QList<CsvColumn> csvLayoutColumns(int count) {
    QList<CsvColumn> columns;
    for (int c = 0; c < count; ++c) {
        CsvColumn column;
        if (c < int(kCsvFields.size())) {
            column.kind = kCsvFields[size_t(c)] == FieldNo::Writer ? CsvColumn::Kind::Writers
                                                                   : CsvColumn::Kind::Field;
            column.target = kCsvFields[size_t(c)];
        } else if (c < int(kCsvFields.size()) + kCsvReadingColumns) {
            column.kind = CsvColumn::Kind::Reading;
            column.target = c - int(kCsvFields.size());
        }
        columns << column;
    }
    return columns;
}

QList<CsvColumn> csvColumnsOf(const QList<QStringList>& preview, const CsvSettings& settings,
                              bool* heading) {
    *heading = false;
    if (preview.isEmpty())
        return {};
    const QStringList& first = preview.first();
    if (const auto program = csvProgramOf(first, csvSeparatorChar(settings.separator));
        program && settings.header != (program->heading ? CsvHeader::No : CsvHeader::Yes)) {
        *heading = program->heading;
        return program->columns;
    }
    const auto remembered = settings.rememberedColumns.constFind(csvHeadingKey(first));
    std::optional<QList<CsvColumn>> columns;
    if (remembered != settings.rememberedColumns.constEnd())
        columns = csvColumnsFromText(*remembered, first);
    if (!columns && settings.header != CsvHeader::No)
        columns = readCsvHeading(first, settings.labels, settings.header == CsvHeader::Yes);
    if (columns) {
        *heading = true;
        return *columns;
    }
    qsizetype widest = 0;
    for (const QStringList& line : preview)
        widest = std::max(widest, line.size());
    return csvLayoutColumns(static_cast<int>(widest));
}

namespace {

// A run that could not start: no settings, or no file named.
std::optional<CsvResult> unstartable(const CsvSettings* settings) {
    CsvResult result;
    if (!settings)
        result.kind = CsvResult::Kind::NoSettings;
    else if (settings->fileName.isEmpty())
        result.kind = CsvResult::Kind::NoFileName;
    else
        return std::nullopt;
    result.reason = QStringLiteral("入力ファイルが指定されていません");
    return result;
}

}  // namespace

CsvResult ImportCsv(TDM& store, const CsvSettings* settings) {
    if (std::optional<CsvResult> refused = unstartable(settings))
        return *refused;
    int appended = 0;
    StoreHost* host = store.host();
    CachedDataset& query = store.QueryBook();
    CsvResult result;
    {
        CursorHookDetach detached(store);
        int fields[kImportFields.size()];
        for (size_t c = 0; c < kImportFields.size(); ++c) {
            const QString name = store.fieldNames().name(kImportFields[c]);
            fields[c] = query.fieldIndex(name);
            if (fields[c] < 0)
                throw EngineError(QStringLiteral("列 '%1' がありません。").arg(name));
        }
        QStringList texts(query.fieldCount());
        result =
            readCsvBooks(*settings, [&](const QStringList& values, const QStringList& readings) {
                for (qsizetype c = 0; c < values.size(); ++c)
                    texts[fields[c]] = values[c];
                try {
                    const int id = store.AppendBook(texts);
                    ++appended;
                    if (store.readings())
                        takeReadings(*store.readings(), id, values, readings);
                    if (!readings[kIsbnSlot].isEmpty())
                        store.isbns().set(id, readings[kIsbnSlot]);
                    return QString();
                } catch (const EngineError& e) {
                    return e.message();
                }
            });
        if (result.ok() && host && query.rowCount() > 0)
            host->changesPending();
    }
    result.books = appended;
    if (host)
        host->booksCounted();
    return result;
}

CsvResult ImportCsvIntoTable(Connection& catalogue, const CsvSettings* settings,
                             BookReadings* bookReadings) {
    if (std::optional<CsvResult> refused = unstartable(settings))
        return *refused;
    // Books go only into a table the program can show again.
    Statement shape(catalogue.handle(), {QStringLiteral("SELECT * FROM QUILLO WHERE 0")});
    shape.requireReadableWidth();
    TransactionGuard transaction(catalogue);
    Statement maxId(catalogue.handle(), {QStringLiteral("SELECT MAX(ID) FROM QUILLO")});
    qint64 id = maxId.step() ? maxId.currentRow().integer(0) : 0;
    const qint64 firstId = id;
    const FieldNameTable names;
    QStringList columns{QStringLiteral("ID")};
    for (int field : kImportFields)
        columns << names.name(field);
    Statement insert(catalogue.handle(),
                     {QStringLiteral("INSERT INTO QUILLO (%1) VALUES (?%2)")
                          .arg(columns.join(QStringLiteral(", ")),
                               QStringLiteral(", ?").repeated(kImportFields.size()))});
    BookIsbns isbns(catalogue.handle());
    CsvResult result =
        readCsvBooks(*settings, [&](const QStringList& values, const QStringList& readings) {
            if (bookReadings)
                takeReadings(*bookReadings, id + 1, values, readings);
            if (!readings[kIsbnSlot].isEmpty())
                isbns.set(id + 1, readings[kIsbnSlot]);
            insert.reset();
            insert.bindInteger(1, ++id);
            for (qsizetype c = 0; c < values.size(); ++c) {
                const int index = static_cast<int>(c) + 2;
                if (values[c].isEmpty()) {
                    insert.bindNull(index);
                } else if (isDateField(kImportFields[static_cast<size_t>(c)])) {
                    // Stored as the live query stores a date it is given; a text that
                    // is no date refuses its line.
                    const std::optional<QByteArray> stored = shownDateToStored(values[c]);
                    if (!stored)
                        return QStringLiteral("'%1' は日付ではありません")
                            .arg(withControlsShown(values[c]));
                    insert.bindText(index, *stored);
                } else {
                    insert.bindText(index, values[c].toUtf8());
                }
            }
            insert.step();
            return QString();
        });
    if (bookReadings) {
        // The books' readings are stored with them, or go with them.
        if (result.ok())
            bookReadings->booksAdded(firstId + 1, id);
        bookReadings->forgetPending();
    }
    if (result.ok()) {
        isbns.write();
        transaction.commit();
        result.books = static_cast<int>(id - firstId);
    }
    return result;
}

}  // namespace quillo
