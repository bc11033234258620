#pragma once

#include <QByteArray>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "reading/reading_memo.h"
#include "reading/reading_table.h"
#include "store/book_record.h"

namespace quillo {

// The texts the filter looks in, in their field order.
inline constexpr std::array<int, 11> kSearchedFields = {
    FieldNo::Title,   FieldNo::Writer,     FieldNo::Publisher, FieldNo::SubTitle,
    FieldNo::Kind,    FieldNo::Translator, FieldNo::Memo,      FieldNo::Writer2,
    FieldNo::Writer3, FieldNo::Writer4,    FieldNo::Writer5};

// One book as a pass over the books reads it. A view with no data is a NULL
// column; the views are valid until the next book is read.
struct BookToRead {
    qint64 id = 0;
    bool newRow = false;  // no readings were stored for it
    qint64 stale = 0, fixed = 0, uncertain = 0;
    std::array<std::string_view, kSearchedFields.size()> texts;
    std::array<std::string_view, kReadFields.size()> kept;  // its stored readings
};

// What the pass writes for a book: its readings (null where it has none), the
// order keys of the first three, and its search text.
struct BookRead {
    qint64 id = 0;
    qint64 uncertain = 0, fixed = 0;
    std::array<QByteArray, kReadFields.size()> readings;
    std::array<bool, kReadFields.size()> hasReading{};
    std::array<QByteArray, 3> keys;
    QByteArray search;
};

// Makes books' readings and search texts: the stale or missing readings read
// (each distinct text once per pass), the others kept.
class BookReader {
public:
    // Without an analyzer only kept readings are used (a search text made
    // again).
    explicit BookReader(const ReadingAnalyzer* analyzer = nullptr,
                        const LearnedNames* learned = nullptr);
    void read(const BookToRead& book, BookRead& made);

private:
    using Readings = std::array<const MadeReading*, kReadFields.size()>;
    void makeSearchText(const BookToRead& book, const Readings& readings, QByteArray& search);

    ReadingMemo m_memo;
    QByteArray m_folded, m_search;
};

// Runs a pass: `next` reads the books one after another (false at the end)
// and `write` stores the made books a batch at a time, both on the caller's
// thread, while the next batch is made on a second thread. Returns how many
// books were made; progress(done) is told after each batch.
int runReadingPass(const std::function<bool(BookToRead&)>& next, BookReader& reader,
                   const std::function<void(const std::vector<BookRead>&)>& write,
                   const std::function<void(int done)>& progress = {});

}  // namespace quillo
