#include "store/query_builder.h"

#include "platform/search_fold.h"

namespace quillo {

namespace {

const QString kTable = QStringLiteral("QUILLO");

QString selectAll() {
    return QStringLiteral("SELECT * FROM %1 ").arg(kTable);
}

// A sort column as the table names it, or the fallback when it names none; a
// text column in JIS order takes that collation.
OrderTerm sortTerm(const QString& requested, const QString& fallback, const SortSettings& sort) {
    static const FieldNameTable names;
    int fieldNo = names.fieldNoOf(requested.trimmed());
    if (fieldNo < 0)
        fieldNo = names.fieldNoOf(fallback);
    return {names.name(fieldNo), sort.jis && fieldNo != FieldNo::ID && !isDateField(fieldNo),
            sort.option != 0};
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
    QStringList parts;
    for (const OrderTerm& term : BuildOrderTerms(sort))
        parts << term.column + (term.jis ? QStringLiteral(" COLLATE JIS") : QString()) +
                     (term.descending ? QStringLiteral(" DESC") : QString());
    return QStringLiteral(" ORDER BY %1 ").arg(parts.join(QStringLiteral(", ")));
}

QString BuildUnfilteredSql(const SortSettings& sort) {
    return selectAll() + BuildOrderBy(sort);
}

std::optional<FilterSql> BuildFilterSql(const QString& text, const FieldFlags& flags,
                                        const SortSettings& sort, const FieldNameTable& names) {
    // The books that contain the text, as typed: it is escaped as the fuzzy
    // search's is, so an apostrophe or a colon is matched rather than breaking the
    // SQL, and "%" and "_" are matched as themselves ("10%" finds "10%" only).
    // Both sides are folded first (a full-width "％" is a "%" too), so width,
    // kana and case do not keep a book out.
    const QString value = EscapeLikeText(foldForSearch(text));
    QString condition;
    for (int k : chosenFields(flags)) {
        const QString column = k == FieldNo::Title ? QStringLiteral("Title") : names.name(k);
        condition +=
            QStringLiteral("%1FOLD(%2) LIKE '%%3%' ESCAPE '$' ")
                .arg(condition.isEmpty() ? QStringLiteral("WHERE ") : QStringLiteral(" OR "),
                     column, value);
    }
    if (condition.isEmpty())
        return std::nullopt;
    FilterSql sql;
    sql.condition = QStringLiteral("( %1 )").arg(condition.mid(5));
    sql.lines << selectAll() << condition + BuildOrderBy(sort);
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
