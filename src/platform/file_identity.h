#pragma once

#include <sys/types.h>
#include <QString>
#include <optional>

namespace quillo {

// What a file is, independent of the name it was reached by: a hard link, a
// symbolic link, a relative or "../" spelling all give the same identity.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Nothing when the path names no existing file.
std::optional<FileIdentity> fileIdentity(const QString& path);

// True when both paths name the same existing file.
bool isSameFile(const QString& a, const QString& b);

}  // namespace quillo
