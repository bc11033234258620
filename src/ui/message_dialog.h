#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace quillo {

// The kinds of message and their captions: "警告", "エラー", "情報", "確認".
enum MessageKind {
    kMessageWarning = 0,
    kMessageError = 1,
    kMessageInformation = 2,
    kMessageConfirmation = 3
};
// Yes and No with Yes as the default button, OK alone, or Yes and No with No as
// the default, for a question whose Yes loses something.
enum MessageButtons { kButtonsYesNo, kButtonsOk, kButtonsYesNoDefaultNo };

// What the user answered: None when nothing was shown (no owner), Closed when
// the dialog was closed by its close box rather than answered.
enum class Answer { None = 0, Ok = 1, Closed = 2, Yes = 6, No = 7 };

// The one modal message dialog of the program: icon and caption of its kind, Yes
// (default) and No (Escape) or OK alone, the beep of its kind, centred over its
// owner. Without an owner it shows nothing and returns None.
Answer ShowMessageDialog(QWidget* owner, const QString& text, int kind, MessageButtons buttons);

// Centres a dialog over the main window; 0, or -1 when either is missing.
int CentreFormOver(QWidget* mainWindow, QWidget* dialog);

// For tests: the next messages are not shown but answered with these results, in
// the order given. The last message is kept for inspection.
struct ShownMessage {
    QString text;
    int kind = -1;
    MessageButtons buttons = kButtonsOk;
};
void setNextMessageAnswer(Answer answer);
void clearNextMessageAnswers();  // answers no message used are dropped
std::optional<ShownMessage> lastShownMessage();
int shownMessageCount();  // messages since the last clearShownMessages()
void clearShownMessages();

}  // namespace quillo
