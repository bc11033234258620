#include "settings/options_dialog.h"

#include <tuple>
#include <utility>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/busy_cursor.h"
#include "platform/help_viewer.h"
#include "store/tdm.h"
#include "ui/message_dialog.h"
#include "ui/remember_combo.h"
#include "ui/sjis_limit.h"
#include "widgets/font_combos.h"

namespace quillo {

namespace {

const QString kNone = QStringLiteral("なし");
constexpr int kFieldNameLimitBytes = 64;  // Shift-JIS bytes, as the record's longer fields

// The fields the sort lists offer, in their order: those a CSV line carries.
constexpr auto kSortFields = kCsvFields;

const std::array<std::pair<const char*, const char*>, 5> kPairs = {
    {{"『", "』"}, {"「", "」"}, {"【", "】"}, {"”", "”"}, {"’", "’"}}};

QCheckBox* checkBox(const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QString L(const char* text) {
    return QString::fromUtf8(text);
}

// The 並び順 entry that shows a collation: reading, JIS or code-point order.
int collationIndex(const AppSettings& s) {
    return s.SortReading ? 0 : s.SortJis ? 1 : 2;
}

}  // namespace

TFormOption::TFormOption(TDM& store, OptionsDialogHost& host, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                              Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_store(store),
      m_host(host),
      m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("TFormOption"));
    setWindowTitle(QStringLiteral("オプション"));
    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->setUsesScrollButtons(false);
    m_pages->addTab(generalPage(), QStringLiteral("全  般"));
    m_pages->addTab(sortPage(), QStringLiteral("ソート"));
    m_pages->addTab(displayPage(), QStringLiteral("表示項目"));
    m_pages->addTab(filterPage(), QStringLiteral("フィルター"));
    m_pages->addTab(namePage(), QStringLiteral("項目名"));
    m_pages->addTab(clipboardPage(), QStringLiteral("クリップボードコピー設定"));
    m_pages->addTab(fontPage(), QStringLiteral("フォント"));

    auto button = [this](const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* ok = button("ButtonOK", QStringLiteral("&OK"),
                             QStringLiteral("設定を有効にし、ダイアログを閉じます。"));
    ok->setDefault(true);
    QPushButton* cancel = button("ButtonCancel", QStringLiteral("キャンセル"),
                                 QStringLiteral("設定を取り消し、ダイアログを閉じます。"));
    QPushButton* apply =
        button("ButtonApply", QStringLiteral("適  用(&A)"), QStringLiteral("設定を有効にします。"));
    connect(ok, &QPushButton::clicked, this, [this] { ButtonOKClick(true); });
    connect(apply, &QPushButton::clicked, this, [this] { ButtonOKClick(false); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(apply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);
    // Ctrl+Tab turns the pages wherever the focus is: a drop-down list would
    // otherwise keep the key to itself.
    auto turn = [this](int by) {
        const int count = m_pages->count();
        m_pages->setCurrentIndex((m_pages->currentIndex() + by + count) % count);
    };
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this), &QShortcut::activated, this,
            [turn] { turn(1); });
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, [turn] { turn(-1); });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { HelpViewer::instance().showContext(9); });

    // Filled once; these keep what the user leaves in them between showings.
    const AppSettings& s = m_host.settings();
    m_sortOption->button(s.SortOption != 0 ? 1 : 0)->setChecked(true);
    m_collation->setCurrentIndex(collationIndex(s));
    for (int k = 1; k < kFieldCount; ++k)
        m_visible[static_cast<size_t>(k)]->setChecked(s.FieldVisible[static_cast<size_t>(k)]);
    for (int k : kRenamableFields)
        m_names[static_cast<size_t>(k)]->setText(s.FieldLabels[static_cast<size_t>(k)]);
}

QWidget* TFormOption::generalPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetGeneral"));
    auto* group = new QGroupBox(QStringLiteral("確認ダイアログボックス"));
    auto* layout = new QVBoxLayout(group);
    const char* names[] = {"CheckBoxConfirmExit", "CheckBoxConfirmApply", "CheckBoxConfirmCancel",
                           "CheckBoxConfirmDelete"};
    const char* captions[] = {"終了時に更新適用されていない場合に表示する。",
                              "更新適用時に表示する。", "更新取り消し時に表示する。",
                              "レコード削除時に表示する。"};
    for (size_t i = 0; i < 4; ++i) {
        m_confirm[i] = checkBox(names[i], L(captions[i]));
        layout->addWidget(m_confirm[i]);
    }
    // Whether an ISBN may go to the library: the answer to the first look-up's
    // question, changed here either way.
    auto* lookup = new QGroupBox(QStringLiteral("ISBN から調べる"));
    m_lookup = checkBox("CheckBoxLookup", QStringLiteral("国立国会図書館で調べる(&N)"));
    m_lookup->setToolTip(
        QStringLiteral("本を調べるとき、入力した ISBN を国立国会図書館（国立国会図書館サーチ）に"
                       "送ります。"));
    (new QVBoxLayout(lookup))->addWidget(m_lookup);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(group);
    pageLayout->addWidget(lookup);
    pageLayout->addStretch();
    return page;
}

QWidget* TFormOption::sortPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetSort"));
    auto combo = [](const char* name, int tag) {
        auto* c = new QComboBox;
        c->setObjectName(QString::fromLatin1(name));
        c->setProperty("tag", tag);
        c->setToolTip(QStringLiteral("ソートする項目を選択します。"));
        return c;
    };
    m_sort1 = combo("ComboBoxSortField", 1);
    m_sort2 = combo("ComboBoxSecondSortField", 2);
    auto* label1 = new QLabel(QStringLiteral("第１ソート項目(&S)"));
    label1->setBuddy(m_sort1);
    auto* label2 = new QLabel(QStringLiteral("第２ソート項目(&2)"));
    label2->setBuddy(m_sort2);
    auto* option = new QGroupBox(QStringLiteral("オプション(&I)"));
    option->setObjectName(QStringLiteral("RadioGroupSortOption"));
    option->setToolTip(QStringLiteral("ソート方法を選択します。"));
    auto* optionLayout = new QVBoxLayout(option);
    m_sortOption = new QButtonGroup(this);
    for (const char* caption : {"昇順", "降順"}) {
        auto* radio = new QRadioButton(L(caption));
        m_sortOption->addButton(radio, m_sortOption->buttons().size());
        optionLayout->addWidget(radio);
    }
    m_collation = new QComboBox;
    m_collation->setObjectName(QStringLiteral("ComboBoxCollation"));
    m_collation->addItems({QStringLiteral("読み順（五十音、数は大きさ順）"),
                           QStringLiteral("JIS順（読みに近い）"), QStringLiteral("文字コード順")});
    m_collation->setToolTip(QStringLiteral(
        "文字の並べ方を選択します。読み順では書名・著者名・出版社が読みの五十音順に、"
        "巻の数（2、第10巻、十二、Ⅲ、上・中・下）は大きさの順に並びます。JIS順では第一水準の"
        "漢字が読みの順に、数は文字の順に並びます。"));
    auto* collationLabel = new QLabel(QStringLiteral("並び順(&J)"));
    collationLabel->setBuddy(m_collation);
    auto* grid = new QGridLayout(page);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(m_sort1, 0, 1);
    grid->addWidget(label2, 1, 0);
    grid->addWidget(m_sort2, 1, 1);
    grid->addWidget(option, 2, 0, 1, 2);
    grid->addWidget(collationLabel, 3, 0);
    grid->addWidget(m_collation, 3, 1);
    grid->setRowStretch(4, 1);
    return page;
}

QWidget* TFormOption::displayPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetDisplayField"));
    auto* group = new QGroupBox(QStringLiteral("一覧表示時の表示項目を選択します。"));
    auto* grid = new QGridLayout(group);
    for (int k = 1; k < kFieldCount; ++k) {
        auto* box = new QCheckBox(fieldChoiceCaption(k));
        box->setObjectName(QStringLiteral("CheckBoxVisible") +
                           QLatin1String(bookField(k).widgetName));
        box->setProperty("tag", k);
        m_visible[static_cast<size_t>(k)] = box;
        grid->addWidget(box, (k - 1) % 7, (k - 1) / 7);
    }
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

QWidget* TFormOption::filterPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetFilter"));
    m_filterText = new QComboBox;
    m_filterText->setObjectName(QStringLiteral("ComboBoxFilterString"));
    m_filterText->setEditable(true);
    m_filterText->setInsertPolicy(QComboBox::NoInsert);
    SuggestWithoutFilling(m_filterText);
    m_filterText->setToolTip(QStringLiteral("フィルターとする文字列を入力します。"));
    m_filterText->lineEdit()->installEventFilter(this);
    auto* label = new QLabel(QStringLiteral("フィルター文字(&R)"));
    label->setBuddy(m_filterText);
    auto* group = new QGroupBox(QStringLiteral("対象項目"));
    group->setToolTip(QStringLiteral("フィルター文字列を検索する対象項目を選択します。"));
    auto* grid = new QGridLayout(group);
    int i = 0;
    for (int field : kTextFields) {
        auto* box = new QCheckBox(fieldChoiceCaption(field));
        box->setObjectName(QStringLiteral("CheckBoxFilter") +
                           QLatin1String(bookField(field).widgetName));
        m_filter[static_cast<size_t>(field)] = box;
        grid->addWidget(box, i % 6, i / 6);
        ++i;
    }
    auto* clear = new QPushButton(QStringLiteral("フィルター解除(&C)"));
    clear->setObjectName(QStringLiteral("ButtonCancelFileter"));
    clear->setToolTip(QStringLiteral("フィルター設定を解除します。"));
    clear->setAutoDefault(false);
    connect(clear, &QPushButton::clicked, this, &TFormOption::ButtonCancelFilterClick);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        new QLabel(QStringLiteral("表示レコードを指定した文字列が含まれるものに絞り込みます。")));
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_filterText, 1);
    layout->addLayout(row);
    layout->addWidget(group);
    layout->addWidget(clear, 0, Qt::AlignRight);
    return page;
}

QWidget* TFormOption::namePage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetFieldName"));
    auto* grid = new QGridLayout;
    int row = 0;
    for (int k : kRenamableFields) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("EditFName") + QLatin1String(bookField(k).widgetName));
        edit->setToolTip(QStringLiteral("変更する項目名を入力します。"));
        // A name the settings file cannot hold would make every later save fail.
        edit->setValidator(new SjisLimitValidator(kFieldNameLimitBytes, edit));
        auto* label = new QLabel(QString::fromUtf8(bookField(k).defaultLabel) +
                                 QString::fromUtf8(bookField(k).mnemonic));
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row++, 1);
        m_names[static_cast<size_t>(k)] = edit;
    }
    auto* defaults = new QPushButton(QStringLiteral("デフォルト(&D)"));
    defaults->setObjectName(QStringLiteral("ButtonSetDefaultFieldName"));
    defaults->setToolTip(QStringLiteral("項目名の設定をデフォルトに戻します。"));
    defaults->setAutoDefault(false);
    connect(defaults, &QPushButton::clicked, this, &TFormOption::ButtonSetDefaultFieldNameClick);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        new QLabel(QStringLiteral("項目 著者名２～５の項目名称を任意の名称に設定します。")));
    layout->addLayout(grid);
    layout->addWidget(defaults, 0, Qt::AlignRight);
    layout->addStretch();
    return page;
}

QWidget* TFormOption::clipboardPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetClipCopy"));
    auto* group = new QGroupBox(QStringLiteral("コピースタイル(&T)"));
    m_multiLines = new QRadioButton(QStringLiteral("項目毎に改行してコピー(&M)"));
    m_multiLines->setObjectName(QStringLiteral("RadioButtonMultiLines"));
    m_multiLines->setToolTip(QStringLiteral("クリップボードにコピーする時、項目毎に改行します。"));
    m_addLabel = checkBox("CheckBoxAddLabel", QStringLiteral("項目名を付加(&L)"));
    m_addLabel->setToolTip(QStringLiteral("項目名を付加します。"));
    m_singleLine = new QRadioButton(QStringLiteral("１行でコピー(&S)"));
    m_singleLine->setObjectName(QStringLiteral("RadioButtonSingleLine"));
    m_singleLine->setToolTip(QStringLiteral("クリップボードにコピーする時、１行でコピーします。"));
    m_titleCircle = checkBox("CheckBoxTitleCircle", QStringLiteral("項目を囲む(&B)"));
    m_titleCircle->setToolTip(QStringLiteral("項目を選択文字で囲むか、否かを選択します。"));
    m_titleChar = new QComboBox;
    m_titleChar->setObjectName(QStringLiteral("ComboBoxTitleChar"));
    m_titleChar->setToolTip(QStringLiteral("項目を囲む場合の文字を選択します。"));
    for (const auto& pair : kPairs)
        m_titleChar->addItem(L(pair.first) + L(pair.second));
    m_skipPoor = checkBox("CheckBoxSkipPoor", QStringLiteral("空の項目はスキップする(&P)"));
    connect(m_multiLines, &QRadioButton::clicked, this, &TFormOption::RadioButtonCopyStyleClick);
    connect(m_singleLine, &QRadioButton::clicked, this, &TFormOption::RadioButtonCopyStyleClick);
    connect(m_titleCircle, &QCheckBox::clicked, this,
            [this] { m_titleChar->setEnabled(m_titleCircle->isChecked()); });
    auto* groupLayout = new QGridLayout(group);
    groupLayout->addWidget(m_multiLines, 0, 0, 1, 2);
    groupLayout->addWidget(m_addLabel, 1, 1);
    groupLayout->addWidget(m_singleLine, 2, 0, 1, 2);
    groupLayout->addWidget(m_titleCircle, 3, 1);
    groupLayout->addWidget(m_titleChar, 3, 2);
    groupLayout->setColumnMinimumWidth(0, 16);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        new QLabel(QStringLiteral("クリップボードにレコードをコピーする場合の設定をします。")));
    layout->addWidget(group);
    layout->addWidget(m_skipPoor);
    layout->addStretch();
    return page;
}

QWidget* TFormOption::fontPage() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheetFont"));
    auto row = [](const char* caption, TFontNameCombo*& name, TFontStyleCombo*& style,
                  TFontSizeCombo*& size, const char* suffix) {
        auto* group = new QGroupBox(L(caption));
        name = new TFontNameCombo;
        name->setObjectName(QStringLiteral("FontNameCombo") + L(suffix));
        style = new TFontStyleCombo;
        style->setObjectName(QStringLiteral("FontStyleCombo") + L(suffix));
        size = new TFontSizeCombo;
        size->setObjectName(QStringLiteral("FontSizeCombo") + L(suffix));
        auto* used = new QLabel;
        used->setObjectName(QStringLiteral("LabelFontUsed") + L(suffix));
        // A font the system does not have is drawn with another: say which.
        QObject::connect(name, &QComboBox::currentTextChanged, used, [name, used] {
            const QString family = name->usedFamily();
            used->setText(family == name->FontName() ? QString()
                                                     : QStringLiteral("（表示: %1）").arg(family));
        });
        auto* layout = new QGridLayout(group);
        layout->addWidget(name, 0, 0);
        layout->addWidget(style, 0, 1);
        layout->addWidget(size, 0, 2);
        layout->addWidget(used, 1, 0, 1, 3);
        layout->setColumnStretch(0, 1);
        return group;
    };
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("一覧表示に使用するフォントを指定します。")));
    layout->addWidget(
        row("項目名表示フォント(&T) ", m_titleName, m_titleStyle, m_titleSize, "Title"));
    layout->addWidget(
        row("レコード表示フォント(&R) ", m_recordName, m_recordStyle, m_recordSize, "Record"));
    layout->addStretch();
    return page;
}

// ---- showing

void TFormOption::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormOption::fillSortLists() {
    const AppSettings& s = m_host.settings();
    m_sort1->clear();
    m_sort2->clear();
    m_sort2->addItem(kNone);
    for (int field : kSortFields) {
        m_sort1->addItem(s.FieldLabels[static_cast<size_t>(field)], field);
        m_sort2->addItem(s.FieldLabels[static_cast<size_t>(field)], field);
    }
    const FieldNameTable names;
    auto indexOf = [&names](QComboBox* combo, const QString& column) {
        const int field = names.fieldNoOf(column);
        return field < 0 ? -1 : combo->findData(field);
    };
    m_sort1->setCurrentIndex(indexOf(m_sort1, s.SortField1));
    m_sort2->setCurrentIndex(s.SortField2.isEmpty() ? 0 : indexOf(m_sort2, s.SortField2));
}

void TFormOption::FormShow() {
    BusyCursor busy;
    m_filterEnded = false;
    m_host.CaptureColumnWidths();
    CentreFormOver(m_mainWindow, this);
    const AppSettings& s = m_host.settings();
    m_confirm[0]->setChecked(s.ConfirmExit);
    m_confirm[1]->setChecked(s.ConfirmApply);
    m_confirm[2]->setChecked(s.ConfirmCancel);
    m_confirm[3]->setChecked(s.ConfirmDelete);
    m_lookup->setChecked(s.LookupEnabled);
    m_titleName->SetFontName(s.TitleFont.name);
    m_titleSize->SetFontSize(s.TitleFont.size);
    m_titleStyle->SetFontStyles(s.TitleFont);
    m_recordName->SetFontName(s.RecordFont.name);
    m_recordSize->SetFontSize(s.RecordFont.size);
    m_recordStyle->SetFontStyles(s.RecordFont);
    fillSortLists();
    for (int k : kRenamableFields) {
        const QString caption =
            s.FieldLabels[static_cast<size_t>(k)] + QString::fromUtf8(bookField(k).mnemonic);
        m_visible[static_cast<size_t>(k)]->setText(caption);
        m_filter[static_cast<size_t>(k)]->setText(caption);
    }
    // Every control shows the settings afresh, so what a cancelled showing left
    // in them is never taken by a later OK.
    m_sortOption->button(s.SortOption != 0 ? 1 : 0)->setChecked(true);
    m_collation->setCurrentIndex(collationIndex(s));
    for (int k = 1; k < kFieldCount; ++k)
        m_visible[static_cast<size_t>(k)]->setChecked(s.FieldVisible[static_cast<size_t>(k)]);
    m_filterText->setEditText(s.FilterText);
    for (int k = 0; k < kFieldCount; ++k) {
        if (QCheckBox* box = m_filter[static_cast<size_t>(k)])
            box->setChecked(s.FilterFields[static_cast<size_t>(k)]);
    }
    for (int k : kRenamableFields)
        m_names[static_cast<size_t>(k)]->setText(s.FieldLabels[static_cast<size_t>(k)]);
    m_addLabel->setChecked(s.CopyAddLabel);
    m_titleCircle->setChecked(s.CopyAddChar);
    // Strings of the user's own (from the settings file) match no pair: nothing
    // is selected then, and OK keeps them.
    m_titleChar->setCurrentIndex(-1);
    for (size_t i = 0; i < kPairs.size(); ++i) {
        if (L(kPairs[i].first) == s.AddStringStart && L(kPairs[i].second) == s.AddStringEnd)
            m_titleChar->setCurrentIndex(static_cast<int>(i));
    }
    (s.CopyType == 1 ? m_multiLines : m_singleLine)->setChecked(true);
    RadioButtonCopyStyleClick();
    m_skipPoor->setChecked(s.SkipPoorField);
    QWidget* focus[] = {m_confirm[0],
                        m_sort1,
                        m_visible[FieldNo::Title],
                        m_filterText,
                        m_names[FieldNo::Writer2],
                        m_multiLines,
                        m_titleName};
    focus[std::clamp(m_pages->currentIndex(), 0, 6)]->setFocus();
}

// ---- the tabs' own buttons

void TFormOption::RadioButtonCopyStyleClick() {
    const bool lines = m_multiLines->isChecked();
    m_addLabel->setEnabled(lines);
    m_titleCircle->setEnabled(!lines);
    m_titleChar->setEnabled(!lines && m_titleCircle->isChecked());
}

void TFormOption::ButtonCancelFilterClick() {
    m_filterText->setEditText(QString());
    m_filterEnded = m_filterEnded || !m_store.FilterCondition().isEmpty();
    m_store.ClearFilterCondition();
    for (QCheckBox* box : m_filter) {
        if (box)
            box->setChecked(false);
    }
}

void TFormOption::ButtonSetDefaultFieldNameClick() {
    for (int k : kRenamableFields)
        m_names[static_cast<size_t>(k)]->setText(QString::fromUtf8(bookField(k).defaultLabel));
}

bool TFormOption::eventFilter(QObject* watched, QEvent* event) {
    // The combo box has the focus and hands keys to its line edit itself, so
    // Enter is watched on both.
    if ((watched == m_filterText || watched == m_filterText->lineEdit()) &&
        event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            RememberComboText(m_filterText);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// Each entry carries its field number, so a renamed field (even one named like
// another field, or like "なし") sorts by its own column.
void TFormOption::ComboBoxSortFieldChange(QComboBox* combo) {
    AppSettings& s = m_host.settings();
    if (combo->currentIndex() < 0)
        return;  // no selection: the key stays
    const int tag = combo->property("tag").toInt();
    const QVariant data = combo->currentData();
    if (!data.isValid()) {
        if (tag == 2)
            s.SortField2.clear();  // "なし"
        return;
    }
    const QString column = FieldNameTable().name(data.toInt());
    if (tag == 1)
        s.SortField1 = column;
    else if (tag == 2)
        s.SortField2 = column;
}

// ---- OK and Apply

namespace {

bool noneTicked(const std::array<QCheckBox*, kFieldCount>& boxes) {
    return std::none_of(boxes.begin(), boxes.end(),
                        [](const QCheckBox* box) { return box && box->isChecked(); });
}

}  // namespace

// Says why the settings cannot be taken and shows the tab to mend them on;
// nothing is changed.
void TFormOption::refuseOnTab(const char* tab, const QString& text) {
    m_pages->setCurrentWidget(findChild<QWidget*>(QString::fromLatin1(tab)));
    ShowMessageDialog(this, text, kMessageWarning, kButtonsOk);
}

void TFormOption::ButtonOKClick(bool ok) {
    // A filter text with no field to look in would do nothing.
    if (!m_filterText->currentText().isEmpty() && noneTicked(m_filter))
        return refuseOnTab("TabSheetFilter",
                           QStringLiteral("フィルターの対象項目が選択されていません。\n"
                                          "対象項目を選択してください。"));
    // A list with no column shows nothing and prints blank pages.
    if (noneTicked(m_visible))
        return refuseOnTab("TabSheetDisplayField",
                           QStringLiteral("一覧に表示する項目が選択されていません。\n"
                                          "表示する項目を選択してください。"));
    CursorHookDetach detached(m_store);
    BusyCursor busy;
    AppSettings& s = m_host.settings();
    auto sortOf = [](const AppSettings& s) {
        // In reading order, the JIS choice beneath it orders nothing.
        const int collation = s.SortReading ? 0 : s.SortJis ? 1 : 2;
        return std::tuple(s.SortField1, s.SortField2, s.SortOption, collation);
    };
    const auto sortBefore = sortOf(s);
    ComboBoxSortFieldChange(m_sort1);
    ComboBoxSortFieldChange(m_sort2);
    s.SortOption = m_sortOption->checkedId() != 0 ? 1 : 0;
    s.SortReading = m_collation->currentIndex() == 0;
    s.SortJis = m_collation->currentIndex() != 2;
    s.ConfirmExit = m_confirm[0]->isChecked();
    s.ConfirmApply = m_confirm[1]->isChecked();
    s.ConfirmCancel = m_confirm[2]->isChecked();
    s.ConfirmDelete = m_confirm[3]->isChecked();
    // A choice made here is the answer: the first look-up asks no more.
    if (m_lookup->isChecked() != s.LookupEnabled) {
        s.LookupEnabled = m_lookup->isChecked();
        s.LookupAsked = true;
    }
    m_titleStyle->applyTo(s.TitleFont);
    s.TitleFont.name =
        m_titleName->FontName().isEmpty() ? s.TitleFont.name : m_titleName->FontName();
    s.TitleFont.size = m_titleSize->FontSize();
    s.RecordFont.name =
        m_recordName->FontName().isEmpty() ? s.RecordFont.name : m_recordName->FontName();
    s.RecordFont.size = m_recordSize->FontSize();
    m_recordStyle->applyTo(s.RecordFont);
    m_host.applyFonts();

    s.FilterText = m_filterText->currentText();
    if (s.FilterText.isEmpty()) {
        // An emptied filter box ends the filter, as the cancel button does; a
        // condition left behind would narrow every later search unseen. With
        // no filter to end and the order as it was, the list stands: reading
        // 100,000 books again for nothing would be a wait for nothing.
        const bool narrowed = !m_store.FilterCondition().isEmpty() || m_store.specialListShown() ||
                              std::exchange(m_filterEnded, false);
        if (narrowed || sortOf(s) != sortBefore) {
            m_store.ClearFilterCondition();
            m_store.QueryAll();
        }
    } else {
        RememberComboText(m_filterText);
        for (int k = 0; k < kFieldCount; ++k) {
            const QCheckBox* box = m_filter[static_cast<size_t>(k)];
            s.FilterFields[static_cast<size_t>(k)] = box && box->isChecked();
        }
        const FieldFlags flags = s.filterFlags();
        m_store.ApplyFilter(s.FilterText, &flags);
    }
    for (int k = 1; k < kFieldCount; ++k)
        s.FieldVisible[static_cast<size_t>(k)] = m_visible[static_cast<size_t>(k)]->isChecked();
    for (int k : kRenamableFields) {
        QLineEdit* edit = m_names[static_cast<size_t>(k)];
        if (edit->text().isEmpty())
            edit->setText(QStringLiteral(" "));
        s.FieldLabels[static_cast<size_t>(k)] = edit->text();
    }
    s.CopyType = m_multiLines->isChecked() ? 1 : 2;
    s.CopyAddLabel = m_addLabel->isChecked();
    s.CopyAddChar = m_titleCircle->isChecked();
    if (m_titleChar->currentIndex() >= 0) {
        s.AddStringStart = L(kPairs[static_cast<size_t>(m_titleChar->currentIndex())].first);
        s.AddStringEnd = L(kPairs[static_cast<size_t>(m_titleChar->currentIndex())].second);
    }
    s.SkipPoorField = m_skipPoor->isChecked();
    m_host.RefreshRecordStatus();
    m_host.ApplyFieldLabels();
    if (ok)
        hide();
    m_host.ApplyColumnLayout();
    m_host.RefreshNavigation();
    if (ok)
        accept();
}

}  // namespace quillo
