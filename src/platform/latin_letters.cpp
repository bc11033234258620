#include "platform/latin_letters.h"

#include <array>

namespace quillo {

namespace {

// From U+00C0 to U+024F: the Latin-1 supplement and the extended Latin blocks
// the names of a foreign shelf are written in.
constexpr char16_t kFirst = 0x00C0, kLast = 0x024F;

struct Table {
    std::array<char16_t, kLast - kFirst + 1> base{};
    Table() {
        for (char16_t c = kFirst; c <= kLast; ++c) {
            // The first character of the canonical decomposition: é is e and an
            // accent; letters that do not decompose keep none.
            const QString parts = QString(QChar(c)).normalized(QString::NormalizationForm_D);
            const char16_t first = parts.isEmpty() ? 0 : parts.front().unicode();
            const bool letter =
                (first >= u'a' && first <= u'z') || (first >= u'A' && first <= u'Z');
            base[c - kFirst] = letter && parts.size() > 1 ? first : 0;
        }
        // Letters with a stroke or a bar, which Unicode does not decompose.
        const std::pair<char16_t, char16_t> strokes[] = {
            {0x00D8, u'O'}, {0x00F8, u'o'}, {0x0110, u'D'}, {0x0111, u'd'}, {0x0126, u'H'},
            {0x0127, u'h'}, {0x0131, u'i'}, {0x0141, u'L'}, {0x0142, u'l'}, {0x0166, u'T'},
            {0x0167, u't'}, {0x00D0, u'D'}, {0x00F0, u'd'}};
        for (const auto& [letter, plain] : strokes)
            base[letter - kFirst] = plain;
    }
};

}  // namespace

char16_t latinBase(char16_t c) {
    static const Table table;
    return c >= kFirst && c <= kLast ? table.base[c - kFirst] : 0;
}

QString latinSpelling(char16_t c) {
    switch (c) {
        case 0x00DF:  // ß
        case 0x1E9E:
            return QStringLiteral("ss");
        case 0x00C6:  // Æ
        case 0x00E6:
            return QStringLiteral("ae");
        case 0x0152:  // Œ
        case 0x0153:
            return QStringLiteral("oe");
        case 0x00DE:  // Þ
        case 0x00FE:
            return QStringLiteral("th");
        default:
            break;
    }
    const char16_t plain = latinBase(c);
    if (!plain)
        return {};
    return QString(QChar(plain >= u'A' && plain <= u'Z' ? plain + (u'a' - u'A') : plain));
}

}  // namespace quillo
