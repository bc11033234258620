#pragma once

#include <QString>

struct sqlite3;

namespace quillo {

class EngineError;

// The error for a failed SQLite call on `db`: SQLite's own words, except where
// they would mislead a user (a full disk, a catalogue moved away while open,
// an interrupted write that needs one writable open), which are said in full,
// naming the file and what became of the change. `rc` is the call's result.
EngineError sqliteFailure(sqlite3* db, int rc);

// The same for a file's path and an extended result code, where no handle is
// left to ask (a failed open).
EngineError sqliteFailure(const QString& path, int extendedCode, const QString& sqliteText);

}  // namespace quillo
