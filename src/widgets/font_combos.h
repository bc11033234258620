#pragma once

#include <QComboBox>

#include "platform/font_setting.h"

namespace quillo {

// Chooses a typeface among the fonts installed for the screen.
class TFontNameCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TFontNameCombo(QWidget* parent = nullptr);
    QString FontName() const { return currentText(); }
    // A name that is not installed (a Windows font the settings name, say) is
    // shown all the same, as an entry of its own, and kept.
    void SetFontName(const QString& name);
    // The family the screen actually draws for the chosen name.
    QString usedFamily() const;
};

// Chooses one of the four styles: regular, bold, italic, bold italic.
class TFontStyleCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TFontStyleCombo(QWidget* parent = nullptr);
    // The style of a font setting; other styles (with underline, say) leave the
    // selection as it was.
    void SetFontStyles(const FontSetting& font);
    void applyTo(FontSetting& font) const;  // bold and italic from the selection
};

// Chooses a size in points from the usual list or typed: digits and "." only.
class TFontSizeCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TFontSizeCombo(QWidget* parent = nullptr);
    // The typed size rounded to a whole point; the last valid size when the text
    // is no number.
    int FontSize() const;
    void SetFontSize(int size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    mutable int m_lastValid = 6;
};

}  // namespace quillo
