#pragma once

#include <QHash>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "reading/reading_analyzer.h"

struct sqlite3;

namespace quillo {

// The fields that have a reading, in the order the readings table keeps them:
// the title, the writer and the publisher (the list sorts by these), then the
// translator and the second to fifth writers (found by their readings).
inline constexpr std::array<int, 8> kReadFields = {1, 2, 3, 8, 10, 11, 12, 13};
// How a field is read: the title as text, the publisher as a company's name,
// the rest as people's names.
ReadingKind readingKindOf(int field);

// The readings of the books' titles and names, kept in tables of their own
// beside the book table (never in it, so other programs see the catalogue as
// before):
//  - quillo_reading: each book's eight readings, the 五十音 sort keys of the
//    first three, which readings are uncertain (worth a look), which the user
//    gave, and which are stale (their text changed since);
//  - quillo_search: each book's texts and readings folded for the filter;
//  - quillo_learned_reading and quillo_learned_part: the readings the user
//    corrected, by name (folded: width and blanks aside) and by family and
//    given name on their own, used for every book with that name.
// Triggers on the book table mark a book's readings stale when its texts
// change, drop its rows when it is deleted and move them when its ID changes,
// whichever program writes, in the same transaction.
class ReadingTable {
public:
    explicit ReadingTable(sqlite3* db) : m_db(db) {}

    // True when the catalogue has the tables of this version and their triggers.
    bool exists() const;
    // Makes whatever is missing, and brings the tables of an older version up
    // to this one (its readings are made again, but for the title readings the
    // user typed, which `analyzer` tells from computed ones). Rows kept while
    // the triggers were missing (another program remade the book table)
    // cannot be trusted and go.
    void create(const ReadingAnalyzer& analyzer);
    // True when every book has its readings and search text.
    bool inStep() const;
    // How many books lack them, or have a stale one.
    int booksOutOfStep() const;

    // Makes the rows books lack (all books, or the ones with these IDs), in
    // the caller's transaction, learned readings first. Returns how many books
    // were read; progress(done, total) is told as they are.
    int sync(const ReadingAnalyzer& analyzer,
             const std::function<void(int done, int total)>& progress = {});
    int sync(const ReadingAnalyzer& analyzer, const std::vector<qint64>& ids);
    // More books than this are found quicker by one pass over the table.
    static constexpr size_t kReadOneByOne = 200;

    // A book's reading of a field that has one; empty when it has none.
    QString reading(qint64 id, int field) const;
    // Sets a book's reading of a field as the user gave it: it stays until the
    // field's text changes.
    void setReading(qint64 id, int field, const QString& reading);
    // Whether a book's reading of a field is uncertain.
    bool uncertain(qint64 id, int field) const;
    // How many books have an uncertain reading.
    int uncertainBooks() const;

    // Readings the user corrected, by name (a writer's, a translator's or a
    // publisher's): kept for the names (and a person's family and given name
    // on their own) and set on every book with one of them now.
    void learn(const ReadingAnalyzer& analyzer, const QHash<QString, QString>& readings);
    void learn(const ReadingAnalyzer& analyzer, const QString& name, const QString& reading) {
        learn(analyzer, {{name, reading}});
    }
    // Whether every book's sort keys are made as this version makes them
    // (numbers by their value); rekey() makes them so, in the caller's
    // transaction.
    bool keysInStep() const;
    void rekey();
    // For a catalogue this connection may only read: the keys made anew in a
    // copy of the table in the connection's temporary schema, which every
    // later statement of the connection reads in place of the file's own. The
    // file is not written.
    void rekeyAside();

    // The corrected reading of a name; empty when none was learned.
    QString learned(const QString& name) const;
    // Everything learned, as the analyzer takes it.
    LearnedNames learnedNames() const;

private:
    int readMissing(const ReadingAnalyzer& analyzer, const LearnedNames& learned, const qint64* id,
                    const std::function<void(int done)>& progress);
    int foldMissing(const qint64* id, const std::function<void(int done)>& progress = {});
    int countMissing(const char* table) const;
    void createTriggers();
    bool keysVersionKept() const;
    void markKeysInStep();
    void makeKeys(bool everyBook);
    void upgradeFromFirstVersion(const ReadingAnalyzer& analyzer);

    sqlite3* m_db;
};

}  // namespace quillo
