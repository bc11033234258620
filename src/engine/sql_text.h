#pragma once

#include <QByteArray>
#include <QStringList>

namespace quillo {

// Turns the SQL text the program builds (a list of lines) into the text handed to
// SQLite. Lines are joined with line breaks. A colon followed by a name stays a
// named parameter, which SQLite binds by that name; a doubled colon "::" is how a
// literal colon is written and becomes a single one.
QByteArray toEngineSql(const QStringList& lines);

}  // namespace quillo
