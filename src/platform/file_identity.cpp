#include "platform/file_identity.h"

#include <sys/stat.h>
#include <QFile>

namespace quillo {

std::optional<FileIdentity> fileIdentity(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

bool isSameFile(const QString& a, const QString& b) {
    const auto first = fileIdentity(a);
    return first && first == fileIdentity(b);
}

}  // namespace quillo
