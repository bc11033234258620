#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

struct sqlite3;

namespace quillo {

class ReadingAnalyzer;

// The readings of the books' titles, writers and publishers, kept in tables of
// their own beside the book table (never in it, so other programs see the
// catalogue as before):
//  - quillo_reading: each book's three readings and their 五十音 sort keys;
//  - quillo_search: each book's texts and readings folded for the filter;
//  - quillo_learned_reading: the readings the user corrected for a writer's or
//    publisher's name, used for every book with that name.
// Triggers on the book table drop a book's rows when its texts change or it
// is deleted, and move them when its ID changes, whichever program writes, in
// the same transaction; so every row there is a book's, and a catalogue whose
// tables hold as many rows as books is in step.
class ReadingTable {
public:
    explicit ReadingTable(sqlite3* db) : m_db(db) {}

    // True when the catalogue has the tables and their triggers.
    bool exists() const;
    // Makes whatever is missing. Rows kept while the triggers were missing
    // (another program remade the book table) cannot be trusted and go.
    void create();
    // True when every book has its readings and search text.
    bool inStep() const;
    // How many books lack them, or have a stale one (another program changed
    // a text).
    int booksOutOfStep() const;

    // Makes the rows books lack (all books, or the ones with these IDs), in
    // the caller's transaction: a writer or publisher whose reading was
    // corrected takes that reading. Returns how many books were read;
    // progress(done, total) is told as they are.
    int sync(const ReadingAnalyzer& analyzer,
             const std::function<void(int done, int total)>& progress = {});
    int sync(const ReadingAnalyzer& analyzer, const std::vector<qint64>& ids);

    // A book's reading of Title, Writer or Publisher (by field number); empty
    // when it has none.
    QString reading(qint64 id, int field) const;
    // Sets a book's title reading as the user typed it.
    void setTitleReading(qint64 id, const QString& reading);

    // Readings the user corrected, by name (a writer's or a publisher's): kept
    // for the names and set on every book with one of them now.
    void learn(const ReadingAnalyzer& analyzer, const QHash<QString, QString>& readings);
    void learn(const ReadingAnalyzer& analyzer, const QString& name, const QString& reading) {
        learn(analyzer, {{name, reading}});
    }
    // The corrected reading of a name; empty when none was learned.
    QString learned(const QString& name) const;

private:
    int readMissing(const ReadingAnalyzer& analyzer, const QHash<QString, QString>& corrected,
                    const qint64* id, const std::function<void(int done)>& progress);
    QHash<QString, QString> correctedNames() const;
    int foldMissing(const qint64* id, const std::function<void(int done)>& progress = {});
    int countMissing(const char* table) const;

    sqlite3* m_db;
};

}  // namespace quillo
