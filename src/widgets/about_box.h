#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace quillo {

inline const QString kVersionText = QStringLiteral("1.2.1");

// The about box: the product's name, version and links. It is also the start-up
// splash, shown without its OK button while the main window is being built.
class TFormAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFormAbout(QWidget* owner);

    void showSplash();
    void endSplash();
    bool isSplash() const { return !m_ok->isVisibleTo(this); }

    // Opens the link of a field (tag 1 the web page, 2 mail); not during the splash.
    void EditINetClick(QLineEdit* field);

    // The target a link opens, for tests and for the desktop's handler.

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* link(const QString& name, int tag, const QString& text);

    QWidget* m_owner;
    QPushButton* m_ok;
};

}  // namespace quillo
