#pragma once

#include <sqlite3.h>
#include <QFile>
#include <QString>
#include <QtTest>

#include "engine/catalogue_file.h"
#include "store/book_table.h"

namespace quillo::test {

// Runs SQL on a database file as another program would, without Quillo's checks.
inline void rawExec(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(message));
}

// The first value a query gives, as text ("" for none), read as another
// program would.
inline QString rawScalar(const QString& path, const QString& sql) {
    sqlite3* db = nullptr;
    QString value;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            value =
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return value;
}

// A new catalogue holding `books` books with IDs 1..books, long enough titles
// that they take several pages of the file.
inline void makeCatalogue(const QString& path, int books) {
    CreateCatalogue(path);
    QString values;
    for (int i = 1; i <= books; ++i)
        values += QStringLiteral("%1(%2, '本の題名 %2 %3', '著者 %2', '2001-02-03')")
                      .arg(values.isEmpty() ? QString() : QStringLiteral(","))
                      .arg(i)
                      .arg(QString(40, QLatin1Char('x')));
    if (books > 0)
        rawExec(path,
                QStringLiteral("INSERT INTO quillo (ID, Title, Writer, PubDate) VALUES ") + values);
}

constexpr int kPageSize = 4096;

// Overwrites part of one page (counted from 1) with bytes no page holds, as a
// bad sector or a half-written copy would.
inline void damagePage(const QString& path, int page) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.size() >= qint64(page) * kPageSize);
    file.seek(qint64(page - 1) * kPageSize);
    file.write(QByteArray(64, '\xA5'));
}

// Writes another page count into the file's header, which SQLite trusts while
// the header's change counter says it is current.
inline void setHeaderPageCount(const QString& path, quint32 pages) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(28);
    const char bytes[4] = {char(pages >> 24), char(pages >> 16), char(pages >> 8), char(pages)};
    file.write(bytes, 4);
}

// A file with some bytes that nobody may write (mode 444).
inline void writeProtected(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("an earlier backup");
    file.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace quillo::test
