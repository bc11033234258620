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
    // The program name of the live process that holds the lock ("quillo-csv"),
    // or empty when it cannot be told.
    QString holderProgram() const;

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

// The lock on one catalogue file: the window holds it for the file it shows, and
// the command-line tool for the file it works on, so neither changes a catalogue
// under the other. It is keyed on what the file is (its device and inode), so
// every name of the file (relative, through a symbolic or a hard link) has the
// same lock, and it lives in the user's runtime folder, so a catalogue in a
// read-only folder can still be locked while it is read.
class CatalogueLock : public ProcessLock {
public:
    explicit CatalogueLock(const QString& databasePath);
    bool tryAcquire();

private:
    QString m_databasePath;
};

// Why a catalogue lock was refused, for the user: the tool that holds it, the
// window that shows it (`whileShown` is added then: what the window may lose),
// or why no lock could be made.
QString catalogueLockRefusal(const CatalogueLock& lock, const QString& databasePath,
                             const QString& whileShown = QString());

// The folder for the program's locks: the user's runtime folder, or the
// temporary folder where there is none.
QString lockFolder();

}  // namespace quillo
