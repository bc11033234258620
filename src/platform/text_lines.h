#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillo {

// Splits a text file into lines the way the catalogue's files are read: CR LF, a
// lone CR or a lone LF ends a line; an end at the very end starts no empty line;
// a zero character ends the text.
QList<QByteArray> splitTextLines(QByteArray bytes);
QStringList splitTextLines(QString text);

}  // namespace quillo
