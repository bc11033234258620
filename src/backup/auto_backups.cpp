#include "backup/auto_backups.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

#include "engine/catalogue_file.h"
#include "engine/database_copy.h"
#include "engine/engine_error.h"

namespace quillo {

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMdd-HHmmss");

qint64 booksIn(const QString& file) {
    sqlite3* db = nullptr;
    qint64 books = -1;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* count = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM quillo", -1, &count, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(count) == SQLITE_ROW)
            books = sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
    }
    sqlite3_close(db);
    return books;
}

}  // namespace

QString backupSizeText(qint64 bytes) {
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString backupTimeText(const BackupEntry& backup) {
    return backup.taken.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString backupBooksText(const BackupEntry& backup) {
    return backup.books < 0 ? QStringLiteral("読めません")
                            : QStringLiteral("%1 冊").arg(backup.books);
}

QString defaultBackupFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quillo/backups");
}

AutoBackups::AutoBackups(QString folder, const QString& cataloguePath, BackupPolicy policy)
    : m_folder(std::move(folder)),
      m_name(QFileInfo(cataloguePath).completeBaseName()),
      m_policy(policy) {}

std::vector<BackupEntry> AutoBackups::files() const {
    // Only this catalogue's backups, told by their names: another catalogue's,
    // or a file the user put there, are left alone.
    const QRegularExpression name(QStringLiteral("^%1-(\\d{8}-\\d{6})(-\\d+)?\\.qbk$")
                                      .arg(QRegularExpression::escape(m_name)));
    // Two in one second are told apart by the number after the second one.
    std::vector<std::pair<BackupEntry, int>> found;
    for (const QFileInfo& file : QDir(m_folder).entryInfoList(QDir::Files)) {
        const QRegularExpressionMatch match = name.match(file.fileName());
        if (!match.hasMatch())
            continue;
        const QDateTime taken = QDateTime::fromString(match.captured(1), kTimeFormat);
        const int sequence = match.captured(2).isEmpty() ? 1 : -match.captured(2).toInt();
        if (taken.isValid())
            found.push_back({{file.filePath(), taken, -1, file.size()}, sequence});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first.taken != b.first.taken ? a.first.taken > b.first.taken : a.second > b.second;
    });
    std::vector<BackupEntry> entries;
    for (auto& [entry, sequence] : found)
        entries.push_back(std::move(entry));
    return entries;
}

std::vector<BackupEntry> AutoBackups::list() const {
    std::vector<BackupEntry> all = files();
    for (BackupEntry& entry : all)
        entry.books = booksIn(entry.path);
    return all;
}

QString AutoBackups::beforeChange(Connection& catalogue, const QDateTime& now) {
    if (!m_policy.enabled)
        return QString();
    const std::vector<BackupEntry> existing = files();
    if (!existing.empty() && existing.front().taken <= now &&
        existing.front().taken.secsTo(now) < qint64(m_policy.minMinutes) * 60)
        return QString();
    return take(catalogue, now);
}

QString AutoBackups::take(Connection& catalogue, const QDateTime& now) {
    if (!QDir().mkpath(m_folder))
        throw EngineError(QStringLiteral("バックアップのフォルダー %1 を作れません").arg(m_folder));
    const QString stem =
        QStringLiteral("%1/%2-%3").arg(m_folder, m_name, now.toString(kTimeFormat));
    QString file = stem + QStringLiteral(".qbk");
    for (int n = 2; QFileInfo::exists(file); ++n)
        file = QStringLiteral("%1-%2.qbk").arg(stem).arg(n);
    // Checked through the copy: an apply waits for it.
    BackupDatabase(catalogue, file, false);
    rotate();
    return file;
}

QString AutoBackups::beforeRestore(Connection& catalogue) {
    try {
        return take(catalogue);
    } catch (const EngineError& e) {
        if (!isDamageError(e))
            throw;
        return QString();
    }
}

void AutoBackups::rotate() {
    const std::vector<BackupEntry> all = files();
    for (size_t i = static_cast<size_t>(std::max(1, m_policy.keep)); i < all.size(); ++i)
        QFile::remove(all[i].path);
}

}  // namespace quillo
