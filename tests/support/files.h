#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace quillo::test {

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Text in Shift-JIS, as the catalogue's files are written.
QByteArray sjis(const QString& text);

// One CSV line of a book's twelve fields, as written: the given ones first, the
// rest empty, with its CR LF.
inline QString csvLine(QStringList fields, QChar separator = QLatin1Char(',')) {
    while (fields.size() < 12)
        fields << QString();
    return fields.join(separator) + QStringLiteral("\r\n");
}

}  // namespace quillo::test

#include "platform/cp932.h"

inline QByteArray quillo::test::sjis(const QString& text) {
    return Cp932::encode(text).value_or(QByteArray());
}
