#pragma once

#include <QString>

// The walk's own reading of the texts it types, written out plainly from
// tables here rather than taken from the program: a fault in the program's
// folding, kana order, romaji or JIS order then shows as a difference from
// the model instead of being copied into what the model expects. Slow and
// meant only for the walk's short texts.
namespace walk_text {

// Width, script and case folded: full-width ASCII as ASCII, letters in lower
// case, half-width katakana full-width, hiragana as katakana, 〜 as ～.
QString fold(const QString& text);
// A folded text of katakana, the long vowel mark and blanks only.
bool isKana(const QString& folded);
// Hepburn romaji of a katakana reading, lower case, a long vowel written
// twice; other characters kept in lower case.
QString romaji(const QString& katakana);
// Latin text as romaji are matched: without blanks, hyphens and apostrophes,
// a long vowel once, m before b, p or m as n.
QString romajiKey(const QString& latin);
// Readings in 五十音 order: by plain kana first (small, voiced and the long
// mark as their plain kana), a blank before any kana, other text after, Latin
// letters and digits last without case; then plain before voiced before
// semi-voiced, small before large. Negative, zero or positive.
int compareReadings(const QString& a, const QString& b);
// The same for the readings of two texts: a text's last digit, where its
// reading reads it, sorts by its value (夜2 before 夜10).
int compareReadings(const QString& textA, const QString& a, const QString& textB, const QString& b);
// Texts as their CP932 bytes sort, encoded by the C library's own converter.
int compareJis(const QString& a, const QString& b);

}  // namespace walk_text
