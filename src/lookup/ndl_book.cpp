#include "lookup/ndl_book.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace quillo {

namespace {

constexpr size_t kMostWriters = 5;

// A name with its blanks and commas gone, to match a statement's "原田智子"
// with the heading "原田, 智子, 1947-".
QString compact(QString name) {
    name.remove(QRegularExpression(QStringLiteral("[\\s,、・]")));
    return name;
}

// "原田智子, 江草由佳 共著" → names and the role they had.
struct Statement {
    QStringList names;
    QString role;
};
Statement statementOf(const QString& text) {
    QString names = text.trimmed();
    QString role;
    const qsizetype blank = names.lastIndexOf(u' ');
    if (blank > 0) {
        role = names.mid(blank + 1);
        names = names.left(blank);
    }
    Statement s;
    s.role = role;
    for (const QString& n :
         names.split(QRegularExpression(QStringLiteral("\\s*[,、]\\s*")), Qt::SkipEmptyParts))
        s.names << n.trimmed();
    return s;
}

QString withoutBlanks(QString reading) {
    reading.remove(QRegularExpression(QStringLiteral("[\\s\\x{3000}]")));
    return reading;
}

// The record's date as the catalogue's "yyyy/mm/dd", the day and month the
// record lacks taken as the first; the note says so.
void dateFrom(const QString& catalogued, BookFromRecord& book) {
    static const QRegularExpression full(
        QStringLiteral("^\\D{0,2}(\\d{4})(?:[.\\-/](\\d{1,2}))?(?:[.\\-/](\\d{1,2}))?"));
    const QRegularExpressionMatch m = full.match(catalogued);
    if (!m.hasMatch()) {
        if (!catalogued.isEmpty())
            book.dateNote = QStringLiteral("出版年: ") + catalogued;
        return;
    }
    const int year = m.captured(1).toInt();
    const int month = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    const int day = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    if (month < 0 || month > 12 || day > 31)
        return;
    book.pubDate = QString::asprintf("%04d/%02d/%02d", year, std::max(month, 1), std::max(day, 1));
    if (day == 0)
        book.dateNote = QStringLiteral("出版年月: ") + catalogued +
                        (month == 0 ? QStringLiteral("（月日は記録になく、1月1日としました）")
                                    : QStringLiteral("（日は記録になく、1日としました）"));
}

}  // namespace

QString nameFromHeading(const QString& heading) {
    QStringList parts = heading.split(u',', Qt::SkipEmptyParts);
    for (QString& p : parts)
        p = p.trimmed();
    // A trailing "1958-" or "1947-2010" is the person's years, not the name.
    while (parts.size() > 1 &&
           QRegularExpression(QStringLiteral("^[\\d\\-?]+$")).match(parts.last()).hasMatch())
        parts.removeLast();
    // A Latin name is written as its owner writes it: "Park, Linda Sue" is
    // "Linda Sue Park"; a Japanese one family name first.
    const bool latin =
        std::none_of(heading.begin(), heading.end(), [](QChar c) { return c.unicode() >= 0x2E80; });
    if (latin && parts.size() == 2)
        return parts[1] + u' ' + parts[0];
    return parts.join(u' ');
}

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

    // Writers in the order the statements name them, each with the reading of
    // the heading that matches; a translator by the role "訳". Creators no
    // statement names (a series' editors) are left out, unless there is no
    // statement at all (foreign books): then the headings are the writers.
    std::vector<NdlName> headings;
    for (const NdlName& a : record.agents)
        headings.push_back({nameFromHeading(a.name), nameFromHeading(a.reading)});
    auto headingFor = [&](const QString& name) -> NdlName {
        for (const NdlName& h : headings)
            if (compact(h.name) == compact(name))
                return h;
        return {name, {}};
    };
    QStringList seen;
    for (const QString& text : record.creatorTexts) {
        const Statement s = statementOf(text);
        for (const QString& name : s.names) {
            const NdlName named = headingFor(name);
            if (seen.contains(compact(named.name)))
                continue;
            seen << compact(named.name);
            if (s.role.contains(u'訳')) {
                if (book.translator.name.isEmpty())
                    book.translator = named;
            } else if (book.writers.size() < kMostWriters) {
                book.writers.push_back(named);
            }
        }
    }
    if (record.creatorTexts.isEmpty())
        for (const NdlName& h : headings)
            if (book.writers.size() < kMostWriters)
                book.writers.push_back(h);
    book.publisher = record.publisher;
    dateFrom(record.date, book);
    return book;
}

}  // namespace quillo
