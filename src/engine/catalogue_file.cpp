#include "engine/catalogue_file.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstring>

#include "engine/engine_error.h"
#include "engine/sqlite_failure.h"

namespace quillo {

namespace {

// One prepared statement, finalized however the scope ends.
class Query {
public:
    Query(sqlite3* db, const QByteArray& sql) : m_db(db) {
        m_rc = sqlite3_prepare_v2(db, sql.constData(), -1, &m_statement, nullptr);
    }
    ~Query() { sqlite3_finalize(m_statement); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    // SQLITE_ROW, SQLITE_DONE or the error.
    int step() {
        if (m_rc == SQLITE_OK || m_rc == SQLITE_ROW)
            m_rc = sqlite3_step(m_statement);
        return m_rc;
    }
    bool failed() const { return m_rc != SQLITE_OK && m_rc != SQLITE_ROW && m_rc != SQLITE_DONE; }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }
    int code() const { return m_rc; }
    QString text(int column) const {
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column)));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    int m_rc = SQLITE_OK;
};

}  // namespace

SchemaProblem FindSchemaProblem(sqlite3* db, const TableSchema& schema) {
    using Kind = SchemaProblem::Kind;
    // A schema that cannot be read is damage only where SQLite says so: a
    // write left half done that this user cannot undo, a busy or unreadable
    // file, are something else, and are told as such.
    auto damaged = [db](const Query& query) {
        const int code = query.code() & 0xff;
        if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
            return SchemaProblem{Kind::Damaged, query.error(), code};
        const EngineError failure = sqliteFailure(db, query.code());
        return SchemaProblem{Kind::Unreadable, failure.message(), failure.code()};
    };
    auto notCatalogue = [](const QString& reason) {
        return SchemaProblem{Kind::NotCatalogue, reason, 0};
    };
    // The names are the program's own, quoted all the same.
    const QByteArray table = QString(schema.table).replace(u'\'', QStringLiteral("''")).toUtf8();
    const QByteArray key = QString(schema.key).replace(u'\'', QStringLiteral("''")).toUtf8();
    Query kind(db, "SELECT type FROM sqlite_master WHERE name = '" + table + "' COLLATE NOCASE");
    const int rc = kind.step();
    if (kind.failed())
        return damaged(kind);
    if (rc != SQLITE_ROW)
        return notCatalogue(QStringLiteral("表 %1 がありません").arg(schema.table));
    if (kind.text(0) != QLatin1String("table"))
        return notCatalogue(
            QStringLiteral("%1 は表ではなく %2 です").arg(schema.table, kind.text(0)));

    QStringList present;
    Query columns(db, "SELECT name FROM pragma_table_info('" + table + "')");
    while (columns.step() == SQLITE_ROW)
        present << columns.text(0);
    if (columns.failed())
        return damaged(columns);
    QStringList missing;
    for (const QString& column : schema.columns)
        if (!present.contains(column, Qt::CaseInsensitive))
            missing << column;
    if (!missing.isEmpty())
        return notCatalogue(
            QStringLiteral("列 %1 がありません").arg(missing.join(QStringLiteral(", "))));
    // The books are read in the columns' order: a table made with the same
    // columns in another order, or with one of its own among them, would show
    // and save each field in its neighbour's place.
    for (qsizetype i = 0; i < schema.columns.size(); ++i)
        if (present.at(i).compare(schema.columns.at(i), Qt::CaseInsensitive) != 0)
            return notCatalogue(
                QStringLiteral("%1 番目の列が %2 ではなく %3 です")
                    .arg(QString::number(i + 1), schema.columns.at(i), present.at(i)));

    // Only an INTEGER PRIMARY KEY holds whole numbers that are unique: the list,
    // the search and renumbering rely on both. A table without row IDs, or a
    // descending key, keeps a separate key index and is not one.
    Query keys(db, "SELECT upper(type), pk, (SELECT count(*) FROM pragma_table_info('" + table +
                       "') WHERE pk > 0) FROM pragma_table_info('" + table + "') WHERE name = '" +
                       key + "' COLLATE NOCASE");
    keys.step();
    if (keys.failed())
        return damaged(keys);
    Query keyIndex(db, "SELECT 1 FROM pragma_index_list('" + table + "') WHERE origin = 'pk'");
    const bool separateKey = keyIndex.step() == SQLITE_ROW;
    if (keys.text(0) != QLatin1String("INTEGER") || keys.integer(1) != 1 || keys.integer(2) != 1 ||
        separateKey)
        return notCatalogue(
            QStringLiteral("列 %1 が INTEGER PRIMARY KEY ではありません").arg(schema.key));
    return {};
}

void CheckCatalogueSchema(sqlite3* db, const QString& path, const TableSchema& schema) {
    const SchemaProblem problem = FindSchemaProblem(db, schema);
    switch (problem.kind) {
        case SchemaProblem::Kind::None:
            return;
        case SchemaProblem::Kind::Damaged:
            throw EngineError(damagedCatalogueText(path, problem.reason), problem.code);
        case SchemaProblem::Kind::Unreadable:
            throw EngineError(
                problem.reason.contains(path)
                    ? problem.reason
                    : QStringLiteral("カタログ %1 を読めません（%2）").arg(path, problem.reason),
                problem.code);
        case SchemaProblem::Kind::NotCatalogue:
            // No closing "。": the error display adds a full stop of its own.
            throw EngineError(QStringLiteral("%1 は Quillo のカタログではありません（%2）")
                                  .arg(path, problem.reason));
    }
}

QString FindDamage(sqlite3* db, DamageCheck check, bool exactSize) {
    Query query(db,
                check == DamageCheck::Full ? "PRAGMA integrity_check(1)" : "PRAGMA quick_check(1)");
    const int rc = query.step();
    if (query.failed())
        return query.error();
    if (rc == SQLITE_ROW && query.text(0) != QLatin1String("ok")) {
        // The first finding, without the "*** in database main ***" heading.
        const QStringList lines = query.text(0).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& line : lines)
            if (!line.startsWith(QLatin1String("***")))
                return line.trimmed();
        return query.text(0);
    }
    if (exactSize) {
        const char* file = sqlite3_db_filename(db, "main");
        Query pages(db, "SELECT page_count * page_size FROM pragma_page_count, pragma_page_size");
        pages.step();
        if (pages.failed())
            return pages.error();
        if (file && QFileInfo(QString::fromUtf8(file)).size() != pages.integer(0))
            return QStringLiteral("ファイルの長さがヘッダーの頁数と合いません");
    }
    return QString();
}

QString FindDamageWhenFree(const QString& path, int busyTimeoutMs) {
    sqlite3* db = nullptr;
    QString finding;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_busy_timeout(db, busyTimeoutMs);
        finding = FindDamage(db, DamageCheck::Quick);
        const int code = sqlite3_errcode(db) & 0xff;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
            finding.clear();
    }
    sqlite3_close(db);
    return finding;
}

void CreateDatabase(const QString& path, const TableSchema& schema) {
    // O_EXCL: a file that appeared meanwhile is never taken over.
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        throw EngineError(QStringLiteral("新しいカタログ %1 を作れません（%2）")
                              .arg(path, QString::fromLocal8Bit(std::strerror(errno))),
                          SQLITE_CANTOPEN);
    ::close(fd);
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, schema.create.toUtf8().constData(), nullptr, nullptr, nullptr);
    const QString reason = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        QFile::remove(path);
        throw EngineError(QStringLiteral("新しいカタログ %1 を作れません（%2）").arg(path, reason),
                          rc & 0xff);
    }
}

bool isDamageError(const EngineError& error) {
    return error.code() == SQLITE_CORRUPT || error.code() == SQLITE_NOTADB;
}

QString damagedCatalogueText(const QString& path, const QString& finding) {
    return QStringLiteral(
               "カタログ %1 は壊れています（%2）。\n"
               "変更は保存できません。バックアップから復元してください"
               "（quillo-csv restore バックアップファイル）")
        .arg(path, finding);
}

}  // namespace quillo
