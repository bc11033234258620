#include "platform/jis_order.h"

#include <QString>
#include <QStringDecoder>
#include <algorithm>

#include "platform/cp932.h"
#include "platform/latin_letters.h"

namespace quillo {

namespace {

constexpr std::uint32_t kOutside = 0x10000;  // above every CP932 code

bool isLeadByte(int b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One character of UTF-8 from `at`, which moves past it. A malformed byte stands
// for itself, beyond every character, so the order stays total.
char32_t nextCharacter(const unsigned char*& at, const unsigned char* end) {
    const unsigned char b = *at++;
    if (b < 0x80)
        return b;
    int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (extra < 0 || end - at < extra)
        return 0x110000 + b;
    char32_t c = b & (0x3F >> extra);
    for (; extra > 0; --extra)
        c = (c << 6) | (*at++ & 0x3F);
    return c;
}

}  // namespace

const JisOrder& JisOrder::instance() {
    static const JisOrder order;
    return order;
}

JisOrder::JisOrder() : m_weights(0x10000, 0) {
    // A single-byte code weighs its byte times 256, a double-byte code its two
    // bytes: comparing weights then compares the byte strings.
    for (int b = 0; b < 0x80; ++b)
        m_weights[static_cast<size_t>(b)] = static_cast<std::uint16_t>(b << 8);
    for (int b = 0xA1; b <= 0xDF; ++b)
        m_weights[static_cast<size_t>(0xFF61 + b - 0xA1)] = static_cast<std::uint16_t>(b << 8);
    QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(lead))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F)
                continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const QString c = decoder.decode(QByteArrayView(bytes, 2));
            if (c.size() != 1 || c[0] == QChar(0xFFFD) || c[0] == QChar(0x1A))
                continue;
            std::uint16_t& w = m_weights[c[0].unicode()];
            const auto code = static_cast<std::uint16_t>((lead << 8) | trail);
            if (w == 0 || code < w)  // a character with two codes sorts by the first
                w = code;
        }
    }
    // The JIS forms CP932 writes another way (wave dash and the rest) sort as
    // the form they are written in, an accented Latin letter CP932 lacks as
    // its plain one (Gödel among the G's); everything else comes after all of
    // CP932.
    for (std::uint32_t c = 0x80; c < 0x10000; ++c) {
        if (m_weights[c] != 0)
            continue;
        const QString windows = Cp932::toWindowsForms(QString(QChar(static_cast<char16_t>(c))));
        const std::uint32_t mapped = windows[0].unicode();
        if (const char16_t plain = latinBase(static_cast<char16_t>(c)))
            m_weights[c] = m_weights[plain];
        else
            m_weights[c] = mapped != c && m_weights[mapped] != 0 ? m_weights[mapped] : kNone;
    }
}

std::uint32_t JisOrder::weight(char32_t c) const {
    if (c < 0x10000 && m_weights[c] != kNone)
        return m_weights[c];
    return kOutside + static_cast<std::uint32_t>(c);
}

int JisOrder::compare(QByteArrayView a, QByteArrayView b) const {
    // Equal bytes are equal characters: the common start is skipped at memory
    // speed, back to the start of the character where the texts part.
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype same = 0;
    while (same < shorter && a[same] == b[same])
        ++same;
    while (same < shorter && same > 0 && (static_cast<unsigned char>(a[same]) & 0xC0) == 0x80)
        --same;
    auto* p = reinterpret_cast<const unsigned char*>(a.data()) + same;
    auto* q = reinterpret_cast<const unsigned char*>(b.data()) + same;
    const unsigned char* pEnd = reinterpret_cast<const unsigned char*>(a.data()) + a.size();
    const unsigned char* qEnd = reinterpret_cast<const unsigned char*>(b.data()) + b.size();
    while (p < pEnd && q < qEnd) {
        if (*p < 0x80 && *q < 0x80) {  // ASCII weighs as its byte
            if (*p != *q)
                return *p < *q ? -1 : 1;
            ++p;
            ++q;
            continue;
        }
        const std::uint32_t wp = weight(nextCharacter(p, pEnd));
        const std::uint32_t wq = weight(nextCharacter(q, qEnd));
        if (wp != wq)
            return wp < wq ? -1 : 1;
    }
    return (p < pEnd) - (q < qEnd);
}

void JisOrder::appendKey(QByteArrayView text, QByteArray& key) const {
    auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* end = p + text.size();
    // A character takes at least one byte of the text and three of the key:
    // room is made once and written through.
    const qsizetype at = key.size();
    key.resize(at + 3 * text.size());
    char* out = key.data() + at;
    while (p < end) {
        const std::uint32_t w = weight(nextCharacter(p, end)) + 1;
        *out++ = static_cast<char>(w >> 16);
        *out++ = static_cast<char>(w >> 8);
        *out++ = static_cast<char>(w);
    }
    key.resize(out - key.constData());
}

}  // namespace quillo
