#pragma once

struct sqlite3;

namespace quillo {

// Gives a database connection the program's own text rules:
//  - the collation JIS, which orders texts as their Shift-JIS forms would
//    (reading order for the first-level kanji);
//  - the function FOLD(text), the fuzzy search's folding of width, kana and case
//    (NULL stays NULL);
//  - the function FINDS(search, text, kana, romaji, fields), the filter's test
//    of a book's folded search text (see search_text.h).
void registerTextFunctions(sqlite3* db);

}  // namespace quillo
