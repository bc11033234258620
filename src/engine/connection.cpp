#include "engine/connection.h"

#include <sqlite3.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include "engine/catalogue_file.h"
#include "engine/engine_error.h"
#include "engine/sqlite_failure.h"
#include "engine/text_functions.h"
#include "platform/app_folders.h"

namespace quillo {

namespace {

QHash<QString, QString>& aliasPaths() {
    static QHash<QString, QString> paths;
    return paths;
}

constexpr int kBusyTimeoutMs = 2000;

}  // namespace

void Connection::setAliasPath(const QString& alias, const QString& path) {
    aliasPaths().insert(alias.toLower(), path);
}

QString Connection::aliasPath(const QString& alias) {
    const QString key = alias.toLower();
    const auto it = aliasPaths().constFind(key);
    if (it != aliasPaths().constEnd())
        return *it;
    if (key == QLatin1String("book"))
        return QDir(programDataFolder(QStandardPaths::AppDataLocation, QStringLiteral("book.db")))
            .filePath(QStringLiteral("book.db"));
    throw EngineError(QStringLiteral("データベースの別名 '%1' は登録されていません。").arg(alias));
}

Connection::Connection(const QString& alias, Access access, const TableSchema* required)
    : m_path(aliasPath(alias)) {
    // Memory statistics take a global lock on every allocation; the program has
    // no use for them. This only takes effect before SQLite's first use.
    static const bool configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    Q_UNUSED(configured);
    if (!QFileInfo::exists(m_path))
        throw EngineError(QStringLiteral("カタログ %1 がありません").arg(m_path), SQLITE_CANTOPEN);
    try {
        // Each connection is used by one thread only, so SQLite's per-call locking
        // is left out; it costs a mutex round trip for every column read.
        m_db = std::make_unique<SQLite::Database>(
            m_path.toStdString(),
            (access == Access::ReadOnly ? SQLite::OPEN_READONLY : SQLite::OPEN_READWRITE) |
                SQLITE_OPEN_NOMUTEX,
            kBusyTimeoutMs);
        if (required)
            CheckCatalogueSchema(m_db->getHandle(), m_path, *required);
        // SQLite opens a write-protected file for reading; a file it could open for
        // writing in a folder where its journal cannot be made fails only at the
        // first write, so the folder is asked too.
        const QByteArray folder = QFile::encodeName(QFileInfo(m_path).absolutePath());
        m_readOnly = access == Access::ReadOnly ||
                     sqlite3_db_readonly(m_db->getHandle(), "main") == 1 ||
                     ::access(QFile::encodeName(m_path).constData(), W_OK) != 0 ||
                     ::access(folder.constData(), W_OK) != 0;
        registerTextFunctions(m_db->getHandle());
        // A sort of the whole catalogue (every sorted read of the list) may use a
        // second core; an older SQLite without helper threads simply ignores it.
        sqlite3_exec(m_db->getHandle(), "PRAGMA threads = 2", nullptr, nullptr, nullptr);
    } catch (const SQLite::Exception& e) {
        const EngineError plain =
            sqliteFailure(m_path, e.getExtendedErrorCode(),
                          QStringLiteral("%1: %2").arg(m_path, QString::fromUtf8(e.what())));
        throw plain;
    }
}

Connection::~Connection() = default;

sqlite3* Connection::handle() const {
    return m_db->getHandle();
}

void Connection::execute(const QString& sql) {
    char* error = nullptr;
    const int rc = sqlite3_exec(handle(), sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        sqlite3_free(error);
        throw sqliteFailure(handle(), rc);
    }
}

void Connection::checkWritable() {
    if (m_readOnly)
        throw EngineError(
            QStringLiteral("カタログ %1 は読み取り専用のため、変更できません").arg(m_path),
            SQLITE_READONLY);
    const QString damage = FindDamage(handle(), DamageCheck::Quick);
    if (!damage.isEmpty())
        throw EngineError(damagedCatalogueText(m_path, damage), SQLITE_CORRUPT);
}

void Connection::begin() {
    execute(QStringLiteral("BEGIN IMMEDIATE"));
}

void Connection::commit() {
    execute(QStringLiteral("COMMIT"));
}

void Connection::rollback() {
    if (inTransaction())
        sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Connection::inTransaction() const {
    return sqlite3_get_autocommit(handle()) == 0;
}

}  // namespace quillo
