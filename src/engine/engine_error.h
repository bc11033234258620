#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

namespace quillo {

// A refusal of the database engine or of the access layer, carrying a message
// meant for the user (the engine's own wording where it has one).
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message, int code = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_code(code) {}

    QString message() const { return m_message; }
    // SQLite's primary result code, or 0 for refusals of the access layer itself.
    int code() const { return m_code; }
    // Another connection holds the database.
    bool isBusy() const { return m_code == 5 || m_code == 6; }  // SQLITE_BUSY, SQLITE_LOCKED

private:
    QString m_message;
    int m_code;
};

// A row the cache was to change or delete no longer holds what was read:
// another program changed or deleted it since. Nothing of the apply is written.
class RowChangedError : public EngineError {
public:
    RowChangedError(const QString& message, qint64 key, QStringList texts)
        : EngineError(message), m_key(key), m_texts(std::move(texts)) {}
    qint64 key() const { return m_key; }
    // The row's fields as they were read, to name it by.
    const QStringList& texts() const { return m_texts; }

private:
    qint64 m_key;
    QStringList m_texts;
};

}  // namespace quillo
