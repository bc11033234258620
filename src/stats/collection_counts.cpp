#include "stats/collection_counts.h"

#include <map>

#include "engine/connection.h"
#include "engine/statement.h"
#include "store/book_record.h"

namespace quillo {

namespace {

const QString kCounted = QStringLiteral("temp.quillo_counted");

// The books being counted, read once: counting them again and again through
// the filter that chose them would scan and fold the whole table per chart.
// The writers' fields, counted together.
QList<int> writerFields() {
    QList<int> fields;
    for (int k = 0; k < kFieldCount; ++k)
        if (bookField(k).isWriter)
            fields << k;
    return fields;
}

// "trim(Writer) AS Writer"
QString trimmed(int field) {
    const QString column = QString::fromLatin1(bookField(field).column);
    return QStringLiteral("trim(") + column + QStringLiteral(") AS ") + column;
}

// The year of a stored date ("yyyy-mm-dd"), or NULL.
QString yearOf(int field, const char* name) {
    const QString column = QString::fromLatin1(bookField(field).column);
    return QStringLiteral("CASE WHEN ") + column +
           QStringLiteral(" GLOB '[0-9][0-9][0-9][0-9]-*' THEN CAST(substr(") + column +
           QStringLiteral(", 1, 4) AS INTEGER) END AS ") + QLatin1String(name);
}

class CountedBooksTable {
public:
    CountedBooksTable(Connection& db, const QStringList& selection) : m_db(db) {
        m_db.execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(kCounted));
        // The years of the dates, and the names counted, trimmed.
        QStringList names;
        for (int k : writerFields())
            names << trimmed(k);
        names << trimmed(FieldNo::Publisher) << trimmed(FieldNo::Kind);
        QStringList lines{QStringLiteral("CREATE TABLE ") + kCounted +
                          QStringLiteral(" AS SELECT ") + yearOf(FieldNo::BuyDate, "BuyYear") +
                          QStringLiteral(", ") + yearOf(FieldNo::PubDate, "PubYear") +
                          QStringLiteral(", ") + names.join(QStringLiteral(", ")) +
                          QStringLiteral(" FROM (")};
        lines << selection;
        lines << QStringLiteral(")");
        Statement create(m_db.handle(), lines);
        create.step();
    }
    ~CountedBooksTable() {
        try {
            m_db.execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(kCounted));
        } catch (...) {
            // A temporary table goes with the connection anyway.
        }
    }
    CountedBooksTable(const CountedBooksTable&) = delete;
    CountedBooksTable& operator=(const CountedBooksTable&) = delete;

private:
    Connection& m_db;
};

QString textOf(const Statement& row, int column) {
    return QString::fromUtf8(row.textAt(column));
}

// A name column's most frequent values and how many different values it holds.
std::vector<CountedBooks> topNames(Connection& db, const QString& names, int top,
                                   qint64* different) {
    Statement query(db.handle(),
                    {QStringLiteral("SELECT Name, count(*) AS Books, count(*) OVER () FROM (%1) "
                                    "WHERE Name <> '' GROUP BY Name "
                                    "ORDER BY Books DESC, Name COLLATE JIS LIMIT %2")
                         .arg(names, QString::number(top))});
    std::vector<CountedBooks> counted;
    *different = 0;
    while (query.step()) {
        counted.push_back({textOf(query, 0), query.integerAt(1)});
        *different = query.integerAt(2);
    }
    return counted;
}

// Books per year (or per decade when `width` is 10), oldest first, with the
// bars between filled in while there are not too many.
std::vector<CountedBooks> perPeriod(Connection& db, const QString& yearColumn, int width,
                                    const QString& suffix) {
    Statement query(db.handle(), {QStringLiteral("SELECT (%1 / %2) * %2 AS Period, count(*) "
                                                 "FROM %3 WHERE %1 IS NOT NULL "
                                                 "GROUP BY Period ORDER BY Period")
                                      .arg(yearColumn, QString::number(width), kCounted)});
    std::map<qint64, qint64> books;
    while (query.step())
        books[query.integerAt(0)] = query.integerAt(1);
    std::vector<CountedBooks> series;
    if (books.empty())
        return series;
    const qint64 first = books.begin()->first;
    const qint64 last = books.rbegin()->first;
    const bool fill = (last - first) / width < kMaxFilledBars;
    auto label = [&](qint64 period) { return QString::number(period) + suffix; };
    if (fill) {
        for (qint64 period = first; period <= last; period += width) {
            const auto found = books.find(period);
            series.push_back({label(period), found == books.end() ? 0 : found->second, period});
        }
    } else {
        for (const auto& [period, count] : books)
            series.push_back({label(period), count, period});
    }
    return series;
}

// The first of 1, 2, 5, 10, 20, 50, ... that `enough` takes.
template <typename Enough>
qint64 firstRoundStep(Enough enough) {
    for (qint64 power = 1;; power *= 10) {
        for (qint64 factor : {1, 2, 5}) {
            if (enough(factor * power))
                return factor * power;
        }
    }
}

}  // namespace

qint64 countAxisStep(qint64 largest) {
    return firstRoundStep([&](qint64 step) { return step * 5 >= largest; });
}

qint64 countAxisTop(qint64 largest) {
    const qint64 step = countAxisStep(largest);
    return largest <= 0 ? step : (largest + step - 1) / step * step;
}

std::vector<size_t> labelledPeriods(const std::vector<CountedBooks>& bars, int width, int most) {
    std::vector<size_t> labelled;
    if (bars.empty())
        return labelled;
    const qint64 span = bars.back().year - bars.front().year + width;
    const bool gapless = span == static_cast<qint64>(bars.size()) * width;
    if (gapless) {
        const qint64 every =
            firstRoundStep([&](qint64 step) { return step % width == 0 && span / step <= most; });
        for (size_t i = 0; i < bars.size(); ++i) {
            if (bars[i].year % every == 0)
                labelled.push_back(i);
        }
    } else {
        const size_t every =
            (bars.size() + static_cast<size_t>(most) - 1) / static_cast<size_t>(most);
        for (size_t i = 0; i < bars.size(); i += every)
            labelled.push_back(i);
    }
    return labelled;
}

QStringList AllBooksSelection() {
    return {QStringLiteral("SELECT * FROM QUILLO")};
}

CollectionCounts CountCollection(Connection& db, const QStringList& selection, int top) {
    CountedBooksTable counted(db, selection);
    CollectionCounts counts;
    {
        Statement totals(db.handle(),
                         {QStringLiteral("SELECT count(*), count(*) - count(BuyYear), "
                                         "count(*) - count(PubYear), "
                                         "coalesce(sum(BuyYear IS NULL AND PubYear IS NULL), 0) "
                                         "FROM %1")
                              .arg(kCounted)});
        totals.step();
        counts.books = totals.integerAt(0);
        counts.withoutBuyDate = totals.integerAt(1);
        counts.withoutPubDate = totals.integerAt(2);
        counts.withoutDates = totals.integerAt(3);
    }
    counts.boughtPerYear = perPeriod(db, QStringLiteral("BuyYear"), 1, QString());
    counts.firstEditionsPerDecade =
        perPeriod(db, QStringLiteral("PubYear"), 10, QStringLiteral("年代"));
    QStringList writerColumns;
    for (int k : writerFields())
        writerColumns << QStringLiteral("SELECT %1 AS Name FROM %2 WHERE %1 IS NOT NULL")
                             .arg(QLatin1String(bookField(k).column), kCounted);
    counts.topWriters =
        topNames(db, writerColumns.join(QStringLiteral(" UNION ALL ")), top, &counts.writers);
    counts.topPublishers =
        topNames(db, QStringLiteral("SELECT Publisher AS Name FROM %1").arg(kCounted), top,
                 &counts.publishers);
    counts.topKinds = topNames(db, QStringLiteral("SELECT Kind AS Name FROM %1").arg(kCounted), top,
                               &counts.kinds);
    return counts;
}

}  // namespace quillo
