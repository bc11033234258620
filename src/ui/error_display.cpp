#include "ui/error_display.h"

#include <QMessageBox>
#include <cstdio>

#include "platform/quillo_error.h"

namespace quillo {

QString errorDisplayText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

namespace {

std::function<void(const QString&)>& errorHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}

bool nobodyCanSee() {
    return QGuiApplication::platformName() == QLatin1String("offscreen");
}

}  // namespace

void setDefaultErrorHook(std::function<void(const QString&)> hook) {
    errorHook() = std::move(hook);
}

void ShowSystemMessage(const QString& caption, const QString& text, bool stopIcon) {
    if (nobodyCanSee()) {
        std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        return;
    }
    QMessageBox box(stopIcon ? QMessageBox::Critical : QMessageBox::Information, caption, text,
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void ShowDefaultError(const QString& message) {
    const QString text = errorDisplayText(message);
    if (errorHook()) {
        errorHook()(text);
        return;
    }
    ShowSystemMessage(QStringLiteral("Quillo"), text, true);
}

QuilloApplication::QuilloApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool QuilloApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const QuilloError& e) {
        ShowDefaultError(e.message());
    } catch (const std::exception& e) {
        ShowDefaultError(QString::fromUtf8(e.what()));
    }
    return false;
}

}  // namespace quillo
