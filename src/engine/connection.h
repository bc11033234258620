#pragma once

#include <QString>
#include <memory>

struct sqlite3;

namespace SQLite {
class Database;
}

namespace quillo {

// A connection to the database file that an alias names. The alias "book" (in any
// case; the table access uses "BOOK") resolves to book.db in the program's data
// folder unless a path was set for it, as tests and the command-line tool do.
class Connection {
public:
    explicit Connection(const QString& alias);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    static void setAliasPath(const QString& alias, const QString& path);
    static QString aliasPath(const QString& alias);

    QString path() const { return m_path; }
    sqlite3* handle() const;
    void execute(const QString& sql);

    // Transactions: one at a time; rollback() is harmless without one.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const;

private:
    void ensureBookTable();

    QString m_path;
    std::unique_ptr<SQLite::Database> m_db;
};

// Rolls back unless commit() was reached: whatever ends the scope early, the
// database is left as it was.
class TransactionGuard {
public:
    explicit TransactionGuard(Connection& connection) : m_connection(connection) {
        m_connection.begin();
    }
    ~TransactionGuard() {
        if (!m_done)
            m_connection.rollback();
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void commit() {
        m_connection.commit();
        m_done = true;
    }

private:
    Connection& m_connection;
    bool m_done = false;
};

}  // namespace quillo
