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

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

}  // namespace

void SjisAllowance::loaded(const QString& text) {
    m_bytes = std::max(m_maxBytes, static_cast<int>(Cp932::byteLength(text)));
}

bool SjisAllowance::admits(const QString& text) const {
    return Cp932::byteLength(text) <= m_bytes;
}

SjisAllowance::Admission SjisAllowance::admit(QString text, int insertEnd, bool singleLine) const {
    Admission result;
    int end = std::clamp(insertEnd, 0, static_cast<int>(text.size()));
    if (singleLine) {
        // A spreadsheet cell is copied with its line break: the break goes.
        while (end > 0 && isLineBreak(text[end - 1]))
            text.remove(--end, 1);
        if (!oneLine(text)) {
            result.refused = true;
            result.note = QStringLiteral("改行を含む文字列は入力できません");
            return result;
        }
    }
    // Past the limit, the piece is cut from its end, a whole character at a time.
    int cut = 0;
    while (Cp932::byteLength(text) > m_bytes && end > 0) {
        const int length = end >= 2 && text[end - 1].isLowSurrogate() ? 2 : 1;
        text.remove(end - length, length);
        end -= length;
        ++cut;
    }
    if (Cp932::byteLength(text) > m_bytes) {
        result.refused = true;
        return result;
    }
    if (cut > 0)
        result.note = QStringLiteral("%1 バイトを超える %2 文字を切り捨てました")
                          .arg(QString::number(m_bytes), QString::number(cut));
    result.text = text;
    result.cursor = end;
    return result;
}

QValidator::State SjisLimitValidator::validate(QString& input, int& pos) const {
    const SjisAllowance::Admission admission = m_allowance.admit(input, pos, true);
    if (!admission.note.isEmpty() && m_note)
        m_note(admission.note);
    if (admission.refused) {
        QApplication::beep();
        return Invalid;
    }
    input = admission.text;
    pos = admission.cursor;
    return Acceptable;
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
    // The changed piece lies between what the old and new texts share at
    // their start and at their end.
    qsizetype suffix = 0;
    while (suffix < text.size() && suffix < m_lastGood.size() &&
           text[text.size() - 1 - suffix] == m_lastGood[m_lastGood.size() - 1 - suffix])
        ++suffix;
    const SjisAllowance::Admission admission =
        m_allowance.admit(text, static_cast<int>(text.size() - suffix), false);
    if (!admission.note.isEmpty() && m_note)
        m_note(admission.note);
    if (admission.refused)
        QApplication::beep();
    const QString kept = admission.refused ? m_lastGood : admission.text;
    const int position = admission.refused ? m_edit->textCursor().position() : admission.cursor;
    m_lastGood = kept;
    QSignalBlocker block(m_edit);
    m_edit->setPlainText(kept);
    QTextCursor cursor = m_edit->textCursor();
    cursor.setPosition(std::min<int>(position, static_cast<int>(kept.size())));
    m_edit->setTextCursor(cursor);
}

}  // namespace quillo
