#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace quillo {

// A lock held by one live process at a time, as a file. A lock left behind by a
// process that was killed is taken over.
class ProcessLock {
public:
    explicit ProcessLock(const QString& path) : m_path(path) {}
    // Atomic; false while another live process holds it, and false too when no
    // lock file can be made (a full disk, a read-only folder): a lock nobody can
    // hold protects nothing. failureReason() then says which.
    bool tryAcquire();
    bool isHeld() const { return m_lock && m_lock->isLocked(); }
    void release();
    QString lockPath() const { return m_path; }
    // Empty while the lock is held or was never tried.
    QString failureReason() const { return m_failure; }
    // The last refusal was a live process holding the lock.
    bool heldByAnother() const { return m_heldByAnother; }

protected:
    void setPath(const QString& path) { m_path = path; }
    void setFailure(const QString& reason) { m_failure = reason; }

private:
    QString m_path;
    QString m_failure;
    bool m_heldByAnother = false;
    std::unique_ptr<QLockFile> m_lock;
};

// The per-user lock that keeps a second copy of Quillo from starting.
class SingleInstance : public ProcessLock {
public:
    static constexpr const char* kLockName = "__QUILLO_APP";
    SingleInstance();
};

// The folder for the program's locks: the user's runtime folder, or the
// temporary folder where there is none.
QString lockFolder();

}  // namespace quillo
