#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

struct sqlite3;

namespace quillo {

// One value of each book (its ISBN, its cover) in a table of its own beside
// the books, keyed by the book's ID, so that it is renumbered, backed up,
// restored and taken back with them; and the values set for books whose
// changes are pending, written in the apply's transaction.
class BookSideValues {
public:
    // `table` (ID, `column`) of the SQLite `type` ("TEXT", "BLOB"); `indexed`
    // when books are found by the value.
    BookSideValues(sqlite3* db, QString table, QString column, QString type, bool indexed)
        : m_db(db),
          m_table(std::move(table)),
          m_column(std::move(column)),
          m_type(std::move(type)),
          m_indexed(indexed) {}

    // The pending value where one is set, else the stored one; empty for none.
    QByteArray valueOf(qint64 id) const;
    // The ID of a book with this value other than `except`, or 0.
    qint64 bookWith(const QByteArray& value, qint64 except) const;
    // Set (empty: removed) with the book's pending changes.
    void set(qint64 id, const QByteArray& value) { m_pending.insert(id, value); }
    bool anyStored() const { return exists(); }

    // Inside the apply's transaction, after the books are written: the
    // pending values of books that still exist are stored. The table (and
    // the trigger that drops a deleted book's row) is made with the first
    // value, so that opening a catalogue writes nothing.
    void write();
    void forgetPending() { m_pending.clear(); }

private:
    bool exists() const;
    void prepare();
    sqlite3* m_db;
    QString m_table, m_column, m_type;
    bool m_indexed;
    QHash<qint64, QByteArray> m_pending;
    mutable int m_exists = -1;  // the table is there: unknown, no, yes
};

// Each book's ISBN-13.
class BookIsbns : public BookSideValues {
public:
    explicit BookIsbns(sqlite3* db)
        : BookSideValues(db, QStringLiteral("quillo_isbn"), QStringLiteral("Isbn"),
                         QStringLiteral("TEXT"), true) {}
    QString isbnOf(qint64 id) const { return QString::fromUtf8(valueOf(id)); }
    qint64 bookWith(const QString& isbn13, qint64 except) const {
        return BookSideValues::bookWith(isbn13.toUtf8(), except);
    }
    void set(qint64 id, const QString& isbn13) { BookSideValues::set(id, isbn13.toUtf8()); }
};

// Each book's cover, as an image file's bytes (JPEG or PNG).
class BookCovers : public BookSideValues {
public:
    explicit BookCovers(sqlite3* db)
        : BookSideValues(db, QStringLiteral("quillo_cover"), QStringLiteral("Image"),
                         QStringLiteral("BLOB"), false) {}
};

}  // namespace quillo
