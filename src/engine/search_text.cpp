#include "engine/search_text.h"

namespace quillo {

namespace {

bool isTag(char c) {
    return static_cast<unsigned char>(c) < 0x20;
}

// Readings have eight tag values (0 to 7) for eight fields: the title, the
// writer and the publisher at their own numbers, the translator (8) and the
// second to fifth writers (10 to 13) at 4 to 7 and 0, where no field with a
// reading stands.
int readingSlot(int field) {
    switch (field) {
        case 8:
            return 4;
        case 10:
        case 11:
        case 12:
            return field - 5;
        case 13:
            return 0;
        default:
            return field & 7;
    }
}

int fieldOfReadingSlot(int slot) {
    static const int fields[] = {13, 1, 2, 3, 8, 10, 11, 12};
    return fields[slot & 7];
}

}  // namespace

void appendSearchSegment(QByteArray& search, SearchPart part, int field, QByteArrayView text) {
    search.append(static_cast<char>(static_cast<int>(part) +
                                    (part == SearchPart::Text ? field : readingSlot(field))));
    const qsizetype start = search.size();
    search.append(text.data(), text.size());
    char* const end = search.data() + search.size();
    for (char* c = search.data() + start; c != end; ++c)
        if (isTag(*c))
            *c = ' ';
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
            field = fieldOfReadingSlot(tag - static_cast<int>(SearchPart::Romaji));
        } else if (tag >= static_cast<int>(SearchPart::Reading)) {
            wanted = &patterns.kana;
            field = fieldOfReadingSlot(tag - static_cast<int>(SearchPart::Reading));
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
