#include "engine/packed_row.h"

#include <cstring>

namespace quillo {

namespace {

constexpr char kNull = 0;
constexpr char kInteger = 1;
constexpr char kText = 2;

qint32 readLength(const char* p) {
    qint32 n;
    std::memcpy(&n, p, sizeof n);
    return n;
}

}  // namespace

PackedRow::Builder::Builder(qsizetype totalSize)
    : m_bytes(totalSize, Qt::Uninitialized), m_at(m_bytes.data()) {}

void PackedRow::Builder::addNull() {
    *m_at++ = kNull;
}

void PackedRow::Builder::addInteger(qint64 v) {
    *m_at++ = kInteger;
    std::memcpy(m_at, &v, sizeof v);
    m_at += sizeof v;
}

void PackedRow::Builder::addText(const char* data, qsizetype size) {
    const qint32 n = static_cast<qint32>(size);
    *m_at++ = kText;
    std::memcpy(m_at, &n, sizeof n);
    m_at += sizeof n;
    if (size > 0)
        std::memcpy(m_at, data, static_cast<size_t>(size));
    m_at += size;
}

PackedRow PackedRow::Builder::take() {
    Q_ASSERT(m_at == m_bytes.constData() + m_bytes.size());
    return PackedRow(std::move(m_bytes));
}

PackedRow PackedRow::pack(const std::vector<FieldValue>& values) {
    qsizetype total = 0;
    for (const FieldValue& v : values) {
        switch (v.type) {
            case FieldValue::Type::Null:
                total += Builder::kNullSize;
                break;
            case FieldValue::Type::Integer:
                total += Builder::kIntegerSize;
                break;
            case FieldValue::Type::Text:
                total += Builder::textSize(v.text.size());
                break;
        }
    }
    Builder builder(total);
    for (const FieldValue& v : values) {
        switch (v.type) {
            case FieldValue::Type::Null:
                builder.addNull();
                break;
            case FieldValue::Type::Integer:
                builder.addInteger(v.integer);
                break;
            case FieldValue::Type::Text:
                builder.addText(v.text.constData(), v.text.size());
                break;
        }
    }
    return builder.take();
}

qsizetype PackedRow::offsetOf(int field) const {
    const char* data = m_bytes.constData();
    qsizetype pos = 0;
    for (int i = 0; i < field; ++i) {
        switch (data[pos]) {
            case kNull:
                pos += 1;
                break;
            case kInteger:
                pos += 1 + sizeof(qint64);
                break;
            default:
                pos += 1 + sizeof(qint32) + readLength(data + pos + 1);
                break;
        }
    }
    return pos;
}

FieldValue::Type PackedRow::type(int field) const {
    switch (m_bytes.constData()[offsetOf(field)]) {
        case kInteger:
            return FieldValue::Type::Integer;
        case kText:
            return FieldValue::Type::Text;
        default:
            return FieldValue::Type::Null;
    }
}

qint64 PackedRow::integer(int field) const {
    const char* p = m_bytes.constData() + offsetOf(field);
    if (*p == kInteger) {
        qint64 v;
        std::memcpy(&v, p + 1, sizeof v);
        return v;
    }
    if (*p == kText)
        return QByteArray(p + 5, readLength(p + 1)).toLongLong();
    return 0;
}

QByteArrayView PackedRow::text(int field) const {
    const char* p = m_bytes.constData() + offsetOf(field);
    if (*p != kText)
        return {};
    return QByteArrayView(p + 5, readLength(p + 1));
}

FieldValue PackedRow::value(int field) const {
    switch (type(field)) {
        case FieldValue::Type::Integer:
            return FieldValue::fromInteger(integer(field));
        case FieldValue::Type::Text:
            return FieldValue::fromText(text(field).toByteArray());
        default:
            return FieldValue::null();
    }
}

std::vector<PackedRow::FieldView> PackedRow::views() const {
    std::vector<FieldView> views;
    const char* data = m_bytes.constData();
    qsizetype pos = 0;
    while (pos < m_bytes.size()) {
        if (data[pos] == kInteger) {
            qint64 v;
            std::memcpy(&v, data + pos + 1, sizeof v);
            views.push_back({FieldValue::Type::Integer, v, {}});
            pos += 1 + sizeof v;
        } else if (data[pos] == kText) {
            const qint32 n = readLength(data + pos + 1);
            views.push_back({FieldValue::Type::Text, 0, QByteArrayView(data + pos + 5, n)});
            pos += 5 + n;
        } else {
            views.push_back({FieldValue::Type::Null, 0, {}});
            pos += 1;
        }
    }
    return views;
}

std::vector<FieldValue> PackedRow::unpack() const {
    std::vector<FieldValue> values;
    for (const FieldView& v : views()) {
        switch (v.type) {
            case FieldValue::Type::Null:
                values.push_back(FieldValue::null());
                break;
            case FieldValue::Type::Integer:
                values.push_back(FieldValue::fromInteger(v.integer));
                break;
            case FieldValue::Type::Text:
                values.push_back(FieldValue::fromText(v.text.toByteArray()));
                break;
        }
    }
    return values;
}

}  // namespace quillo
