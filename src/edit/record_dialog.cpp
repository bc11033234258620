#include "edit/record_dialog.h"

#include <algorithm>

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShortcut>
#include <QToolTip>

#include "edit/date_text.h"
#include "edit/isbn_row.h"
#include "edit/reading_boxes.h"
#include "edit/record_clipboard.h"
#include "engine/date_field.h"
#include "engine/engine_error.h"
#include "lookup/pending_book.h"
#include "platform/busy_cursor.h"
#include "platform/help_viewer.h"
#include "platform/jis_order.h"
#include "store/same_books.h"
#include "store/tdm.h"
#include "ui/field_form_layout.h"
#include "ui/message_dialog.h"
#include "ui/remember_combo.h"
#include "ui/sjis_limit.h"

namespace quillo {

namespace {

const QString kFieldHint = QStringLiteral("項目データを入力、変更します。");
const QString kWesternCaption = QStringLiteral("西");
const QString kEraCaption = QStringLiteral("和");

// A control's name: its kind and the field's stem ("ComboBoxPublish").
QString controlName(const char* kind, int fieldNo) {
    return QLatin1String(kind) + QLatin1String(bookField(fieldNo).widgetName);
}

// The texts the reading boxes read: 書名, 著者名 and 出版社.
std::array<QString, ReadingBoxes::kCount> readTexts(const TFormSetRecord& dialog) {
    return {dialog.controlText(FieldNo::Title), dialog.controlText(FieldNo::Writer),
            dialog.controlText(FieldNo::Publisher)};
}

}  // namespace

TFormSetRecord::TFormSetRecord(TDM& store, RecordDialogHost& host, QWidget* mainWindow)
    : QDialog(mainWindow,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint),
      m_store(store),
      m_host(host),
      m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("TFormSetRecord"));
    setWindowTitle(QStringLiteral("レコード設定"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    build();
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { HelpViewer::instance().showContext(13); });
}

void TFormSetRecord::build() {
    m_readingBoxes = new ReadingBoxes(this);
    m_readingBoxes->setReadings([this]() -> BookReadings* {
        BookReadings* readings = m_store.readings();
        return readings && readings->ready() ? readings : nullptr;
    });
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(4);
    form->setVerticalSpacing(5);
    FieldFormLayout fields(form);
    QWidget* previous = nullptr;
    for (int fieldNo : kFormFields) {
        const BookFieldInfo& info = bookField(fieldNo);
        QWidget* control = nullptr;
        QPushButton* button = nullptr;
        const char* kind = "ComboBox";
        if (info.kind == FieldKindOfBook::Memo) {
            auto* memo = new QPlainTextEdit(this);
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setLineWrapMode(QPlainTextEdit::NoWrap);
            memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 6 + 20);
            m_memoLimit = new PlainTextSjisLimit(memo, info.inputLimitBytes);
            control = memo;
            kind = "Memo";
        } else if (info.kind == FieldKindOfBook::Date) {
            auto* date = new DateMaskEdit(this);
            button = new QPushButton(kWesternCaption, this);
            const int tag = fieldNo == FieldNo::PubDate ? 1 : 2;
            button->setObjectName(QStringLiteral("Button") + QLatin1String(info.widgetName) +
                                  QStringLiteral("Change"));
            button->setProperty("tag", tag);
            button->setAutoDefault(false);
            button->setFixedWidth(button->fontMetrics().horizontalAdvance(kWesternCaption) + 12);
            connect(button, &QPushButton::clicked, this,
                    [this, tag] { ButtonDateChangeClick(tag); });
            (tag == 1 ? m_pubDate : m_buyDate) = date;
            (tag == 1 ? m_pubDateButton : m_buyDateButton) = button;
            control = date;
            kind = "MaskEdit";
        } else if (!info.offersStored) {
            auto* edit = new QLineEdit(this);
            m_limits[static_cast<size_t>(fieldNo)] =
                new SjisLimitValidator(info.inputLimitBytes, edit);
            edit->setValidator(m_limits[static_cast<size_t>(fieldNo)]);
            control = edit;
            kind = "Edit";
        } else {
            auto* list = new QComboBox(this);
            list->setEditable(true);
            list->setInsertPolicy(QComboBox::NoInsert);
            SuggestWithoutFilling(list);
            m_limits[static_cast<size_t>(fieldNo)] =
                new SjisLimitValidator(info.inputLimitBytes, list);
            list->setValidator(m_limits[static_cast<size_t>(fieldNo)]);
            control = list;
        }
        control->setObjectName(controlName(kind, fieldNo));
        control->setToolTip(kFieldHint);
        // The tag-1 fields keep their own text menus; the lists always do.
        control->setProperty("tag", info.offersStored ? 0 : 1);
        m_controls[static_cast<size_t>(fieldNo)] = control;

        auto* label = new QLabel(
            QString::fromUtf8(info.defaultLabel) + QString::fromUtf8(info.mnemonic), this);
        label->setObjectName(controlName("Label", fieldNo));
        label->setBuddy(control);
        label->installEventFilter(this);
        m_labels[static_cast<size_t>(fieldNo)] = label;
        fields.addField(fieldNo, label, control, button);

        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
        if (button) {
            QWidget::setTabOrder(previous, button);
            previous = button;
        }
        if (ReadingBoxes::hasBox(fieldNo)) {
            QLineEdit* box = m_readingBoxes->box(fieldNo);
            fields.addUnder(m_readingBoxes->label(fieldNo), box);
            QWidget::setTabOrder(previous, box);
            previous = box;
            auto* line = qobject_cast<QLineEdit*>(control);
            if (auto* list = qobject_cast<QComboBox*>(control))
                line = list->lineEdit();
            connect(line, &QLineEdit::editingFinished, this,
                    [this, fieldNo] { m_readingBoxes->fieldLeft(fieldNo, controlText(fieldNo)); });
        }
    }
    fields.finish(11);

    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    auto button = [this](const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("キャンセル")) + 24);
        return b;
    };
    QPushButton* add = button("ButtonAddNew", QStringLiteral("追加(&A)"),
                              QStringLiteral("入力、変更を確定し、レコードの追加を行います。"));
    QPushButton* ok = button("ButtonOK", QStringLiteral("&OK"),
                             QStringLiteral("入力、変更を確定し、ダイアログを閉じます。"));
    QPushButton* cancel = button("ButtonCancel", QStringLiteral("キャンセル"),
                                 QStringLiteral("入力、変更を取消しダイアログを閉じます。"));
    add->setAutoDefault(false);
    cancel->setAutoDefault(false);
    // What a field cut from a paste, or refused, is said here and beside the
    // field, without a box to close.
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("LabelInputNote"));
    m_note->setTextFormat(Qt::PlainText);
    m_note->setWordWrap(true);
    m_note->setMinimumHeight(m_note->fontMetrics().lineSpacing() * 3);
    m_note->setStyleSheet(QStringLiteral("color: #a03000"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add, 0, Qt::AlignTop);
    buttons->addWidget(m_note, 1);
    buttons->addWidget(ok, 0, Qt::AlignTop);
    buttons->addWidget(cancel, 0, Qt::AlignTop);
    m_isbn = new IsbnRow(this);
    m_isbn->box()->installEventFilter(this);
    connect(m_isbn, &IsbnRow::found, this, &TFormSetRecord::fillFromRecord);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_isbn);
    layout->addLayout(form, 1);
    layout->addWidget(bevel);
    layout->addLayout(buttons);
    // As large as the font needs, and no larger: the dialog is not resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (int field : kFormFields) {
        const SjisNoteHook hook = [this, field](const QString& note) { showNote(field, note); };
        if (SjisLimitValidator* limit = m_limits[static_cast<size_t>(field)])
            limit->setNoteHook(hook);
        else if (field == FieldNo::Memo)
            m_memoLimit->setNoteHook(hook);
    }
    // Enter anywhere but in the memo reaches the dialog once, which presses OK:
    // the fields themselves do not act on it as well.
    ok->setDefault(true);
    QWidget::setTabOrder(previous, m_isbn->box());
    QWidget::setTabOrder(m_isbn->box(), m_isbn->lookUpButton());
    QWidget::setTabOrder(m_isbn->lookUpButton(), add);
    QWidget::setTabOrder(add, ok);
    QWidget::setTabOrder(ok, cancel);
    connect(add, &QPushButton::clicked, this, &TFormSetRecord::ButtonAddNewClick);
    connect(ok, &QPushButton::clicked, this, &TFormSetRecord::ButtonOkClick);
    connect(cancel, &QPushButton::clicked, this, &TFormSetRecord::ButtonCancelClick);

    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    auto entry = [this](const char* name, const QString& caption, const QString& hint,
                        void (TFormSetRecord::*slot)()) {
        QAction* action = m_popupMenu2->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setStatusTip(hint);
        action->setToolTip(hint);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    entry("menuP2Copy", QStringLiteral("レコードデータをコピー(&C)"),
          QStringLiteral("レコードデータをクリップボードにコピーします。"),
          &TFormSetRecord::menuP2CopyClick);
    m_paste = entry("menuP2Paste", QStringLiteral("レコードデータを貼り付け(&P)"),
                    QStringLiteral("レコードデータをクリップボードから貼り付けます。"),
                    &TFormSetRecord::menuP2PasteClick);
    entry("menuP2Clear", QStringLiteral("レコードデータをクリア(&L)"),
          QStringLiteral("レコードデータをクリアします。"), &TFormSetRecord::menuP2ClearClick);
    connect(m_popupMenu2, &QMenu::aboutToShow, this, &TFormSetRecord::PopupMenu2Popup);
    // The dialog's background and its labels offer the record menu; the fields
    // keep their own text menus.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popupMenu2->popup(mapToGlobal(pos)); });
}

QPushButton* TFormSetRecord::dateButton(int fieldNo) const {
    return fieldNo == FieldNo::PubDate ? m_pubDateButton : m_buyDateButton;
}

void TFormSetRecord::setFieldLabel(int fieldNo, const QString& caption) {
    if (QLabel* label = m_labels[static_cast<size_t>(fieldNo)])
        label->setText(caption);
}

QString TFormSetRecord::controlText(int fieldNo) const {
    QWidget* c = control(fieldNo);
    if (auto* date = qobject_cast<DateMaskEdit*>(c))
        return date->dateText();
    if (auto* edit = qobject_cast<QLineEdit*>(c))
        return edit->text();
    if (auto* list = qobject_cast<QComboBox*>(c))
        return list->currentText();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(c))
        return memo->toPlainText();
    return QString();
}

// A stored text is shown whole: the fields' Shift-JIS limits bind what is typed,
// not what is loaded.
void TFormSetRecord::setControlText(int fieldNo, const QString& text) {
    QWidget* c = control(fieldNo);
    if (SjisLimitValidator* limit = m_limits[static_cast<size_t>(fieldNo)])
        limit->loaded(text);
    if (auto* date = qobject_cast<DateMaskEdit*>(c)) {
        date->setDateText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(c)) {
        edit->setText(text);
    } else if (auto* list = qobject_cast<QComboBox*>(c)) {
        list->setEditText(text);
    } else if (fieldNo == FieldNo::Memo) {
        m_memoLimit->load(text);
    }
}

void TFormSetRecord::FillDropDownLists() {
    m_listsFilled = true;
    CursorHookDetach detached(m_store);
    for (int field : kListFields) {
        QStringList values;
        m_store.GetDistinctValues(field, &values);
        if (values.isEmpty())
            continue;  // a column without values keeps its list
        auto* list = static_cast<QComboBox*>(control(field));
        const QString text = list->currentText();
        list->clear();
        list->addItems(values);
        list->setEditText(text);
    }
}

// ---- showing

void TFormSetRecord::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormSetRecord::setMode(RecordMode mode) {
    m_mode = mode;
    setWindowTitle(mode == RecordMode::Edit ? kEditCaption : kAddCaption);
}

void TFormSetRecord::FormShow() {
    BusyCursor busy;
    m_cancelled = false;
    CentreFormOver(m_mainWindow, this);
    if (!m_listsFilled)
        FillDropDownLists();
    resetDateForms();
    if (m_mode == RecordMode::Edit)
        LoadControlsFromRecord();
    else
        ClearControls();
    rememberShownTexts();
    m_note->clear();
    control(FieldNo::Title)->setFocus();
}

// The field's caption as the dialog shows it, without its "(&N)".
QString TFormSetRecord::captionOf(int field) const {
    QString caption = m_labels[static_cast<size_t>(field)]
                          ? m_labels[static_cast<size_t>(field)]->text()
                          : QString::fromUtf8(bookField(field).defaultLabel);
    return caption.left(caption.indexOf(QStringLiteral("(&")));
}

void TFormSetRecord::showNote(int field, const QString& note) {
    const QString text = QStringLiteral("%1: %2").arg(captionOf(field), note);
    m_note->setText(text);
    m_note->setToolTip(text);
    QWidget* box = control(field);
    QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())), note, box);
}

QString TFormSetRecord::notADateText(int field, const QString& text) const {
    return QStringLiteral("%1: '%2' は日付ではありません（yyyy/mm/dd または H01/01/08 の形）")
        .arg(captionOf(field), text);
}

void TFormSetRecord::rememberShownTexts() {
    for (int field : kFormFields)
        m_shownTexts[static_cast<size_t>(field)] = controlText(field);
}

bool TFormSetRecord::typedSinceShown() const {
    return m_readingBoxes->typedSinceShown() || m_isbn->changedSinceShown() ||
           std::any_of(kFormFields.begin(), kFormFields.end(), [this](int field) {
               return controlText(field) != m_shownTexts[static_cast<size_t>(field)];
           });
}

// True when nothing was typed since the fields were filled, or the user agrees
// to lose it; a question closed without an answer keeps the dialog.
bool TFormSetRecord::mayDiscardTypedText() {
    // A second Escape that reaches the dialog while it asks (an X server without
    // a window manager delivers it) asks nothing more and discards nothing.
    if (m_askingDiscard)
        return false;
    if (!typedSinceShown())
        return true;
    m_askingDiscard = true;
    const Answer answer = ShowMessageDialog(this, QStringLiteral("入力した内容を破棄しますか？"),
                                            kMessageConfirmation, kButtonsYesNoDefaultNo);
    m_askingDiscard = false;
    return answer == Answer::Yes;
}

void TFormSetRecord::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (mayDiscardTypedText())
            reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormSetRecord::closeEvent(QCloseEvent* event) {
    if (!m_cancelled && isVisible() && !mayDiscardTypedText()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFormSetRecord::resetDateForms() {
    for (DateMaskEdit* date : {m_pubDate, m_buyDate})
        date->setForm(DateForm::Western);
    m_pubDateButton->setText(kWesternCaption);
    m_buyDateButton->setText(kWesternCaption);
}

void TFormSetRecord::LoadControlsFromRecord() {
    const CachedDataset& q = m_store.QueryBook();
    for (int field : kFormFields)
        setControlText(field, isDateField(field) ? FormatDateText(q.text(field)) : q.text(field));
    const qint64 id = q.integer(q.fieldIndex(QStringLiteral("ID")));
    m_readingBoxes->load(id, readTexts(*this));
    m_isbn->show(m_store.isbns().isbnOf(id));
    m_givenReadings = {};
    m_foundCover.clear();
}

void TFormSetRecord::ClearControls() {
    for (int field : kFormFields)
        setControlText(field, QString());
    m_readingBoxes->clear();
    m_isbn->show({});
    m_givenReadings = {};
    m_foundCover.clear();
}

// ---- saving

bool TFormSetRecord::SaveControlsToRecord() {
    if (controlText(FieldNo::Title).isEmpty()) {
        ShowMessageDialog(this, QStringLiteral("項目 \"書名\" は必須項目です。"), kMessageError,
                          kButtonsOk);
        control(FieldNo::Title)->setFocus();  // where the missing text goes
        return false;
    }
    // An era date that names no day is refused like a Western one: stored as
    // "no date" it would erase what the user meant to keep.
    for (int field : {int(FieldNo::PubDate), int(FieldNo::BuyDate)}) {
        auto* date = static_cast<DateMaskEdit*>(control(field));
        const QString text = controlText(field);
        const bool era = date->form() == DateForm::Era;
        if (!IsEmptyDateText(text) &&
            (era ? DateTextToStore(text, DateForm::Era).isEmpty() : !shownDateToStored(text))) {
            ShowMessageDialog(this, notADateText(field, text), kMessageError, kButtonsOk);
            date->setFocus();
            return false;
        }
    }
    const std::optional<QString> isbn = m_isbn->typed();
    if (!isbn) {
        ShowMessageDialog(this, QStringLiteral("ISBN: ") + m_isbn->status()->text(), kMessageError,
                          kButtonsOk);
        m_isbn->box()->setFocus();
        return false;
    }
    if (!mayBeSameBookTwice() || !mayBeSameIsbnTwice(*isbn))
        return false;
    CursorHookDetach detached(m_store);
    CachedDataset& q = m_store.QueryBook();
    int current = -1;  // the field being written, to name it in a refusal
    try {
        q.edit();
        for (int field : kFormFields) {
            current = field;
            QString text = controlText(field);
            if (isDateField(field)) {
                const auto* date = static_cast<DateMaskEdit*>(control(field));
                text = DateTextToStore(text, date->form());
            }
            q.setText(field, text);
        }
        current = -1;
        const qint64 id = q.integer(q.fieldIndex(QStringLiteral("ID")));
        m_readingBoxes->save(id, readTexts(*this));
        saveGivenReadings(id);
        if (m_isbn->changedSinceShown())
            m_store.isbns().set(id, *isbn);
        if (!m_foundCover.isEmpty())
            m_store.covers().set(id, m_foundCover);
        q.post();
    } catch (const EngineError& e) {
        // The dialog stays open with what the user typed.
        ShowMessageDialog(this,
                          current >= 0
                              ? QStringLiteral("%1: %2").arg(captionOf(current), e.message())
                              : e.message(),
                          kMessageError, kButtonsOk);
        return false;
    }
    m_host.RefreshRecordStatus();
    return true;
}

// A book whose title and first writer another book has already (width, kana,
// case and blanks aside) is saved only when the user says so; an edit that
// leaves both as they were is not asked about again.
bool TFormSetRecord::mayBeSameBookTwice() {
    const QString title = controlText(FieldNo::Title), writer = controlText(FieldNo::Writer);
    if (m_mode == RecordMode::Edit && title == m_shownTexts[static_cast<size_t>(FieldNo::Title)] &&
        writer == m_shownTexts[static_cast<size_t>(FieldNo::Writer)])
        return true;
    const CachedDataset& q = m_store.QueryBook();
    const std::optional<SameBook> same =
        findSameBook(m_store.Database().handle(), q, q.integer(q.fieldIndex(QStringLiteral("ID"))),
                     title, writer);
    if (!same)
        return true;
    const QString book = same->writer.isEmpty()
                             ? QStringLiteral("「%1」").arg(same->title)
                             : QStringLiteral("「%1」%2").arg(same->title, same->writer);
    return ShowMessageDialog(this,
                             QStringLiteral("同じ書名・著者名の本がすでにあります（%1）。"
                                            "追加しますか？")
                                 .arg(book),
                             kMessageConfirmation, kButtonsYesNoDefaultNo) == Answer::Yes;
}

// A name saved into a pending book is offered at once, in its sorted place,
// not only once the changes are applied.
void TFormSetRecord::offerSavedValues() {
    const bool jis = m_store.host() ? m_store.host()->sortSettings().jis : true;
    auto before = [jis](const QString& a, const QString& b) {
        return jis ? JisOrder::instance().compare(a.toUtf8(), b.toUtf8()) < 0 : a < b;
    };
    for (int field : kListFields) {
        auto* list = static_cast<QComboBox*>(control(field));
        const QString text = list->currentText();
        if (text.isEmpty() || list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
            continue;
        int at = 0;
        while (at < list->count() && before(list->itemText(at), text))
            ++at;
        list->insertItem(at, text);
        list->setEditText(text);
    }
}

void TFormSetRecord::ButtonOkClick() {
    // A book shown and left as it was is no change to apply: its edit ends as
    // a cancel would end it.
    if (m_mode == RecordMode::Edit && !typedSinceShown()) {
        m_store.QueryBook().cancel();
        accept();
        return;
    }
    if (!SaveControlsToRecord())
        return;
    offerSavedValues();
    accept();
}

void TFormSetRecord::ButtonAddNewClick() {
    if (!SaveControlsToRecord())
        return;
    offerSavedValues();
    m_store.AppendRecord();
    setMode(RecordMode::Add);
    resetDateForms();
    ClearControls();
    rememberShownTexts();
    control(FieldNo::Title)->setFocus();
}

void TFormSetRecord::ButtonCancelClick() {
    reject();
}

bool TFormSetRecord::mayBeSameIsbnTwice(const QString& isbn) {
    if (isbn.isEmpty() || !m_isbn->changedSinceShown())
        return true;
    const CachedDataset& q = m_store.QueryBook();
    const qint64 other =
        m_store.isbns().bookWith(isbn, q.integer(q.fieldIndex(QStringLiteral("ID"))));
    if (other == 0)
        return true;
    return ShowMessageDialog(this,
                             QStringLiteral("同じ ISBN の本が既にあります（ID ") +
                                 QString::number(other) +
                                 QStringLiteral("）。\nこのまま保存しますか？"),
                             kMessageConfirmation, kButtonsYesNoDefaultNo) == Answer::Yes;
}

void TFormSetRecord::saveGivenReadings(qint64 id) {
    BookReadings* readings = m_store.readings();
    if (!readings || !readings->ready())
        return;
    for (int field = 0; field < kFieldCount; ++field) {
        const NdlName& given = m_givenReadings[static_cast<size_t>(field)];
        if (!given.reading.isEmpty() && controlText(field) == given.name)
            readings->setReading(id, field, given.reading);
    }
}

void TFormSetRecord::fillFromRecord(const BookFromRecord& book) {
    std::vector<std::pair<int, QString>> texts{{FieldNo::Title, book.title},
                                               {FieldNo::SubTitle, book.subtitle},
                                               {FieldNo::Translator, book.translator.name},
                                               {FieldNo::Publisher, book.publisher.name},
                                               {FieldNo::PubDate, book.pubDate}};
    const std::array<int, 5> writerFields{FieldNo::Writer, FieldNo::Writer2, FieldNo::Writer3,
                                          FieldNo::Writer4, FieldNo::Writer5};
    for (size_t i = 0; i < writerFields.size(); ++i)
        texts.emplace_back(writerFields[i],
                           i < book.writers.size() ? book.writers[i].name : QString());
    // What the user typed is kept unless they say otherwise.
    QStringList typed;
    for (const auto& [field, text] : texts) {
        const QString now = controlText(field);
        if (!text.isEmpty() && !now.isEmpty() && !IsEmptyDateText(now) &&
            now != (isDateField(field) ? FormatDateText(text) : text))
            typed << captionOf(field);
    }
    const bool replace =
        typed.isEmpty() ||
        ShowMessageDialog(this,
                          QStringLiteral("入力済みの項目（") + typed.join(QStringLiteral("、")) +
                              QStringLiteral("）を国立国会図書館の記録で置き換えますか？\n"
                                             "「いいえ」では空の項目だけに入れます。"),
                          kMessageConfirmation, kButtonsYesNoDefaultNo) == Answer::Yes;
    const BookReadings* readings = m_store.readings();
    auto given = [&](int field, NdlName name) {
        if (name.reading.isEmpty() || controlText(field) != name.name)
            return;
        if (name.readLength >= 0 && readings)
            name.reading = wholeReading(name.name, name.reading, name.readLength, field, *readings);
        else if (name.readLength >= 0)
            return;
        if (ReadingBoxes::hasBox(field))
            m_readingBoxes->give(field, name.name, name.reading);
        else
            m_givenReadings[static_cast<size_t>(field)] = name;
    };
    for (const auto& [field, text] : texts) {
        const QString now = controlText(field);
        if (text.isEmpty() || (!replace && !now.isEmpty() && !IsEmptyDateText(now)))
            continue;
        if (isDateField(field))
            setDateField(field, FormatDateText(text));
        else
            setControlText(field, text);
    }
    given(FieldNo::Title, {book.title, book.titleReading, book.titleReadLength});
    given(FieldNo::Publisher, book.publisher);
    given(FieldNo::Translator, book.translator);
    for (size_t i = 0; i < writerFields.size() && i < book.writers.size(); ++i)
        given(writerFields[i], book.writers[i]);
    if (!book.cover.isEmpty())
        m_foundCover = book.cover;
    // What the record says that no field holds (a month or a year for the
    // date, the roles, the writers past the fifth) goes in the memo.
    const QString memo = controlText(FieldNo::Memo);
    if (!book.memo.isEmpty() && !memo.contains(book.memo))
        setControlText(FieldNo::Memo,
                       memo.isEmpty() ? book.memo : memo + QStringLiteral("\n") + book.memo);
}

void TFormSetRecord::reject() {
    m_isbn->cancel();
    // Cancel, Escape and the close box alike: a new row is discarded, and an edit
    // (also one whose save failed part-way) returns to the stored values.
    // The row is dealt with before the dialog hides: once the main window has the
    // focus back, nothing may move the live query off the row first.
    if (!m_cancelled) {
        m_cancelled = true;
        CachedDataset& q = m_store.QueryBook();
        if (q.state() == DatasetState::Insert)
            m_store.DeleteCurrent(false);
        else
            q.cancel();
        hide();
    }
    QDialog::reject();
}

void TFormSetRecord::done(int result) {
    QDialog::done(result);
    // Every closing: changes held by the store put the main window into pending mode.
    if (m_store.QueryBook().updatesPending())
        m_host.SetPendingMode(true);
}

// ---- dates

void TFormSetRecord::ButtonDateChangeClick(int tag) {
    if (tag == 1)
        ToggleDateForm(m_pubDate, m_pubDateButton);
    else
        ToggleDateForm(m_buyDate, m_buyDateButton);
}

void TFormSetRecord::ToggleDateForm(DateMaskEdit* field, QPushButton* button) {
    // A date that the other form cannot show stays as it is, in its own form,
    // with a beep: switching never empties a field.
    const QString text = field->dateText();  // read before the mask changes
    field->setFocus();
    if (button->text() == kWesternCaption) {
        const QString era = WesternToEraText(text);  // beeps for a text that is no date
        if (era.isEmpty() && !IsEmptyDateText(text)) {
            if (IsWesternDateText(text))
                DateConversionBeep();  // a real date before the eras
            return;
        }
        button->setText(kEraCaption);
        field->setForm(DateForm::Era);
        field->setDateText(era);
    } else {
        const QString western = EraToWesternText(text);  // beeps for a text that is no date
        if (western.isEmpty() && !IsEmptyDateText(text))
            return;
        button->setText(kWesternCaption);
        field->setForm(DateForm::Western);
        field->setDateText(western);
    }
}

void TFormSetRecord::setDateField(int fieldNo, const QString& text) {
    // A pasted date keeps its form: an era text switches the field to the era form
    // and a Western text to the Western form, so nothing is lost or garbled.
    auto* field = static_cast<DateMaskEdit*>(control(fieldNo));
    QPushButton* button = dateButton(fieldNo);
    const bool era = !text.isEmpty() && text.at(0).isLetter();
    const bool western = !text.isEmpty() && text.at(0).isDigit();
    if (era && field->form() != DateForm::Era) {
        field->setForm(DateForm::Era);
        button->setText(kEraCaption);
    } else if (western && field->form() != DateForm::Western) {
        field->setForm(DateForm::Western);
        button->setText(kWesternCaption);
    }
    field->setDateText(IsEmptyDateText(text) ? QString() : text);
}

// ---- the record menu

bool TFormSetRecord::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the ISBN box of a book not yet filled in looks it up (what a
    // barcode reader sends after the digits); elsewhere it is OK.
    if (watched == m_isbn->box() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            controlText(FieldNo::Title).isEmpty()) {
            m_isbn->lookUp();
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu && qobject_cast<QLabel*>(watched)) {
        m_popupMenu2->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSetRecord::PopupMenu2Popup() {
    m_paste->setEnabled(ReadRecordFromClipboard(m_host.copyBuffer()));
}

void TFormSetRecord::menuP2CopyClick() {
    RecordCopyBuffer& buffer = m_host.copyBuffer();
    for (int field : kFormFields)
        buffer.setField(field, controlText(field));
    BuildRecordClipboardText(buffer, m_host.copyStyle());
}

void TFormSetRecord::menuP2PasteClick() {
    RecordCopyBuffer& buffer = m_host.copyBuffer();
    if (!ReadRecordFromClipboard(buffer))
        return;
    for (int field : kFormFields) {
        if (isDateField(field))
            setDateField(field, buffer.field(field));
        else
            setControlText(field, buffer.field(field));
    }
}

void TFormSetRecord::menuP2ClearClick() {
    ClearControls();
    control(FieldNo::Title)->setFocus();
}

}  // namespace quillo
