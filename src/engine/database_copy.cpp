#include "engine/database_copy.h"

#include <sqlite3.h>
#include <QFile>
#include <cstdio>

#include "engine/connection.h"
#include "engine/engine_error.h"

namespace quillo {

namespace {

// A plain SQLite handle on a file, closed however the scope ends.
class RawDatabase {
public:
    RawDatabase(const QString& file, int flags) {
        const int rc = sqlite3_open_v2(file.toUtf8().constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK)
            fail(file, rc);
    }
    ~RawDatabase() { sqlite3_close(m_db); }
    RawDatabase(const RawDatabase&) = delete;
    RawDatabase& operator=(const RawDatabase&) = delete;
    sqlite3* handle() const { return m_db; }
    [[noreturn]] void fail(const QString& file, int rc) const {
        const QString reason =
            m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
        throw EngineError(QStringLiteral("%1: %2").arg(file, reason), rc & 0xff);
    }

private:
    sqlite3* m_db = nullptr;
};

// Copies every page of one open database into another in one step.
void copyPages(sqlite3* from, sqlite3* to, const QString& file) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        throw EngineError(QStringLiteral("%1: %2").arg(file, QString::fromUtf8(sqlite3_errmsg(to))),
                          sqlite3_errcode(to) & 0xff);
    const int step = sqlite3_backup_step(backup, -1);
    const int rc = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE || rc != SQLITE_OK)
        throw EngineError(
            QStringLiteral("%1: %2").arg(
                file, QString::fromUtf8(sqlite3_errstr(step != SQLITE_DONE ? step : rc))),
            (step != SQLITE_DONE ? step : rc) & 0xff);
}

const char* const kBookColumns =
    "SELECT ID, Title, Writer, Publisher, PubDate, BuyDate, SubTitle, Kind, Translator, Memo,"
    " Writer2, Writer3, Writer4, Writer5 FROM quillo LIMIT 0";

}  // namespace

void BackupDatabase(Connection& source, const QString& file) {
    const QString part = file + QStringLiteral(".part");
    QFile::remove(part);
    {
        RawDatabase copy(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        try {
            copyPages(source.handle(), copy.handle(), file);
        } catch (...) {
            QFile::remove(part);
            throw;
        }
    }
    // rename() replaces the old copy in one step: there is always a whole one.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(file).constData()) !=
        0) {
        QFile::remove(part);
        throw EngineError(QStringLiteral("%1: 書き込めません。").arg(file));
    }
}

void RestoreDatabase(Connection& target, const QString& file) {
    if (!QFile::exists(file))
        throw EngineError(QStringLiteral("%1: ファイルがありません。").arg(file));
    RawDatabase copy(file, SQLITE_OPEN_READONLY);
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(copy.handle(), kBookColumns, -1, &statement, nullptr);
    sqlite3_finalize(statement);
    if (rc != SQLITE_OK)
        throw EngineError(
            QStringLiteral("%1 は Quillo のカタログのバックアップではありません。").arg(file), rc);
    copyPages(copy.handle(), target.handle(), file);
}

}  // namespace quillo
