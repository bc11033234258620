#pragma once

#include <QString>

namespace quillo {

// Which of the programs holds a catalogue, as others are told it.
enum class CatalogueUser { Window, CsvTool, ReportTool };

// The lock on one catalogue file, kept on the file itself, so every process of
// every user sees it, whatever runtime folder it has (or none, as under cron),
// and every name of the file (a symbolic or hard link, "../") is the same lock.
//
// It is a set of open-file-description locks on bytes far past the ones SQLite
// locks: one that a single writer holds (the window over a catalogue it may
// write, an import, a restore, an export), one that every Quillo process over
// the file shares (so the last one can tell it is alone), and one that says
// which program holds it. They go with the process, however it ends: a killed
// program leaves nothing to clean up.
class CatalogueLock {
public:
    explicit CatalogueLock(const QString& databasePath, CatalogueUser user = CatalogueUser::Window);
    ~CatalogueLock();
    CatalogueLock(const CatalogueLock&) = delete;
    CatalogueLock& operator=(const CatalogueLock&) = delete;

    // Takes the lock: as the one writer when `write`, else only as one of its
    // users. A catalogue this user may not write is held as a user only, since
    // nothing it does can change the file. False, with failureReason(), while
    // another program writes it, or when the file cannot be locked at all (no
    // such file, a file system without locks): a lock that cannot be taken
    // protects nothing, so the caller refuses.
    bool tryAcquire(bool write = true);
    bool isHeld() const { return m_fd >= 0; }
    // True when it was taken as the writer.
    bool writes() const { return m_writer; }
    void release();

    // True when no other program uses the file now: what renumbering the IDs
    // at the close needs, since another program's rows would then point at
    // other books.
    bool aloneWithTheFile();

    QString failureReason() const { return m_failure; }
    // The last refusal was another program writing the catalogue.
    bool heldByAnother() const { return m_heldByAnother; }
    // The program that holds the file as its writer ("quillo", "quillo-csv",
    // "quillo-report"), or empty when no Quillo program does.
    QString holderProgram() const;
    QString databasePath() const { return m_path; }

    // True when some Quillo program holds the catalogue as its writer (for
    // tests and for waiting on another program).
    static bool isWrittenByAnother(const QString& databasePath);

private:
    QString m_path;
    CatalogueUser m_user;
    int m_fd = -1;
    bool m_writer = false;
    bool m_heldByAnother = false;
    QString m_failure;
};

// Why a catalogue lock was refused, for the user: the tool that holds it, the
// window that shows it (`whileShown` is added then: what the window may lose),
// or why no lock could be made.
QString catalogueLockRefusal(const CatalogueLock& lock, const QString& databasePath,
                             const QString& whileShown = QString());

}  // namespace quillo
