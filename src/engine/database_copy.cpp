#include "engine/database_copy.h"

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>

#include "engine/catalogue_file.h"
#include "engine/connection.h"
#include "engine/engine_error.h"
#include "platform/file_identity.h"
#include "platform/system_error.h"

namespace quillo {

namespace {

// A plain SQLite handle on a file, closed however the scope ends.
class RawDatabase {
public:
    RawDatabase(const QString& file, int flags) {
        const int rc = sqlite3_open_v2(file.toUtf8().constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString reason = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                        : QString::fromUtf8(sqlite3_errstr(rc));
            sqlite3_close(m_db);
            throw EngineError(QStringLiteral("%1: %2").arg(file, reason), rc & 0xff);
        }
    }
    ~RawDatabase() { sqlite3_close(m_db); }
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

// Copies every page of one open database into another in one step. A failure is
// blamed on `blamed`, the file whose writing failed.
void copyPages(sqlite3* from, sqlite3* to, const QString& blamed) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        throw EngineError(QStringLiteral("%1 に書き込めません（%2）")
                              .arg(blamed, QString::fromUtf8(sqlite3_errmsg(to))),
                          sqlite3_errcode(to) & 0xff);
    const int step = sqlite3_backup_step(backup, -1);
    const int rc = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE || rc != SQLITE_OK) {
        const int code = step != SQLITE_DONE ? step : rc;
        throw EngineError(QStringLiteral("%1 に書き込めません（%2）")
                              .arg(blamed, (code & 0xff) == SQLITE_FULL
                                               ? QStringLiteral("ディスクがいっぱいです")
                                               : QString::fromUtf8(sqlite3_errstr(code))),
                          code & 0xff);
    }
}

// A temporary name beside the target that no other file has, short enough for
// the file system whatever the target's length.
QString partFileBeside(const QString& file) {
    const QFileInfo target(file);
    QString name = target.fileName();
    while (name.toUtf8().size() > 200)
        name.chop(1);
    QTemporaryFile part(target.dir().filePath(name + QStringLiteral(".XXXXXX.part")));
    part.setAutoRemove(false);
    if (!part.open())
        throw EngineError(
            QStringLiteral("%1 に書き込めません（%2）").arg(file, part.errorString()));
    return part.fileName();
}

}  // namespace

void BackupDatabase(Connection& source, const QString& file, bool checkSourceFirst) {
    if (isSameFile(file, source.path()))
        throw EngineError(QStringLiteral("%1 はカタログそのものです。バックアップには別の"
                                         "ファイルを指定してください")
                              .arg(file));
    const QFileInfo target(file);
    if (target.exists() && (!target.isFile() || !target.isWritable()))
        throw EngineError(QStringLiteral("%1 は書き込み禁止のため、置き換えません").arg(file));
    auto refuseDamaged = [&](const QString& damage) {
        throw EngineError(QStringLiteral("カタログ %1 は壊れているため、バックアップしません"
                                         "（%2）。前のバックアップから復元してください")
                              .arg(source.path(), damage),
                          SQLITE_CORRUPT);
    };
    if (checkSourceFirst) {
        const QString damage = FindDamage(source.handle(), DamageCheck::Quick);
        if (!damage.isEmpty())
            refuseDamaged(damage);
    }

    const QString part = partFileBeside(file);
    try {
        RawDatabase copy(part, SQLITE_OPEN_READWRITE);
        copyPages(source.handle(), copy.handle(), file);
        // The very check a restore makes: a backup it would refuse is no backup.
        const QString copyDamage = FindDamage(copy.handle(), DamageCheck::Full, true);
        if (!copyDamage.isEmpty() && !checkSourceFirst) {
            const QString damage = FindDamage(source.handle(), DamageCheck::Quick);
            if (!damage.isEmpty())
                refuseDamaged(damage);
        }
        if (!copyDamage.isEmpty())
            throw EngineError(
                QStringLiteral("%1 に正しく書き込めませんでした（%2）").arg(file, copyDamage),
                SQLITE_IOERR);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    // rename() replaces the old copy in one step: there is always a whole one.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(file).constData()) !=
        0) {
        const int error = errno;
        QFile::remove(part);
        throw EngineError(
            QStringLiteral("%1 に書き込めません（%2）").arg(file, systemErrorText(error)));
    }
}

void CheckBackupFile(const QString& file, const TableSchema& required, const QString& catalogue) {
    if (!QFileInfo(file).isFile())
        throw EngineError(QStringLiteral("%1: ファイルがありません").arg(file), SQLITE_CANTOPEN);
    if (!catalogue.isEmpty() && isSameFile(file, catalogue))
        throw EngineError(
            QStringLiteral("%1 はカタログそのものです。復元するバックアップを指定してください")
                .arg(file));
    RawDatabase copy(file, SQLITE_OPEN_READONLY);
    const SchemaProblem problem = FindSchemaProblem(copy.handle(), required);
    if (problem.kind == SchemaProblem::Kind::NotCatalogue || problem.code == SQLITE_NOTADB)
        throw EngineError(QStringLiteral("%1 は Quillo のカタログのバックアップではありません"
                                         "（%2）。カタログは元のままです")
                              .arg(file, problem.reason),
                          0, file);
    if (problem.kind == SchemaProblem::Kind::Unreadable)
        throw EngineError(
            QStringLiteral("バックアップ %1 を読めません（%2）。カタログは元のままです")
                .arg(file, problem.reason),
            problem.code, file);
    const QString damage = problem.kind == SchemaProblem::Kind::Damaged
                               ? problem.reason
                               : FindDamage(copy.handle(), DamageCheck::Full, true);
    if (!damage.isEmpty())
        throw EngineError(QStringLiteral("バックアップ %1 は壊れているため、復元しません（%2）。"
                                         "カタログは元のままです")
                              .arg(file, damage),
                          SQLITE_CORRUPT, file);
}

void RestoreDatabase(Connection& target, const QString& file, const TableSchema& required) {
    CheckBackupFile(file, required, target.path());
    if (target.isReadOnly())
        throw EngineError(
            QStringLiteral("カタログ %1 は書き込めないため、復元できません").arg(target.path()),
            SQLITE_READONLY);
    RawDatabase copy(file, SQLITE_OPEN_READONLY);
    copyPages(copy.handle(), target.handle(), QStringLiteral("カタログ %1").arg(target.path()));
}

}  // namespace quillo
