#include "csv/csv_programs.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <vector>

#include "lookup/ndl_creators.h"
#include "store/book_record.h"

namespace quillo {

namespace {

using K = CsvColumn::Kind;
using F = CsvColumn::Form;

// One column of a program's export, by its heading's name.
struct Entry {
    const char* name;
    K kind;
    int target = -1;
    F form = F::AsIs;
    bool fallback = false;
    const char* label = "";
};

struct Shape {
    const char* program;
    // Names only this program's heading holds: at least two of them say it is.
    std::vector<const char*> signature;
    std::vector<Entry> entries;
    bool quotesAreText = false;  // when its separator is the tab
};

const std::vector<Shape>& shapes() {
    static const std::vector<Shape> known{
        {"Goodreads",
         {"Book Id", "Author l-f", "Exclusive Shelf", "Bookshelves with positions"},
         {{"Title", K::Field, FieldNo::Title},
          {"Author", K::Field, FieldNo::Writer},
          {"Author l-f", K::Same},
          {"Additional Authors", K::Writers, FieldNo::Writer, F::Commas},
          {"ISBN", K::Isbn, 0},
          {"ISBN13", K::Isbn, 0},
          {"Publisher", K::Field, FieldNo::Publisher},
          {"Year Published", K::Field, FieldNo::PubDate, F::Year, true},
          {"Original Publication Year", K::Field, FieldNo::PubDate, F::Year},
          {"Date Added", K::Field, FieldNo::BuyDate},
          {"Bookshelves", K::Field, FieldNo::Kind},
          {"Date Read", K::Note, -1, F::AsIs, false, "読了日"},
          {"My Review", K::Note},
          {"Private Notes", K::Note}}},
        {"LibraryThing",
         {"Primary Author", "Sort Character", "Publication", "Secondary Author", "Work id"},
         {{"Title", K::Field, FieldNo::Title},
          {"Primary Author", K::Field, FieldNo::Writer, F::FamilyFirst},
          {"Secondary Author", K::RoledNames, -1, F::FamilyFirst},
          {"Secondary Author Roles", K::Roles},
          {"Publication", K::Field, FieldNo::Publisher, F::Publication},
          {"Date", K::Field, FieldNo::PubDate, F::Year},
          {"Acquired", K::Field, FieldNo::BuyDate, F::DateAndTime},
          {"Tags", K::Field, FieldNo::Kind},
          {"ISBN", K::Isbn, 0},
          {"ISBNs", K::Isbn, 0},
          {"Review", K::Note},
          {"Comment", K::Note},
          {"Comments", K::Note},
          {"Private Comment", K::Note}},
         true},
        {"ブクログ",
         {"サービスID", "アイテムID", "13桁ISBN", "読書状況", "読書メモ(非公開)"},
         {{"サービスID", K::Ignored},
          {"アイテムID", K::Ignored},
          {"13桁ISBN", K::Isbn, 0},
          {"カテゴリ", K::Field, FieldNo::Kind, F::AsIs, true},
          {"評価", K::Ignored},
          {"読書状況", K::Ignored},
          {"レビュー", K::Note},
          {"タグ", K::Field, FieldNo::Kind},
          {"読書メモ(非公開)", K::Note, -1, F::AsIs, false, "読書メモ"},
          {"登録日時", K::Field, FieldNo::BuyDate, F::DateAndTime},
          {"読了日", K::Note, -1, F::DateAndTime, false, "読了日"},
          {"タイトル", K::Field, FieldNo::Title},
          {"作者名", K::Field, FieldNo::Writer},
          {"出版社名", K::Field, FieldNo::Publisher},
          {"発行年", K::Field, FieldNo::PubDate, F::Year},
          {"ジャンル", K::Ignored},
          {"ページ数", K::Ignored}}},
        {"Tellico",
         {"ISBN#", "LCCN#", "Purchase Date", "Publication Year", "Copyright Year"},
         {{"Title", K::Field, FieldNo::Title},
          {"Subtitle", K::Field, FieldNo::SubTitle},
          {"Author", K::Writers, FieldNo::Writer},
          {"Editor", K::Writers, FieldNo::Writer},
          {"Translator", K::Field, FieldNo::Translator},
          {"Publisher", K::Field, FieldNo::Publisher},
          {"Publication Year", K::Field, FieldNo::PubDate, F::Year},
          {"Copyright Year", K::Field, FieldNo::PubDate, F::Year, true},
          {"ISBN#", K::Isbn, 0},
          {"Purchase Date", K::Field, FieldNo::BuyDate},
          {"Genre", K::Field, FieldNo::Kind},
          {"Keywords", K::Field, FieldNo::Kind, F::AsIs, true},
          {"Series", K::Field, FieldNo::SubTitle, F::AsIs, true},
          {"Comments", K::Note}}},
        {"calibre",
         {"title_sort", "author_sort", "uuid", "library_name"},
         {{"title", K::Field, FieldNo::Title},
          {"title_sort", K::Same},
          {"authors", K::Writers, FieldNo::Writer},
          {"author_sort", K::Same},
          {"publisher", K::Field, FieldNo::Publisher},
          {"pubdate", K::Field, FieldNo::PubDate, F::LocalTime},
          {"timestamp", K::Field, FieldNo::BuyDate, F::LocalTime},
          {"tags", K::Field, FieldNo::Kind},
          {"series", K::Field, FieldNo::SubTitle},
          {"isbn", K::Isbn, 0},
          {"comments", K::Field, FieldNo::Memo}}},
    };
    return known;
}

// ブクログ's columns in the order its export writes them.
const Shape& booklog() {
    return shapes()[2];
}

CsvColumn columnOf(const Entry& e, const QString& name) {
    CsvColumn column;
    column.kind = e.kind;
    column.target = e.target;
    column.form = e.form;
    column.fallback = e.fallback;
    column.label = QString::fromUtf8(e.label);
    column.name = name;
    return column;
}

std::optional<CsvProgram> byHeading(const Shape& shape, const QStringList& heading,
                                    QChar separator) {
    QStringList keys;
    for (const QString& name : heading)
        keys << csvNameKey(name);
    const auto signs = std::count_if(
        shape.signature.begin(), shape.signature.end(),
        [&](const char* name) { return keys.contains(csvNameKey(QString::fromUtf8(name))); });
    if (signs < 2)
        return std::nullopt;
    CsvProgram program{QString::fromUtf8(shape.program),
                       {},
                       true,
                       shape.quotesAreText && separator == QLatin1Char('\t')};
    for (qsizetype c = 0; c < heading.size(); ++c) {
        CsvColumn column;
        column.name = heading[c].trimmed();
        for (const Entry& e : shape.entries)
            if (csvNameKey(QString::fromUtf8(e.name)) == keys[c])
                column = columnOf(e, column.name);
        program.columns << column;
    }
    return program;
}

// ブクログ's export without its heading: seventeen columns, the first a
// service's number, the tenth when the book was added ("2019-05-12 10:20:30").
std::optional<CsvProgram> byShape(const QStringList& line) {
    static const QRegularExpression number(QStringLiteral("^\\d{1,3}$"));
    static const QRegularExpression added(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}( \\d{2}:\\d{2}(:\\d{2})?)?$"));
    static const QRegularExpression isbn13(QStringLiteral("^(\\d{13})?$"));
    const Shape& shape = booklog();
    if (line.size() != qsizetype(shape.entries.size()) || !number.match(line[0]).hasMatch() ||
        !added.match(line[9].trimmed()).hasMatch() || !isbn13.match(line[2].trimmed()).hasMatch())
        return std::nullopt;
    CsvProgram program{QString::fromUtf8(shape.program), {}, false, false};
    for (const Entry& e : shape.entries)
        program.columns << columnOf(e, QString::fromUtf8(e.name));
    return program;
}

}  // namespace

std::optional<CsvProgram> csvProgramOf(const QStringList& firstLine, QChar separator) {
    for (const Shape& shape : shapes())
        if (auto program = byHeading(shape, firstLine, separator))
            return program;
    return byShape(firstLine);
}

QString formedText(const CsvColumn& column, const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return trimmed;
    switch (column.form) {
        case F::AsIs:
        case F::Commas:
            return text;
        case F::FamilyFirst:
            return nameFromHeading(trimmed);
        case F::Year: {
            static const QRegularExpression year(QStringLiteral("^(\\d{4})(?:[-/.](\\d{1,2}))?$"));
            const QRegularExpressionMatch m = year.match(trimmed);
            if (!m.hasMatch())
                return trimmed;
            const int month = m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
            return QString::asprintf("%s-%02d-01", qPrintable(m.captured(1)), month);
        }
        case F::DateAndTime:
            return trimmed.section(QRegularExpression(QStringLiteral("[ T]")), 0, 0);
        case F::LocalTime: {
            // calibre writes times in UTC: the day is the user's, not Greenwich's.
            // Its 0101-01-01 is "no date", whatever the zone.
            const QDateTime when = QDateTime::fromString(trimmed, Qt::ISODate);
            if (!when.isValid() || when.timeSpec() == Qt::LocalTime ||
                trimmed.startsWith(QLatin1String("0101-01-01")))
                return trimmed;
            return when.toLocalTime().date().toString(QStringLiteral("yyyy-MM-dd"));
        }
        case F::Publication: {
            qsizetype end = trimmed.indexOf(QLatin1String(" ("));
            const qsizetype comma = trimmed.indexOf(u',');
            if (end < 0 || (comma >= 0 && comma < end))
                end = comma;
            return end < 0 ? trimmed : trimmed.left(end).trimmed();
        }
    }
    return text;
}

QStringList namesOf(const CsvColumn& column, const QString& text) {
    QStringList names;
    for (const QString& part : splitAuthorNames(text)) {
        if (column.form != F::Commas) {
            names << formedText(column, part);
            continue;
        }
        for (const QString& name : part.split(u',', Qt::SkipEmptyParts))
            if (!name.trimmed().isEmpty())
                names << name.trimmed();
    }
    return names;
}

QString withoutTextFormula(const QString& field) {
    if (field.size() < 3 || !field.startsWith(QLatin1String("=\"")) || !field.endsWith(u'"'))
        return field;
    QString text = field.mid(2, field.size() - 3);
    return text.replace(QLatin1String("\"\""), QLatin1String("\""));
}

QString isbnOf(const QString& text) {
    QString isbn = text.trimmed();
    if (isbn.startsWith(u'[') && isbn.endsWith(u']'))
        isbn = isbn.mid(1, isbn.size() - 2);
    static const QRegularExpression between(QStringLiteral("[,;|]"));
    return isbn.section(between, 0, 0).trimmed();
}

}  // namespace quillo
