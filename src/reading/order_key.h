#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "platform/kana_order.h"

namespace quillo {

// Where the numbers of a text stand in its reading: a run of digits (half- or
// full-width), the kanji numerals of a volume (第十二巻), a Roman numeral Ⅰ–Ⅻ,
// and a volume's 上・中・下 or 前編・中編・後編 (1, 2, 3), each found at the end of
// what is left of the text and of the reading, read as the analyzer reads it
// or as written (ワンピース 10 read ワンピース ジュウ or ワンピース 10). A
// number whose reading cannot be found where it should stand is left as kana.
QList<NumberInReading> numbersInReading(const QString& text, const QString& reading);

// The key a book's field sorts by in reading order: its reading's kana in
// 五十音 order, its numbers by their value (第9巻 before 第10巻, 上 before 下).
// Every key starts with the two bytes of kOrderKeyMark, which no key of an
// older version starts with (it would need a reading that starts with two
// DEL and tilde controls): a book an older Quillo keyed in a catalogue of
// today is found by it and keyed again.
inline constexpr char kOrderKeyMark[] = "\xFF\xFE";
inline constexpr char kOrderKeyMarkSql[] = "x'FFFE'";
QByteArray readingOrderKey(const QString& text, const QString& reading);

}  // namespace quillo
