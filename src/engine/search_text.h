#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace quillo {

// A book's texts as the filter looks for them, folded once when the book is
// written rather than on every row of every filter: segments, each a tag byte
// (what the segment is, and the field it is of) and the folded UTF-8 text.
// Tag bytes are below 0x20 and a segment's text has no byte below 0x20, so the
// segments need no lengths. Fields are numbered 1 to 15; readings (and their
// romaji) are kept for the eight fields that have them (title, writers,
// translator, publisher), each in a slot of its own.
enum class SearchPart : std::uint8_t {
    Text = 0x00,     // the field's text, folded for search
    Reading = 0x10,  // its katakana reading, folded, without blanks
    Romaji = 0x18,   // the romaji of that reading, as romajiMatchKey folds it
};

// Appends a segment; control characters in `text` become blanks.
void appendSearchSegment(QByteArray& search, SearchPart part, int field, QByteArrayView text);

// What one filter looks for: the folded text in the chosen fields' texts, the
// folded kana (if any) in their readings, the romaji key (if any) in their
// romaji; an empty pattern is not looked for. Fields are chosen by bit
// (1 << field).
struct SearchPatterns {
    QByteArrayView text, kana, romaji;
    std::uint32_t fields = 0;
};
bool searchTextFinds(QByteArrayView search, const SearchPatterns& patterns);

}  // namespace quillo
