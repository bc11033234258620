#include "lookup/ndl_book.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

#include "platform/cp932.h"
#include "platform/kana_text.h"
#include "store/book_record.h"

namespace quillo {

namespace {

constexpr size_t kMostWriters = 5;

QString withoutBlanks(QString reading) {
    reading.removeIf([](QChar c) { return c.isSpace(); });
    return reading;
}

// The record's date as the catalogue's "yyyy/mm/dd": the first date of a range
// ("2001-2003", "1990.12-1991.1"), the day and month the record lacks taken as
// the first; the memo says what the record said where that was not one day.
void dateFrom(const QString& catalogued, BookFromRecord& book, QStringList& memo) {
    // A month or day is one or two digits followed by no other digit; "-2003"
    // after a year is the end of a range, never a month.
    static const QRegularExpression date(QStringLiteral(
        "^\\D{0,2}(\\d{4})(?:[.\\-/](\\d{1,2})(?!\\d)(?:[.\\-/](\\d{1,2})(?!\\d))?)?"));
    const QRegularExpressionMatch m = date.match(catalogued);
    const int year = m.hasMatch() ? m.captured(1).toInt() : 0;
    const int month = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    const int day = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    if (!m.hasMatch() || !QDate(year, std::max(month, 1), std::max(day, 1)).isValid()) {
        if (!catalogued.isEmpty())
            memo << QStringLiteral("出版年: ") + catalogued;
        return;
    }
    book.pubDate = QString::asprintf("%04d/%02d/%02d", year, std::max(month, 1), std::max(day, 1));
    const bool range = catalogued.mid(m.capturedEnd()).trimmed().startsWith(u'-');
    QStringList said;
    if (range)
        said << QStringLiteral("範囲の最初の日付としました");
    if (day == 0)
        said << (month == 0 ? QStringLiteral("月日は記録になく、1月1日としました")
                            : QStringLiteral("日は記録になく、1日としました"));
    if (!said.isEmpty())
        memo << QStringLiteral("出版年月: ") + catalogued + QStringLiteral("（") +
                    said.join(QStringLiteral("。")) + QStringLiteral("）");
}

// A text cut to what its field holds, said in the notes; a reading of the
// whole text no longer reads it, and goes.
void fit(QString& text, QString* reading, int field, const QString& label, QStringList& notes) {
    const int limit = bookField(field).inputLimitBytes;
    if (Cp932::byteLength(text) <= limit)
        return;
    text = Cp932::cutToBytes(text, limit);
    if (reading)
        reading->clear();
    notes << label + QStringLiteral("は長すぎるため、") + QString::number(limit) +
                 QStringLiteral(" バイトまでにしました");
}

}  // namespace

std::optional<NdlRecord> bestRecord(const std::vector<NdlRecord>& records, const QString& isbn13) {
    const NdlRecord* best = nullptr;
    int bestScore = -1;
    for (const NdlRecord& r : records) {
        const int score = (r.isbns.contains(isbn13) ? 2 : 0) + (r.book ? 1 : 0);
        if (score > bestScore) {
            best = &r;
            bestScore = score;
        }
    }
    return best ? std::optional<NdlRecord>(*best) : std::nullopt;
}

BookFromRecord bookFromRecord(const NdlRecord& record, const QString& isbn13) {
    BookFromRecord book;
    book.isbn13 = isbn13;
    // "主題 : 副題": the catalogue has a field for each. A foreign book's
    // title carries its statement of responsibility ("A single shard / Linda
    // Sue Park"): the writers have fields of their own.
    QString title = record.title;
    if (const qsizetype slash = title.indexOf(QLatin1String(" / ")); slash > 0)
        title.truncate(slash);
    const qsizetype colon = title.indexOf(QLatin1String(" : "));
    book.title = (colon < 0 ? title : title.left(colon)).trimmed();
    QStringList subtitle;
    if (colon >= 0)
        subtitle << title.mid(colon + 3).trimmed();
    if (!record.edition.isEmpty())
        subtitle << record.edition;
    book.subtitle = subtitle.join(u' ');
    const qsizetype readingColon = record.titleReading.indexOf(QLatin1String(" : "));
    book.titleReading = withoutBlanks(readingColon < 0 ? record.titleReading
                                                       : record.titleReading.left(readingColon));
    // The volume is part of the title (地のはてから 上), read as the record
    // reads it or, where it does not, as any title is.
    if (const QString volume = record.volume.trimmed(); !volume.isEmpty()) {
        // Alone, 上 would read ウエ; as a volume it is ジョウ.
        static const QHash<QString, QString> parts{{QStringLiteral("上"), QStringLiteral("ジョウ")},
                                                   {QStringLiteral("中"), QStringLiteral("チュウ")},
                                                   {QStringLiteral("下"), QStringLiteral("ゲ")}};
        const QString volumeReading =
            !record.volumeReading.isEmpty() && isKanaText(record.volumeReading)
                ? record.volumeReading
                : parts.value(volume);
        if (!volumeReading.isEmpty())
            book.titleReading += withoutBlanks(volumeReading);
        else if (!book.titleReading.isEmpty())
            book.titleReadLength = book.title.size();
        book.title += u' ' + volume;
    }

    BookCreators creators = creatorsOf(record, kMostWriters);
    book.writers = std::move(creators.writers);
    book.translator = std::move(creators.translator);
    book.publisher = record.publisher;
    QStringList memo;
    dateFrom(record.date, book, memo);
    memo += creators.memo;
    book.memo = memo.join(u'\n');

    // Nothing longer than its field holds reaches the catalogue.
    fit(book.title, &book.titleReading, FieldNo::Title, QStringLiteral("書名"), book.notes);
    fit(book.subtitle, nullptr, FieldNo::SubTitle, QStringLiteral("副題"), book.notes);
    fit(book.publisher.name, &book.publisher.reading, FieldNo::Publisher, QStringLiteral("出版社"),
        book.notes);
    fit(book.translator.name, &book.translator.reading, FieldNo::Translator,
        QStringLiteral("翻訳者"), book.notes);
    for (NdlName& writer : book.writers)
        fit(writer.name, &writer.reading, FieldNo::Writer, QStringLiteral("著者名"), book.notes);
    fit(book.memo, nullptr, FieldNo::Memo, QStringLiteral("メモ"), book.notes);
    return book;
}

QString notesOf(const BookFromRecord& book) {
    if (book.notes.isEmpty())
        return {};
    return QStringLiteral("（") + book.notes.join(QStringLiteral("。")) + QStringLiteral("）");
}

}  // namespace quillo
