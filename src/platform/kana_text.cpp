#include "platform/kana_text.h"

namespace quillo {

namespace {

// Half-width katakana U+FF66..U+FF9D in order, as full-width.
constexpr char16_t kHalfWidth[] =
    u"ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
    u"ハヒフヘホマミムメモヤユヨラリルレロワン";
constexpr char16_t kVoicedMark = 0xFF9E;
constexpr char16_t kSemiVoicedMark = 0xFF9F;

bool isHiragana(char16_t c) {
    return (c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E;
}
bool isKatakana(char16_t c) {
    return (c >= 0x30A1 && c <= 0x30FA) || (c >= 0x30FC && c <= 0x30FE);
}
bool isHalfWidthKana(char16_t c) {
    return c >= 0xFF66 && c <= 0xFF9F;
}

// The voiced (or semi-voiced) form of a full-width katakana, or 0.
char16_t voiced(char16_t c, bool semi) {
    if (semi)
        return (c >= 0x30CF && c <= 0x30DB && (c - 0x30CF) % 3 == 0) ? char16_t(c + 2) : 0;
    if (c == 0x30A6)
        return 0x30F4;  // ウ → ヴ
    if ((c >= 0x30AB && c <= 0x30C1 && (c - 0x30AB) % 2 == 0) ||
        (c >= 0x30C4 && c <= 0x30C8 && (c - 0x30C4) % 2 == 0) ||
        (c >= 0x30CF && c <= 0x30DB && (c - 0x30CF) % 3 == 0))
        return char16_t(c + 1);
    return 0;
}

}  // namespace

QString katakanaReading(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (isHiragana(c)) {
            out += QChar(char16_t(c + 0x60));
        } else if (c >= 0xFF66 && c <= 0xFF9D) {
            char16_t full = kHalfWidth[c - 0xFF66];
            const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
            if (next == kVoicedMark || next == kSemiVoicedMark) {
                if (const char16_t v = voiced(full, next == kSemiVoicedMark)) {
                    full = v;
                    ++i;
                }
            }
            out += QChar(full);
        } else if (c == kVoicedMark) {
            out += QChar(0x309B);
        } else if (c == kSemiVoicedMark) {
            out += QChar(0x309C);
        } else if (c == 0xFF65) {
            out += QChar(0x30FB);  // ･ → ・
        } else {
            out += QChar(c);
        }
    }
    return out;
}

bool isKanaText(const QString& text) {
    bool any = false;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (isHiragana(c) || isKatakana(c) || isHalfWidthKana(c)) {
            any = true;
            continue;
        }
        if (c != u' ' && c != 0x3000 && c != 0x30FB && c != 0xFF65)
            return false;
    }
    return any;
}

QString expandIterationMarks(const QString& katakana) {
    QString out;
    out.reserve(katakana.size());
    for (const QChar c : katakana) {
        const char16_t u = c.unicode();
        if ((u == 0x30FD || u == 0x30FE) && !out.isEmpty()) {
            // The kana before, plain (コヽロ ココロ) or voiced (ミスヾ ミスズ).
            const QString decomposed = QString(out.back()).normalized(QString::NormalizationForm_D);
            const char16_t plain = decomposed.front().unicode();
            const char16_t voicedForm = u == 0x30FE ? voiced(plain, false) : 0;
            out += QChar(voicedForm ? voicedForm : plain);
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace quillo
