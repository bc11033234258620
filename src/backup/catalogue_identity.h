#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;

namespace quillo {

class Connection;

// Which catalogue a backup series belongs to. Two catalogues may share a file
// name (book.db in two folders, or a copy of one): their backups must never
// be taken for each other's, rotated away by the other, or restored into it.
//
// The key is kept in the catalogue itself (a table of one row), stored when it
// is first backed up: the key of the place it had then, with that place and
// the file's inode, so a copy elsewhere is told apart (neither matches) while a
// catalogue moved or renamed on its disk keeps its series (the inode does).
// A catalogue that cannot be written is known by the key of its place.

// The key of the catalogue's backups, read without writing anything.
QString catalogueKey(const QString& databasePath);
// The same, storing it first where the catalogue has none of its own yet.
QString stampCatalogueKey(Connection& catalogue);
// Writes a key read earlier back into the catalogue: a restore brings back the
// file as it was backed up, and it stays the catalogue it replaced.
void restoreCatalogueKey(Connection& catalogue, const QString& key);

// The key of a place, for a catalogue that has none of its own.
QString placeKey(const QString& databasePath);

// A digest of every book (all columns, in ID order): the same digest means the
// same books.
QByteArray booksDigest(sqlite3* db);

}  // namespace quillo
