#include "store/book_isbns.h"

#include "engine/statement.h"
#include "store/side_tables.h"

namespace quillo {

void BookIsbns::prepare() {
    if (exists())
        return;
    runSql(m_db, QStringLiteral("CREATE TABLE IF NOT EXISTS quillo_isbn (ID INTEGER PRIMARY KEY,"
                                " Isbn TEXT NOT NULL)"));
    runSql(m_db, QStringLiteral("CREATE INDEX IF NOT EXISTS quillo_isbn_number ON quillo_isbn"
                                " (Isbn)"));
    runSql(m_db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS quillo_isbn_delete AFTER DELETE ON"
                                " quillo BEGIN DELETE FROM quillo_isbn WHERE ID = old.ID; END"));
    m_exists = 1;
}

bool BookIsbns::exists() const {
    if (m_exists < 0) {
        Statement table(m_db, {QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE"
                                              " type = 'table' AND name = 'quillo_isbn'")});
        m_exists = table.step() && table.integerAt(0) == 1 ? 1 : 0;
    }
    return m_exists == 1;
}

QString BookIsbns::isbnOf(qint64 id) const {
    const auto pending = m_pending.constFind(id);
    if (pending != m_pending.constEnd())
        return *pending;
    if (!exists())
        return {};
    Statement stored(m_db, {QStringLiteral("SELECT Isbn FROM quillo_isbn WHERE ID = ?")});
    stored.bindInteger(1, id);
    if (!stored.step())
        return {};
    const QByteArrayView text = stored.textAt(0);
    return QString::fromUtf8(text.data(), text.size());
}

qint64 BookIsbns::bookWith(const QString& isbn13, qint64 except) const {
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
        if (it.key() != except && it.value() == isbn13)
            return it.key();
    if (!exists() || isbn13.isEmpty())
        return 0;
    Statement stored(m_db, {QStringLiteral("SELECT ID FROM quillo_isbn WHERE Isbn = ? AND ID <> ?"
                                           " LIMIT 1")});
    stored.bindText(1, isbn13.toUtf8());
    stored.bindInteger(2, except);
    return stored.step() ? stored.integerAt(0) : 0;
}

void BookIsbns::write() {
    if (m_pending.isEmpty())
        return;
    prepare();
    m_exists = -1;  // asked again: a rolled-back apply takes a new table with it
    Statement put(m_db, {QStringLiteral("INSERT OR REPLACE INTO quillo_isbn (ID, Isbn) SELECT ?, ?"
                                        " WHERE EXISTS (SELECT 1 FROM quillo WHERE ID = ?)")});
    Statement drop(m_db, {QStringLiteral("DELETE FROM quillo_isbn WHERE ID = ?")});
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (it.value().isEmpty()) {
            drop.bindInteger(1, it.key());
            drop.step();
            drop.reset();
        } else {
            put.bindInteger(1, it.key());
            put.bindText(2, it.value().toUtf8());
            put.bindInteger(3, it.key());
            put.step();
            put.reset();
        }
    }
}

}  // namespace quillo
