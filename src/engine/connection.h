#pragma once

#include <QString>
#include <memory>

struct sqlite3;

namespace SQLite {
class Database;
}

namespace quillo {

struct TableSchema;

// A connection to the database file that an alias names. The alias "book" (in any
// case; the table access uses "BOOK") resolves to book.db in the program's data
// folder unless a path was set for it, as tests and the command-line tool do.
// Only an existing, whole Quillo catalogue is opened: a missing file is refused,
// never created (CreateCatalogue does that, where asked), and so is a file that
// is not a catalogue.
class Connection {
public:
    enum class Access { ReadWrite, ReadOnly };
    // With `required`, a file that does not hold that table whole is refused
    // (the store asks for the book table).
    explicit Connection(const QString& alias, Access access = Access::ReadWrite,
                        const TableSchema* required = nullptr);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    static void setAliasPath(const QString& alias, const QString& path);
    static QString aliasPath(const QString& alias);

    QString path() const { return m_path; }
    // True when the file cannot be written (its permissions, a read-only folder
    // or medium) or it was opened for reading only.
    bool isReadOnly() const { return m_readOnly; }
    // Refuses, naming the file, a catalogue that cannot be written or that is
    // damaged (SQLite's quick check): writing into a damaged file only spreads the
    // damage, so nothing writes before this passed.
    void checkWritable();
    sqlite3* handle() const;
    void execute(const QString& sql);

    // Transactions: one at a time; rollback() is harmless without one.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const;

private:
    QString m_path;
    bool m_readOnly = false;
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
