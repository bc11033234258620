#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

#include "engine/field_value.h"

namespace quillo {

// One row of a result held as a single compact byte block, so that a catalogue of
// 100,000 books costs one allocation per row instead of one per field.
// Layout per field: a type byte, then 8 bytes for an integer or a 4-byte length and
// the UTF-8 bytes for a text.
class PackedRow {
public:
    PackedRow() = default;

    static PackedRow pack(const std::vector<FieldValue>& values);
    std::vector<FieldValue> unpack() const;

    bool isEmpty() const { return m_bytes.isEmpty(); }
    FieldValue::Type type(int field) const;
    qint64 integer(int field) const;
    QByteArrayView text(int field) const;  // the UTF-8 bytes (empty for null)
    FieldValue value(int field) const;

    // Builds a row field by field without intermediate values; reuses its buffer.
    class Builder {
    public:
        void addNull();
        void addInteger(qint64 v);
        void addText(const char* data, qsizetype size);
        PackedRow take();

    private:
        QByteArray m_buffer;
    };

private:
    explicit PackedRow(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    qsizetype offsetOf(int field) const;

    QByteArray m_bytes;
};

}  // namespace quillo
