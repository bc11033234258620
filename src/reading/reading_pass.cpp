#include "reading/reading_pass.h"

#include <algorithm>
#include <future>
#include <memory>
#include <system_error>

#include "engine/search_text.h"
#include "platform/search_fold.h"

namespace quillo {

namespace {

constexpr size_t kTexts = kSearchedFields.size();
constexpr size_t kFields = kReadFields.size();

qint64 bitOf(int field) {
    return qint64(1) << field;
}

size_t searchedIndexOf(int field) {
    return static_cast<size_t>(std::find(kSearchedFields.begin(), kSearchedFields.end(), field) -
                               kSearchedFields.begin());
}

// Books read and not yet made: their flags, and the bytes of their texts
// copied into one block (a statement's own are gone at its next step).
class BookBatch {
public:
    void add(const BookToRead& book) {
        Row row{book, {}};
        for (size_t i = 0; i < kTexts; ++i)
            row.spans[i] = keep(book.texts[i]);
        for (size_t i = 0; i < kFields; ++i)
            row.spans[kTexts + i] = keep(book.kept[i]);
        m_rows.push_back(row);
    }

    size_t size() const { return m_rows.size(); }

    BookToRead at(size_t index) const {
        const Row& row = m_rows[index];
        BookToRead book = row.book;
        for (size_t i = 0; i < kTexts; ++i)
            book.texts[i] = view(row.spans[i]);
        for (size_t i = 0; i < kFields; ++i)
            book.kept[i] = view(row.spans[kTexts + i]);
        return book;
    }

private:
    struct Span {
        size_t at = 0;
        qint64 size = -1;  // -1: NULL
    };
    struct Row {
        BookToRead book;  // its views unused: the spans say where its texts are
        std::array<Span, kTexts + kFields> spans;
    };

    Span keep(std::string_view text) {
        if (text.data() == nullptr)
            return {};
        const Span span{m_bytes.size(), static_cast<qint64>(text.size())};
        m_bytes.append(text);
        return span;
    }
    std::string_view view(const Span& span) const {
        if (span.size < 0)
            return {};
        return {m_bytes.data() + span.at, static_cast<size_t>(span.size)};
    }

    std::string m_bytes;
    std::vector<Row> m_rows;
};

std::vector<BookRead> makeBatch(BookReader& reader, const BookBatch& batch) {
    std::vector<BookRead> made(batch.size());
    for (size_t i = 0; i < batch.size(); ++i)
        reader.read(batch.at(i), made[i]);
    return made;
}

}  // namespace

BookReader::BookReader(const ReadingAnalyzer* analyzer, const LearnedNames* learned)
    : m_memo(analyzer, learned) {}

void BookReader::read(const BookToRead& book, BookRead& made) {
    Readings readings;
    qint64 uncertain = book.uncertain;
    for (size_t i = 0; i < kFields; ++i) {
        const int field = kReadFields[i];
        const qint64 bit = bitOf(field);
        if (!book.newRow && (!(book.stale & bit) || (book.fixed & bit))) {
            readings[i] = &m_memo.kept(book.kept[i]);
            continue;
        }
        const MadeReading& read =
            m_memo.of(book.texts[searchedIndexOf(field)], readingKindOf(field));
        readings[i] = &read;
        uncertain = read.uncertain ? (uncertain | bit) : (uncertain & ~bit);
    }
    made.id = book.id;
    made.uncertain = uncertain;
    made.fixed = book.newRow ? 0 : book.fixed;
    for (size_t i = 0; i < kFields; ++i) {
        made.hasReading[i] = !readings[i]->text.isNull();
        made.readings[i] = readings[i]->utf8;
    }
    for (size_t k = 0; k < made.keys.size(); ++k)
        made.keys[k] = readings[k]->orderKey(book.texts[searchedIndexOf(kReadFields[k])]);
    makeSearchText(book, readings, made.search);
}

void BookReader::makeSearchText(const BookToRead& book, const Readings& readings,
                                QByteArray& search) {
    QByteArray& text = m_search;
    text.resize(0);  // keeps its room, where clear() would free it
    for (size_t k = 0; k < kTexts; ++k) {
        if (book.texts[k].data() == nullptr)
            continue;
        foldForSearchUtf8(
            QByteArrayView(book.texts[k].data(), static_cast<qsizetype>(book.texts[k].size())),
            m_folded);
        appendSearchSegment(text, SearchPart::Text, kSearchedFields[k], m_folded);
    }
    for (size_t i = 0; i < kFields; ++i) {
        const MadeReading& reading = *readings[i];
        if (reading.text.isEmpty())
            continue;
        appendSearchSegment(text, SearchPart::Reading, kReadFields[i], reading.searchedKana());
        appendSearchSegment(text, SearchPart::Romaji, kReadFields[i], reading.searchedRomaji());
    }
    search = QByteArray(text.constData(), text.size());
}

int runReadingPass(const std::function<bool(BookToRead&)>& next, BookReader& reader,
                   const std::function<void(const std::vector<BookRead>&)>& write,
                   const std::function<void(int done)>& progress) {
    constexpr size_t kBatch = 256;
    // `next` is not asked again once it said there are no more books: a
    // statement stepped past its end would run again from the start.
    bool ended = false;
    auto readBatch = [&] {
        BookBatch batch;
        BookToRead book;
        while (!ended && batch.size() < kBatch) {
            ended = !next(book);
            if (!ended)
                batch.add(book);
        }
        return batch;
    };
    // Progress is told only while no batch is being made: what it runs (a
    // dialog's events) may not use the reader's analyzer at the same time.
    int done = 0;
    auto tell = [&] {
        if (progress && done > 0)
            progress(done);
    };
    BookBatch batch = readBatch();
    // An apply's few books are made here; many books are read and written
    // here while the next batch is made on a second thread. The reader
    // makes one batch at a time.
    if (batch.size() < kBatch) {
        write(makeBatch(reader, batch));
        done = static_cast<int>(batch.size());
        tell();
        return done;
    }
    // Where no thread can be started (a tool under a tight process limit),
    // the batch is made here when it is asked for. The work is handed over as
    // a copy: a failed start may leave what it was given moved from.
    auto make = [&reader](BookBatch books) {
        const auto batch = std::make_shared<const BookBatch>(std::move(books));
        const auto work = [&reader, batch] { return makeBatch(reader, *batch); };
        try {
            return std::async(std::launch::async, work);
        } catch (const std::system_error&) {
            return std::async(std::launch::deferred, work);
        }
    };
    std::future<std::vector<BookRead>> making = make(std::move(batch));
    for (;;) {
        BookBatch following = readBatch();
        const std::vector<BookRead> made = making.get();
        tell();
        const bool more = following.size() > 0;
        if (more)
            making = make(std::move(following));
        write(made);
        done += static_cast<int>(made.size());
        if (!more) {
            tell();
            return done;
        }
    }
}

}  // namespace quillo
