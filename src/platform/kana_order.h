#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace quillo {

// The key that sorts katakana readings in 五十音 order, as dictionaries and
// library catalogues do: first by the plain kana (a small kana as its large
// one, ガ and パ as カ and ハ, the long vowel mark as the vowel it lengthens),
// then plain before voiced before semi-voiced, a small kana before its large
// one. A blank (between family and given name) comes before any kana, so
// ナツメ ソウセキ sorts before ナツメヤ; Latin letters and digits, kept as they
// are, come after all kana, and letters compare without case. Keys compare
// bytewise (memcmp), so they can be stored and compared by SQLite as blobs.
//
// A number the reading reads out (イチ for 1, ジョウ for a volume's 上) and
// `numbers` points at sorts by its value, before any kana: ワンピース ニ
// (2) before ワンピース ジュウ (10).
struct NumberInReading {
    qsizetype from = 0;    // where its reading starts in the reading
    qsizetype length = 0;  // how long its reading is
    quint64 value = 0;
};
QByteArray kanaOrderKey(const QString& katakana, const QList<NumberInReading>& numbers = {});

// The row of the kana table (あ か さ た な は ま や ら わ: 0..9) a reading
// starts in, or -1 when it starts with no kana.
int kanaRow(const QString& katakana);
// The row's name as an index shows it: "あ行" … "わ行".
QString kanaRowName(int row);

// A reading as an index matches what is typed against its start: voiced,
// semi-voiced and small kana as their plain ones (ガ and ッ as カ and ツ), the
// long vowel mark as the vowel it lengthens, without blanks.
QString plainKana(const QString& katakana);

}  // namespace quillo
