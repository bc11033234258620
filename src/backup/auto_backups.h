#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace quillo {

class Connection;

// How automatic backups are kept: the [Backup] settings.
struct BackupPolicy {
    bool enabled = true;
    int keep = 20;            // the newest this many are kept
    int minMinutes = 10;      // at most one backup in this many minutes (before an apply)
    int maxMegabytes = 2000;  // and no more than this much of them, the newest always kept
};

// The per-user folder backups go to: $XDG_DATA_HOME/Quillo/backups
// (~/.local/share/Quillo/backups by default).
QString defaultBackupFolder();

struct BackupEntry {
    QString path;
    QDateTime taken;
    qint64 books = -1;  // -1: the file cannot be read as a catalogue
    qint64 bytes = 0;
};

// A backup's size as lists show it ("840 KB", "12.3 MB").
QString backupSizeText(qint64 bytes);
// When it was taken, as lists and questions show it ("2026/12/08 14:25:01").
QString backupTimeText(const BackupEntry& backup);
// Its books as lists show them ("1234 冊", or "読めません").
QString backupBooksText(const BackupEntry& backup);

// The automatic backups of one catalogue: complete copies taken with the same
// checked online backup as quillo-csv backup, named by the catalogue, its key
// (which catalogue of that name it is) and the time
// ("book-3f2a9c0d11e4-20261208-142501.qbk"). Only the newest `keep`, within
// `maxMegabytes`, are kept once a new one is whole. An empty catalogue is
// never backed up: there is nothing to protect, and its backup would stand in
// for the one that matters.
class AutoBackups {
public:
    AutoBackups(QString folder, const QString& cataloguePath, BackupPolicy policy = {});

    // Before an apply: a backup, unless backups are off or one was taken
    // within `minMinutes`. Returns the new file, or nothing. Throws
    // EngineError when the backup fails (no older backup is touched then).
    QString beforeChange(Connection& catalogue,
                         const QDateTime& now = QDateTime::currentDateTime());
    // Before an import: a backup unless backups are off or the newest one
    // holds the same books, however recent it is.
    QString beforeImport(Connection& catalogue,
                         const QDateTime& now = QDateTime::currentDateTime());
    // A backup whatever the policy says (an empty catalogue still has none).
    QString take(Connection& catalogue, const QDateTime& now = QDateTime::currentDateTime());
    // This catalogue's backups, newest first, each with its number of books.
    std::vector<BackupEntry> list() const;
    // Backups in the folder from before they were told apart by catalogue,
    // of a catalogue with this file name: which catalogue they are of cannot
    // be known, so they are neither listed nor rotated.
    int olderUnkeyed() const;

    const QString& folder() const { return m_folder; }

private:
    friend QString restoreFromBackup(Connection&, const QString&, AutoBackups&);
    QString takeUnrotated(Connection& catalogue, const QDateTime& now);
    std::vector<BackupEntry> files() const;  // newest first, without counting books
    // Deletes the oldest beyond the policy; never one of `spared`.
    void rotate(const QStringList& spared = {});
    void removeLeftParts() const;

    QString m_folder;
    QString m_name;  // the catalogue's file name without its suffix
    QString m_key;   // which catalogue of that name
    BackupPolicy m_policy;
};

// Puts a backup back in the catalogue's place. A backup that is damaged or no
// catalogue's, and a catalogue that cannot be written, are refused before
// anything happens. Otherwise the catalogue as it is is backed up first (so
// the restore can be undone; not when it is damaged or empty), the backup is
// put in, and only then is the series rotated, never deleting the backup just
// restored. The catalogue keeps its own key. Returns the undo backup, if any.
// Throws EngineError.
QString restoreFromBackup(Connection& catalogue, const QString& file, AutoBackups& backups);

}  // namespace quillo
