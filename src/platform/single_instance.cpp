#include "platform/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/file_identity.h"

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

QString ProcessLock::holderProgram() const {
    qint64 pid = 0;
    QString host;
    QString application;
    QLockFile probe(m_path);
    if (!probe.getLockInfo(&pid, &host, &application) || pid <= 0)
        return QString();
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

QString catalogueLockRefusal(const CatalogueLock& lock, const QString& databasePath,
                             const QString& whileShown) {
    if (!lock.heldByAnother())
        return QStringLiteral("カタログ %1 をロックできません: %2")
            .arg(databasePath, lock.failureReason());
    const QString holder = lock.holderProgram();
    for (const char* tool : {"quillo-csv", "quillo-report"}) {
        if (holder.startsWith(QLatin1String(tool)))
            return QStringLiteral("カタログ %1 は %2 が使用中です。終わってから実行してください")
                .arg(databasePath, QLatin1String(tool));
    }
    return QStringLiteral(
               "Quillo がこのカタログ (%1) を開いて起動中です。%2"
               "終了してから実行してください")
        .arg(databasePath, whileShown);
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

CatalogueLock::CatalogueLock(const QString& databasePath)
    : ProcessLock(QString()), m_databasePath(databasePath) {
    if (const auto identity = fileIdentity(databasePath))
        setPath(QDir(lockFolder())
                    .filePath(QStringLiteral("quillo-catalogue-%1-%2.lock")
                                  .arg(static_cast<qulonglong>(identity->device))
                                  .arg(static_cast<qulonglong>(identity->inode))));
}

bool CatalogueLock::tryAcquire() {
    if (lockPath().isEmpty()) {
        setFailure(QStringLiteral("カタログ %1 がありません").arg(m_databasePath));
        return false;
    }
    return ProcessLock::tryAcquire();
}

}  // namespace quillo
