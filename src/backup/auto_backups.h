#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

namespace quillo {

class Connection;

// How automatic backups are kept: the [Backup] settings.
struct BackupPolicy {
    bool enabled = true;
    int keep = 20;        // the newest this many are kept
    int minMinutes = 10;  // at most one backup in this many minutes
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
// checked online backup as quillo-csv backup, named by the catalogue and the
// time ("book-20261208-142501.qbk"), the oldest beyond the newest `keep`
// deleted once a new one is whole.
class AutoBackups {
public:
    AutoBackups(QString folder, const QString& cataloguePath, BackupPolicy policy = {});

    // Before a change to the catalogue: a backup, unless backups are off or one
    // was taken within `minMinutes`. Returns the new file, or nothing. Throws
    // EngineError when the backup fails (no older backup is touched then).
    QString beforeChange(Connection& catalogue,
                         const QDateTime& now = QDateTime::currentDateTime());
    // A backup whatever the policy says.
    QString take(Connection& catalogue, const QDateTime& now = QDateTime::currentDateTime());
    // Before a restore, so it can be undone: a backup of the catalogue as it
    // is, unless it is damaged (a copy of that would only look like a way back).
    QString beforeRestore(Connection& catalogue);
    // This catalogue's backups, newest first, each with its number of books.
    std::vector<BackupEntry> list() const;

    const QString& folder() const { return m_folder; }

private:
    std::vector<BackupEntry> files() const;  // newest first, without counting books
    void rotate();

    QString m_folder;
    QString m_name;  // the catalogue's file name without its suffix
    BackupPolicy m_policy;
};

}  // namespace quillo
