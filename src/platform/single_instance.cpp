#include "platform/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace quillo {

bool ProcessLock::tryAcquire() {
    if (isHeld())
        return true;
    m_failure.clear();
    m_heldByAnother = false;
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: the program may run for days. A lock whose process has
    // gone is still recognised and removed by QLockFile.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    switch (m_lock->error()) {
        case QLockFile::LockFailedError:
            m_heldByAnother = true;
            m_failure = QStringLiteral("他のプログラムが使用中です");
            break;
        case QLockFile::PermissionError:
            m_failure = QStringLiteral(
                            "ロックファイル %1 を作れません（書き込みが許可されて"
                            "いません）")
                            .arg(m_path);
            break;
        default:
            m_failure = QStringLiteral(
                            "ロックファイル %1 を作れません（ディスクがいっぱいか、"
                            "書き込めません）")
                            .arg(m_path);
            break;
    }
    return false;
}

void ProcessLock::release() {
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

QString lockFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}

SingleInstance::SingleInstance() : ProcessLock(QString()) {
    setPath(QDir(lockFolder()).filePath(QString::fromLatin1(kLockName)));
}

}  // namespace quillo
