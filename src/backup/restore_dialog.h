#pragma once

#include <QDialog>
#include <vector>

#include "backup/auto_backups.h"

class QTableWidget;

namespace quillo {

// ファイル > バックアップから復元: the catalogue's backups, newest first, with
// their date and time, books and size; 復元 takes the chosen one.
class TFormRestoreBackup : public QDialog {
    Q_OBJECT
public:
    TFormRestoreBackup(std::vector<BackupEntry> backups, QWidget* parent);
    // The backup chosen when the dialog was accepted.
    const BackupEntry* chosen() const;

private:
    std::vector<BackupEntry> m_backups;
    QTableWidget* m_list = nullptr;
};

}  // namespace quillo
