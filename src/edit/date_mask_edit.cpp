#include "edit/date_mask_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include "ui/message_dialog.h"

namespace quillo {

namespace {

// The masks in Qt's notation: "0" an optional digit, "X" a required character.
const QString kWesternMask = QStringLiteral("0000/00/00;_");
const QString kEraMask = QStringLiteral(">X00/00/00;_");

}  // namespace

DateMaskEdit::DateMaskEdit(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMaxLength(10);
    setInputMask(kWesternMask);
}

void DateMaskEdit::setForm(DateForm form) {
    m_form = form;
    setInputMask(form == DateForm::Western ? kWesternMask : kEraMask);
    setModified(false);
}

QString DateMaskEdit::dateText() const {
    QString text = displayText();
    text.replace(QLatin1Char('_'), QLatin1Char(' '));
    return text;
}

void DateMaskEdit::setDateText(const QString& text) {
    // Blanks are unfilled places; the mask lays the rest out around its "/".
    QString value = text;
    value.replace(QLatin1Char(' '), QLatin1Char('_'));
    setText(value);
    setModified(false);
    setCursorPosition(0);
    m_textAtFocus = dateText();
}

bool DateMaskEdit::missesRequiredPlace() const {
    return m_form == DateForm::Era && dateText().startsWith(QLatin1Char(' '));
}

void DateMaskEdit::focusInEvent(QFocusEvent* event) {
    // Coming back after a refused exit keeps the text to undo to.
    if (event->reason() != Qt::PopupFocusReason && !isModified())
        m_textAtFocus = dateText();
    QLineEdit::focusInEvent(event);
    // Typing starts at the first place, as in any fixed-width field.
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        setCursorPosition(0);
}

void DateMaskEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (!isModified() || !missesRequiredPlace())
        return;
    // The field keeps the focus; the message says how to get out. Leaving for the
    // cancel button is let through: cancelling drops the edit anyway.
    QTimer::singleShot(0, this, [this] {
        auto* focus = QApplication::focusWidget();
        auto* button = qobject_cast<QPushButton*>(focus);
        if (!isVisible() || (button && button->objectName() == QLatin1String("ButtonCancel")))
            return;
        ShowMessageDialog(this, kRefusal, kMessageError, kButtonsOk);
        setFocus(Qt::OtherFocusReason);
    });
}

void DateMaskEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isModified()) {
        setDateText(m_textAtFocus);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace quillo
