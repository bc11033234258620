#pragma once

#include <QString>

namespace quillo {

class Connection;
struct TableSchema;

// A complete, consistent copy of the catalogue's database file, taken with
// SQLite's online backup: every column, IDs as they are. A damaged catalogue is
// refused (a copy of it would only look like a way back), the copy is checked
// before it counts, and it is written beside the target under another name and
// renamed over it only when whole, so a failed backup leaves an older one
// untouched. The catalogue itself, however named, and a write-protected file
// are never the target. Throws EngineError.
// With `checkSourceFirst` false the catalogue is checked through its copy (the
// pages are the same), which halves the reading: for backups taken often. A
// copy found damaged is then put down to the catalogue when it is damaged too.
void BackupDatabase(Connection& source, const QString& file, bool checkSourceFirst = true);

// Refuses a file that may not replace a catalogue: missing, damaged (a full
// integrity check, and its length against its header), not a whole Quillo
// catalogue, or the catalogue `catalogue` itself. Throws EngineError naming it.
void CheckBackupFile(const QString& file, const TableSchema& required,
                     const QString& catalogue = QString());

// Replaces the whole catalogue by such a copy, in one step: the file is checked
// first, and any failure leaves the catalogue as it was. Throws EngineError.
void RestoreDatabase(Connection& target, const QString& file, const TableSchema& required);

}  // namespace quillo
