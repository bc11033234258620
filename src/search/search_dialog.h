#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <array>
#include <functional>

#include "store/book_record.h"

namespace quillo {

class TDM;

// The search dialog: finds the books whose chosen fields contain (or equal) a
// text, and steps from match to match while the main window shows each one. It
// lives for the run, so its text, choices and history stay between showings.
class TFormSearch : public QDialog {
    Q_OBJECT
public:
    // `labels` gives the current field labels when the dialog is shown.
    TFormSearch(TDM& store, std::function<std::array<QString, kFieldCount>()> labels,
                QWidget* mainWindow);

    QComboBox* searchText() const { return m_text; }
    // Where the dialog says which match is shown (the main window's status bar).
    std::function<void(const QString&)> showStatus;
    // Where the current book is shown, on the screen, so the dialog keeps clear of it.
    std::function<QRect()> currentBookRect;
    QCheckBox* fieldBox(int fieldNo) const { return m_boxes[static_cast<size_t>(fieldNo)]; }
    FieldFlags chosenFields() const;

    void ButtonFindClick();
    void ButtonNextClick();

    static QString notFoundText(const QString& text);
    static QString noMoreText(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void ComboBoxSearchStringChange();
    void enableNext();
    void keepClearOfTheMatch();

    TDM& m_store;
    std::function<std::array<QString, kFieldCount>()> m_labels;
    QWidget* m_mainWindow;
    QComboBox* m_text;
    std::array<QCheckBox*, kFieldCount> m_boxes{};
    QButtonGroup* m_mode;
    QPushButton* m_find;
    QPushButton* m_next;
};

}  // namespace quillo
