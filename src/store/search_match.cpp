#include "store/search_match.h"

namespace quillo {

namespace {

QString asciiLower(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c.unicode() >= 'A' && c.unicode() <= 'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return out;
}

}  // namespace

bool TextMatches(const QString& value, const QString& text, bool fuzzy) {
    if (value.isNull())
        return false;
    if (!fuzzy)
        return value == text;
    return asciiLower(value).contains(asciiLower(text), Qt::CaseSensitive);
}

}  // namespace quillo
