#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>

#include "edit/date_mask_edit.h"
#include "edit/record_copy.h"
#include "lookup/ndl_book.h"
#include "store/book_record.h"

namespace quillo {

class TDM;
class ReadingBoxes;
class IsbnRow;
class SjisLimitValidator;
class PlainTextSjisLimit;

// What the record dialog needs of the main window.
class RecordDialogHost {
public:
    virtual ~RecordDialogHost() = default;
    virtual void RefreshRecordStatus() = 0;
    virtual void SetPendingMode(bool on) = 0;
    virtual RecordCopyBuffer& copyBuffer() = 0;
    virtual CopyStyle copyStyle() const = 0;
};

inline const QString kEditCaption = QStringLiteral("レコード編集");
inline const QString kAddCaption = QStringLiteral("レコード追加");

// Whether the dialog edits the current row of the live query or fills a book
// just appended.
enum class RecordMode { Edit, Add };

// The dialog in which a book is edited or added; its caption says which.
class TFormSetRecord : public QDialog {
    Q_OBJECT
public:
    TFormSetRecord(TDM& store, RecordDialogHost& host, QWidget* mainWindow);

    // Set before the dialog is shown; "追加して次へ" turns an edit into an add.
    void setMode(RecordMode mode);
    RecordMode mode() const { return m_mode; }

    void setFieldLabel(int fieldNo, const QString& caption);
    // The lists of stored values, read when the dialog is shown (not at
    // start-up, where they would cost a read of the whole table each); an
    // apply only marks them to be read again at the next showing, so applies
    // cost nothing for a dialog that stays closed.
    void FillDropDownLists();
    void RefreshDropDownLists() {
        if (isVisible())
            FillDropDownLists();
        else
            m_listsFilled = false;
    }

    // The control that edits a field: a QLineEdit, QComboBox, DateMaskEdit or
    // QPlainTextEdit.
    QWidget* control(int fieldNo) const { return m_controls[static_cast<size_t>(fieldNo)]; }
    QString controlText(int fieldNo) const;
    void setControlText(int fieldNo, const QString& text);
    QPushButton* dateButton(int fieldNo) const;
    QMenu* recordMenu() const { return m_popupMenu2; }
    IsbnRow* isbnRow() const { return m_isbn; }
    // A library record's book put into the fields, with its readings; fields
    // already typed are replaced only when the user agrees.
    void fillFromRecord(const BookFromRecord& book);

    void ButtonOkClick();
    void ButtonAddNewClick();
    void ButtonCancelClick();
    void ButtonDateChangeClick(int tag);
    void PopupMenu2Popup();
    void menuP2CopyClick();
    void menuP2PasteClick();
    void menuP2ClearClick();

    // Cancel, Escape and the close box all end here.
    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    // Escape and the close box ask before typed text is thrown away.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void FormShow();
    void resetDateForms();
    void LoadControlsFromRecord();
    void ClearControls();
    bool SaveControlsToRecord();
    void ToggleDateForm(DateMaskEdit* field, QPushButton* button);
    void setDateField(int fieldNo, const QString& text);
    void rememberShownTexts();
    bool mayBeSameBookTwice();
    bool mayBeSameIsbnTwice(const QString& isbn);
    void saveGivenReadings(qint64 id);
    void offerSavedValues();
    void showNote(int field, const QString& note);
    QString captionOf(int field) const;
    QString notADateText(int field, const QString& text) const;
    bool mayDiscardTypedText();
    bool typedSinceShown() const;  // in a field or a reading box since the book was shown

    TDM& m_store;
    RecordDialogHost& m_host;
    RecordMode m_mode = RecordMode::Add;
    QWidget* m_mainWindow;
    std::array<QWidget*, kFieldCount> m_controls{};
    std::array<QLabel*, kFieldCount> m_labels{};
    std::array<SjisLimitValidator*, kFieldCount> m_limits{};
    PlainTextSjisLimit* m_memoLimit = nullptr;  // the one-line fields' limits
    DateMaskEdit* m_pubDate = nullptr;
    DateMaskEdit* m_buyDate = nullptr;
    QPushButton* m_pubDateButton = nullptr;
    QPushButton* m_buyDateButton = nullptr;
    QMenu* m_popupMenu2 = nullptr;
    QLabel* m_note = nullptr;
    ReadingBoxes* m_readingBoxes = nullptr;
    IsbnRow* m_isbn = nullptr;
    // Readings a record gave for fields without a reading box (著者名2–5, 翻訳者),
    // with the name each was given for.
    std::array<NdlName, kFieldCount> m_givenReadings;
    QByteArray m_foundCover;  // the library's thumbnail of the record put in
    QAction* m_paste = nullptr;
    std::array<QString, kFieldCount> m_shownTexts;  // as the dialog filled its fields
    bool m_cancelled = false;
    bool m_askingDiscard = false;
    bool m_listsFilled = false;
};

}  // namespace quillo
