#include "stats/collection_counts.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/cached_dataset.h"
#include "engine/connection.h"
#include "engine/statement.h"
#include "platform/jis_order.h"
#include "store/book_record.h"

namespace quillo {

namespace {

// The writers' fields, counted together.
QList<int> writerFields() {
    QList<int> fields;
    for (int k = 0; k < kFieldCount; ++k)
        if (bookField(k).isWriter)
            fields << k;
    return fields;
}

// A stored value as counted: its text, or a whole number's digits.
class CountedValue {
public:
    CountedValue(FieldValue::Type type, qint64 integer, QByteArrayView text) {
        if (type == FieldValue::Type::Integer) {
            m_digits = QByteArray::number(integer);
            m_text = m_digits;
        } else if (type == FieldValue::Type::Text) {
            m_text = text;
        }
    }
    QByteArrayView text() const { return m_text; }

private:
    QByteArray m_digits;
    QByteArrayView m_text;
};

// The year of a date stored as "yyyy-…"; none for anything else.
std::optional<qint64> yearOf(QByteArrayView date) {
    if (date.size() < 5 || date[4] != '-')
        return std::nullopt;
    qint64 year = 0;
    for (int i = 0; i < 4; ++i) {
        if (date[i] < '0' || date[i] > '9')
            return std::nullopt;
        year = year * 10 + (date[i] - '0');
    }
    return year;
}

// Blanks (U+0020) off both ends, as the names are counted.
QByteArrayView trimmedName(QByteArrayView name) {
    while (!name.isEmpty() && name.front() == ' ')
        name = name.sliced(1);
    while (!name.isEmpty() && name.back() == ' ')
        name.chop(1);
    return name;
}

struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};
using NameCounts = std::unordered_map<std::string, qint64, NameHash, std::equal_to<>>;

void countName(NameCounts& names, QByteArrayView name) {
    name = trimmedName(name);
    if (name.isEmpty())
        return;
    const std::string_view key(name.data(), static_cast<size_t>(name.size()));
    const auto found = names.find(key);
    if (found != names.end())
        ++found->second;
    else
        names.emplace(key, 1);
}

// The most frequent names, most books first, ties in JIS order.
std::vector<CountedBooks> topNames(const NameCounts& names, int top) {
    std::vector<std::pair<QByteArrayView, qint64>> all;
    all.reserve(names.size());
    for (const auto& [name, books] : names)
        all.emplace_back(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())), books);
    const JisOrder& jis = JisOrder::instance();
    const auto shown = all.begin() + std::min<qsizetype>(top, static_cast<qsizetype>(all.size()));
    std::partial_sort(all.begin(), shown, all.end(), [&](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : jis.compare(a.first, b.first) < 0;
    });
    std::vector<CountedBooks> counted;
    for (auto it = all.begin(); it != shown; ++it)
        counted.push_back({QString::fromUtf8(it->first), it->second});
    return counted;
}

// Books per year (or per decade when `width` is 10), oldest first, with the
// bars between filled in while there are not too many.
std::vector<CountedBooks> perPeriod(const std::map<qint64, qint64>& books, int width,
                                    const QString& suffix) {
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

// The fields counted, in the order a book's values are handed over.
QList<int> countedFields() {
    return QList<int>{FieldNo::BuyDate, FieldNo::PubDate, FieldNo::Publisher, FieldNo::Kind}
           << writerFields();
}

// The books counted one at a time, each read once.
class Tally {
public:
    // `value(i)` is the book's value of countedFields()[i].
    template <typename Value>
    void addBook(Value value) {
        ++m_counts.books;
        const std::optional<qint64> bought = yearOf(value(0).text());
        const std::optional<qint64> published = yearOf(value(1).text());
        if (bought)
            ++m_bought[*bought];
        else
            ++m_counts.withoutBuyDate;
        if (published)
            ++m_published[*published / 10 * 10];
        else
            ++m_counts.withoutPubDate;
        if (!bought && !published)
            ++m_counts.withoutDates;
        countName(m_publishers, value(2).text());
        countName(m_kinds, value(3).text());
        for (int i = 4; i < m_fields; ++i)
            countName(m_writers, value(i).text());
    }

    CollectionCounts finish(int top) {
        m_counts.boughtPerYear = perPeriod(m_bought, 1, QString());
        m_counts.firstEditionsPerDecade = perPeriod(m_published, 10, QStringLiteral("年代"));
        m_counts.topWriters = topNames(m_writers, top);
        m_counts.topPublishers = topNames(m_publishers, top);
        m_counts.topKinds = topNames(m_kinds, top);
        m_counts.writers = static_cast<qint64>(m_writers.size());
        m_counts.publishers = static_cast<qint64>(m_publishers.size());
        m_counts.kinds = static_cast<qint64>(m_kinds.size());
        return m_counts;
    }

private:
    const int m_fields = static_cast<int>(countedFields().size());
    CollectionCounts m_counts;
    std::map<qint64, qint64> m_bought, m_published;
    NameCounts m_writers, m_publishers, m_kinds;
};

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
    QStringList columns;
    for (int k : countedFields())
        columns << QString::fromLatin1(bookField(k).column);
    QStringList lines{QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) +
                      QStringLiteral(" FROM (")};
    lines << selection << QStringLiteral(")");
    Statement books(db.handle(), lines);
    Tally tally;
    while (books.step()) {
        tally.addBook([&](int i) {
            const Statement::ValueType type = books.typeAt(i);
            return CountedValue(
                type == Statement::ValueType::Integer ? FieldValue::Type::Integer
                : type == Statement::ValueType::Text  ? FieldValue::Type::Text
                                                      : FieldValue::Type::Null,
                type == Statement::ValueType::Integer ? books.integerAt(i) : 0,
                type == Statement::ValueType::Text ? books.textAt(i) : QByteArrayView());
        });
    }
    return tally.finish(top);
}

CollectionCounts CountShownBooks(const CachedDataset& shown, int top) {
    std::vector<int> fields;
    for (int k : countedFields())
        fields.push_back(shown.fieldIndex(QString::fromLatin1(bookField(k).column)));
    Tally tally;
    for (int row = 0; row < shown.rowCount(); ++row) {
        const PackedRow& book = shown.rowAt(row);
        tally.addBook([&](int i) {
            const int field = fields[static_cast<size_t>(i)];
            if (field < 0)
                return CountedValue(FieldValue::Type::Null, 0, {});
            const FieldValue::Type type = book.type(field);
            return CountedValue(type, type == FieldValue::Type::Integer ? book.integer(field) : 0,
                                book.text(field));
        });
    }
    return tally.finish(top);
}

}  // namespace quillo
