#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHeaderView>
#include <QScreen>
#include <QStackedLayout>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTemporaryFile>
#include <QTimer>
#include <QToolBar>

#include "app/book_list_model.h"
#include "app/card_view.h"
#include "app/cover_grid.h"
#include "edit/date_text.h"
#include "edit/isbn_scan_dialog.h"
#include "edit/record_clipboard.h"
#include "edit/record_dialog.h"
#include "engine/catalogue_file.h"
#include "engine/engine_error.h"
#include "lookup/ndl_lookup.h"
#include "platform/busy_cursor.h"
#include "platform/help_viewer.h"
#include "platform/screen_fit.h"
#include "print/print_report.h"
#include "ui/error_display.h"
#include "ui/message_dialog.h"

#include <QPageSetupDialog>

#include "search/search_dialog.h"
#include "settings/profile_file.h"
#include "settings/settings_file.h"
#include "store/tdm.h"
#include "widgets/about_box.h"

namespace quillo {

TFormMainWin::TFormMainWin(TDM& store, const QString& iniPath)
    : m_store(store), m_iniPath(iniPath.isEmpty() ? IniPath() : iniPath) {
    setObjectName(QStringLiteral("TFormMainWin"));
    m_store.setHost(this);
    m_store.keepLastApplyForUndo();
    // The CSV dialog first finds an import's separator in its file.
    m_csvSettings.findSeparator = true;
    setWindowTitle(QStringLiteral("Quillo"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quillo.svg")));
    QFont windowFont(QStringLiteral("ＭＳ Ｐゴシック"));
    windowFont.setPointSize(9);
    setFont(windowFont);
    m_index = new KanaIndexView(m_store, this, [this](int row) {
        m_store.QueryBook().moveTo(row);
        RefreshNavigation();
    });
    buildCommands();
    buildMenus();
    buildToolBar();
    buildStatusBar();
    buildViews();
    setGeometry(m_settings.bounds.left, m_settings.bounds.top, m_settings.bounds.width,
                m_settings.bounds.height);
    qApp->installEventFilter(this);
    FormCreate();
}

TFormMainWin::~TFormMainWin() {
    if (m_damageCheck.valid())
        m_damageCheck.wait();  // it reports to this window
    qApp->removeEventFilter(this);
    m_store.setHost(nullptr);
    NdlLookup::configure({});  // its question asks this window
    // FormDestroy: pending changes are dropped with the live query.
    m_store.detachCursorHook();
    m_store.QueryBook().close();
}

bool TFormMainWin::deleteConfirmed(const QString& title) {
    // The question names the book, so the user knows which one goes.
    return ShowMessageDialog(
               this,
               QStringLiteral("現在のレコード「%1」を削除します。\nよろしいですか？").arg(title),
               kMessageConfirmation, kButtonsYesNo) == Answer::Yes;
}

void TFormMainWin::currentBookMoved() {
    RefreshNavigation();
    if (m_settings.ViewType == BookView::Card)
        FillCard();
}

void TFormMainWin::runGuarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const EngineError& e) {
        if (isDamageError(e) && reportDamage(e.message()))
            return;
        ShowDefaultError(e.message());
    } catch (const std::exception& e) {
        ShowDefaultError(QString::fromUtf8(e.what()));
    }
}

// ---- a catalogue that may not be written

void TFormMainWin::enterReadOnly(const QString& reason) {
    m_store.setReadOnly(reason);
    if (!m_statusReadOnly) {
        m_statusReadOnly = new QLabel;
        m_statusReadOnly->setObjectName(QStringLiteral("StatusPanelReadOnly"));
        statusBar()->addPermanentWidget(m_statusReadOnly);
    }
    m_statusReadOnly->setText(QStringLiteral("読み取り専用"));
    m_statusReadOnly->setToolTip(reason);
    m_statusPanel0->setText(reason);
    updateCommandStates();
}

void TFormMainWin::leaveReadOnly() {
    m_store.setReadOnly(QString());
    m_damageReported = false;
    if (m_statusReadOnly)
        m_statusReadOnly->hide();
    updateCommandStates();
}

// Says once which file is damaged and what to do, and keeps the window for
// reading: writing into a damaged file only spreads the damage. False when the
// damage was already reported.
bool TFormMainWin::reportDamage(const QString& finding) {
    const QString path = m_store.Database().path();
    enterReadOnly(
        QStringLiteral("カタログ %1 は壊れているため、読み取り専用で開いています").arg(path));
    if (m_damageReported)
        return true;
    m_damageReported = true;
    // Said once the window is painted, so the user sees what stays readable.
    const QString text = damagedCatalogueText(path, finding) +
                         QStringLiteral(
                             "。\n読み取り専用で開きます（閲覧・検索・印刷・CSV 出力は"
                             "できます）。");
    QTimer::singleShot(0, this,
                       [this, text] { ShowMessageDialog(this, text, kMessageError, kButtonsOk); });
    return true;
}

// A damaged page may lie where the first read never looked: SQLite's quick check
// reads the whole file on a connection of its own, off the window's thread, once
// the window is up, so the start is as fast as before.
void TFormMainWin::startDamageCheck() {
    const QString path = m_store.Database().path();
    m_damageCheck = std::async(std::launch::async, [this, path] {
        // A write in progress (an apply just made) is waited for, and one that
        // goes on longer leaves the file unchecked rather than called broken.
        const QString finding = FindDamageWhenFree(path, 10000);
        // Queued to this window's thread; dropped if the window is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, finding] {
                m_damageCheckDone = true;
                if (!finding.isEmpty())
                    reportDamage(finding);
            },
            Qt::QueuedConnection);
        return finding;
    });
}

// ---- life cycle

void TFormMainWin::FormCreate() {
    BusyCursor busy;
    m_splash = new TFormAbout(this);
    m_splash->showSplash();
    SetPendingMode(false);
    LoadSettings(m_iniPath, m_settings);
    configureLookup();
    setGeometry(m_settings.bounds.left, m_settings.bounds.top, m_settings.bounds.width,
                m_settings.bounds.height);
    m_toolBar->setVisible(m_settings.ToolBarShown);
    statusBar()->setVisible(m_settings.StatusBarShown);
    applyWindowFonts();
    ShowViewType(m_settings.ViewType);
}

void TFormMainWin::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        runGuarded([this] { FormShow(); });
        startDamageCheck();
        // Once the first paint is on the screen: a change of order made later
        // need not wait for the readings' keys (60-80 ms at 100,000 books).
        QTimer::singleShot(300, this, [this] {
            try {
                m_store.ReadSortKeysAhead();
            } catch (const EngineError& e) {
                // Read when the order needs them; only damage is worth saying
                // to a user who asked for nothing.
                if (isDamageError(e))
                    reportDamage(e.message());
            }
        });
    }
}

QRect TFormMainWin::onScreen(const QRect& bounds) const {
    // The frame, title bar included, goes on a screen: a place saved at another
    // scale, or on a screen since gone, would leave the menus out of reach.
    const QRect frame = frameGeometry(), client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    QList<QRect> rooms;
    for (const QScreen* screen : QGuiApplication::screens())
        rooms << screen->availableGeometry();
    return keptOnScreen(bounds.marginsAdded(margins), rooms).marginsRemoved(margins);
}

void TFormMainWin::FormShow() {
    BusyCursor busy;
    struct CloseSplash {
        TFormMainWin* window;
        ~CloseSplash() {
            if (window->m_splash) {
                window->m_splash->endSplash();
                window->m_splash->deleteLater();
            }
        }
    } closeSplash{this};
    CursorHookDetach detached(m_store);
    setGeometry(onScreen(geometry()));
    m_store.QueryAll();
    m_store.QueryBook().first();  // a new run starts on the first book
    ApplyColumnLayout();
    ApplyFieldLabels();
    m_maxId = m_store.GetMaxId();
    m_store.attachCursorHook();
    if (m_settings.ViewType == BookView::Card)
        FillCard();
    syncGridToCursor();
    RefreshRecordStatus();
    // Page Down, Home and the arrows work from the first paint, without a click.
    if (m_settings.ViewType == BookView::List)
        m_grid->setFocus();
    if (m_store.readOnly())
        enterReadOnly(m_store.readOnlyReason());
    // Without the dictionary a title in kanji has no reading: said once, after
    // the first paint (finding it out loads the dictionary).
    if (BookReadings* readings = m_store.readings())
        QTimer::singleShot(0, this, [this, readings] {
            const QString limitation = readings->limitation();
            if (!limitation.isEmpty())
                ShowStatusText(limitation);
        });
}

bool TFormMainWin::FormCloseQuery() {
    if (m_store.QueryBook().updatesPending() && m_settings.ConfirmExit) {
        const Answer answer = ShowMessageDialog(
            this, QStringLiteral("更新が適用されていません。\n終了してよろしいですか？"),
            kMessageConfirmation, kButtonsYesNoDefaultNo);  // Enter must not drop the changes
        // Closed by its close box, the question has no answer: nothing is dropped.
        return answer == Answer::Yes;
    }
    return true;
}

void TFormMainWin::FormClose() {
    HelpViewer::instance().quit();
    CaptureColumnWidths();
    // Never a place off every screen, from which the next start could not be
    // reached.
    const QRect bounds = onScreen(normalGeometry().isValid() ? normalGeometry() : geometry());
    m_settings.bounds = {bounds.left(), bounds.top(), bounds.width(), bounds.height()};
    try {
        const QString backup = SaveSettings(m_iniPath, m_settings);
        if (!backup.isEmpty())
            ShowMessageDialog(
                this,
                QStringLiteral("設定ファイル\n%1\nは Shift-JIS として正しく読めなかった"
                               "ため、書き直す前の内容を\n%2\nに残しました。")
                    .arg(m_iniPath, backup),
                kMessageInformation, kButtonsOk);
    } catch (const SettingsFileError& e) {
        ShowMessageDialog(this, e.message(), kMessageError, kButtonsOk);
    }
}

void TFormMainWin::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // Said while the window is still there: after it, nothing could be.
    if (!m_store.readOnly() && !m_store.IdsInOrder() && m_store.RenumberingBlocked())
        ShowMessageDialog(this, kRenumberingDeferred, kMessageInformation, kButtonsOk);
    FormClose();
    m_closing = true;
    event->accept();
}

// ---- state of the commands

void TFormMainWin::RefreshRecordStatus() {
    // Books were applied, taken back or read again: their covers are read anew.
    m_coverGrid->forgetCovers();
    const int count = m_store.RecordCount();
    // " レコード数 ： %4d": the number right-aligned in at least four places.
    m_statusPanel1->setText(QStringLiteral(" レコード数 ： ") +
                            QString::number(count).rightJustified(4, QLatin1Char(' ')));
    // A narrowed list says so, or the missing books look lost.
    const bool filtered = !m_store.FilterCondition().isEmpty() || m_store.specialListShown();
    m_statusFilter->setText(!filtered                  ? QString()
                            : m_store.sameBooksShown() ? QStringLiteral("フィルター: 重複の候補")
                            : m_store.uncertainReadingsShown()
                                ? QStringLiteral("フィルター: 読みの確認")
                                : QStringLiteral("フィルター: ") + m_settings.FilterText);
    m_statusFilter->setVisible(filtered);
    refreshUncertainReadings();
    refreshWelcome();
    updateCommandStates();
}

void TFormMainWin::SetPendingMode(bool on) {
    // With no books listed there is nothing to apply, unless deletions are
    // waiting: those must stay appliable even when they emptied the list.
    if (m_store.RecordCount() == 0 && !m_store.QueryBook().updatesPending())
        on = false;
    m_pendingMode = on;
    updateCommandStates();
}

void TFormMainWin::RefreshNavigation() {
    const CachedDataset& q = m_store.QueryBook();
    updateCommandStates();
    syncGridToCursor();
    m_index->refresh(q.currentRow());
}

// The columns the CSV dialog was told for a heading live in the settings
// file, beside the settings the window keeps there (a save leaves them).
QString TFormMainWin::rememberedCsvColumns(const QString& key) {
    return ProfileFile(m_iniPath).readString(QStringLiteral("CsvColumns"), key, QString());
}

void TFormMainWin::rememberCsvColumns(const QString& key, const QString& columns) {
    ProfileFile file(m_iniPath);
    file.writeString(QStringLiteral("CsvColumns"), key, columns);
    try {
        file.save();
    } catch (const SettingsFileError& e) {
        ShowStatusText(QStringLiteral("列の対応を設定ファイルに保存できません: ") + e.message());
    }
}

void TFormMainWin::ShowStatusText(const QString& text) {
    m_statusPanel0->setText(text);
    m_statusPanel0->repaint();
}

void TFormMainWin::StatusBarResize() {
    const int width = statusBar()->width();
    if (width - 110 > 400)
        m_statusPanel0->setFixedWidth(width - 130);
}

bool TFormMainWin::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        // The long hint under the pointer goes to the first panel.
        m_statusPanel0->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TFormMainWin::bringForward() {
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

// ---- commands

void TFormMainWin::menuFApplyClick() {
    if (m_store.readOnly())
        return;
    if (m_settings.ConfirmApply &&
        ShowMessageDialog(this, QStringLiteral("変更を保存します。\nよろしいですか？"),
                          kMessageConfirmation, kButtonsYesNo) != Answer::Yes)
        return;
    BusyCursor busy;
    ShowStatusText(QStringLiteral("更新適用中です．．．"));
    struct Finally {
        TFormMainWin* window;
        ~Finally() {
            window->m_store.attachCursorHook();
            window->ShowStatusText(window->m_statusAfterApply);
            window->m_statusAfterApply.clear();
        }
    } finally{this};
    m_store.detachCursorHook();
    CaptureColumnWidths();
    // The catalogue as it was, before the changes go in.
    if (m_store.QueryBook().updatesPending())
        m_statusAfterApply = backupBeforeApply();
    try {
        m_store.ApplyPendingUpdates();
    } catch (const RowChangedError& e) {
        // Another program (a window of another user, a script) changed a book
        // this apply would overwrite: nothing is written, and the user chooses
        // between keeping the changes and seeing the catalogue as it is now.
        const QString question = QStringLiteral("更新を適用できませんでした。") + e.message() +
                                 QStringLiteral(
                                     "。\n変更はそのまま保留されています。\n"
                                     "カタログを読み直しますか？（保留中の変更は取り消されます）");
        if (ShowMessageDialog(this, question, kMessageWarning, kButtonsYesNoDefaultNo) ==
            Answer::Yes)
            reloadAfterAnotherProgram();
        return;
    } catch (const EngineError& e) {
        if (isDamageError(e) && reportDamage(e.message()))
            return;
        // A catalogue another program holds for a moment is no lost work: the
        // changes stay pending and the user can simply try again.
        if (e.isBusy())
            ShowDefaultError(
                QStringLiteral("カタログ %1 は他のプログラムが使用中のため、更新を"
                               "適用できませんでした。変更はそのまま保留されています。"
                               "しばらくしてからもう一度「更新適用」を実行してください")
                    .arg(m_store.Database().path()));
        else
            ShowDefaultError(QStringLiteral("更新の適用に失敗しました。") + e.message());
        return;
    }
    if (m_recordDialog)
        m_recordDialog->RefreshDropDownLists();
    SetPendingMode(false);
    ApplyColumnLayout();
}

void TFormMainWin::menuVSameBooksClick() {
    // The books that may be the same book twice, or every book (with the
    // options' filter) again.
    if (m_store.sameBooksShown())
        m_store.Requery();
    else
        m_store.ApplySameBooksFilter();
    m_store.QueryBook().first();
    RefreshRecordStatus();
    RefreshNavigation();
}

void TFormMainWin::menuVReadingReviewClick() {
    // The books whose readings are worth a look, or every book again.
    if (m_store.uncertainReadingsShown())
        m_store.Requery();
    else
        m_store.ApplyUncertainReadingsFilter();
    m_store.QueryBook().first();
    RefreshRecordStatus();
    RefreshNavigation();
}

void TFormMainWin::refreshUncertainReadings() {
    // How many readings are worth a look, while there are any: stored books
    // only (pending ones are read when they are applied).
    BookReadings* readings = m_store.readings();
    const int uncertain = readings && readings->ready() ? readings->uncertainBooks() : 0;
    m_statusUncertain->setText(QStringLiteral("読みの確認: %1 冊").arg(uncertain));
    m_statusUncertain->setVisible(uncertain > 0);
}

void TFormMainWin::refreshWelcome() {
    if (!m_welcome)
        return;
    auto* stack = static_cast<QStackedLayout*>(m_panelBase->layout());
    const bool empty = m_store.RecordCount() == 0 && !m_store.QueryBook().updatesPending() &&
                       m_store.FilterCondition().isEmpty() && !m_store.specialListShown() &&
                       m_store.QueryBook().isActive();
    if (empty && stack->currentWidget() != m_welcome)
        stack->setCurrentWidget(m_welcome);
    else if (!empty && stack->currentWidget() == m_welcome)
        ShowViewType(m_settings.ViewType);
}

void TFormMainWin::importSample() {
    QTemporaryFile sample;
    QFile shipped(QStringLiteral(":/samples/books-sample.csv"));
    if (!sample.open() || !shipped.open(QIODevice::ReadOnly) ||
        sample.write(shipped.readAll()) < 0 || !sample.flush())
        throw EngineError(QStringLiteral("サンプルを読み込めませんでした"));
    CsvSettings settings;
    settings.fileName = sample.fileName();
    const CsvResult read = ImportCsv(m_store, &settings);
    if (!read.ok())
        throw EngineError(QStringLiteral("サンプルを読み込めませんでした。") + read.reason);
    const int books = read.books;
    m_store.QueryBook().first();
    RefreshRecordStatus();
    RefreshNavigation();
    ShowStatusText(
        QStringLiteral("サンプルの %1 冊を読み込みました（更新適用で保存されます）").arg(books));
}

void TFormMainWin::menuFCancelClick() {
    if (m_settings.ConfirmCancel &&
        ShowMessageDialog(this, QStringLiteral("変更を取消し、元に戻します。\nよろしいですか？"),
                          kMessageConfirmation, kButtonsYesNoDefaultNo) != Answer::Yes)
        return;
    ShowStatusText(QStringLiteral("更新取消し中です．．．"));
    BusyCursor busy;
    m_store.CancelPendingUpdates();
    // Names offered from the cancelled books go with them.
    if (m_recordDialog)
        m_recordDialog->RefreshDropDownLists();
    SetPendingMode(false);
    ShowStatusText(QString());
}

void TFormMainWin::menuEUndoApplyClick() {
    if (!m_store.CanUndoLastApply())
        return;
    // Always asked: it changes stored books, and says exactly which.
    if (ShowMessageDialog(this,
                          m_store.LastApplyUndoText() + QStringLiteral("。\nよろしいですか？"),
                          kMessageConfirmation, kButtonsYesNoDefaultNo) != Answer::Yes)
        return;
    ShowStatusText(QStringLiteral("最後の更新を取り消しています．．．"));
    BusyCursor busy;
    try {
        m_store.UndoLastApply();
    } catch (const EngineError& e) {
        ShowStatusText(QString());
        if (isDamageError(e) && reportDamage(e.message()))
            return;
        ShowDefaultError(QStringLiteral("最後の更新を取り消せませんでした。") + e.message());
        updateCommandStates();
        return;
    }
    m_maxId = m_store.GetMaxId();
    if (m_recordDialog)
        m_recordDialog->RefreshDropDownLists();
    ShowStatusText(QString());
    updateCommandStates();
}

void TFormMainWin::reloadAfterAnotherProgram() {
    BusyCursor busy;
    m_store.CancelPendingUpdates();
    m_store.RequeryShownList();
    // The other program may have added books: new ones go after its IDs.
    m_maxId = m_store.GetMaxId();
    if (m_recordDialog)
        m_recordDialog->RefreshDropDownLists();
    SetPendingMode(false);
    RefreshRecordStatus();
}

void TFormMainWin::menuFExitClick() {
    close();
}

// The busy cursor covers the preparation only; a modal dialog shows the normal one.
void TFormMainWin::menuEEditClick() {
    if (m_store.readOnly())
        return QApplication::beep();
    {
        BusyCursor busy;
        CachedDataset& q = m_store.QueryBook();
        if (q.rowCount() <= 0)
            return;
        q.edit();
        m_store.OnUpdatesPending();
        recordDialog()->setMode(RecordMode::Edit);
    }
    m_recordDialog->exec();
}

void TFormMainWin::menuEAddClick() {
    if (m_store.readOnly())
        return QApplication::beep();
    {
        BusyCursor busy;
        m_store.AppendRecord();
        recordDialog()->setMode(RecordMode::Add);
    }
    m_recordDialog->exec();
}

void TFormMainWin::configureLookup() {
    NdlService service;
    service.url = m_settings.LookupUrl;
    service.covers = m_settings.LookupCovers;
    // Asked once, at the first look-up: an ISBN leaves the computer only when
    // the user has agreed; [Lookup] Enabled keeps the answer, and Enabled=0,
    // however it came into the file, is a refusal never asked over.
    service.consent = [this]() -> QString {
        if (m_settings.LookupEnabled && !m_settings.LookupAsked) {
            QWidget* owner = QApplication::activeModalWidget();
            m_settings.LookupEnabled =
                ShowMessageDialog(owner ? owner : this,
                                  QStringLiteral("本を調べるため、入力した ISBN を国立国会図書館"
                                                 "（国立国会図書館サーチ）に送ります。\n"
                                                 "よろしいですか？（この確認は一度だけです。"
                                                 "表示 > オプションの「国立国会図書館で調べる」で"
                                                 "変えられます）"),
                                  kMessageConfirmation, kButtonsYesNo) == Answer::Yes;
            m_settings.LookupAsked = true;
        }
        return m_settings.LookupEnabled ? QString()
                                        : QStringLiteral(
                                              "国立国会図書館には問い合わせませんでした（表示 > "
                                              "オプションの「国立国会図書館で調べる」で調べられる"
                                              "ようになります）");
    };
    NdlLookup::configure(service);
}

void TFormMainWin::menuEScanIsbnClick() {
    if (m_store.readOnly())
        return QApplication::beep();
    TFormIsbnScan scan(m_store, this);
    CentreFormOver(this, &scan);
    scan.exec();
    // The books found are pending, as any addition: 更新適用 stores them.
    if (m_store.QueryBook().updatesPending())
        SetPendingMode(true);
    if (m_recordDialog)
        m_recordDialog->RefreshDropDownLists();
    RefreshRecordStatus();
}

void TFormMainWin::changeCover(const QByteArray& cover) {
    CachedDataset& q = m_store.QueryBook();
    if (m_store.readOnly() || q.currentRow() < 0)
        return QApplication::beep();
    {
        CursorHookDetach detached(m_store);
        q.edit();
        q.post();
    }
    m_store.covers().set(q.integer(0), cover);
    SetPendingMode(true);
    FillCard();
    m_coverGrid->forgetCovers();
}

void TFormMainWin::menuEDeleteClick() {
    if (m_store.readOnly())
        return QApplication::beep();
    m_store.DeleteCurrent(m_settings.ConfirmDelete);
}

void TFormMainWin::menuECopyClick() {
    BusyCursor busy;
    const CachedDataset& q = m_store.QueryBook();
    if (q.currentRow() < 0)
        return;
    for (int field : kCopyOrder)
        m_copyBuffer.setField(field, q.text(field));
    BuildRecordClipboardText(m_copyBuffer, copyStyle());
}

CopyStyle TFormMainWin::copyStyle() const {
    CopyStyle style;
    style.CopyType = m_settings.CopyType;
    style.CopyAddLabel = m_settings.CopyAddLabel;
    style.CopyAddChar = m_settings.CopyAddChar;
    style.AddStringStart = m_settings.AddStringStart;
    style.AddStringEnd = m_settings.AddStringEnd;
    style.SkipPoorField = m_settings.SkipPoorField;
    style.FieldLabels = m_settings.FieldLabels;
    return style;
}

void TFormMainWin::menuEFirstClick() {
    m_store.QueryBook().first();
    RefreshNavigation();
}

void TFormMainWin::menuEPriorClick() {
    m_store.QueryBook().prior();
    RefreshNavigation();
}

void TFormMainWin::menuENextClick() {
    m_store.QueryBook().next();
    RefreshNavigation();
}

void TFormMainWin::menuELastClick() {
    m_store.QueryBook().last();
    RefreshNavigation();
}

void TFormMainWin::menuVToolBarClick() {
    m_settings.ToolBarShown = m_commands.toolBar->isChecked();
    m_toolBar->setVisible(m_settings.ToolBarShown);
}

void TFormMainWin::menuVStatusBarClick() {
    m_settings.StatusBarShown = m_commands.statusBar->isChecked();
    statusBar()->setVisible(m_settings.StatusBarShown);
}

void TFormMainWin::menuVViewTypeClick(BookView view) {
    if (view == m_settings.ViewType)
        return;
    BusyCursor busy;
    if (m_settings.ViewType == BookView::List)
        CaptureColumnWidths();  // the list's widths, before it is hidden
    m_settings.ViewType = view;
    ShowViewType(view);
    if (view == BookView::Card)
        m_card->box(FieldNo::Title)->setFocus();
    if (view == BookView::Covers)
        m_coverGrid->setFocus();
}

void TFormMainWin::menuVOptionClick() {
    if (m_store.QueryBook().updatesPending()) {
        ShowMessageDialog(
            this,
            QStringLiteral("更新が保留されています。\n更新適用してから表示設定を行ってください。"),
            kMessageInformation, kButtonsOk);
        return;
    }
    optionsDialog()->exec();
}

void TFormMainWin::menuESearchClick() {
    searchDialog()->exec();
}

void TFormMainWin::menuFIoCsvClick() {
    // A heading line names the columns as the user has named them.
    m_csvSettings.labels.clear();
    for (int field : kCsvFields)
        m_csvSettings.labels << m_settings.FieldLabels[static_cast<size_t>(field)];
    std::unique_ptr<TFormIoCsv> dialog;
    {
        BusyCursor busy;
        dialog = std::make_unique<TFormIoCsv>(m_store, *this, this);
    }
    if (std::exchange(m_csvStartsWithImport, false))
        dialog->startWithImport();
    dialog->exec();
}

QPrinter& TFormMainWin::printer() {
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        preparePrinter(*m_printer);
    }
    return *m_printer;
}

void TFormMainWin::menuFPrintClick() {
    // The grid and the card stay where they are while the report reads the rows.
    CursorHookDetach detached(m_store);
    PrintReport(this, printer(), m_store.QueryBook(), m_settings);
}

void TFormMainWin::menuFPrintPreviewClick() {
    if (!anyColumnVisible(m_settings)) {
        ShowMessageDialog(this, kNoVisibleColumn + QStringLiteral("。"), kMessageWarning,
                          kButtonsOk);
        return;
    }
    CursorHookDetach detached(m_store);
    std::unique_ptr<TFormPrintPreview> preview;
    {
        BusyCursor busy;
        preview =
            std::make_unique<TFormPrintPreview>(printer(), m_store.QueryBook(), m_settings, this);
    }
    preview->exec();
}

void TFormMainWin::menuFPageSetupClick() {
    QPageSetupDialog dialog(&printer(), this);
    nameB5AsInJapan(dialog);
    dialog.exec();
}

void TFormMainWin::menuHContentsClick() {
    HelpViewer::instance().showContents();
}

void TFormMainWin::menuHAboutClick() {
    std::unique_ptr<TFormAbout> about;
    {
        BusyCursor busy;
        about = std::make_unique<TFormAbout>(this);
    }
    about->exec();
}

}  // namespace quillo
