#pragma once

#include <QLineEdit>

#include "edit/date_text.h"

namespace quillo {

// A fixed-width date field in the Western form ("yyyy/mm/dd", every digit
// optional) or the era form ("H11/03/15", the era letter required). Unfilled
// places show "_" while editing and are reported as blanks, so an untouched field
// reports its empty form. An edited era field cannot be left while its letter is
// missing; Escape undoes the edit.
class DateMaskEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DateMaskEdit(QWidget* parent = nullptr);

    DateForm form() const { return m_form; }
    void setForm(DateForm form);  // changes the mask; the text is set anew by the caller
    QString dateText() const;     // the text as the field reports it
    void setDateText(const QString& text);

    static inline const QString kRefusal =
        QStringLiteral("入力値が不正です。エスケープキーで変更を取り消せます");

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool missesRequiredPlace() const;

    DateForm m_form = DateForm::Western;
    QString m_textAtFocus;
};

}  // namespace quillo
