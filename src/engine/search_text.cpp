#include "engine/search_text.h"

namespace quillo {

namespace {

bool isTag(char c) {
    return static_cast<unsigned char>(c) < 0x20;
}

}  // namespace

void appendSearchSegment(QByteArray& search, SearchPart part, int field, QByteArrayView text) {
    search.append(static_cast<char>(static_cast<int>(part) + field));
    for (const char c : text)
        search.append(isTag(c) ? ' ' : c);
}

bool searchTextFinds(QByteArrayView search, const SearchPatterns& patterns) {
    qsizetype i = 0;
    while (i < search.size()) {
        const auto tag = static_cast<unsigned char>(search[i]);
        qsizetype end = i + 1;
        while (end < search.size() && !isTag(search[end]))
            ++end;
        const QByteArrayView segment = search.sliced(i + 1, end - i - 1);
        i = end;
        const QByteArrayView* wanted = &patterns.text;
        int field = tag;
        if (tag >= static_cast<int>(SearchPart::Romaji)) {
            wanted = &patterns.romaji;
            field = tag - static_cast<int>(SearchPart::Romaji);
        } else if (tag >= static_cast<int>(SearchPart::Reading)) {
            wanted = &patterns.kana;
            field = tag - static_cast<int>(SearchPart::Reading);
        }
        if (!(patterns.fields & (1u << field)))
            continue;
        // An empty pattern is nothing to look for (a text that is no kana has
        // no kana pattern).
        if (wanted->isEmpty())
            continue;
        if (segment.contains(*wanted))
            return true;
    }
    return false;
}

}  // namespace quillo
