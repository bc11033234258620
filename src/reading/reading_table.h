#pragma once

#include <QString>
#include <functional>

struct sqlite3;

namespace quillo {

class ReadingAnalyzer;

// The readings of the books' titles, writers and publishers, kept in a table of
// their own beside the book table (never in it, so other programs see the
// catalogue as before), with the texts they were read from: a book added or
// changed by any program is found by its text no longer matching. A second
// table keeps the readings the user corrected for a writer's or publisher's
// name, used for every book with that name.
class ReadingTable {
public:
    explicit ReadingTable(sqlite3* db) : m_db(db) {}

    // True when the catalogue has the reading tables (one this version wrote to).
    bool exists() const;
    // Makes them where they are missing; the caller writes to the catalogue.
    void create();

    // Brings the readings in step with the books: those of books that are gone
    // are removed, those of new or changed books computed (a writer or publisher
    // whose reading was corrected takes that reading). Returns how many books
    // were read; progress(done, total) is told as they are.
    int sync(const ReadingAnalyzer& analyzer,
             const std::function<void(int done, int total)>& progress = {});

    // A book's reading of Title, Writer or Publisher (by field number); empty
    // when it has none.
    QString reading(qint64 id, int field) const;

    // A reading the user corrected: kept for the name (a writer's or a
    // publisher's) and set on every book with that name now.
    void learn(const QString& name, const QString& reading);
    // The corrected reading of a name; empty when none was learned.
    QString learned(const QString& name) const;

private:
    sqlite3* m_db;
};

}  // namespace quillo
