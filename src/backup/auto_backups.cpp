#include "backup/auto_backups.h"
#include "backup/catalogue_identity.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "engine/database_copy.h"
#include "engine/engine_error.h"
#include "platform/file_identity.h"
#include "store/book_table.h"

namespace quillo {

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMdd-HHmmss");

// A catalogue's file name as backup names carry it: cut to a length that
// leaves room for the rest of the name within the file system's limit.
QString seriesName(const QString& name) {
    QString cut = name;
    while (cut.toUtf8().size() > 120)
        cut.chop(1);
    return cut;
}

qint64 bookCount(sqlite3* db) {
    sqlite3_stmt* count = nullptr;
    qint64 books = -1;
    if (sqlite3_prepare_v2(db, "SELECT count(*) FROM quillo", -1, &count, nullptr) == SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW)
        books = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    return books;
}

// What `read` finds in a file opened for reading only.
template <typename Read>
auto readBackup(const QString& file, Read read, decltype(read(nullptr)) fallback) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK)
        fallback = read(db);
    sqlite3_close(db);
    return fallback;
}

QByteArray booksDigestOf(const QString& file) {
    return readBackup(file, booksDigest, QByteArray());
}

qint64 booksIn(const QString& file) {
    return readBackup(file, bookCount, qint64(-1));
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
      m_name(seriesName(QFileInfo(cataloguePath).completeBaseName())),
      m_key(catalogueKey(cataloguePath)),
      m_policy(policy) {}

std::vector<BackupEntry> AutoBackups::files() const {
    // Only this catalogue's backups, told by their names: another catalogue's
    // (of the same name too), or a file the user put there, are left alone.
    const QRegularExpression name(QStringLiteral("^%1-%2-(\\d{8}-\\d{6})(-\\d+)?\\.qbk$")
                                      .arg(QRegularExpression::escape(m_name), m_key));
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

int AutoBackups::olderUnkeyed() const {
    const QRegularExpression name(
        QStringLiteral("^%1-\\d{8}-\\d{6}(-\\d+)?\\.qbk$").arg(QRegularExpression::escape(m_name)));
    int count = 0;
    for (const QString& file : QDir(m_folder).entryList(QDir::Files))
        count += name.match(file).hasMatch() ? 1 : 0;
    return count;
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

QString AutoBackups::beforeImport(Connection& catalogue, const QDateTime& now) {
    if (!m_policy.enabled)
        return QString();
    // An import is the change a backup is for: the ten-minute rule does not
    // skip it, only a backup that holds these very books already.
    const std::vector<BackupEntry> existing = files();
    if (!existing.empty() &&
        booksDigestOf(existing.front().path) == booksDigest(catalogue.handle()))
        return QString();
    return take(catalogue, now);
}

QString AutoBackups::take(Connection& catalogue, const QDateTime& now) {
    const QString file = takeUnrotated(catalogue, now);
    if (!file.isEmpty())
        rotate({file});
    return file;
}

QString AutoBackups::takeUnrotated(Connection& catalogue, const QDateTime& now) {
    if (bookCount(catalogue.handle()) == 0)
        return QString();
    if (!QDir().mkpath(m_folder))
        throw EngineError(QStringLiteral("バックアップのフォルダー %1 を作れません").arg(m_folder));
    // The key goes into the catalogue before the copy, so the copy carries it.
    m_key = stampCatalogueKey(catalogue);
    removeLeftParts();
    const QString stem =
        QStringLiteral("%1/%2-%3-%4").arg(m_folder, m_name, m_key, now.toString(kTimeFormat));
    QString file = stem + QStringLiteral(".qbk");
    for (int n = 2; QFileInfo::exists(file); ++n)
        file = stem + QStringLiteral("-%1.qbk").arg(n);
    // Checked through the copy: an apply waits for it.
    BackupDatabase(catalogue, file, false);
    return file;
}

void AutoBackups::removeLeftParts() const {
    // A backup killed half way leaves its part file; only one program writes
    // this catalogue at a time, so any part of its series is such a one.
    const QString prefix = QStringLiteral("%1-%2-").arg(m_name, m_key);
    for (const QString& file : QDir(m_folder).entryList(QDir::Files | QDir::Hidden)) {
        if (file.endsWith(QLatin1String(".part")) &&
            (file.startsWith(prefix) || file.startsWith(QLatin1Char('.') + prefix)))
            QFile::remove(QDir(m_folder).filePath(file));
    }
}

void AutoBackups::rotate(const QStringList& spared) {
    const std::vector<BackupEntry> all = files();
    // The spared ones (a new backup, the one just restored) stay and count;
    // the rest, newest first, fill what is left of the number and the size.
    const qint64 budget = qint64(std::max(1, m_policy.maxMegabytes)) * 1024 * 1024;
    // Spared files are known by what they are, however their names were spelled.
    auto isSpared = [&spared](const QString& path) {
        return std::any_of(spared.begin(), spared.end(), [&path](const QString& s) {
            return !s.isEmpty() && isSameFile(s, path);
        });
    };
    size_t kept = 0;
    qint64 bytes = 0;
    for (const BackupEntry& entry : all) {
        if (isSpared(entry.path)) {
            ++kept;
            bytes += entry.bytes;
        }
    }
    for (const BackupEntry& entry : all) {
        if (isSpared(entry.path))
            continue;
        // The newest always stays, however large.
        if (kept == 0 || (kept < static_cast<size_t>(std::max(1, m_policy.keep)) &&
                          bytes + entry.bytes <= budget)) {
            ++kept;
            bytes += entry.bytes;
        } else {
            QFile::remove(entry.path);
        }
    }
}

QString restoreFromBackup(Connection& catalogue, const QString& file, AutoBackups& backups) {
    // Everything that can refuse comes first: a refused restore changes
    // nothing, not even the backups.
    CheckBackupFile(file, bookTableSchema(), catalogue.path());
    if (catalogue.isReadOnly())
        throw EngineError(
            QStringLiteral("カタログ %1 は書き込めないため、復元できません").arg(catalogue.path()),
            SQLITE_READONLY);
    QString undo;
    try {
        undo = backups.takeUnrotated(catalogue, QDateTime::currentDateTime());
    } catch (const EngineError& e) {
        // A copy of a damaged catalogue would only look like a way back.
        if (!isDamageError(e))
            throw;
    }
    const QString key = backups.m_key;
    RestoreDatabase(catalogue, file, bookTableSchema());
    restoreCatalogueKey(catalogue, key);
    backups.rotate({file, undo});
    return undo;
}

}  // namespace quillo
