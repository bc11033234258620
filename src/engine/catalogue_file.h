#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace quillo {

class EngineError;

// The checks that make sure a file is whole and holds the table a program needs
// before anything reads it or writes to it. Which table that is, the layer that
// owns it says (the book table's schema is the store's).

// A table a file must hold: its name, its columns, the one that must be its
// INTEGER PRIMARY KEY (IDs that are unique whole numbers), and the statement
// that makes it in a new file.
struct TableSchema {
    QString table;
    QStringList columns;
    QString key;
    QString create;
};

// Why a file does not hold that table: anything but a table of that name with
// those columns whose key is an INTEGER PRIMARY KEY (another program's
// database, an empty file, a view, or text IDs that renumbering would destroy),
// or a file whose schema cannot even be read.
struct SchemaProblem {
    enum class Kind { None, Damaged, NotCatalogue, Unreadable };
    Kind kind = Kind::None;
    QString reason;  // SQLite's finding, or what the table lacks
    int code = 0;    // SQLite's result code for a damaged file
};
SchemaProblem FindSchemaProblem(sqlite3* db, const TableSchema& schema);

// Refuses such a file with an EngineError that names it.
void CheckCatalogueSchema(sqlite3* db, const QString& path, const TableSchema& schema);

// How much a damage check reads: `Quick` checks every page's structure (what
// opening for writing needs), `Full` also checks that every index agrees with
// its table (what a file must pass before it replaces a catalogue).
enum class DamageCheck { Quick, Full };

// Empty when SQLite finds the file whole; otherwise its first finding. With
// `exactSize` the file must also be as long as its header says, as a backup
// written in one piece is.
QString FindDamage(sqlite3* db, DamageCheck check, bool exactSize = false);

// The quick check of a catalogue that may be in use: it waits up to
// `busyTimeoutMs` for a write in progress (another program's, or the window's
// own apply) and, when the file stays busy, reports nothing: a catalogue it
// cannot get at is unchecked, not damaged.
QString FindDamageWhenFree(const QString& path, int busyTimeoutMs);

// Creates a new file holding the table (empty) at a path where no file is yet;
// never touches an existing file. Throws EngineError naming the path.
void CreateDatabase(const QString& path, const TableSchema& schema);

// True for SQLite's "the file is damaged" and "the file is no database".
bool isDamageError(const EngineError& error);

// The message for a damaged catalogue: which file, what SQLite found, and what
// the user can do about it. No closing full stop: the error display adds one.
QString damagedCatalogueText(const QString& path, const QString& finding);

}  // namespace quillo
