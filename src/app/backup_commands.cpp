// The window's backups: one before an apply changes the catalogue, and
// ファイル > バックアップから復元.
#include <QLabel>
#include <QStatusBar>

#include "app/main_window.h"
#include "app/reading_preparation.h"
#include "backup/auto_backups.h"
#include "backup/restore_dialog.h"
#include "engine/database_copy.h"
#include "engine/engine_error.h"
#include "platform/busy_cursor.h"
#include "store/tdm.h"
#include "ui/error_display.h"
#include "ui/message_dialog.h"

namespace quillo {

AutoBackups TFormMainWin::backups() const {
    return AutoBackups(defaultBackupFolder(), m_store.Database().path(),
                       BackupPolicy{m_settings.BackupEnabled, m_settings.BackupKeep,
                                    m_settings.BackupMinMinutes, m_settings.BackupMaxMegabytes});
}

QString TFormMainWin::backupBeforeApply() {
    try {
        backups().beforeChange(m_store.Database());
        m_backupFailed = false;
        return QString();
    } catch (const EngineError& e) {
        // The user's changes go in all the same; a failing backup is said once
        // until one succeeds again.
        if (m_backupFailed)
            return QString();
        m_backupFailed = true;
        return QStringLiteral("自動バックアップを作れませんでした（%1）。変更は保存しました")
            .arg(e.message());
    }
}

void TFormMainWin::menuFRestoreClick() {
    if (m_store.QueryBook().updatesPending()) {
        ShowMessageDialog(this,
                          QStringLiteral("更新が保留されているため、復元できません。\n"
                                         "先に更新適用または更新取消しを行ってください"),
                          kMessageError, kButtonsOk);
        return;
    }
    AutoBackups kept = backups();
    TFormRestoreBackup dialog(kept.list(), this);
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return;
    const BackupEntry chosen = *dialog.chosen();
    const QString when = backupTimeText(chosen);
    if (ShowMessageDialog(
            this,
            QStringLiteral("%1 のバックアップから復元します。\n"
                           "カタログは %2 冊になります（今は %3 冊）。"
                           "よろしいですか？")
                .arg(when, QString::number(chosen.books), QString::number(m_store.RecordCount())),
            kMessageConfirmation, kButtonsYesNoDefaultNo) != Answer::Yes)
        return;
    BusyCursor busy;
    try {
        restoreFromBackup(m_store.Database(), chosen.path, kept);
    } catch (const EngineError& e) {
        ShowDefaultError(QStringLiteral("復元できませんでした。") + e.message());
        return;
    }
    // The restored catalogue is whole: a window kept for reading because of
    // damage may write again.
    if (m_store.readOnly() && !m_store.Database().isReadOnly())
        leaveReadOnly();
    openReadings(m_store, this);
    m_store.QueryAll();
    m_store.QueryBook().first();
    m_maxId = m_store.GetMaxId();
    SetPendingMode(false);
    if (m_recordDialog)
        m_recordDialog->RefreshDropDownLists();
    RefreshRecordStatus();
    RefreshNavigation();
    ShowStatusText(QStringLiteral("%1 のバックアップから復元しました（%2 冊）")
                       .arg(when, QString::number(m_store.RecordCount())));
}

}  // namespace quillo
