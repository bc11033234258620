#include "engine/connection.h"

#include <sqlite3.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Exception.h>
#include <SQLiteCpp/Statement.h>
#include <QDir>
#include <QHash>
#include <QStringList>

#include "engine/engine_error.h"
#include "engine/text_functions.h"
#include "platform/app_folders.h"

namespace quillo {

namespace {

QHash<QString, QString>& aliasPaths() {
    static QHash<QString, QString> paths;
    return paths;
}

constexpr int kBusyTimeoutMs = 2000;

const char* const kBookColumns[] = {"ID",      "Title",    "Writer",  "Publisher",  "PubDate",
                                    "BuyDate", "SubTitle", "Kind",    "Translator", "Memo",
                                    "Writer2", "Writer3",  "Writer4", "Writer5"};

// The book table as the program expects it; created when a new file is opened.
const char* const kCreateBookTable =
    "CREATE TABLE IF NOT EXISTS quillo ("
    " ID INTEGER PRIMARY KEY,"
    " Title TEXT, Writer TEXT, Publisher TEXT, PubDate DATE, BuyDate DATE,"
    " SubTitle TEXT, Kind TEXT, Translator TEXT, Memo TEXT,"
    " Writer2 TEXT, Writer3 TEXT, Writer4 TEXT, Writer5 TEXT)";

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
        return QDir(programDataFolder(QStandardPaths::AppDataLocation))
            .filePath(QStringLiteral("book.db"));
    throw EngineError(QStringLiteral("データベースの別名 '%1' は登録されていません。").arg(alias));
}

Connection::Connection(const QString& alias) : m_path(aliasPath(alias)) {
    // Memory statistics take a global lock on every allocation; the program has
    // no use for them. This only takes effect before SQLite's first use.
    static const bool configured = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    Q_UNUSED(configured);
    try {
        // Each connection is used by one thread only, so SQLite's per-call locking
        // is left out; it costs a mutex round trip for every column read.
        m_db = std::make_unique<SQLite::Database>(
            m_path.toStdString(),
            SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLITE_OPEN_NOMUTEX, kBusyTimeoutMs);
        ensureBookTable();
        registerTextFunctions(m_db->getHandle());
        // A sort of the whole catalogue (every sorted read of the list) may use a
        // second core; an older SQLite without helper threads simply ignores it.
        sqlite3_exec(m_db->getHandle(), "PRAGMA threads = 2", nullptr, nullptr, nullptr);
    } catch (const SQLite::Exception& e) {
        throw EngineError(QStringLiteral("%1: %2").arg(m_path, QString::fromUtf8(e.what())),
                          e.getErrorCode() & 0xff);
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
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(handle()));
        sqlite3_free(error);
        throw EngineError(message, rc & 0xff);
    }
}

// A table of another program's under the same name would be read at columns it
// does not have: it is refused once, here, with the columns it lacks named.
void Connection::ensureBookTable() {
    m_db->exec(kCreateBookTable);
    QStringList missing;
    for (const char* column : kBookColumns) {
        SQLite::Statement query(*m_db,
                                "SELECT 1 FROM pragma_table_info('quillo') WHERE name = ? "
                                "COLLATE NOCASE");
        query.bind(1, column);
        if (!query.executeStep())
            missing << QString::fromLatin1(column);
    }
    if (!missing.isEmpty())
        // No closing "。": the error display adds a full stop of its own.
        throw EngineError(QStringLiteral("%1 の表 quillo は Quillo のカタログではありません"
                                         "（列 %2 がありません）")
                              .arg(m_path, missing.join(QStringLiteral(", "))));
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
