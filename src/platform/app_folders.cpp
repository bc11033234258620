#include "platform/app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryFile>

namespace quillo {

bool isFolderWritable(const QString& folder) {
    if (folder.isEmpty() || !QDir(folder).exists())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".quillo-write-test-XXXXXX")));
    return probe.open();
}

QString programDataFolder(QStandardPaths::StandardLocation fallback) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (isFolderWritable(programFolder))
        return programFolder;
    const QString folder = QStandardPaths::writableLocation(fallback);
    QDir().mkpath(folder);
    return folder;
}

}  // namespace quillo
