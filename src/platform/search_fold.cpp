#include "platform/search_fold.h"

#include "platform/cp932.h"
#include "platform/latin_letters.h"

namespace quillo {

namespace {

bool isHalfWidthKana(char16_t u) {
    return u >= 0xFF61 && u <= 0xFF9F;
}

char16_t foldOne(char16_t u) {
    if (u >= 'A' && u <= 'Z')
        return u + ('a' - 'A');
    if (u >= 0xFF21 && u <= 0xFF3A)  // Ａ-Ｚ
        return u - 0xFF21 + 'a';
    if (u >= 0xFF41 && u <= 0xFF5A)  // ａ-ｚ
        return u - 0xFF41 + 'a';
    if (u >= 0xFF10 && u <= 0xFF19)  // ０-９
        return u - 0xFF10 + '0';
    if (u >= 0x3041 && u <= 0x3096)  // ぁ-ゖ
        return u + 0x60;
    if (u == 0x309D || u == 0x309E)  // ゝゞ
        return u + 0x60;
    switch (u) {
        case 0x301C:
        case 0x2016:
        case 0x2212:
        case 0x00A2:
        case 0x00A3:
        case 0x00AC:
        case 0x2014: {
            // The forms CP932 writes for them, asked of the codec once.
            static const QString forms =
                Cp932::toWindowsForms(QStringLiteral("\u301C\u2016\u2212\u00A2\u00A3\u00AC\u2014"));
            static const QString from =
                QStringLiteral("\u301C\u2016\u2212\u00A2\u00A3\u00AC\u2014");
            return forms[from.indexOf(QChar(u))].unicode();
        }
        default:
            return u;
    }
}

// Writes `c` at `out` and returns the end of what it wrote.
char* putUtf8(char* out, char16_t c) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

QString foldForSearch(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const char16_t u = text[i].unicode();
        if (isHalfWidthKana(u)) {
            // A run of half-width kana, with its voicing marks, in its full-width
            // composed form.
            qsizetype end = i;
            while (end < text.size() && isHalfWidthKana(text[end].unicode()))
                ++end;
            for (QChar c : text.mid(i, end - i).normalized(QString::NormalizationForm_KC))
                out += QChar(foldOne(c.unicode()));
            i = end;
            continue;
        }
        if (const QString plain = latinSpelling(u); !plain.isEmpty())
            out += plain;
        else
            out += QChar(foldOne(u));
        ++i;
    }
    return out;
}

void foldForSearchUtf8(QByteArrayView utf8, QByteArray& out) {
    // Straight on the bytes, as the database calls it for every row: the
    // three-byte characters of the BMP are folded in place, and only half-width
    // kana (whose voicing marks compose) or anything unusual take the long way.
    // A folded character is never longer than three bytes, nor than half as
    // long again as the bytes it came from.
    out.resize(utf8.size() + utf8.size() / 2);
    char* const first = out.data();
    char* to = first;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const unsigned char* end = p + utf8.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            *to++ = static_cast<char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
            ++p;
        } else if ((b & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 &&
                   (p[2] & 0xC0) == 0x80) {
            const char16_t c =
                static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            if (isHalfWidthKana(c)) {
                out = foldForSearch(QString::fromUtf8(utf8)).toUtf8();
                return;
            }
            to = putUtf8(to, foldOne(c));
            p += 3;
        } else if ((b & 0xE0) == 0xC0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            // An accented Latin letter is its plain one (é e, ß ss): never longer.
            const char16_t c = static_cast<char16_t>(((b & 0x1F) << 6) | (p[1] & 0x3F));
            const QString plain = latinSpelling(c);
            for (const QChar letter : plain)
                *to++ = static_cast<char>(letter.unicode());
            if (plain.isEmpty())
                to = putUtf8(to, foldOne(c));
            p += 2;
        } else {
            out = foldForSearch(QString::fromUtf8(utf8)).toUtf8();
            return;
        }
    }
    out.truncate(to - first);
}

}  // namespace quillo
