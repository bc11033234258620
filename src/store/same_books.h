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

// The keys of every stored book, to count how many books of an import the
// catalogue already has.
QSet<QString> storedSameBookKeys(sqlite3* db, qint64 upToId = -1);

// How many books with IDs above `afterId` (just imported) have the key of a
// book in `present`; their titles and writers are read from `db` when
// `pending` is null, else from the pending rows.
int countSameBooks(sqlite3* db, const CachedDataset* pending, qint64 afterId,
                   const QSet<QString>& present);
// What an import says of them: "うち N 冊は同じ書名・著者名の本がすでにあります"
// (nothing for none).
QString sameBooksNote(int count);

// The WHERE clause (with its leading space) that keeps only books sharing their
// key with another book: the list's 重複の候補.
// `table` names the book table as the select does ("q." when it is joined).
QString sameBooksCondition(const QString& table = QString());

}  // namespace quillo
