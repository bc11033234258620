#include "platform/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace quillo {

SingleInstance::SingleInstance() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    m_path = QDir(folder).filePath(QString::fromLatin1(kLockName));
}

bool SingleInstance::tryAcquire() {
    if (isHeld())
        return true;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: the program may run for days. A lock whose process has
    // gone is still recognised and removed by QLockFile.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

void SingleInstance::release() {
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

}  // namespace quillo
