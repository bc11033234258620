#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace quillo {

class CachedDataset;
class Connection;

// One bar of a chart: what it counts (a year, a decade, a name) and how many
// books.
struct CountedBooks {
    QString label;
    qint64 books = 0;
    qint64 year = 0;  // the first year of a year's or a decade's bar
    bool operator==(const CountedBooks&) const = default;
};

// The collection in figures: the totals and the series the statistics window
// draws, all over the same books.
struct CollectionCounts {
    qint64 books = 0;
    qint64 writers = 0;     // different names among the five writer fields
    qint64 publishers = 0;  // different publishers
    qint64 kinds = 0;       // different kinds (分類)
    qint64 withoutBuyDate = 0;
    qint64 withoutPubDate = 0;
    qint64 withoutDates = 0;  // neither date
    // Books bought per year and first editions per decade, oldest first, the
    // years or decades between with no book included as 0.
    std::vector<CountedBooks> boughtPerYear;
    std::vector<CountedBooks> firstEditionsPerDecade;
    // The most frequent names, most books first (ties in JIS order); a book
    // with two writers counts for each.
    std::vector<CountedBooks> topWriters;
    std::vector<CountedBooks> topPublishers;
    std::vector<CountedBooks> topKinds;
    bool operator==(const CollectionCounts&) const = default;
};

// The gaps of a year or decade series are filled only up to this many bars; a
// mistyped year (0019) would otherwise draw two thousand empty ones.
constexpr int kMaxFilledBars = 150;

// Counts the books `selection` selects (the lines of a SELECT over the book
// table, such as the live query's without its order) on `db`, which must know
// the functions and collations that select uses. Each book is read once.
// Throws EngineError when the select fails.
CollectionCounts CountCollection(Connection& db, const QStringList& selection, int top = 20);
// Counts the rows a dataset of books holds, as they are in memory: the same
// figures as CountCollection over its select while it has no pending change.
CollectionCounts CountShownBooks(const CachedDataset& shown, int top = 20);

// The step between the labels of a count axis that reaches `largest`: 1, 2 or
// 5 times a power of ten, whole books, at most about five steps to the top.
qint64 countAxisStep(qint64 largest);
// The top of that axis: `largest` rounded up to a whole step (one step for 0).
qint64 countAxisTop(qint64 largest);

// The bars of a time axis that carry their year, by index, so that no more
// than about `most` labels share the axis: the round years (every 1, 2, 5, 10,
// 20, 50, ... years, a whole number of the bars' `width`) of a series without
// gaps, every so many bars of one with gaps.
std::vector<size_t> labelledPeriods(const std::vector<CountedBooks>& bars, int width,
                                    int most = 12);

// The select of every stored book.
QStringList AllBooksSelection();

}  // namespace quillo
