// The main window's controls: commands, menus, tool bar, status bar, the two
// views, and the keys the window takes before the focused control.
#include <QActionGroup>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QStackedLayout>
#include <QStatusBar>
#include <QToolBar>

#include "app/book_grid.h"
#include "app/book_list_model.h"
#include "app/card_view.h"
#include "app/main_window.h"
#include "app/welcome_view.h"
#include "edit/date_text.h"
#include "edit/record_dialog.h"
#include "search/search_dialog.h"
#include "store/tdm.h"
#include "widgets/font_of.h"

namespace quillo {

namespace {

struct ToolButtonSpec {
    const char* name;
    const char* shortHint;
    const char* command;  // the menu entry whose long hint and handler it shares
    const char* icon;
};

// From the left; nullptr marks a separator.
const ToolButtonSpec kToolButtons[] = {
    {"ToolButtonApply", "更新適用", "menuFApply", "apply"},
    {"ToolButtonCancel", "更新取消し", "menuFCancel", "cancel"},
    {nullptr, nullptr, nullptr, nullptr},
    {"ToolButtonPrint", "印刷", "menuFPrint", "print"},
    {"ToolButtonPreview", "プレビュー", "menuFPrintPreview", "preview"},
    {nullptr, nullptr, nullptr, nullptr},
    {"ToolButtonEdit", "編集", "menuEEdit", "edit"},
    {"ToolButtonAdd", "追加", "menuEAdd", "add"},
    {"ToolButtonDelete", "削除", "menuEDelete", "delete"},
    {nullptr, nullptr, nullptr, nullptr},
    {"ToolButtonFirst", "先頭レコード移動", "menuEFirst", "first"},
    {"ToolButtonPrior", "前レコード移動", "menuEPrior", "prior"},
    {"ToolButtonNext", "次レコード移動", "menuENext", "next"},
    {"ToolButtonLast", "最終レコード移動", "menuELast", "last"},
    {nullptr, nullptr, nullptr, nullptr},
    {"ToolButtonFind", "検索", "menuESearch", "find"},
    {nullptr, nullptr, nullptr, nullptr},
    {"ToolButtonViewList", "一覧表示", "menuVViewTypeList", "list"},
    {"ToolButtonViewRecord", "カード表示", "menuVViewTypeRecord", "card"},
};

}  // namespace

QAction* TFormMainWin::command(const char* name, const char* caption, const char* hint,
                               void (TFormMainWin::*handler)(), const QKeySequence& key) {
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(QString::fromUtf8(hint));
    if (!key.isEmpty())
        action->setShortcut(key);
    if (handler)
        connect(action, &QAction::triggered, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    m_controls.insert(action->objectName(), action);
    addAction(action);  // its key works while the menu bar is hidden too
    return action;
}

void TFormMainWin::buildCommands() {
    using W = TFormMainWin;
    command("menuFApply", "更新適用(&A)", "レコードに対する更新を適用します。",
            &W::menuFApplyClick);
    command("menuFCancel", "更新取消し(&C)", "レコードに対する更新を取消します。",
            &W::menuFCancelClick);
    command("menuFIoCsv", "CSV形式変換(&O)...", "レコードデータとCSV形式ファイルの変換を行います。",
            &W::menuFIoCsvClick);
    command("menuFPrint", "印刷(&P)...", "印刷を実行します。", &W::menuFPrintClick);
    command("menuFPrintPreview", "印刷プレビュー(&V)...", "印刷イメージを表示します。",
            &W::menuFPrintPreviewClick);
    command("menuFPageSetup", "プリンター設定(&U)...", "プリンターの設定を行います。",
            &W::menuFPageSetupClick);
    command("menuVSameBooks", "重複の候補(&D)",
            "同じ書名・著者名の本だけを表示します。もう一度選ぶと元の一覧に戻ります。",
            &W::menuVSameBooksClick)
        ->setCheckable(true);
    command("menuVReadingReview", "読みの確認(&R)",
            "読みが確かでない本（辞書にない漢字を一字ずつ読んだもの、読みの決まらない名前）だけ"
            "を表示します。もう一度選ぶと元の一覧に戻ります。",
            &W::menuVReadingReviewClick)
        ->setCheckable(true);
    command("menuVStatistics", "統計(&S)...",
            "一覧の本を、購入年・初版の年代・著者・出版社・分類ごとにグラフで表示します。",
            &W::menuVStatisticsClick);
    command("menuFRestore", "バックアップから復元(&B)...",
            "自動で作られたバックアップの一つから、カタログを復元します。", &W::menuFRestoreClick);
    command("menuFExit", "終了(&X)", "Quilloを終了します。", &W::menuFExitClick);
    QAction* edit =
        command("menuEEdit", "編集(&E)...", "選択レコードの編集を行います。", &W::menuEEditClick);
    edit->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    command("menuEAdd", "追加(&A)...", "レコードの追加を行います。", &W::menuEAddClick,
            QKeySequence(Qt::Key_Insert));
    command("menuEDelete", "削除(&D)", "選択レコードを削除します。", &W::menuEDeleteClick,
            QKeySequence(Qt::Key_Delete));
    command("menuECopy", "コピー(&C)", "選択レコードのデータをクリップボードにコピーします。",
            &W::menuECopyClick, QKeySequence(Qt::CTRL | Qt::Key_C));
    command("menuEFirst", "先頭へ(&T)", "選択レコードを先頭のレコードに移動します。",
            &W::menuEFirstClick, QKeySequence(Qt::Key_Home));
    command("menuEPrior", "前へ(&P)", "選択レコードを前のレコードに移動します。",
            &W::menuEPriorClick, QKeySequence(Qt::Key_Up));
    command("DummyLeft", "", "", &W::menuEPriorClick, QKeySequence(Qt::Key_Left));
    command("menuENext", "次へ(&N)", "選択レコードを次のレコードに移動します。", &W::menuENextClick,
            QKeySequence(Qt::Key_Down));
    command("DummyRight", "", "", &W::menuENextClick, QKeySequence(Qt::Key_Right));
    command("menuELast", "最後へ(&B)", "選択レコードを最後のレコードに移動します。",
            &W::menuELastClick, QKeySequence(Qt::Key_End));
    command("menuESearch", "検索(&F)...", "レコードに対し検索を行います。", &W::menuESearchClick,
            QKeySequence(Qt::Key_F3));
    command("menuVToolBar", "ツールバー(&T)", "ツールバーの表示/非表示を切り替えます。",
            &W::menuVToolBarClick)
        ->setCheckable(true);
    command("menuVStatusBar", "ステータスバー(&B)", "ステータスバーの表示/非表示を切り替えます。",
            &W::menuVStatusBarClick)
        ->setCheckable(true);
    command("menuVOption", "オプション(&O)...", "オプションの設定を行います。",
            &W::menuVOptionClick);
    command("menuHContents", "目次(&C)", "ヘルプを開きます。", &W::menuHContentsClick,
            QKeySequence(Qt::Key_F1));
    command("menuHAbout", "バージョン情報(&A)...", "バージョン情報を表示します。",
            &W::menuHAboutClick);

    // The view entries: a radio group in the View menu and another in the context menu.
    struct ViewEntry {
        const char* name;
        const char* caption;
        const char* hint;
        int tag;
    };
    const ViewEntry views[] = {
        {"menuVViewTypeList", "一覧(&L)", "表示を一覧形式にします。", 1},
        {"menuVViewTypeRecord", "カード(&C)", "表示をカード形式にします。", 2},
        {"menuPMViewTypeList", "一覧(&L)", "表示を一覧形式にします。", 1},
        {"menuPMViewTypeRecord", "カード(&C)", "表示をカード形式にします。", 2},
    };
    auto* menuGroup = new QActionGroup(this);
    auto* popupGroup = new QActionGroup(this);
    for (const ViewEntry& v : views) {
        QAction* action = command(v.name, v.caption, v.hint, nullptr);
        action->setCheckable(true);
        action->setProperty("tag", v.tag);
        const int tag = v.tag;
        connect(action, &QAction::triggered, this,
                [this, tag] { runGuarded([this, tag] { menuVViewTypeClick(tag); }); });
        (QByteArray(v.name).startsWith("menuPM") ? popupGroup : menuGroup)->addAction(action);
    }

    command("menuPMEdit", "編集...", "選択レコードの編集を行います。", &W::menuEEditClick);
    command("menuPMAdd", "追加...", "レコードの追加を行います。", &W::menuEAddClick);
    command("menuPMDelete", "削除", "選択レコードを削除します。", &W::menuEDeleteClick);
    command("menuPMSearch", "検索...", "レコードに対し検索を行います。", &W::menuESearchClick);
    command("menuPMApply", "更新適用", "レコードに対する更新を適用します。", &W::menuFApplyClick);
    command("menuPMCancel", "更新取消し", "レコードに対する更新を取消します。",
            &W::menuFCancelClick);
}

void TFormMainWin::buildMenus() {
    auto add = [this](QMenu* menu, const QStringList& names) {
        for (const QString& name : names) {
            if (name == QLatin1String("-"))
                menu->addSeparator();
            else
                menu->addAction(qobject_cast<QAction*>(m_controls.value(name)));
        }
    };
    auto menu = [this](const char* name, const char* caption) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    const QString sep = QStringLiteral("-");
    add(menu("menuitemFile", "ファイル(&F)"),
        {QStringLiteral("menuFApply"), QStringLiteral("menuFCancel"), sep,
         QStringLiteral("menuFIoCsv"), sep, QStringLiteral("menuFPrint"),
         QStringLiteral("menuFPrintPreview"), QStringLiteral("menuFPageSetup"), sep,
         QStringLiteral("menuFRestore"), sep, QStringLiteral("menuFExit")});
    add(menu("menuitemEdit", "編集(&E)"),
        {QStringLiteral("menuEEdit"), QStringLiteral("menuEAdd"), QStringLiteral("menuEDelete"),
         sep, QStringLiteral("menuECopy"), sep, QStringLiteral("menuEFirst"),
         QStringLiteral("menuEPrior"), QStringLiteral("menuENext"), QStringLiteral("menuELast"),
         sep, QStringLiteral("menuESearch")});
    QMenu* view = menu("menuitemView", "表示(&V)");
    add(view, {QStringLiteral("menuVToolBar"), QStringLiteral("menuVStatusBar"), sep,
               QStringLiteral("menuVViewTypeList"), QStringLiteral("menuVViewTypeRecord"), sep});
    view->addMenu(m_index->menu());
    add(view, {QStringLiteral("menuVSameBooks"), QStringLiteral("menuVReadingReview"),
               QStringLiteral("menuVStatistics"), sep, QStringLiteral("menuVOption")});
    add(menu("menuitemHelp", "ヘルプ(&H)"),
        {QStringLiteral("menuHContents"), sep, QStringLiteral("menuHAbout")});

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu"));
    add(m_popupMenu, {QStringLiteral("menuPMEdit"), QStringLiteral("menuPMAdd"),
                      QStringLiteral("menuPMDelete"), sep, QStringLiteral("menuPMSearch"), sep});
    QMenu* viewType = m_popupMenu->addMenu(QStringLiteral("表示形式"));
    viewType->setObjectName(QStringLiteral("menuPMViewType"));
    viewType->menuAction()->setStatusTip(QStringLiteral("表示形式を選択します。"));
    add(viewType, {QStringLiteral("menuPMViewTypeList"), QStringLiteral("menuPMViewTypeRecord")});
    add(m_popupMenu, {sep, QStringLiteral("menuPMApply"), QStringLiteral("menuPMCancel")});
}

void TFormMainWin::buildToolBar() {
    m_toolBar = addToolBar(QStringLiteral("ToolBar"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    bool first = true;
    for (const ToolButtonSpec& b : kToolButtons) {
        if (!b.name) {
            auto* gap = new QWidget;
            gap->setFixedWidth(first ? 14 : 8);
            first = false;
            m_toolBar->addWidget(gap);
            continue;
        }
        auto* button = new QToolButton;
        button->setObjectName(QString::fromLatin1(b.name));
        button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(b.icon))));
        button->setIconSize(QSize(24, 24));
        button->setAutoRaise(true);
        button->setToolTip(QString::fromUtf8(b.shortHint));
        auto* action = qobject_cast<QAction*>(m_controls.value(QString::fromLatin1(b.command)));
        button->setStatusTip(action->statusTip());
        const bool view = QByteArray(b.name).startsWith("ToolButtonView");
        if (view) {
            button->setCheckable(true);
            const int tag = action->property("tag").toInt();
            button->setProperty("tag", tag);
            connect(button, &QToolButton::clicked, this,
                    [this, tag] { runGuarded([this, tag] { menuVViewTypeClick(tag); }); });
        } else {
            connect(button, &QToolButton::clicked, action, &QAction::trigger);
        }
        m_controls.insert(button->objectName(), button);
        m_toolBar->addWidget(button);
    }
}

void TFormMainWin::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    m_statusPanel0 = new QLabel;
    m_statusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    m_statusPanel0->setFixedWidth(500);
    // Titles and names go into the status texts: they are shown as typed.
    m_statusPanel0->setTextFormat(Qt::PlainText);
    m_statusPanel1 = new QLabel;
    m_statusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    m_statusPanel1->setMinimumWidth(110);
    m_statusFilter = new QLabel;
    m_statusFilter->setObjectName(QStringLiteral("StatusPanelFilter"));
    m_statusFilter->setTextFormat(Qt::PlainText);
    m_statusFilter->hide();
    m_statusUncertain = new QLabel;
    m_statusUncertain->setObjectName(QStringLiteral("StatusPanelUncertain"));
    m_statusUncertain->hide();
    bar->addWidget(m_statusPanel0);
    bar->addWidget(m_statusFilter);
    bar->addWidget(m_statusUncertain);
    bar->addWidget(m_index->place());
    bar->addWidget(m_statusPanel1);
    bar->installEventFilter(this);
}

void TFormMainWin::buildViews() {
    m_panelBase = new QWidget;
    m_panelBase->setObjectName(QStringLiteral("PanelBase"));
    auto* stack = new QStackedLayout(m_panelBase);
    stack->setContentsMargins(0, 0, 0, 0);

    auto* grid = new BookGrid;
    grid->typedSearch = [this](const QString& typed) { return m_index->typed(typed); };
    m_grid = grid;
    m_grid->setObjectName(QStringLiteral("DBGridListView"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setSectionsMovable(true);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->horizontalHeader()->setMinimumSectionSize(AppSettings::kMinimumColumnWidth);
    // A section may still be set to nothing (a double-click on a border of an
    // empty column, a layout from an older settings file): it is widened back.
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int logical, int, int size) {
                if (size < AppSettings::kMinimumColumnWidth)
                    m_grid->horizontalHeader()->resizeSection(logical,
                                                              AppSettings::kMinimumColumnWidth);
            });
    m_grid->setWordWrap(false);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenuPopup(m_grid->viewport()->mapToGlobal(pos)); });
    connect(m_grid, &QAbstractItemView::doubleClicked, this,
            [this] { runGuarded([this] { menuEEditClick(); }); });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionMoved, this,
            [this](int, int from, int to) {
                m_grid->horizontalHeader()->blockSignals(true);
                m_grid->horizontalHeader()->moveSection(to, from);  // the column order is fixed
                m_grid->horizontalHeader()->blockSignals(false);
                runGuarded([this] { DBGridListViewColumnMoved(); });
            });
    m_model = new BookListModel(m_store.QueryBook(), this);
    m_grid->setModel(m_model);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { gridRowSelected(current.row()); });

    m_card = new CardView;
    connect(m_card, &CardView::editRequested, this,
            [this] { runGuarded([this] { menuEEditClick(); }); });
    connect(m_card, &CardView::contextMenuRequested, this, &TFormMainWin::PopupMenuPopup);

    auto run = [this](const char* command) {
        return [this, command] {
            if (auto* action = qobject_cast<QAction*>(m_controls.value(QLatin1String(command))))
                action->trigger();
        };
    };
    m_welcome = new WelcomeView(run("menuEAdd"), run("menuFIoCsv"),
                                [this] { runGuarded([this] { importSample(); }); });
    stack->addWidget(m_grid);
    stack->addWidget(m_card);
    stack->addWidget(m_welcome);
    setCentralWidget(m_panelBase);
}

void TFormMainWin::applyWindowFonts() {
    m_grid->setFont(fontOf(m_settings.RecordFont));
    m_grid->horizontalHeader()->setFont(fontOf(m_settings.TitleFont));
    m_grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(m_grid->font()).height() + 4);
}

void TFormMainWin::PopupMenuPopup(const QPoint& globalPos) {
    m_popupMenu->popup(globalPos);
}

// ---- views

void TFormMainWin::checkViewControls(int view) {
    const QStringList list = {QStringLiteral("menuVViewTypeList"),
                              QStringLiteral("menuPMViewTypeList"),
                              QStringLiteral("ToolButtonViewList")};
    const QStringList card = {QStringLiteral("menuVViewTypeRecord"),
                              QStringLiteral("menuPMViewTypeRecord"),
                              QStringLiteral("ToolButtonViewRecord")};
    setChecked(view == 1 ? card : list, true);
    setChecked(view == 1 ? list : card, false);
}

void TFormMainWin::ShowViewType(int view) {
    auto* stack = static_cast<QStackedLayout*>(m_panelBase->layout());
    if (view == 1) {
        checkViewControls(1);
        // The hidden grid stays on the live query, so the highlight never has to
        // be found again when the list comes back.
        m_grid->setEnabled(false);
        FillCard();
        stack->setCurrentWidget(m_card);
    } else if (view == 0) {
        checkViewControls(0);
        m_grid->setEnabled(true);
        // Before the first read there are no columns to lay out; the read does it.
        if (m_store.QueryBook().isActive())
            ApplyColumnLayout();
        stack->setCurrentWidget(m_grid);
    }
}

void TFormMainWin::ApplyColumnLayout() {
    CursorHookDetach detached(m_store);
    CachedDataset& q = m_store.QueryBook();
    QList<int> fields;
    QStringList titles;
    for (int k = 0; k < kFieldCount; ++k) {
        const bool visible = m_settings.FieldVisible[static_cast<size_t>(k)];
        if (q.isActive() && k < q.fieldCount())
            q.setFieldVisible(k, visible);
        if (visible) {
            fields << k;
            titles << m_settings.FieldLabels[static_cast<size_t>(k)];
        }
    }
    // The grid keeps its one model and selection model for the run; the model
    // only changes its columns.
    m_model->setColumns(fields, titles);
    // A date column is never narrower than a whole date in the list's font, so a
    // larger font does not cut it to "2024/…".
    const QFontMetrics record(m_grid->font());
    const int dateWidth = record.horizontalAdvance(QStringLiteral("8888/88/88")) + 12;
    for (int column = 0; column < fields.size(); ++column) {
        const int field = fields[column];
        int width = std::max(m_settings.FieldWidths[static_cast<size_t>(field)],
                             AppSettings::kMinimumColumnWidth);
        if (isDateField(field))
            width = std::max(width, dateWidth);
        m_grid->horizontalHeader()->resizeSection(column, width);
    }
    syncGridToCursor();
}

void TFormMainWin::CaptureColumnWidths() {
    if (m_settings.ViewType != 0)
        return;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const int field = m_model->fieldOfColumn(column);
        if (field >= 0)
            m_settings.FieldWidths[static_cast<size_t>(field)] =
                m_grid->horizontalHeader()->sectionSize(column);
    }
}

// The drag itself has already been undone in the header; the columns are laid
// out again from the settings. Nothing is read again from the table, so pending
// changes and the current book stay as they are.
void TFormMainWin::DBGridListViewColumnMoved() {
    CaptureColumnWidths();
    CursorHookDetach detached(m_store);
    ApplyColumnLayout();
    RefreshNavigation();
}

void TFormMainWin::ApplyFieldLabels() {
    for (int k = 1; k < kFieldCount; ++k)
        m_card->setLabel(k, m_settings.FieldLabels[static_cast<size_t>(k)]);
    if (m_recordDialog)
        applyRecordDialogLabels();
}

void TFormMainWin::applyRecordDialogLabels() {
    for (int k = 1; k < kFieldCount; ++k)
        m_recordDialog->setFieldLabel(k, m_settings.FieldLabels[static_cast<size_t>(k)] +
                                             QString::fromUtf8(bookField(k).mnemonic));
}

TFormSetRecord* TFormMainWin::recordDialog() {
    if (!m_recordDialog) {
        m_recordDialog = new TFormSetRecord(m_store, *this, this);
        applyRecordDialogLabels();
    }
    return m_recordDialog;
}

TFormSearch* TFormMainWin::searchDialog() {
    if (!m_searchDialog) {
        m_searchDialog = new TFormSearch(
            m_store, [this] { return m_settings.FieldLabels; }, this);
        m_searchDialog->showStatus = [this](const QString& text) { ShowStatusText(text); };
        // The highlighted row in the list; in the card view the whole card.
        m_searchDialog->currentBookRect = [this]() -> QRect {
            if (m_settings.ViewType != 0)
                return QRect(m_panelBase->mapToGlobal(QPoint(0, 0)), m_panelBase->size());
            const QModelIndex index = m_grid->currentIndex();
            if (!index.isValid())
                return QRect();
            const QRect cell = m_grid->visualRect(index);
            QRect row(m_grid->viewport()->mapToGlobal(QPoint(0, cell.top())),
                      QSize(m_grid->viewport()->width(), cell.height()));
            return row;
        };
    }
    return m_searchDialog;
}

TFormOption* TFormMainWin::optionsDialog() {
    if (!m_optionsDialog)
        m_optionsDialog = new TFormOption(m_store, *this, this);
    return m_optionsDialog;
}

void TFormMainWin::FillCard() {
    const CachedDataset& q = m_store.QueryBook();
    const bool hasRow = q.isActive() && q.currentRow() >= 0;
    for (int k = 1; k < kFieldCount; ++k) {
        const QString text = hasRow ? q.text(k) : QString();
        m_card->setField(k, isDateField(k) ? FormatDateText(text) : text);
    }
}

void TFormMainWin::syncGridToCursor() {
    if (m_syncingGrid)
        return;
    QItemSelectionModel* selection = m_grid->selectionModel();
    const int row = m_store.QueryBook().currentRow();
    m_syncingGrid = true;
    if (row < 0 || m_model->columnCount() == 0) {
        selection->clear();
    } else if (m_grid->currentIndex().row() != row || !selection->isRowSelected(row)) {
        const QModelIndex index = m_model->index(row, 0);
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_grid->scrollTo(index);
    }
    m_syncingGrid = false;
}

void TFormMainWin::gridRowSelected(int row) {
    // While the record dialog works on the current row, the grid never moves it.
    if (m_syncingGrid || row < 0 || (m_recordDialog && m_recordDialog->isVisible()))
        return;
    m_syncingGrid = true;
    runGuarded([this, row] { m_store.QueryBook().moveTo(row); });
    m_syncingGrid = false;
}

// ---- keys

bool TFormMainWin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == statusBar() && event->type() == QEvent::Resize)
        StatusBarResize();
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);

    // Shift or Ctrl with Delete in the grid deletes whatever the command's state.
    if (type == QEvent::KeyPress && key->key() == Qt::Key_Delete &&
        (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) &&
        (widget == m_grid || widget->parent() == m_grid)) {
        runGuarded([this] { menuEDeleteClick(); });
        return true;
    }
    // The window's command keys are the window's: the focused control never
    // claims them, and a disabled command's key goes nowhere.
    const QKeySequence sequence(key->keyCombination());
    for (QObject* control : std::as_const(m_controls)) {
        auto* action = qobject_cast<QAction*>(control);
        if (action && action->shortcuts().contains(sequence))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace quillo
