#include "edit/record_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/message_dialog.h"
#include "edit/date_text.h"
#include "engine/engine_error.h"
#include "platform/help_viewer.h"
#include "store/tdm.h"

namespace quillo {

namespace {

const QString kAddCaption = QStringLiteral("レコード追加");

// The fields in the order the dialog shows them.
constexpr std::array<int, 13> kDialogOrder = {
    FieldNo::Title,   FieldNo::SubTitle, FieldNo::Writer,     FieldNo::Writer2,   FieldNo::Writer3,
    FieldNo::Writer4, FieldNo::Writer5,  FieldNo::Translator, FieldNo::Publisher, FieldNo::Kind,
    FieldNo::PubDate, FieldNo::BuyDate,  FieldNo::Memo};

}  // namespace

TFormSetRecord::TFormSetRecord(TDM& store, QWidget* mainWindow)
    : QDialog(mainWindow), m_store(store), m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("TFormSetRecord"));
    auto* form = new QFormLayout;
    for (int fieldNo : kDialogOrder) {
        const BookFieldInfo& info = bookField(fieldNo);
        auto* label =
            new QLabel(QString::fromUtf8(info.defaultLabel) + QString::fromUtf8(info.mnemonic));
        label->setObjectName(QStringLiteral("Label") + QString::fromLatin1(info.column));
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("Edit") + QString::fromLatin1(info.column));
        label->setBuddy(edit);
        form->addRow(label, edit);
        m_labels[static_cast<size_t>(fieldNo)] = label;
        m_edits[static_cast<size_t>(fieldNo)] = edit;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ButtonOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ButtonCancel"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormSetRecord::ButtonOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(459, 349);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { HelpViewer::instance().showContext(13); });
}

void TFormSetRecord::setFieldLabel(int fieldNo, const QString& caption) {
    if (QLabel* label = m_labels[static_cast<size_t>(fieldNo)])
        label->setText(caption);
}

bool TFormSetRecord::isAddMode() const {
    return windowTitle() == kAddCaption;
}

void TFormSetRecord::LoadControlsFromRecord() {
    const CachedDataset& q = m_store.QueryBook();
    for (int fieldNo : kDialogOrder) {
        const QString text = q.text(fieldNo);
        m_edits[static_cast<size_t>(fieldNo)]->setText(isDateField(fieldNo) ? FormatDateText(text)
                                                                            : text);
    }
}

bool TFormSetRecord::SaveControlsToRecord() {
    CachedDataset& q = m_store.QueryBook();
    if (m_edits[FieldNo::Title]->text().isEmpty()) {
        ShowMessageDialog(this, QStringLiteral("項目 \"書名\" は必須項目です。"), kMessageWarning,
                          kButtonsOk);
        return false;
    }
    try {
        for (int fieldNo : kDialogOrder) {
            const QString text = m_edits[static_cast<size_t>(fieldNo)]->text();
            q.setText(fieldNo,
                      isDateField(fieldNo) ? DateTextToStore(text, DateForm::Western) : text);
        }
        q.post();
    } catch (const EngineError& e) {
        ShowMessageDialog(this, e.message(), kMessageError, kButtonsOk);
        return false;
    }
    return true;
}

void TFormSetRecord::ButtonOKClick() {
    if (SaveControlsToRecord())
        accept();
}

int TFormSetRecord::exec() {
    CentreFormOver(m_mainWindow, this);
    LoadControlsFromRecord();
    m_edits[FieldNo::Title]->setFocus();
    const int result = QDialog::exec();
    CachedDataset& q = m_store.QueryBook();
    if (result != QDialog::Accepted) {
        // A new row is discarded; an edit returns to what it was.
        if (q.state() == DatasetState::Insert)
            m_store.DeleteCurrent(false);
        else
            q.cancel();
    }
    if (onClosed)
        onClosed(q.updatesPending());
    return result;
}

}  // namespace quillo
