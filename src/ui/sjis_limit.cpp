#include "ui/sjis_limit.h"

#include <QApplication>
#include <algorithm>

#include "platform/cp932.h"

namespace quillo {

namespace {

bool oneLine(const QString& text) {
    return std::none_of(text.begin(), text.end(), [](QChar c) {
        return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.unicode() == 0;
    });
}

// The characters of a text that Shift-JIS cannot hold, one entry each time.
QStringList foreignCharacters(const QString& text) {
    QStringList found;
    QStringView rest(text);
    for (qsizetype i; (i = Cp932::firstUnencodable(rest.toString())) >= 0;) {
        const qsizetype length = rest[i].isHighSurrogate() && i + 1 < rest.size() ? 2 : 1;
        found << rest.mid(i, length).toString();
        rest = rest.mid(i + length);
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

void SjisAllowance::loaded(const QString& text) {
    m_bytes = std::max(m_maxBytes, static_cast<int>(Cp932::byteLength(text)));
    m_foreign = Cp932::canEncode(text) ? QStringList() : foreignCharacters(text);
}

bool SjisAllowance::admits(const QString& text) const {
    if (Cp932::byteLength(text) > m_bytes)
        return false;
    if (Cp932::canEncode(text))
        return true;
    const QStringList foreign = foreignCharacters(text);
    return std::includes(m_foreign.begin(), m_foreign.end(), foreign.begin(), foreign.end());
}

QValidator::State SjisLimitValidator::validate(QString& input, int& /*pos*/) const {
    if (m_allowance.admits(input) && oneLine(input))
        return Acceptable;
    QApplication::beep();
    return Invalid;
}

PlainTextSjisLimit::PlainTextSjisLimit(QPlainTextEdit* edit, int maxBytes)
    : QObject(edit), m_edit(edit), m_allowance(maxBytes), m_lastGood(edit->toPlainText()) {
    connect(edit, &QPlainTextEdit::textChanged, this, &PlainTextSjisLimit::changed);
}

void PlainTextSjisLimit::load(const QString& text) {
    m_allowance.loaded(text);
    m_lastGood = text;
    QSignalBlocker block(m_edit);
    m_edit->setPlainText(text);
}

void PlainTextSjisLimit::changed() {
    const QString text = m_edit->toPlainText();
    if (m_allowance.admits(text)) {
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
