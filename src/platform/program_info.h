#pragma once

#include <QString>

namespace quillo {

// The package version the program and the tools print with --version.
QString quilloVersion();

// Names the running application "Quillo" with the package version: the name
// picks the per-user folders, the version is what --version prints.
void nameQuilloApplication();

// Where an installed Quillo keeps its files, as the help texts say it.
QString whereFilesLive();

}  // namespace quillo
