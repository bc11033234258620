#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace quillo {

// How a column's values are read and written by the access layer.
enum class FieldKind { Integer, Text, Date };

// One column value as it travels between SQLite and the row cache. Texts are UTF-8;
// dates are held as ISO 8601 text "YYYY-MM-DD", the way they are stored.
struct FieldValue {
    enum class Type : quint8 { Null, Integer, Text };
    Type type = Type::Null;
    qint64 integer = 0;
    QByteArray text;

    static FieldValue null() { return {}; }
    static FieldValue fromInteger(qint64 v) { return {Type::Integer, v, {}}; }
    static FieldValue fromText(QByteArray t) { return {Type::Text, 0, std::move(t)}; }
    bool isNull() const { return type == Type::Null; }
    bool operator==(const FieldValue&) const = default;
};

}  // namespace quillo
