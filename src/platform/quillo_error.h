#pragma once

#include <QString>
#include <stdexcept>

namespace quillo {

// A failure carrying a message meant for the user, whichever part of the
// program refused: what the default error display shows.
class QuilloError : public std::runtime_error {
public:
    explicit QuilloError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

}  // namespace quillo
