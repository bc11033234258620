#include "widgets/font_combos.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <cmath>

#include "platform/cp932.h"

namespace quillo {

namespace {

const int kFontSizes[] = {6, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

bool allowedInSize(const QString& text) {
    for (QChar c : text) {
        if (!c.isDigit() && c != QLatin1Char('.'))
            return false;
    }
    return true;
}

}  // namespace

// Only the families the settings file can hold: a name outside Shift-JIS would
// make every later save of the settings fail.
TFontNameCombo::TFontNameCombo(QWidget* parent) : QComboBox(parent) {
    for (const QString& family : QFontDatabase::families()) {
        if (Cp932::canEncode(family))
            addItem(family);
    }
}

void TFontNameCombo::SetFontName(const QString& name) {
    int index = findText(name, Qt::MatchExactly);
    if (index < 0 && !name.isEmpty()) {
        insertItem(0, name);
        index = 0;
    }
    setCurrentIndex(index);
}

QString TFontNameCombo::usedFamily() const {
    return QFontInfo(QFont(currentText())).family();
}

TFontStyleCombo::TFontStyleCombo(QWidget* parent) : QComboBox(parent) {
    addItems({QStringLiteral("標準"), QStringLiteral("ﾎﾞｰﾙﾄﾞ"), QStringLiteral("ｲﾀﾘｯｸ"),
              QStringLiteral("ﾎﾞｰﾙﾄﾞｲﾀﾘｯｸ")});
    setCurrentIndex(0);
}

void TFontStyleCombo::SetFontStyles(const FontSetting& font) {
    if (font.underline || font.strikeOut)
        return;
    setCurrentIndex((font.bold ? 1 : 0) + (font.italic ? 2 : 0));
}

void TFontStyleCombo::applyTo(FontSetting& font) const {
    const int index = std::max(0, currentIndex());
    font.bold = (index & 1) != 0;
    font.italic = (index & 2) != 0;
    font.underline = false;
    font.strikeOut = false;
}

TFontSizeCombo::TFontSizeCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    for (int size : kFontSizes)
        addItem(QString::number(size), size);
    setCurrentIndex(0);
    lineEdit()->installEventFilter(this);
}

int TFontSizeCombo::FontSize() const {
    bool ok = false;
    const double value = currentText().toDouble(&ok);
    if (ok && value >= 1)
        m_lastValid = static_cast<int>(std::lround(value));
    return m_lastValid;
}

void TFontSizeCombo::SetFontSize(int size) {
    m_lastValid = size;
    setEditText(QString::number(size));
}

bool TFontSizeCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool editingKey = key->key() == Qt::Key_Backspace || text.isEmpty() ||
                                (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) ||
                                text.at(0).unicode() < 0x20;
        if (!editingKey && !allowedInSize(text)) {
            QApplication::beep();
            return true;  // dropped
        }
    }
    return QComboBox::eventFilter(watched, event);
}

}  // namespace quillo
