#pragma once

#include <QString>
#include <stdexcept>

namespace quillo {

// A refusal of the database engine or of the access layer, carrying a message
// meant for the user (the engine's own wording where it has one).
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    QString message() const { return m_message; }

private:
    QString m_message;
};

}  // namespace quillo
