#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <array>
#include <functional>

#include "store/book_record.h"

namespace quillo {

class TDM;

// The record dialog in its first, plain form: one line per field, OK and Cancel.
// The caption chooses the mode: "レコード追加" adds, "レコード編集" edits the
// current row of the live query.
class TFormSetRecord : public QDialog {
    Q_OBJECT
public:
    TFormSetRecord(TDM& store, QWidget* mainWindow);

    void setFieldLabel(int fieldNo, const QString& caption);
    QLineEdit* field(int fieldNo) const { return m_edits[static_cast<size_t>(fieldNo)]; }
    void FillDropDownLists() {}

    // Called when the dialog has closed: whether the live query holds changes.
    std::function<void(bool pending)> onClosed;

    int exec() override;

private:
    bool isAddMode() const;
    void LoadControlsFromRecord();
    bool SaveControlsToRecord();
    void ButtonOKClick();

    TDM& m_store;
    QWidget* m_mainWindow;
    std::array<QLabel*, kFieldCount> m_labels{};
    std::array<QLineEdit*, kFieldCount> m_edits{};
};

}  // namespace quillo
