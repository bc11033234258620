#include "search/search_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/busy_cursor.h"
#include "platform/help_viewer.h"
#include "store/tdm.h"
#include "ui/dialog_geometry.h"
#include "ui/message_dialog.h"
#include "ui/remember_combo.h"

namespace quillo {

namespace {

QPushButton* button(const char* name, const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TFormSearch::TFormSearch(TDM& store, std::function<std::array<QString, kFieldCount>()> labels,
                         QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                              Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_store(store),
      m_labels(std::move(labels)),
      m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("TFormSearch"));
    setWindowTitle(QStringLiteral("検索"));
    const QString textHint = QStringLiteral("検索する文字列を入力します。");
    auto* label = new QLabel(QStringLiteral("検索文字列(&R)"));
    label->setObjectName(QStringLiteral("LabelSearchString"));
    label->setToolTip(textHint);
    m_text = new QComboBox;
    m_text->setObjectName(QStringLiteral("ComboBoxSearchString"));
    m_text->setEditable(true);
    m_text->setInsertPolicy(QComboBox::NoInsert);
    SuggestWithoutFilling(m_text);
    m_text->setToolTip(textHint);
    label->setBuddy(m_text);
    m_text->installEventFilter(this);
    m_text->lineEdit()->installEventFilter(this);
    connect(m_text, &QComboBox::editTextChanged, this, &TFormSearch::ComboBoxSearchStringChange);

    auto* group = new QGroupBox(QStringLiteral("対象項目"));
    group->setObjectName(QStringLiteral("GroupBoxDispItem"));
    group->setToolTip(QStringLiteral("検索対象とする項目を選択します。"));
    auto* grid = new QGridLayout(group);
    int index = 0;
    // The texts of the book, the title and the writer chosen at first. The
    // title's key is B here: N is 次を検索's.
    for (int field : kTextFields) {
        auto* box = new QCheckBox(field == FieldNo::Title ? QStringLiteral("書名(&B)")
                                                          : fieldChoiceCaption(field));
        box->setObjectName(QStringLiteral("CheckBoxSearch") +
                           QLatin1String(bookField(field).widgetName));
        box->setChecked(field == FieldNo::Title || field == FieldNo::Writer);
        connect(box, &QCheckBox::clicked, this, [this] { m_next->setEnabled(false); });
        grid->addWidget(box, index < 5 ? index : index - 5, index < 5 ? 0 : 1);
        m_boxes[static_cast<size_t>(field)] = box;
        ++index;
    }

    auto* modeBox = new QGroupBox(QStringLiteral("モード(&D)"));
    modeBox->setObjectName(QStringLiteral("RadioGroupSearchMode"));
    modeBox->setToolTip(QStringLiteral("検索一致の判定方法を選択します。"));
    auto* modeLayout = new QVBoxLayout(modeBox);
    m_mode = new QButtonGroup(this);
    for (const char* caption : {"曖昧検索", "完全一致"}) {
        auto* radio = new QRadioButton(QString::fromUtf8(caption));
        m_mode->addButton(radio, m_mode->buttons().size());
        modeLayout->addWidget(radio);
    }
    m_mode->button(0)->setChecked(true);
    connect(m_mode, &QButtonGroup::idClicked, this, [this] { m_next->setEnabled(false); });

    m_find = button("ButtonFind", QStringLiteral("検索(&F)"),
                    QStringLiteral("先頭レコードから検索を実行します。"));
    m_next = button("ButtonNext", QStringLiteral("次を検索(&N)"),
                    QStringLiteral("次のレコードを検索します。"));
    QPushButton* close = button("ButtonClose", QStringLiteral("閉じる(&C)"),
                                QStringLiteral("ダイアログを閉じます。"));
    m_next->setEnabled(false);
    connect(m_find, &QPushButton::clicked, this, &TFormSearch::ButtonFindClick);
    connect(m_next, &QPushButton::clicked, this, &TFormSearch::ButtonNextClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* text = new QHBoxLayout;
    text->addWidget(label);
    text->addWidget(m_text, 1);
    auto* middle = new QHBoxLayout;
    middle->addWidget(group);
    middle->addWidget(modeBox, 0, Qt::AlignTop);
    auto* left = new QVBoxLayout;
    left->addLayout(text);
    left->addLayout(middle);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_find);
    buttons->addWidget(m_next);
    buttons->addWidget(close);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);

    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { HelpViewer::instance().showContext(8); });
}

QString TFormSearch::notFoundText(const QString& text) {
    return QStringLiteral("検索文字列\n  '%1'\nは見つかりませんでした。").arg(text);
}

QString TFormSearch::noMoreText(const QString& text) {
    return QStringLiteral("検索文字列\n  '%1'\nに一致するレコードはこれ以上ありません。").arg(text);
}

void TFormSearch::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormSearch::FormShow() {
    BusyCursor busy;
    if (m_mainWindow) {
        const QScreen* screen = m_mainWindow->screen();
        const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
        const QPoint corner = m_mainWindow->frameGeometry().topLeft();
        const QSize size = frameGeometry().size();
        const int left = corner.x() + size.width() + 50 < screenSize.width()
                             ? corner.x() + 50
                             : screenSize.width() - size.width();
        const int top = corner.y() + size.height() + 50 < screenSize.height()
                            ? corner.y() + 50
                            : screenSize.height() - size.height();
        move(left, top);
    }
    const std::array<QString, kFieldCount> labels = m_labels();
    for (int k : kRenamableFields)
        m_boxes[static_cast<size_t>(k)]->setText(labels[static_cast<size_t>(k)] +
                                                 QString::fromUtf8(bookField(k).mnemonic));
    m_text->setFocus();
    m_next->setEnabled(false);
    m_find->setEnabled(!m_text->currentText().isEmpty());
}

void TFormSearch::ComboBoxSearchStringChange() {
    m_find->setEnabled(!m_text->currentText().isEmpty());
    m_store.EndSearch();
    m_next->setEnabled(false);
}

FieldFlags TFormSearch::chosenFields() const {
    FieldFlags flags{};
    for (int k = 0; k < kFieldCount; ++k) {
        const QCheckBox* box = m_boxes[static_cast<size_t>(k)];
        flags[static_cast<size_t>(k)] = box && box->isChecked() ? 1 : 0;
    }
    return flags;
}

void TFormSearch::ButtonFindClick() {
    const QString text = m_text->currentText();
    if (text.isEmpty())
        return;
    RememberComboText(m_text);
    const FieldFlags flags = chosenFields();
    const int found = m_store.Search(text, &flags, m_mode->checkedId() == 0);
    enableNext();
    if (found <= 0)
        ShowMessageDialog(this, notFoundText(text), kMessageInformation, kButtonsOk);
}

void TFormSearch::ButtonNextClick() {
    if (m_store.SearchNext() == -1)
        ShowMessageDialog(this, noMoreText(m_text->currentText()), kMessageInformation, kButtonsOk);
    enableNext();
}

// Next is offered exactly while the search has a match after the one shown.
// The match is where the user looks: the dialog moves off it when it covers it.
void TFormSearch::keepClearOfTheMatch() {
    if (!currentBookRect || !m_store.searchOpen() || m_store.MatchCount() == 0)
        return;
    const QRect row = currentBookRect();
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (row.isEmpty() || !screen)
        return;
    const QPoint place = positionClearOf(frameGeometry(), row, screen->geometry());
    if (place != frameGeometry().topLeft())
        move(place);
}

void TFormSearch::enableNext() {
    keepClearOfTheMatch();
    const bool more = m_store.searchOpen() && m_store.MatchIndex() < m_store.MatchCount();
    m_next->setEnabled(more);
    if (!showStatus)
        return;
    if (!m_store.searchOpen() || m_store.MatchCount() == 0)
        showStatus(QString());
    else if (more)
        showStatus(
            QStringLiteral("%1 / %2 件目の一致")
                .arg(QString::number(m_store.MatchIndex()), QString::number(m_store.MatchCount())));
    else
        showStatus(QStringLiteral("最後の一致です（%1 / %1 件）").arg(m_store.MatchCount()));
}

bool TFormSearch::eventFilter(QObject* watched, QEvent* event) {
    // The combo box has the focus and hands keys to its line edit itself, so
    // Enter is watched on both.
    if ((watched == m_text || watched == m_text->lineEdit()) && event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const int key = keyEvent->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RememberComboText(m_text);
            ButtonFindClick();
            return true;
        }
        // An Alt key that reaches the text was no enabled button's (次を検索 while
        // it is off): it is swallowed, not typed as its letter.
        if (keyEvent->modifiers() & Qt::AltModifier)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormSearch::done(int result) {
    // Every closing: the text joins the history and the search ends.
    hide();
    RememberComboText(m_text);
    m_store.EndSearch();
    QDialog::done(result);
}

}  // namespace quillo
