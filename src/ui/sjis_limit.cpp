#include "ui/sjis_limit.h"

#include <QApplication>

#include "platform/cp932.h"

namespace quillo {

namespace {

bool fits(const QString& text, int maxBytes) {
    return Cp932::byteLength(text) <= maxBytes && Cp932::canEncode(text);
}

int allowanceFor(const QString& text, int maxBytes) {
    return std::max(maxBytes, static_cast<int>(Cp932::byteLength(text)));
}

bool oneLine(const QString& text) {
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.unicode() == 0)
            return false;
    }
    return true;
}

}  // namespace

QValidator::State SjisLimitValidator::validate(QString& input, int& /*pos*/) const {
    if (fits(input, m_allowance) && oneLine(input))
        return Acceptable;
    QApplication::beep();
    return Invalid;
}

void SjisLimitValidator::loaded(const QString& text) {
    m_allowance = allowanceFor(text, m_maxBytes);
}

PlainTextSjisLimit::PlainTextSjisLimit(QPlainTextEdit* edit, int maxBytes)
    : QObject(edit),
      m_edit(edit),
      m_maxBytes(maxBytes),
      m_allowance(maxBytes),
      m_lastGood(edit->toPlainText()) {
    connect(edit, &QPlainTextEdit::textChanged, this, &PlainTextSjisLimit::changed);
}

void PlainTextSjisLimit::load(const QString& text) {
    m_allowance = allowanceFor(text, m_maxBytes);
    m_lastGood = text;
    QSignalBlocker block(m_edit);
    m_edit->setPlainText(text);
}

void PlainTextSjisLimit::changed() {
    const QString text = m_edit->toPlainText();
    if (fits(text, m_allowance)) {
        m_lastGood = text;
        return;
    }
    QApplication::beep();
    const int position = m_edit->textCursor().position();
    QSignalBlocker block(m_edit);
    m_edit->setPlainText(m_lastGood);
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(std::min<int>(position, static_cast<int>(m_lastGood.size())));
    m_edit->setTextCursor(cursor);
}

}  // namespace quillo
