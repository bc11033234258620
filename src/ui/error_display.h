#pragma once

#include <QApplication>
#include <QString>
#include <functional>

namespace quillo {

// The text of the default error display: the failure's message with a full stop
// appended when its last character sorts after ".".
QString errorDisplayText(const QString& message);

// Shows a failure that no command handled: an error box captioned "Quillo". On the
// offscreen platform, where nobody could answer the box, the message goes to
// standard error instead. Tests may catch it with a hook.
void ShowDefaultError(const QString& message);
void setDefaultErrorHook(std::function<void(const QString&)> hook);

// A system message box for the rare moments before any window exists; offscreen
// it writes to standard error.
void ShowSystemMessage(const QString& caption, const QString& text, bool stopIcon);

// The application object: a failure that escapes an event handler is shown by the
// default error display and the program carries on.
class QuilloApplication : public QApplication {
public:
    QuilloApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace quillo
