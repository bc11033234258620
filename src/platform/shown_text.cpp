#include "platform/shown_text.h"

namespace quillo {

namespace {

bool isShownAsEscape(char16_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

QString shown(const QString& text, bool keepLineBreaks) {
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!isShownAsEscape(c) || (keepLineBreaks && c == u'\n')) {
            out += ch;
            continue;
        }
        switch (c) {
            case u'\n':
                out += QStringLiteral("\\n");
                break;
            case u'\r':
                out += QStringLiteral("\\r");
                break;
            case u'\t':
                out += QStringLiteral("\\t");
                break;
            default:
                out += (c < 0x80 ? QStringLiteral("\\x%1").arg(int(c), 2, 16, QLatin1Char('0'))
                                 : QStringLiteral("\\u%1").arg(int(c), 4, 16, QLatin1Char('0')));
        }
    }
    return out;
}

}  // namespace

QString withControlsShown(const QString& text) {
    return shown(text, false);
}

QString withControlsShownButLineBreaks(const QString& text) {
    return shown(text, true);
}

}  // namespace quillo
