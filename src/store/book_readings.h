#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace quillo {

// How the books' titles and names (writers, translator, publisher) are read,
// kept beside the book table. The store tells it what it writes, in the same transaction, so the
// readings never fall out of step with the books.
class BookReadings {
public:
    virtual ~BookReadings() = default;

    // True when every book has its readings: the list can be sorted by them
    // and the filter can look in them.
    virtual bool ready() const = 0;
    // Why readings are only what kana texts give (no dictionary); empty when
    // they are not limited.
    virtual QString limitation() const = 0;

    // Inside the transaction that wrote these books (by their IDs now), after
    // the writes. True when other books' readings changed too (a name's
    // reading was learned).
    virtual bool booksWritten(const std::vector<qint64>& ids) = 0;
    // The same for the books numbered `first` to `last` (an import's new
    // books), without a list of a million IDs.
    virtual bool booksAdded(qint64 first, qint64 last) = 0;
    // The pending changes were applied or dropped: the readings set for them
    // are done with.
    virtual void forgetPending() = 0;

    // A book's reading of a field that has one: the one set for it and not
    // yet applied, else the stored one while the book's stored text is still
    // `text`, else how `text` reads.
    virtual QString reading(qint64 id, int field, const QString& text) const = 0;
    // How a text of that field reads: a learned name's corrected reading, or
    // the computed one.
    virtual QString readingOf(const QString& text, int field) const = 0;
    // The user's reading for a book's field, kept with its pending changes and
    // stored when they are applied: a writer's or publisher's reading is learned
    // for the name.
    virtual void setReading(qint64 id, int field, const QString& reading) = 0;
    // A reading a file gives for a book's field: the book's own (kept until
    // the field's text changes), never learned for the name, so an import
    // changes no other book's reading and no reading the user corrected.
    virtual void setOwnReading(qint64 id, int field, const QString& reading) = 0;

    // Readings worth offering for a text of that field, the one readingOf()
    // gives first.
    virtual QStringList candidates(const QString& text, int field) const = 0;
    // Whether a stored book's reading of a field is uncertain (made by reading
    // a kanji on its own, or chosen among a name's readings without a word on
    // it), and how many books have such a reading.
    virtual bool uncertain(qint64 id, int field) const = 0;
    virtual int uncertainBooks() const = 0;
};

}  // namespace quillo
