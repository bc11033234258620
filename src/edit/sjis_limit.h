#pragma once

#include <QPlainTextEdit>
#include <QValidator>

namespace quillo {

// Refuses, with a beep, any text that Shift-JIS cannot hold or that would pass a
// limit counted in Shift-JIS bytes, so a later CSV export never loses a character.
class SjisLimitValidator : public QValidator {
public:
    SjisLimitValidator(int maxBytes, QObject* parent) : QValidator(parent), m_maxBytes(maxBytes) {}
    State validate(QString& input, int& pos) const override;

private:
    int m_maxBytes;
};

// The same rule for a multi-line text: a change that breaks it is undone.
void limitPlainTextToSjis(QPlainTextEdit* edit, int maxBytes);

}  // namespace quillo
