#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <vector>

namespace quillo {

// Orders texts as their Shift-JIS (CP932) forms would sort, byte by byte: ASCII,
// then the JIS rows (symbols, kana, the first-level kanji in reading order:
// 伊藤, 井上 … 中村), half-width katakana among them where their single byte
// falls, then the rest of the second level. Characters CP932 cannot hold come
// after all others, by code point. Each character's weight comes from a table of every BMP
// character, made once from the codec; comparing converts nothing.
class JisOrder {
public:
    static const JisOrder& instance();  // made on first use, by any thread

    std::uint32_t weight(char32_t c) const;
    // Compares two UTF-8 texts: negative, zero or positive.
    int compare(QByteArrayView a, QByteArrayView b) const;
    // Appends a key for a UTF-8 text: each character's weight plus one, as three
    // bytes, high first. Keys followed by three zero bytes compare byte by byte
    // as compare() compares their texts.
    void appendKey(QByteArrayView text, QByteArray& key) const;

private:
    JisOrder();
    // By BMP code point: the CP932 code, or kNone for a character without one
    // (which weighs above every code, by its code point). Two bytes each keep
    // the table small enough to stay in the cache while a list is sorted.
    static constexpr std::uint16_t kNone = 0xFFFF;
    std::vector<std::uint16_t> m_weights;
};

}  // namespace quillo
