#include "edit/sjis_limit.h"

#include <QApplication>

#include "platform/cp932.h"

namespace quillo {

namespace {

bool fits(const QString& text, int maxBytes) {
    return Cp932::byteLength(text) <= maxBytes && Cp932::canEncode(text);
}

}  // namespace

QValidator::State SjisLimitValidator::validate(QString& input, int& /*pos*/) const {
    if (fits(input, m_maxBytes))
        return Acceptable;
    QApplication::beep();
    return Invalid;
}

void limitPlainTextToSjis(QPlainTextEdit* edit, int maxBytes) {
    auto lastGood = std::make_shared<QString>(edit->toPlainText());
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, maxBytes, lastGood] {
        const QString text = edit->toPlainText();
        if (fits(text, maxBytes)) {
            *lastGood = text;
            return;
        }
        QApplication::beep();
        const int position = edit->textCursor().position();
        QSignalBlocker block(edit);
        edit->setPlainText(*lastGood);
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(std::min<int>(position, static_cast<int>(lastGood->size())));
        edit->setTextCursor(cursor);
    });
}

}  // namespace quillo
