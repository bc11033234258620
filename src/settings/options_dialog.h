#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <array>

#include "settings/app_settings.h"

namespace quillo {

class TDM;
class TFontNameCombo;
class TFontStyleCombo;
class TFontSizeCombo;

// What the options dialog needs of the main window.
class OptionsDialogHost {
public:
    virtual ~OptionsDialogHost() = default;
    virtual AppSettings& settings() = 0;
    virtual void CaptureColumnWidths() = 0;
    virtual void ApplyColumnLayout() = 0;
    virtual void ApplyFieldLabels() = 0;
    virtual void RefreshRecordStatus() = 0;
    virtual void RefreshNavigation() = 0;
    virtual void applyFonts() = 0;
};

// The options dialog: confirmations, sort, visible columns, filter, the names of
// Writer2..Writer5, the clipboard style and the list fonts. It lives for the run;
// what FormShow does not refill keeps what the user left in it.
class TFormOption : public QDialog {
    Q_OBJECT
public:
    TFormOption(TDM& store, OptionsDialogHost& host, QWidget* mainWindow);

    void ButtonOKClick(bool ok);
    void ButtonCancelFilterClick();
    void ButtonSetDefaultFieldNameClick();
    void ComboBoxSortFieldChange(QComboBox* combo);

    QTabWidget* pages() const { return m_pages; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_filterEnded = false;  // by its button, the list still narrowed until OK
    void refuseOnTab(const char* tab, const QString& text);
    QWidget* generalPage();
    QWidget* sortPage();
    QWidget* displayPage();
    QWidget* filterPage();
    QWidget* namePage();
    QWidget* clipboardPage();
    QWidget* fontPage();
    void FormShow();
    void RadioButtonCopyStyleClick();
    void fillSortLists();

    TDM& m_store;
    OptionsDialogHost& m_host;
    QWidget* m_mainWindow;
    QTabWidget* m_pages = nullptr;
    std::array<QCheckBox*, 4> m_confirm{};
    QCheckBox* m_lookup = nullptr;
    QComboBox* m_sort1 = nullptr;
    QComboBox* m_sort2 = nullptr;
    QButtonGroup* m_sortOption = nullptr;
    QComboBox* m_collation = nullptr;  // 0 reading, 1 JIS, 2 code-point order
    std::array<QCheckBox*, kFieldCount> m_visible{};
    QComboBox* m_filterText = nullptr;
    std::array<QCheckBox*, kFieldCount> m_filter{};
    std::array<QLineEdit*, kFieldCount> m_names{};
    QRadioButton* m_multiLines = nullptr;
    QRadioButton* m_singleLine = nullptr;
    QCheckBox* m_addLabel = nullptr;
    QCheckBox* m_titleCircle = nullptr;
    QComboBox* m_titleChar = nullptr;
    QCheckBox* m_skipPoor = nullptr;
    TFontNameCombo* m_titleName = nullptr;
    TFontStyleCombo* m_titleStyle = nullptr;
    TFontSizeCombo* m_titleSize = nullptr;
    TFontNameCombo* m_recordName = nullptr;
    TFontStyleCombo* m_recordStyle = nullptr;
    TFontSizeCombo* m_recordSize = nullptr;
};

}  // namespace quillo
