// The main window's commands: one action each, placed in the menu bar, the
// context menu and the tool bar, and one function that says which may run.
#include <QActionGroup>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include "app/main_window.h"
#include "store/tdm.h"

namespace quillo {

namespace {

// A place in a menu or on the tool bar; a null action is a separator.
using Entries = std::initializer_list<QAction*>;

void addEntries(QMenu* menu, Entries entries) {
    for (QAction* action : entries) {
        if (action)
            menu->addAction(action);
        else
            menu->addSeparator();
    }
}

}  // namespace

QAction* TFormMainWin::command(const char* name, const char* caption, const char* hint,
                               void (TFormMainWin::*handler)(), const QKeySequence& key) {
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(QString::fromUtf8(hint));
    action->setIconVisibleInMenu(false);  // the icons are the tool bar's
    if (!key.isEmpty())
        action->setShortcut(key);
    if (handler)
        connect(action, &QAction::triggered, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
    addAction(action);  // its key works while the menu bar is hidden too
    return action;
}

void TFormMainWin::buildCommands() {
    using W = TFormMainWin;
    WindowCommands& c = m_commands;
    c.apply = command("menuFApply", "更新適用(&A)", "レコードに対する更新を適用します。",
                      &W::menuFApplyClick);
    c.cancel = command("menuFCancel", "更新取消し(&C)", "レコードに対する更新を取消します。",
                       &W::menuFCancelClick);
    c.undoApply = command("menuEUndoApply", "元に戻す（最後の更新）(&U)",
                          "最後の更新適用を取り消し、追加・変更・削除した本を元に戻します。",
                          &W::menuEUndoApplyClick, QKeySequence(Qt::CTRL | Qt::Key_Z));
    c.ioCsv = command("menuFIoCsv", "CSV形式変換(&O)...",
                      "レコードデータとCSV形式ファイルの変換を行います。", &W::menuFIoCsvClick);
    c.print = command("menuFPrint", "印刷(&P)...", "印刷を実行します。", &W::menuFPrintClick);
    c.printPreview = command("menuFPrintPreview", "印刷プレビュー(&V)...",
                             "印刷イメージを表示します。", &W::menuFPrintPreviewClick);
    c.pageSetup = command("menuFPageSetup", "プリンター設定(&U)...", "プリンターの設定を行います。",
                          &W::menuFPageSetupClick);
    c.sameBooks =
        command("menuVSameBooks", "重複の候補(&D)",
                "同じ書名・著者名の本だけを表示します。もう一度選ぶと元の一覧に戻ります。",
                &W::menuVSameBooksClick);
    c.readingReview =
        command("menuVReadingReview", "読みの確認(&R)",
                "読みが確かでない本（辞書にない漢字を一字ずつ読んだもの、読みの決まらない名前）だけ"
                "を表示します。もう一度選ぶと元の一覧に戻ります。",
                &W::menuVReadingReviewClick);
    c.statistics =
        command("menuVStatistics", "統計(&S)...",
                "一覧の本を、購入年・初版の年代・著者・出版社・分類ごとにグラフで表示します。",
                &W::menuVStatisticsClick);
    c.restore = command("menuFRestore", "バックアップから復元(&B)...",
                        "自動で作られたバックアップの一つから、カタログを復元します。",
                        &W::menuFRestoreClick);
    c.exit = command("menuFExit", "終了(&X)", "Quilloを終了します。", &W::menuFExitClick);
    c.edit =
        command("menuEEdit", "編集(&E)...", "選択レコードの編集を行います。", &W::menuEEditClick);
    c.edit->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    c.add = command("menuEAdd", "追加(&A)...", "レコードの追加を行います。", &W::menuEAddClick,
                    QKeySequence(Qt::Key_Insert));
    c.scanIsbn = command("menuEScanIsbn", "ISBNで連続追加(&I)...",
                         "ISBN を次々に入力（バーコードリーダーで読み取り）して、国立国会図書館の"
                         "記録から本を追加します。",
                         &W::menuEScanIsbnClick);
    c.remove = command("menuEDelete", "削除(&D)", "選択レコードを削除します。",
                       &W::menuEDeleteClick, QKeySequence(Qt::Key_Delete));
    c.copy =
        command("menuECopy", "コピー(&C)", "選択レコードのデータをクリップボードにコピーします。",
                &W::menuECopyClick, QKeySequence(Qt::CTRL | Qt::Key_C));
    c.first = command("menuEFirst", "先頭へ(&T)", "選択レコードを先頭のレコードに移動します。",
                      &W::menuEFirstClick, QKeySequence(Qt::Key_Home));
    c.prior = command("menuEPrior", "前へ(&P)", "選択レコードを前のレコードに移動します。",
                      &W::menuEPriorClick, QKeySequence(Qt::Key_Up));
    command("DummyLeft", "", "", &W::menuEPriorClick, QKeySequence(Qt::Key_Left));
    c.next = command("menuENext", "次へ(&N)", "選択レコードを次のレコードに移動します。",
                     &W::menuENextClick, QKeySequence(Qt::Key_Down));
    command("DummyRight", "", "", &W::menuENextClick, QKeySequence(Qt::Key_Right));
    c.last = command("menuELast", "最後へ(&B)", "選択レコードを最後のレコードに移動します。",
                     &W::menuELastClick, QKeySequence(Qt::Key_End));
    c.search = command("menuESearch", "検索(&F)...", "レコードに対し検索を行います。",
                       &W::menuESearchClick, QKeySequence(Qt::Key_F3));
    c.toolBar = command("menuVToolBar", "ツールバー(&T)", "ツールバーの表示/非表示を切り替えます。",
                        &W::menuVToolBarClick);
    c.statusBar = command("menuVStatusBar", "ステータスバー(&B)",
                          "ステータスバーの表示/非表示を切り替えます。", &W::menuVStatusBarClick);
    c.option = command("menuVOption", "オプション(&O)...", "オプションの設定を行います。",
                       &W::menuVOptionClick);
    c.contents = command("menuHContents", "目次(&C)", "ヘルプを開きます。", &W::menuHContentsClick,
                         QKeySequence(Qt::Key_F1));
    c.about = command("menuHAbout", "バージョン情報(&A)...", "バージョン情報を表示します。",
                      &W::menuHAboutClick);
    for (QAction* toggle : {c.sameBooks, c.readingReview, c.toolBar, c.statusBar})
        toggle->setCheckable(true);

    // The two views: one checked at a time, wherever they are chosen.
    c.viewList = command("menuVViewTypeList", "一覧(&L)", "表示を一覧形式にします。", nullptr);
    c.viewCard =
        command("menuVViewTypeRecord", "カード(&C)", "表示をカード形式にします。", nullptr);
    c.viewCovers =
        command("menuVViewTypeCovers", "表紙(&G)", "表示を表紙の一覧にします。", nullptr);
    auto* views = new QActionGroup(this);
    for (auto [action, view] : {std::pair{c.viewList, BookView::List},
                                {c.viewCard, BookView::Card},
                                {c.viewCovers, BookView::Covers}}) {
        action->setCheckable(true);
        views->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, view] { runGuarded([this, view] { menuVViewTypeClick(view); }); });
    }
}

void TFormMainWin::buildMenus() {
    const WindowCommands& c = m_commands;
    auto menu = [this](const char* name, const char* caption) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };
    addEntries(menu("menuitemFile", "ファイル(&F)"),
               {c.apply, c.cancel, nullptr, c.ioCsv, nullptr, c.print, c.printPreview, c.pageSetup,
                nullptr, c.restore, nullptr, c.exit});
    addEntries(menu("menuitemEdit", "編集(&E)"),
               {c.undoApply, nullptr, c.edit, c.add, c.scanIsbn, c.remove, nullptr, c.copy, nullptr,
                c.first, c.prior, c.next, c.last, nullptr, c.search});
    QMenu* view = menu("menuitemView", "表示(&V)");
    addEntries(view,
               {c.toolBar, c.statusBar, nullptr, c.viewList, c.viewCard, c.viewCovers, nullptr});
    view->addMenu(m_index->menu());
    addEntries(view, {c.sameBooks, c.readingReview, c.statistics, nullptr, c.option});
    addEntries(menu("menuitemHelp", "ヘルプ(&H)"), {c.contents, nullptr, c.about});

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu"));
    addEntries(m_popupMenu, {c.edit, c.add, c.remove, nullptr, c.search, nullptr});
    QMenu* viewType = m_popupMenu->addMenu(QStringLiteral("表示形式"));
    viewType->setObjectName(QStringLiteral("menuPMViewType"));
    viewType->menuAction()->setStatusTip(QStringLiteral("表示形式を選択します。"));
    addEntries(viewType, {c.viewList, c.viewCard, c.viewCovers});
    addEntries(m_popupMenu, {nullptr, c.apply, c.cancel});
}

void TFormMainWin::buildToolBar() {
    m_toolBar = addToolBar(QStringLiteral("ToolBar"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    struct Button {
        QAction* action;  // null: a gap between groups
        const char* name;
        const char* shortHint;
        const char* icon;
    };
    const WindowCommands& c = m_commands;
    const Button buttons[] = {
        {c.apply, "ToolButtonApply", "更新適用", "apply"},
        {c.cancel, "ToolButtonCancel", "更新取消し", "cancel"},
        {},
        {c.print, "ToolButtonPrint", "印刷", "print"},
        {c.printPreview, "ToolButtonPreview", "プレビュー", "preview"},
        {},
        {c.edit, "ToolButtonEdit", "編集", "edit"},
        {c.add, "ToolButtonAdd", "追加", "add"},
        {c.remove, "ToolButtonDelete", "削除", "delete"},
        {},
        {c.first, "ToolButtonFirst", "先頭レコード移動", "first"},
        {c.prior, "ToolButtonPrior", "前レコード移動", "prior"},
        {c.next, "ToolButtonNext", "次レコード移動", "next"},
        {c.last, "ToolButtonLast", "最終レコード移動", "last"},
        {},
        {c.search, "ToolButtonFind", "検索", "find"},
        {},
        {c.viewList, "ToolButtonViewList", "一覧表示", "list"},
        {c.viewCard, "ToolButtonViewRecord", "カード表示", "card"},
    };
    bool first = true;
    for (const Button& b : buttons) {
        if (!b.action) {
            auto* gap = new QWidget;
            gap->setFixedWidth(first ? 14 : 8);
            first = false;
            m_toolBar->addWidget(gap);
            continue;
        }
        // The button's tip is the short one; the menu entry shows the caption.
        b.action->setToolTip(QString::fromUtf8(b.shortHint));
        b.action->setIcon(
            QIcon(QStringLiteral(":/icons/") + QLatin1String(b.icon) + QStringLiteral(".svg")));
        m_toolBar->addAction(b.action);
        m_toolBar->widgetForAction(b.action)->setObjectName(QString::fromLatin1(b.name));
    }
}

// Every command's state, from the facts: the books listed, changes pending,
// a catalogue for reading only, the place in the list, the view shown and the
// lists and bars chosen. Called whenever one of them may have changed.
void TFormMainWin::updateCommandStates() {
    const WindowCommands& c = m_commands;
    const CachedDataset& q = m_store.QueryBook();
    const bool listed = m_store.RecordCount() != 0;
    const bool pending = m_pendingMode;
    const bool writable = !m_store.readOnly();
    BookReadings* readings = m_store.readings();

    // Changing books: not in a catalogue for reading only. Cancel stays, so
    // changes made before a damage was found can be let go.
    c.edit->setEnabled(listed && writable);
    c.add->setEnabled(writable);
    c.scanIsbn->setEnabled(writable);
    c.remove->setEnabled(listed && writable);
    c.apply->setEnabled(pending && writable);
    c.cancel->setEnabled(pending);
    c.undoApply->setEnabled(!pending && writable && m_store.CanUndoLastApply());
    c.copy->setEnabled(listed);
    // While changes are pending, what reads the stored books waits for them.
    c.search->setEnabled(listed && !pending);
    for (QAction* reader : {c.ioCsv, c.option, c.sameBooks, c.readingReview})
        reader->setEnabled(!pending);

    c.first->setEnabled(!q.atBeginning());
    c.prior->setEnabled(!q.atBeginning());
    c.next->setEnabled(!q.atEnd());
    c.last->setEnabled(!q.atEnd());

    c.viewList->setChecked(m_settings.ViewType == BookView::List);
    c.viewCard->setChecked(m_settings.ViewType == BookView::Card);
    c.viewCovers->setChecked(m_settings.ViewType == BookView::Covers);
    c.toolBar->setChecked(m_settings.ToolBarShown);
    c.statusBar->setChecked(m_settings.StatusBarShown);
    c.sameBooks->setChecked(m_store.sameBooksShown());
    c.readingReview->setChecked(m_store.uncertainReadingsShown());
    c.readingReview->setVisible(readings && readings->ready());
}

}  // namespace quillo
