#include "csv/isbn_adding.h"

#include <QElapsedTimer>
#include <QThread>
#include <array>

#include "lookup/isbn.h"
#include "lookup/ndl_lookup.h"
#include "store/tdm.h"

namespace quillo {

namespace {
constexpr int kSpacingMs = 1000;  // the library asks for moderation: a look-up a second
}

qint64 appendLookedUpBook(TDM& store, const BookFromRecord& book) {
    CachedDataset& q = store.QueryBook();
    QStringList texts(q.fieldCount());
    auto put = [&](const char* column, const QString& text) {
        const int index = q.fieldIndex(QString::fromLatin1(column));
        if (index >= 0)
            texts[index] = text;
    };
    put("Title", book.title);
    put("SubTitle", book.subtitle);
    put("Publisher", book.publisher.name);
    put("Translator", book.translator.name);
    put("PubDate", book.pubDate);
    put("Memo", book.dateNote);
    static constexpr std::array<const char*, 5> writerColumns{"Writer", "Writer2", "Writer3",
                                                              "Writer4", "Writer5"};
    static constexpr std::array<int, 5> writerFields{
        FieldNo::Writer, FieldNo::Writer2, FieldNo::Writer3, FieldNo::Writer4, FieldNo::Writer5};
    for (size_t i = 0; i < book.writers.size() && i < writerColumns.size(); ++i)
        put(writerColumns[i], book.writers[i].name);
    const qint64 id = store.AppendBook(texts);
    // The library's readings, as a correction is: a name's is learned.
    if (BookReadings* readings = store.readings(); readings && readings->ready()) {
        auto given = [&](int field, const QString& name, const QString& reading) {
            if (!name.isEmpty() && !reading.isEmpty())
                readings->setReading(id, field, reading);
        };
        given(FieldNo::Title, book.title, book.titleReading);
        given(FieldNo::Publisher, book.publisher.name, book.publisher.reading);
        given(FieldNo::Translator, book.translator.name, book.translator.reading);
        for (size_t i = 0; i < book.writers.size() && i < writerFields.size(); ++i)
            given(writerFields[i], book.writers[i].name, book.writers[i].reading);
    }
    store.isbns().set(id, book.isbn13);
    return id;
}

int addBooksByIsbn(TDM& store, NdlLookup& lookup, const QStringList& numbers,
                   const std::function<void(const QString&)>& say) {
    QStringList taken;
    int added = 0;
    QElapsedTimer sinceLast;
    for (const QString& number : numbers) {
        const IsbnCheck check = checkIsbn(number);
        if (!check.isbn13) {
            say(number + QStringLiteral(": ") + check.problem);
            continue;
        }
        const QString isbn = *check.isbn13;
        const QString shown = hyphenatedIsbn(isbn);
        if (taken.contains(isbn)) {
            say(shown + QStringLiteral(": 同じ番号がすでに指定されています"));
            continue;
        }
        taken << isbn;
        if (const qint64 other = store.isbns().bookWith(isbn, 0); other > 0) {
            say(shown + QStringLiteral(": この ISBN の本はすでにカタログにあります（ID ") +
                QString::number(other) + QStringLiteral("）"));
            continue;
        }
        if (sinceLast.isValid() && sinceLast.elapsed() < kSpacingMs)
            QThread::msleep(static_cast<unsigned long>(kSpacingMs - sinceLast.elapsed()));
        sinceLast.start();
        const NdlResult result = lookUpAndWait(lookup, isbn);
        if (!result.book) {
            say(shown + QStringLiteral(": ") + result.message);
            continue;
        }
        appendLookedUpBook(store, *result.book);
        ++added;
        say(shown + QStringLiteral(": 追加します「") + result.book->title + QStringLiteral("」"));
    }
    if (added > 0)
        store.ApplyPendingUpdates();
    return added;
}

}  // namespace quillo
