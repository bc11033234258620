#include "store/query_builder.h"

#include "platform/kana_text.h"
#include "platform/romaji.h"
#include "platform/search_fold.h"
#include "store/same_books.h"

namespace quillo {

namespace {

const QString kTable = QStringLiteral("QUILLO");

QString selectAll() {
    return QStringLiteral("SELECT * FROM %1 ").arg(kTable);
}

// The select of every book with its readings beside it, for an order by them.
const QString kJoinReadings = QStringLiteral("LEFT JOIN quillo_reading r ON r.ID = q.ID ");

bool byReadings(const std::vector<OrderTerm>& terms) {
    return std::any_of(terms.begin(), terms.end(), [](const OrderTerm& t) { return t.reading; });
}

// The ORDER BY clause of the terms; `qualified` names the book table's columns
// as q's, for a select that joins other tables. A term by reading sorts by the
// reading's kana-order key, then by the text in JIS order.
QString orderByOf(const std::vector<OrderTerm>& terms, bool qualified) {
    QStringList parts;
    for (const OrderTerm& term : terms) {
        const QString descending = term.descending ? QStringLiteral(" DESC") : QString();
        const QString column = (qualified ? QStringLiteral("q.") : QString()) + term.column;
        if (term.reading)
            parts << QStringLiteral("r.%1Key").arg(term.column) + descending;
        parts << column + (term.jis ? QStringLiteral(" COLLATE JIS") : QString()) + descending;
    }
    return QStringLiteral(" ORDER BY %1 ").arg(parts.join(QStringLiteral(", ")));
}

// Latin letters only (with blanks, hyphens and apostrophes): a text that may be
// romaji.
bool mayBeRomaji(const QString& folded) {
    bool letter = false;
    for (const QChar c : folded) {
        if ((c >= u'a' && c <= u'z') || QStringLiteral("āīūēôâîûêō").contains(c))
            letter = true;
        else if (c != u' ' && c != u'-' && c != u'\'')
            return false;
    }
    return letter;
}

// A sort column as the table names it, or the fallback when it names none; a
// text column in JIS order takes that collation.
OrderTerm sortTerm(const QString& requested, const QString& fallback, const SortSettings& sort) {
    static const FieldNameTable names;
    int fieldNo = names.fieldNoOf(requested.trimmed());
    if (fieldNo < 0)
        fieldNo = names.fieldNoOf(fallback);
    const bool read = sort.reading && fieldNo >= FieldNo::Title && fieldNo <= FieldNo::Publisher;
    return {names.name(fieldNo),
            (sort.jis || read) && fieldNo != FieldNo::ID && !isDateField(fieldNo), sort.option != 0,
            read};
}

// The chosen fields in the order the builder looks at them: Title, then 2 to 13.
// The dates are never filtered or searched, whatever their flags say.
QList<int> chosenFields(const FieldFlags& flags) {
    QList<int> fields;
    for (int k = FieldNo::Title; k < kFieldCount; ++k) {
        if (flags[static_cast<size_t>(k)] && !isDateField(k))
            fields << k;
    }
    return fields;
}

}  // namespace

std::vector<OrderTerm> BuildOrderTerms(const SortSettings& sort) {
    std::vector<OrderTerm> terms{sortTerm(sort.field1, QStringLiteral("Writer"), sort)};
    if (!sort.field2.trimmed().isEmpty())
        terms.push_back(sortTerm(sort.field2, QStringLiteral("Title"), sort));
    terms.push_back({QStringLiteral("ID"), false, false});
    return terms;
}

QString BuildOrderBy(const SortSettings& sort) {
    const std::vector<OrderTerm> terms = BuildOrderTerms(sort);
    return orderByOf(terms, byReadings(terms));
}

QString BuildUnfilteredSql(const SortSettings& sort) {
    const std::vector<OrderTerm> terms = BuildOrderTerms(sort);
    if (!byReadings(terms))
        return selectAll() + orderByOf(terms, false);
    return QStringLiteral("SELECT q.* FROM %1 q ").arg(kTable) + kJoinReadings +
           orderByOf(terms, true);
}

QString IsbnConditionOf(const QString& text, const QString& id) {
    QString digits;
    for (const QChar c : foldForSearch(text)) {
        if (c.isDigit() || c == u'x' || c == u'X')
            digits += c.toUpper();
        else if (c != u'-' && c != u' ')
            return {};
    }
    const bool ten = digits.size() == 10 && !digits.left(9).contains(u'X');
    const bool thirteen =
        digits.size() == 13 && !digits.contains(u'X') &&
        (digits.startsWith(QLatin1String("978")) || digits.startsWith(QLatin1String("979")));
    if (!ten && !thirteen)
        return {};
    // An ISBN-10 is the 978 number's nine digits and a check digit of its own.
    const QString match =
        thirteen ? QStringLiteral("Isbn = '") + digits + QStringLiteral("'")
                 : QStringLiteral("Isbn LIKE '978") + digits.left(9) + QStringLiteral("_'");
    return id + QStringLiteral(" IN (SELECT ID FROM quillo_isbn WHERE ") + match +
           QStringLiteral(")");
}

std::optional<FilterSql> BuildFilterSql(const QString& text, const FieldFlags& flags,
                                        const SortSettings& sort, const FieldNameTable& names,
                                        bool withReadings, bool withIsbns) {
    const QString folded = foldForSearch(text);
    if (withReadings && !folded.isEmpty())
        return BuildReadingFilterSql(
            folded, flags, sort,
            withIsbns ? IsbnConditionOf(text, QStringLiteral("q.ID")) : QString());
    // The books that contain the text, as typed: it is escaped as the fuzzy
    // search's is, so an apostrophe or a colon is matched rather than breaking the
    // SQL, and "%" and "_" are matched as themselves ("10%" finds "10%" only).
    // Both sides are folded first (a full-width "％" is a "%" too), so width,
    // kana and case do not keep a book out.
    const QString value = EscapeLikeText(folded);
    // An order by the readings reads them beside the books.
    const std::vector<OrderTerm> terms = BuildOrderTerms(sort);
    const bool joined = byReadings(terms);
    QString condition;
    for (int k : chosenFields(flags)) {
        const QString column = (joined ? QStringLiteral("q.") : QString()) +
                               (k == FieldNo::Title ? QStringLiteral("Title") : names.name(k));
        condition +=
            QStringLiteral("%1FOLD(%2) LIKE '%%3%' ESCAPE '$' ")
                .arg(condition.isEmpty() ? QStringLiteral("WHERE ") : QStringLiteral(" OR "),
                     column, value);
    }
    if (condition.isEmpty())
        return std::nullopt;
    if (const QString isbn = withIsbns ? IsbnConditionOf(text, joined ? QStringLiteral("q.ID")
                                                                      : QStringLiteral("ID"))
                                       : QString();
        !isbn.isEmpty())
        condition += QStringLiteral(" OR ") + isbn + QLatin1Char(' ');
    FilterSql sql;
    sql.condition = QStringLiteral("( %1 )").arg(condition.mid(5));
    sql.lines << (joined ? QStringLiteral("SELECT q.* FROM %1 q ").arg(kTable) + kJoinReadings
                         : selectAll())
              << condition + orderByOf(terms, joined);
    sql.idLines << (joined ? QStringLiteral("SELECT q.ID FROM %1 q ")
                           : QStringLiteral("SELECT ID FROM %1 "))
                       .arg(kTable)
                << condition;
    return sql;
}

ReadingPatterns ReadingPatternsOf(const QString& folded) {
    ReadingPatterns patterns;
    if (isKanaText(folded)) {
        patterns.kana = folded;
        patterns.kana.remove(u' ');
        patterns.kana.remove(u'\u3000');
    }
    if (mayBeRomaji(folded))
        patterns.romaji = romajiMatchKey(folded);
    return patterns;
}

std::optional<FilterSql> BuildReadingFilterSql(const QString& folded, const FieldFlags& flags,
                                               const SortSettings& sort,
                                               const QString& isbnCondition) {
    qint64 fields = 0;
    for (int k : chosenFields(flags))
        fields |= qint64(1) << k;
    if (fields == 0)
        return std::nullopt;
    const auto [kana, romaji] = ReadingPatternsOf(folded);
    FilterSql sql;
    sql.condition = QStringLiteral("( FINDS(s.Folded, '%1', '%2', '%3', %4)")
                        .arg(QuoteValueText(folded), QuoteValueText(kana), QuoteValueText(romaji),
                             QString::number(fields)) +
                    (isbnCondition.isEmpty() ? QString() : QStringLiteral(" OR ") + isbnCondition) +
                    QStringLiteral(" )");
    const std::vector<OrderTerm> terms = BuildOrderTerms(sort);
    sql.lines
        << QStringLiteral("SELECT q.* FROM %1 q JOIN quillo_search s ON s.ID = q.ID ").arg(kTable) +
               (byReadings(terms) ? kJoinReadings : QString())
        << QStringLiteral("WHERE %1").arg(sql.condition) + orderByOf(terms, true);
    sql.idLines
        << QStringLiteral("SELECT q.ID FROM %1 q JOIN quillo_search s ON s.ID = q.ID ").arg(kTable)
        << QStringLiteral("WHERE %1").arg(sql.condition);
    return sql;
}

std::optional<QString> BuildSearchSql(const QString& text, const FieldFlags& flags, bool fuzzy,
                                      const QString& filterCondition, const SortSettings& sort,
                                      const FieldNameTable& names) {
    const QString value = fuzzy ? EscapeLikeText(text) : QuoteValueText(text);
    const QString escape = QStringLiteral(" ESCAPE '$' ");
    QString condition;
    for (int k : chosenFields(flags)) {
        const bool title = k == FieldNo::Title;
        const QString column = title ? QStringLiteral("Title") : names.name(k);
        if (fuzzy) {
            const QString predicate = QStringLiteral("%1 LIKE '%%2%'").arg(column, value) + escape;
            if (title)
                condition = predicate;
            else if (condition.isEmpty())
                condition = predicate + QLatin1Char(' ');
            else
                condition += QStringLiteral(" OR ") + predicate + QLatin1Char(' ');
        } else {
            if (condition.isEmpty())
                condition = QStringLiteral("%1 = '%2' ").arg(column, value);
            else
                condition += QStringLiteral(" OR %1 = '%2' ").arg(column, value);
        }
    }
    if (condition.isEmpty())
        return std::nullopt;
    const QString where =
        filterCondition.isEmpty()
            ? QStringLiteral("WHERE %1").arg(condition)
            : QStringLiteral("WHERE %1 and ( %2 )").arg(filterCondition, condition);
    return selectAll() + where + BuildOrderBy(sort);
}

QStringList BuildUncertainReadingsSql(const SortSettings& sort) {
    const std::vector<OrderTerm> terms = BuildOrderTerms(sort);
    return {QStringLiteral("SELECT q.* FROM %1 q ").arg(kTable) + kJoinReadings,
            QStringLiteral("WHERE r.Uncertain <> 0") + orderByOf(terms, true)};
}

QStringList BuildSameBooksSql(const SortSettings& sort) {
    const std::vector<OrderTerm> terms = BuildOrderTerms(sort);
    if (!byReadings(terms))
        return {selectAll(), sameBooksCondition() + orderByOf(terms, false)};
    return {QStringLiteral("SELECT q.* FROM %1 q ").arg(kTable) + kJoinReadings,
            sameBooksCondition(QStringLiteral("q.")) + orderByOf(terms, true)};
}

QStringList BuildSelectionOf(const QStringList& liveLines) {
    QStringList lines = liveLines;
    if (lines.isEmpty())
        return {selectAll()};
    QString& last = lines.last();
    const qsizetype order = last.lastIndexOf(QStringLiteral(" ORDER BY "), -1, Qt::CaseInsensitive);
    if (order >= 0)
        last.truncate(order);
    while (last.endsWith(u';') || last.endsWith(u' '))
        last.chop(1);
    return lines;
}

QString BuildMaxIdSql() {
    return QStringLiteral("SELECT * FROM %1 WHERE %2 = (SELECT MAX(%3) FROM %4) ;")
        .arg(kTable, QStringLiteral("ID"), QStringLiteral("ID"), kTable);
}

QString BuildDistinctValuesSql(const QString& column, bool jis) {
    // In the list's own order, so a name is found where the user looks for it.
    return QStringLiteral("SELECT DISTINCT %1 FROM %2 ORDER BY %1%3 ")
        .arg(column, kTable, jis ? QStringLiteral(" COLLATE JIS") : QString());
}

QString EscapeLikeText(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        switch (c.unicode()) {
            case 0:
                break;  // a NUL would end the SQL text where it stands
            case '%':
                out += QLatin1String("$%");
                break;
            case '_':
                out += QLatin1String("$_");
                break;
            case '$':
                out += QLatin1String("$$");
                break;
            case '\'':
                out += QLatin1String("''");
                break;
            case ':':
                out += QLatin1String("::");
                break;
            default:
                out += c;
        }
    }
    return out;
}

QString QuoteValueText(const QString& text) {
    QString out = text;
    out.remove(QChar(0));  // a NUL would end the SQL text where it stands
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    out.replace(QLatin1Char(':'), QLatin1String("::"));
    return out;
}

}  // namespace quillo
