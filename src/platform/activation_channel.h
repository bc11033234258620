#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace quillo {

// How a second start of the program asks the running one to show its window:
// the running program listens on a local socket in the user's lock folder, and
// the second start sends one line to it and waits a moment for the answer.
class ActivationServer : public QObject {
    Q_OBJECT
public:
    explicit ActivationServer(const QString& name, QObject* parent = nullptr);
    ~ActivationServer() override;
    // Only the process that holds the single-instance lock listens, so a socket
    // left behind by a killed process is removed first. False when the socket
    // cannot be made; the program runs on without it.
    bool listen();

signals:
    void activationRequested();

private:
    void answer();

    QString m_name;
    QLocalServer* m_server;
};

// The socket's path for this user's running program.
QString activationChannelName();

// Asks the running program to show its window; true once it has answered.
bool requestActivation(const QString& name, int timeoutMs = 2000);

}  // namespace quillo
