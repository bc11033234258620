#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

#include "platform/quillo_error.h"

namespace quillo {

// A refusal of the database engine or of the access layer, carrying a message
// meant for the user (the engine's own wording where it has one).
class EngineError : public QuilloError {
public:
    // `subject` names the file the message is about, when that is not the
    // catalogue (a backup), so nobody takes it for the catalogue's.
    explicit EngineError(const QString& message, int code = 0, const QString& subject = {})
        : QuilloError(message), m_code(code), m_subject(subject) {}

    QString subject() const { return m_subject; }
    // SQLite's primary result code, or 0 for refusals of the access layer itself.
    int code() const { return m_code; }
    // Another connection holds the database.
    bool isBusy() const { return m_code == 5 || m_code == 6; }  // SQLITE_BUSY, SQLITE_LOCKED

private:
    int m_code;
    QString m_subject;
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
