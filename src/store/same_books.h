#pragma once

#include <QSet>
#include <QString>
#include <optional>
#include <vector>

struct sqlite3;

namespace quillo {

class CachedDataset;

// Books that may be the same book twice: the same title and first writer once
// width, kana, case and blanks are set aside (ｷｯﾁﾝ and キッチン, "Book" and "BOOK",
// "夏目 漱石" and "夏目漱石").
QString sameBookKey(const QString& title, const QString& writer);

struct SameBook {
    qint64 id = 0;
    QString title, writer;
};

// The first stored book, or pending book in `pending`, other than `exceptId`
// that has the same key as this title and writer.
std::optional<SameBook> findSameBook(sqlite3* db, const CachedDataset& pending, qint64 exceptId,
                                     const QString& title, const QString& writer);

// The keys of every stored book.
QSet<QString> storedSameBookKeys(sqlite3* db);

// What the catalogue holds before an import, to say afterwards how many of the
// imported books it had already.
class SameBooksBeforeImport {
public:
    explicit SameBooksBeforeImport(sqlite3* db);
    // "うち N 冊は同じ書名・著者名の本がすでにあります" for the books added since
    // (nothing for none): read from `pending` when the import left them
    // pending, else from the table.
    QString note(const CachedDataset* pending = nullptr) const;

private:
    sqlite3* m_db;
    QSet<QString> m_present;
    qint64 m_lastId = 0;  // the largest stored ID: the books above it are new
};

// The WHERE clause (with its leading space) that keeps only books sharing their
// key with another book: the list's 重複の候補.
// `table` names the book table as the select does ("q." when it is joined).
QString sameBooksCondition(const QString& table = QString());

}  // namespace quillo
