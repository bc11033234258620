#include "ui/message_dialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <deque>

#include "ui/dialog_geometry.h"

namespace quillo {

namespace {

std::deque<Answer>& nextAnswers() {
    static std::deque<Answer> answers;
    return answers;
}

std::optional<ShownMessage>& lastMessage() {
    static std::optional<ShownMessage> message;
    return message;
}

int& messageCount() {
    static int count = 0;
    return count;
}

QSize screenSize(QWidget* widget) {
    const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

const char* caption(int kind) {
    switch (kind) {
        case kMessageWarning:
            return "警告";
        case kMessageError:
            return "エラー";
        case kMessageInformation:
            return "情報";
        default:
            return "確認";
    }
}

QMessageBox::Icon icon(int kind) {
    switch (kind) {
        case kMessageWarning:
            return QMessageBox::Warning;
        case kMessageError:
            return QMessageBox::Critical;
        case kMessageInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::Question;
    }
}

// Escape answers No (or OK); only the close box leaves the dialog unanswered.
class MessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    QAbstractButton* escapeAnswer = nullptr;
    bool closedByBox = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        closedByBox = true;
        QMessageBox::closeEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && escapeAnswer) {
            escapeAnswer->click();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
};

}  // namespace

void setNextMessageAnswer(Answer answer) {
    nextAnswers().push_back(answer);
}
void clearNextMessageAnswers() {
    nextAnswers().clear();
}
std::optional<ShownMessage> lastShownMessage() {
    return lastMessage();
}
int shownMessageCount() {
    return messageCount();
}
void clearShownMessages() {
    lastMessage().reset();
    messageCount() = 0;
}

Answer ShowMessageDialog(QWidget* owner, const QString& text, int kind, MessageButtons buttons) {
    if (!owner)
        return Answer::None;
    lastMessage() = ShownMessage{text, kind, buttons};
    ++messageCount();
    QApplication::beep();  // each kind has its system sound; here there is one
    if (!nextAnswers().empty()) {
        const Answer answer = nextAnswers().front();
        nextAnswers().pop_front();
        return answer;
    }

    MessageBox box(icon(kind), QString::fromUtf8(caption(kind)), text, QMessageBox::NoButton,
                   owner);
    // Titles, names and file names are shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* ok = nullptr;
    if (buttons == kButtonsYesNo || buttons == kButtonsYesNoDefaultNo) {
        yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(buttons == kButtonsYesNo ? yes : no);
        box.escapeAnswer = no;
    } else {
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.escapeAnswer = ok;
    }
    box.adjustSize();
    box.move(
        centredPosition(owner->window()->frameGeometry(), box.sizeHint(), screenSize(owner), true));
    box.exec();
    if (box.closedByBox)
        return Answer::Closed;
    const QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == yes)
        return Answer::Yes;
    if (clicked && clicked == no)
        return Answer::No;
    if (clicked && clicked == ok)
        return Answer::Ok;
    return Answer::Closed;
}

int CentreFormOver(QWidget* mainWindow, QWidget* dialog) {
    if (!mainWindow || !dialog)
        return -1;
    dialog->move(centredPosition(mainWindow->frameGeometry(), dialog->frameGeometry().size(),
                                 screenSize(mainWindow), false));
    return 0;
}

}  // namespace quillo
