#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "reading/name_data.h"

struct sqlite3;
struct sqlite3_stmt;

namespace quillo {

// The name data, made once into a compact index (an SQLite file in the user's
// cache folder) and looked up there: the 26 MB of EUC-JP text are read again
// only when a source file changes (its size or time), never at every start.
class NameIndex {
public:
    ~NameIndex();
    NameIndex(const NameIndex&) = delete;
    NameIndex& operator=(const NameIndex&) = delete;

    // The index file for these files: $XDG_CACHE_HOME/Quillo/names.db.
    static QString defaultPath();
    // Makes the index at `path` from `files` unless one made from them as they
    // are now is there; true when an index is there afterwards. Files that
    // are missing are left out (the index knows less); with none at all there
    // is no index. Safe while another process does the same (each writes its
    // own file and renames it into place).
    static bool ensure(const QString& path, const NameDataFiles& files = {});
    // Opens an index made by ensure(); nothing when there is none. One index
    // is used by one thread at a time.
    static std::unique_ptr<NameIndex> open(const QString& path);

    // The entries the data hold for a text as a name of these kinds (any of
    // them): the SKK dictionaries' first, most usual first, then JMnedict's. A
    // reading both give comes once from each.
    std::vector<NameEntry> lookUp(const QString& text, unsigned kinds) const;
    // The readings of a kanji, most usual first.
    std::vector<KanjiReading> kanji(const QString& kanji) const;
    // True when the text is a family name the data know.
    bool isFamilyName(const QString& text) const;

private:
    explicit NameIndex(sqlite3* db);
    sqlite3* m_db;
    sqlite3_stmt* m_names = nullptr;
    sqlite3_stmt* m_kanji = nullptr;
};

// The index the program uses, made on a worker thread when it is first asked
// for (the program asks at start, so it is ready before a book is read); its
// path once made, or empty when there are no name data.
void prepareNameIndexInBackground();
QString sharedNameIndexPath();

}  // namespace quillo
