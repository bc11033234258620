#include "backup/catalogue_identity.h"

#include <sqlite3.h>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "engine/connection.h"
#include "engine/engine_error.h"
#include "engine/statement.h"
#include "platform/file_identity.h"

namespace quillo {

namespace {

const QString kCreate = QStringLiteral(
    "CREATE TABLE IF NOT EXISTS quillo_identity (Id TEXT NOT NULL, Path TEXT, Inode INTEGER)");

struct StoredKey {
    QString key;
    QString path;
    qint64 inode = -1;
};

std::optional<StoredKey> storedKey(sqlite3* db) {
    sqlite3_stmt* raw = nullptr;
    std::optional<StoredKey> found;
    if (sqlite3_prepare_v2(db, "SELECT Id, Path, Inode FROM quillo_identity LIMIT 1", -1, &raw,
                           nullptr) == SQLITE_OK &&
        sqlite3_step(raw) == SQLITE_ROW) {
        auto text = [&](int column) {
            return QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(raw, column)));
        };
        found = StoredKey{text(0), text(1), sqlite3_column_int64(raw, 2)};
    }
    sqlite3_finalize(raw);
    return found;
}

QString canonicalPath(const QString& databasePath) {
    const QString canonical = QFileInfo(databasePath).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(databasePath).absoluteFilePath() : canonical;
}

qint64 inodeOf(const QString& databasePath) {
    const auto identity = fileIdentity(databasePath);
    return identity ? static_cast<qint64>(identity->inode) : -1;
}

// The stored key where it is this file's: its place, or the same file moved.
std::optional<QString> ownKey(sqlite3* db, const QString& databasePath) {
    const std::optional<StoredKey> stored = storedKey(db);
    if (!stored || stored->key.isEmpty())
        return std::nullopt;
    if (stored->path == canonicalPath(databasePath) || stored->inode == inodeOf(databasePath))
        return stored->key;
    return std::nullopt;
}

void writeKey(Connection& catalogue, const QString& key) {
    TransactionGuard transaction(catalogue);
    catalogue.execute(kCreate);
    catalogue.execute(QStringLiteral("DELETE FROM quillo_identity"));
    Statement insert(
        catalogue.handle(),
        {QStringLiteral("INSERT INTO quillo_identity (Id, Path, Inode) VALUES (?, ?, ?)")});
    insert.bindText(1, key.toUtf8());
    insert.bindText(2, canonicalPath(catalogue.path()).toUtf8());
    insert.bindInteger(3, inodeOf(catalogue.path()));
    insert.step();
    transaction.commit();
}

}  // namespace

QString placeKey(const QString& databasePath) {
    return QString::fromLatin1(
        QCryptographicHash::hash(canonicalPath(databasePath).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(12));
}

QString catalogueKey(const QString& databasePath) {
    sqlite3* db = nullptr;
    std::optional<QString> key;
    if (sqlite3_open_v2(QFile::encodeName(databasePath).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK)
        key = ownKey(db, databasePath);
    sqlite3_close(db);
    return key.value_or(placeKey(databasePath));
}

QString stampCatalogueKey(Connection& catalogue) {
    if (const auto key = ownKey(catalogue.handle(), catalogue.path()))
        return *key;
    const QString key = placeKey(catalogue.path());
    if (!catalogue.isReadOnly())
        writeKey(catalogue, key);
    return key;
}

void restoreCatalogueKey(Connection& catalogue, const QString& key) {
    if (ownKey(catalogue.handle(), catalogue.path()) != key)
        writeKey(catalogue, key);
}

QByteArray booksDigest(sqlite3* db) {
    QCryptographicHash digest(QCryptographicHash::Sha1);
    sqlite3_stmt* all = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM quillo ORDER BY ID", -1, &all, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(all);
        return QByteArray();
    }
    const int columns = sqlite3_column_count(all);
    while (sqlite3_step(all) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            // The type byte keeps NULL apart from an empty text.
            const char type = static_cast<char>(sqlite3_column_type(all, c));
            digest.addData(QByteArrayView(&type, 1));
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(all, c));
            const int bytes = sqlite3_column_bytes(all, c);
            digest.addData(QByteArrayView(reinterpret_cast<const char*>(&bytes), sizeof bytes));
            if (text)
                digest.addData(QByteArrayView(text, bytes));
        }
    }
    sqlite3_finalize(all);
    return digest.result();
}

}  // namespace quillo
