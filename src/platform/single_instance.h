#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace quillo {

// The per-user lock that keeps a second copy of Quillo (or the command-line tool
// while the program runs) from working on the same catalogue. A lock left behind
// by a process that was killed is taken over.
class SingleInstance {
public:
    static constexpr const char* kLockName = "__QUILLO_APP";

    SingleInstance();
    bool tryAcquire();  // atomic; false while another live process holds it
    bool isHeld() const { return m_lock && m_lock->isLocked(); }
    void release();
    QString lockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

}  // namespace quillo
