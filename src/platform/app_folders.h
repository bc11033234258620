#pragma once

#include <QStandardPaths>
#include <QString>

namespace quillo {

// The folder where the program keeps a file of its own: beside the program file,
// as collectors who carry the program on a stick expect, or, where that folder
// cannot be written (an installed program), the per-user folder of the given kind.
QString programDataFolder(QStandardPaths::StandardLocation fallback);

// True when a file can be created in the folder.
bool isFolderWritable(const QString& folder);

}  // namespace quillo
