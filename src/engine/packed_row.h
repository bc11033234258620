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

    // All fields in one pass, for reading a whole row.
    struct FieldView {
        FieldValue::Type type;
        qint64 integer;
        QByteArrayView text;
    };
    std::vector<FieldView> views() const;

    // Builds a row field by field straight into one block of the exact size, which
    // the caller works out first with the size functions.
    class Builder {
    public:
        static constexpr qsizetype kNullSize = 1;
        static constexpr qsizetype kIntegerSize = 1 + sizeof(qint64);
        static constexpr qsizetype textSize(qsizetype bytes) { return 5 + bytes; }

        explicit Builder(qsizetype totalSize);
        void addNull();
        void addInteger(qint64 v);
        void addText(const char* data, qsizetype size);
        PackedRow take();

    private:
        QByteArray m_bytes;
        char* m_at;
    };

private:
    explicit PackedRow(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    qsizetype offsetOf(int field) const;

    QByteArray m_bytes;
};

}  // namespace quillo
