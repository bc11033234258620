#pragma once

#include <QString>

namespace quillo {

class Connection;

// A complete, consistent copy of the catalogue's database file, taken with
// SQLite's online backup: every column, IDs as they are. The copy is written
// beside the target under another name and renamed over it only when whole, so
// a failed backup leaves an older one untouched. Throws EngineError.
void BackupDatabase(Connection& source, const QString& file);

// Replaces the whole catalogue by such a copy, in one step: the file is checked
// first (a SQLite file with the book table and its fourteen columns), and a
// failure leaves the catalogue as it was. Throws EngineError.
void RestoreDatabase(Connection& target, const QString& file);

}  // namespace quillo
