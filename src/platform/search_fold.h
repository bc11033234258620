#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace quillo {

// Folds a text for the fuzzy search and the filter, so that what a user types
// finds what the catalogue holds however it was written:
//  - full-width ASCII letters and digits become ASCII (Ａ → A, １ → 1), and ASCII
//    letters lower case;
//  - half-width katakana become full-width (ｶﾞ → ガ), and hiragana katakana
//    (ひらがな → ヒラガナ);
//  - accented Latin letters their plain ones (é → e, Å → a, ß → ss), so a
//    name on a foreign shelf is found as it is typed on any keyboard;
//  - the wave dash and the other JIS forms that CP932 writes another way become
//    the form it writes (〜 → ～).
// Nothing else changes: punctuation keeps its width, so a full-width ％ is never
// taken for a LIKE wildcard.
QString foldForSearch(const QString& text);
// The same on UTF-8, as the database applies it to a column: into `out`, which is
// reused from call to call.
void foldForSearchUtf8(QByteArrayView utf8, QByteArray& out);
inline QByteArray foldForSearchUtf8(QByteArrayView utf8) {
    QByteArray out;
    foldForSearchUtf8(utf8, out);
    return out;
}

}  // namespace quillo
