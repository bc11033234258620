#pragma once

#include <QString>

namespace quillo {

// The Hepburn romaji of a katakana reading, in lower case: ナツメ ソウセキ is
// "natsume souseki", シンブン "shinbun", ガッコウ "gakkou". The long vowel mark
// repeats the vowel before it; other characters are kept, in lower case.
QString hepburnRomaji(const QString& katakana);

// Latin text folded for matching romaji: lower case, without blanks, hyphens,
// apostrophes and macrons, a long vowel written once (ou and oo as o, uu as u,
// aa, ii and ee as one), and m before b, p or m as n. "Sōseki", "souseki" and
// "soseki" fold alike, as do "shimbun" and "shinbun".
QString romajiMatchKey(const QString& latin);

}  // namespace quillo
