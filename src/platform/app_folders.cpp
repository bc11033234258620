#include "platform/app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace quillo {

bool isFolderWritable(const QString& folder) {
    if (folder.isEmpty() || !QDir(folder).exists())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".quillo-write-test-XXXXXX")));
    return probe.open();
}

bool isInstalledProgramFolder(const QString& folder) {
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    // A program run from its build tree (make run) is no installed one, even
    // when the tree is under /usr/src or /opt.
    QDir up(path);
    for (int level = 0; level < 4; ++level) {
        if (up.exists(QStringLiteral("CMakeCache.txt")))
            return false;
        if (!up.cdUp())
            break;
    }
    if (path == QLatin1String("/bin") || path == QLatin1String("/sbin"))
        return true;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return parts.contains(QLatin1String("usr")) || parts.contains(QLatin1String("opt"));
}

namespace {

// Copies a file an older version kept beside an installed program to the
// per-user folder, through a temporary name so a half copy is never taken for
// the catalogue. The old file stays where it is.
void carryOver(const QString& from, const QString& to) {
    if (!QFileInfo::exists(from) || QFileInfo::exists(to))
        return;
    const QString part = to + QStringLiteral(".part");
    QFile::remove(part);
    if (QFile::copy(from, part) && QFile::rename(part, to))
        return;
    QFile::remove(part);
}

}  // namespace

QString dataFolderFor(const QString& programFolder, QStandardPaths::StandardLocation fallback,
                      const QString& file) {
    const bool installed = isInstalledProgramFolder(programFolder);
    if (!installed && isFolderWritable(programFolder))
        return programFolder;
    const QString folder = QStandardPaths::writableLocation(fallback);
    QDir().mkpath(folder);
    if (installed && !file.isEmpty())
        carryOver(QDir(programFolder).filePath(file), QDir(folder).filePath(file));
    return folder;
}

QString programDataFolder(QStandardPaths::StandardLocation fallback, const QString& file) {
    return dataFolderFor(QCoreApplication::applicationDirPath(), fallback, file);
}

}  // namespace quillo
