#pragma once

struct sqlite3;

namespace quillo {

// Renumbers the books 1..N in the order of their IDs, with the rows of every
// table kept beside the book table under the book's ID (a `quillo_…` table
// whose `ID` is its INTEGER PRIMARY KEY), inside the caller's transaction.
// Only the rows after the first gap move, by one UPDATE per table, with the
// book table's triggers set aside meanwhile and put back as they were; a
// side row of no book goes. Throws EngineError, leaving the rollback to the
// caller's transaction.
void renumberBookIds(sqlite3* db);

}  // namespace quillo
