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
    // Atomic; false while another live process holds it. Where no lock file can
    // be made at all (a read-only folder) nobody can hold one, and this is true.
    bool tryAcquire();
    bool isHeld() const { return m_lock && m_lock->isLocked(); }
    void release();
    QString lockPath() const { return m_path; }

protected:
    void setPath(const QString& path) { m_path = path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

// The per-user lock that keeps a second copy of Quillo from starting.
class SingleInstance : public ProcessLock {
public:
    static constexpr const char* kLockName = "__QUILLO_APP";
    SingleInstance();
};

// The lock on one catalogue file, beside it: the window holds it for the file it
// shows, and the command-line tool for the file it works on, so neither changes a
// catalogue under the other.
class CatalogueLock : public ProcessLock {
public:
    // The same file named by another path (relative, through a link) has the
    // same lock.
    explicit CatalogueLock(const QString& databasePath);
};

}  // namespace quillo
