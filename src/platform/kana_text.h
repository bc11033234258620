#pragma once

#include <QString>

namespace quillo {

// A text's kana as a reading: hiragana become katakana and half-width katakana
// full-width (ｶﾞ becomes ガ); every other character is kept as it is.
QString katakanaReading(const QString& text);

// True when the text is kana only (either script, either width, with the long
// vowel mark, the middle dot and blanks): such a text is its own reading.
bool isKanaText(const QString& text);

// A katakana reading with its iteration marks written out: ヽ repeats the kana
// before it (コヽロ ココロ), ヾ repeats it voiced (ミスヾ ミスズ).
QString expandIterationMarks(const QString& katakana);

}  // namespace quillo
