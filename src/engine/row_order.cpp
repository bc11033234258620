#include "engine/row_order.h"

#include <algorithm>
#include <cstring>

#include "platform/jis_order.h"

namespace quillo {

namespace {

// SQLite's order of storage classes: NULL, then numbers, then texts.
int classOf(FieldValue::Type type) {
    switch (type) {
        case FieldValue::Type::Null:
            return 0;
        case FieldValue::Type::Integer:
            return 1;
        case FieldValue::Type::Text:
            return 2;
    }
    return 0;
}

// A text's bytes, each zero byte written as 00 FF, then 00 00: a text that is
// the start of another sorts first, as in a byte-wise comparison.
void appendBinaryKey(QByteArrayView text, QByteArray& key) {
    // Runs without a zero byte (nearly every text) go in whole.
    while (!text.isEmpty()) {
        const auto* zero = static_cast<const char*>(std::memchr(text.data(), 0, text.size()));
        if (!zero) {
            key.append(text);
            break;
        }
        const qsizetype run = zero - text.data();
        key.append(text.first(run));
        key.append("\0\xFF", 2);
        text = text.sliced(run + 1);
    }
    key.append(2, '\0');
}

void appendValueKey(const PackedRow& row, const RowOrderKey& term, QByteArray& key) {
    if (term.blobs) {
        // SQLite puts NULL first and compares blobs byte by byte.
        const auto found = term.blobs->constFind(row.integer(term.field));
        if (found == term.blobs->constEnd()) {
            key.append('\x01');
        } else {
            key.append('\x04');
            appendBinaryKey(*found, key);
        }
        return;
    }
    const FieldValue::Type type = row.type(term.field);
    key.append(static_cast<char>(1 + classOf(type)));
    switch (type) {
        case FieldValue::Type::Null:
            break;
        case FieldValue::Type::Integer: {
            // Big-endian with the sign bit flipped, so negative numbers come first.
            const quint64 v = static_cast<quint64>(row.integer(term.field)) ^ (quint64(1) << 63);
            for (int shift = 56; shift >= 0; shift -= 8)
                key.append(static_cast<char>(v >> shift));
            break;
        }
        case FieldValue::Type::Text:
            if (term.jis) {
                JisOrder::instance().appendKey(row.text(term.field), key);
                key.append(3, '\0');
            } else {
                appendBinaryKey(row.text(term.field), key);
            }
            break;
    }
}

}  // namespace

QByteArray RowOrder::appendKey(const PackedRow& row, QByteArray key) const {
    for (const RowOrderKey& term : m_keys) {
        const qsizetype start = key.size();
        appendValueKey(row, term, key);
        // Every part ends where its own bytes say, so inverting them all puts a
        // descending term in reverse order.
        if (term.descending) {
            for (qsizetype i = start; i < key.size(); ++i)
                key[i] = static_cast<char>(~static_cast<unsigned char>(key[i]));
        }
    }
    return key;
}

bool RowOrder::less(QByteArrayView a, QByteArrayView b) {
    const int c =
        std::memcmp(a.data(), b.data(), static_cast<size_t>(std::min(a.size(), b.size())));
    return c != 0 ? c < 0 : a.size() < b.size();
}

}  // namespace quillo
