#pragma once

#include <QHash>
#include <QString>
#include <vector>

struct sqlite3;

namespace quillo {

// Each book's ISBN-13, in a table beside the books keyed by the book's ID
// (renumbered, backed up, restored and taken back with them), and the ISBNs
// set for books whose changes are pending, written in the apply's transaction.
class BookIsbns {
public:
    explicit BookIsbns(sqlite3* db) : m_db(db) {}

    // Makes the table (and the trigger that drops a deleted book's row) where
    // it is missing: with the first ISBN written, so that opening a catalogue
    // writes nothing.
    void prepare();

    // The pending ISBN where one is set, else the stored one; empty for none.
    QString isbnOf(qint64 id) const;
    // The ID of a stored book with this ISBN other than `except`, or 0.
    qint64 bookWith(const QString& isbn13, qint64 except) const;
    // Set (empty: removed) with the book's pending changes.
    void set(qint64 id, const QString& isbn13) { m_pending.insert(id, isbn13); }
    bool anyPending() const { return !m_pending.isEmpty(); }
    bool anyStored() const { return exists(); }

    // Inside the apply's transaction, after the books are written: the
    // pending ISBNs of books that still exist are stored.
    void write();
    void forgetPending() { m_pending.clear(); }

private:
    bool exists() const;
    sqlite3* m_db;
    QHash<qint64, QString> m_pending;
    mutable int m_exists = -1;  // the table is there: unknown, no, yes
};

}  // namespace quillo
