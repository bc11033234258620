#include "engine/row_order.h"

#include <algorithm>
#include <cstring>
#include <limits>

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
        if (const std::optional<QByteArrayView> found = term.blobs->find(row.integer(term.field))) {
            key.append('\x04');
            appendBinaryKey(*found, key);
        } else {
            key.append('\x01');
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

// IDs beyond twice the blobs kept and this many more go to the hash.
constexpr qint64 kSpareIds = 1 << 16;
// Blobs beyond what a place can point at go to the hash too.
constexpr qsizetype kMostBytes = std::numeric_limits<quint32>::max();

}  // namespace

void BlobsById::clear() {
    m_inserted = 0;
    m_bytes.clear();
    m_places.clear();
    m_elsewhere.clear();
}

void BlobsById::reserve(qsizetype ids, qsizetype bytes) {
    m_bytes.reserve(bytes);
    m_places.reserve(static_cast<size_t>(ids) + 1);
}

void BlobsById::insert(qint64 id, QByteArrayView blob) {
    // The array stays within twice the blobs kept (and some spare IDs).
    ++m_inserted;
    if (id < 0 || id > 2 * m_inserted + kSpareIds || m_bytes.size() + blob.size() > kMostBytes) {
        if (id >= 0 && static_cast<size_t>(id) < m_places.size())
            m_places[static_cast<size_t>(id)] = {};  // an earlier blob of the ID
        m_elsewhere.insert(id, blob.toByteArray());
        return;
    }
    if (static_cast<size_t>(id) >= m_places.size())
        m_places.resize(static_cast<size_t>(id) + 1);
    // A blob written again goes at the end; the old bytes stay unused until
    // the next clear.
    m_places[static_cast<size_t>(id)] = {static_cast<quint32>(m_bytes.size()),
                                         static_cast<qint32>(blob.size())};
    m_bytes.append(blob);
}

void BlobsById::remove(qint64 id) {
    if (id >= 0 && static_cast<size_t>(id) < m_places.size())
        m_places[static_cast<size_t>(id)] = {};
    m_elsewhere.remove(id);
}

std::optional<QByteArrayView> BlobsById::find(qint64 id) const {
    if (id >= 0 && static_cast<size_t>(id) < m_places.size()) {
        const Place place = m_places[static_cast<size_t>(id)];
        if (place.size >= 0)
            return QByteArrayView(m_bytes.constData() + place.start, place.size);
    }
    if (m_elsewhere.isEmpty())
        return std::nullopt;
    const auto found = m_elsewhere.constFind(id);
    if (found == m_elsewhere.constEnd())
        return std::nullopt;
    return QByteArrayView(*found);
}

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
