#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace quillo {

// Shift-JIS as Windows writes it (code page 932), the encoding of the settings and
// CSV files. Conversions report failure instead of passing on replacement
// characters, so nothing is silently changed on the way in or out.
class Cp932 {
public:
    // The bytes of a text, or nothing when some character has no CP932 form.
    static std::optional<QByteArray> encode(const QString& text);
    // The text of some bytes, or nothing when they are not valid CP932. The
    // seven codes Windows reads as its own forms (0x8160 as ～) read as the
    // JIS characters (〜 ‖ − ¢ £ ¬ —), which encode() writes to them.
    static std::optional<QString> decode(QByteArrayView bytes);

    static bool canEncode(const QString& text) { return encode(text).has_value(); }
    // The first character of a text that CP932 cannot hold, or -1.
    static qsizetype firstUnencodable(const QString& text);
    // A character for the user: "「𠮷」(U+20BB7)".
    static QString nameCharacter(const QString& character);
    // The first character CP932 cannot hold, named so; empty when there is none.
    static QString nameFirstUnencodable(const QString& text);

    // Bytes the text takes in CP932: one for ASCII and half-width katakana, two
    // for anything else (a character CP932 cannot hold counted as a kanji is).
    static qsizetype byteLength(const QString& text);
    // The text cut to at most that many bytes, never inside a character.
    static QString cutToBytes(const QString& text, qsizetype maxBytes);

    // The JIS forms of a few characters that the encoder refuses, replaced by the
    // forms CP932 writes for them (wave dash to full-width tilde and so on).
    static QString toWindowsForms(const QString& text);
};

}  // namespace quillo
