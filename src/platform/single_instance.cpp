#include "platform/single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillo {

bool ProcessLock::tryAcquire() {
    if (isHeld())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: the program may run for days. A lock whose process has
    // gone is still recognised and removed by QLockFile.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    return m_lock->error() != QLockFile::LockFailedError;
}

void ProcessLock::release() {
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

SingleInstance::SingleInstance() : ProcessLock(QString()) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    setPath(QDir(folder).filePath(QString::fromLatin1(kLockName)));
}

CatalogueLock::CatalogueLock(const QString& databasePath) : ProcessLock(QString()) {
    const QFileInfo file(databasePath);
    const QString canonical = file.canonicalFilePath();
    setPath((canonical.isEmpty() ? file.absoluteFilePath() : canonical) + QStringLiteral(".lock"));
}

}  // namespace quillo
