#include "lookup/pending_book.h"

#include <array>

#include "store/tdm.h"

namespace quillo {

QString wholeReading(const QString& text, const QString& reading, qsizetype readLength, int field,
                     const BookReadings& readings) {
    if (reading.isEmpty() || readLength < 0 || readLength >= text.size())
        return reading;
    // The rest is words (目録委員会, a volume), not a name of its own: read as
    // a title is. A title's reading has no blanks; a name's parts are read apart.
    const QString rest = readings.readingOf(text.mid(readLength).trimmed(), FieldNo::Title);
    return field == FieldNo::Title ? reading + rest : reading + u' ' + rest;
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
    put("Memo", book.memo);
    static constexpr std::array<const char*, 5> writerColumns{"Writer", "Writer2", "Writer3",
                                                              "Writer4", "Writer5"};
    static constexpr std::array<int, 5> writerFields{
        FieldNo::Writer, FieldNo::Writer2, FieldNo::Writer3, FieldNo::Writer4, FieldNo::Writer5};
    for (size_t i = 0; i < book.writers.size() && i < writerColumns.size(); ++i)
        put(writerColumns[i], book.writers[i].name);
    const qint64 id = store.AppendBook(texts);
    // The library's readings, as a correction is: a name's is learned.
    if (BookReadings* readings = store.readings(); readings && readings->ready()) {
        auto given = [&](int field, const QString& name, const QString& reading,
                         qsizetype readLength) {
            if (!name.isEmpty() && !reading.isEmpty())
                readings->setReading(id, field,
                                     wholeReading(name, reading, readLength, field, *readings));
        };
        given(FieldNo::Title, book.title, book.titleReading, book.titleReadLength);
        auto givenName = [&](int field, const NdlName& name) {
            given(field, name.name, name.reading, name.readLength);
        };
        givenName(FieldNo::Publisher, book.publisher);
        givenName(FieldNo::Translator, book.translator);
        for (size_t i = 0; i < book.writers.size() && i < writerFields.size(); ++i)
            givenName(writerFields[i], book.writers[i]);
    }
    store.isbns().set(id, book.isbn13);
    if (!book.cover.isEmpty())
        store.covers().set(id, book.cover);
    return id;
}

}  // namespace quillo
