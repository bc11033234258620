#pragma once

#include <QStandardPaths>
#include <QString>

namespace quillo {

// The folder where the program keeps a file of its own. An installed program
// (its folder is a system folder) always uses the per-user folder of the given
// kind, whatever the folder's permissions: a catalogue in /usr/bin would be
// lost to the user's backups and mixed with the system's files. A copy run
// from a folder of its own (a portable copy on a stick, a build tree) keeps its
// files beside itself when that folder can be written, as collectors expect.
QString programDataFolder(QStandardPaths::StandardLocation fallback,
                          const QString& file = QString());

// The same decision for a program in the given folder; the file is the one
// the caller keeps there ("book.db", "quillo.Ini"). When an installed program
// finds no per-user file but an older version left one beside the program, it
// is copied to the per-user folder first, so no catalogue is left behind.
QString dataFolderFor(const QString& programFolder, QStandardPaths::StandardLocation fallback,
                      const QString& file = QString());

// True for a folder the system installs programs into: /bin, /sbin, or any
// folder with a "usr" or "opt" part (/usr/bin, /usr/local/bin, /opt/quillo, and
// the same under a scratch root a package is unpacked into), unless it is in a
// build tree.
bool isInstalledProgramFolder(const QString& folder);

// True when a file can be created in the folder.
bool isFolderWritable(const QString& folder);

}  // namespace quillo
