#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTableView>
#include <QToolButton>
#include <future>

#include "app/kana_index_view.h"
#include "app/window_commands.h"
#include "backup/auto_backups.h"
#include "csv/csv_dialog.h"
#include "edit/record_copy.h"
#include "edit/record_dialog.h"
#include "settings/app_settings.h"
#include "settings/options_dialog.h"
#include "store/store_host.h"

namespace quillo {

class CoverGrid;

class TDM;
class BookListModel;
class CardView;
class TFormSetRecord;
class TFormAbout;
class TFormSearch;
class TFormStatistics;
}  // namespace quillo
class QPrinter;
namespace quillo {

// Said at a close that another program keeps from renumbering the IDs.
inline const QString kRenumberingDeferred = QStringLiteral(
    "他のプログラムがこのカタログを開いているため、本の ID の付け直しは次に Quillo を終了する"
    "ときに行います。");

// The main window: menus, tool bar, status bar and the two views of the live
// query, and every command of the program.
class TFormMainWin : public QMainWindow,
                     public StoreHost,
                     public RecordDialogHost,
                     public CsvDialogHost,
                     public OptionsDialogHost {
    Q_OBJECT
public:
    // The settings file defaults to the one beside the program.
    explicit TFormMainWin(TDM& store, const QString& iniPath = QString());
    ~TFormMainWin() override;

    // StoreHost
    int MaxId() const override { return m_maxId; }
    void SetMaxId(int id) override { m_maxId = id; }
    SortSettings sortSettings() const override { return m_settings.sort(); }
    QString filterText() const override { return m_settings.FilterText; }
    FieldFlags filterFields() const override { return m_settings.filterFlags(); }
    void booksCounted() override { RefreshRecordStatus(); }
    void changesPending() override { SetPendingMode(true); }
    void currentBookMoved() override;
    bool deleteConfirmed(const QString& title) override;

    void RefreshRecordStatus() override;
    void SetPendingMode(bool on) override;
    void RefreshNavigation() override;
    void FillCard();

    // RecordDialogHost
    RecordCopyBuffer& copyBuffer() override { return m_copyBuffer; }
    CopyStyle copyStyle() const override;

    void ShowStatusText(const QString& text) override;
    void ShowViewType(BookView view);
    void ApplyColumnLayout() override;
    void CaptureColumnWidths() override;
    void ApplyFieldLabels() override;
    void applyFonts() override { applyWindowFonts(); }

    AppSettings& settings() override { return m_settings; }
    CsvSettings& csvSettings() override { return m_csvSettings; }
    QString rememberedCsvColumns(const QString& key) override;
    void rememberCsvColumns(const QString& key, const QString& columns) override;
    TDM& store() { return m_store; }
    bool pendingMode() const { return m_pendingMode; }
    // Shows the catalogue for reading only from now on, saying why in the status
    // bar: the commands that change books are disabled.
    void enterReadOnly(const QString& reason);
    void leaveReadOnly();
    // The damage check that runs after the first showing has finished.
    bool damageCheckDone() const { return m_damageCheckDone; }
    QString iniPath() const { return m_iniPath; }
    // The dialogs are made when first needed, so start-up does not pay for them.
    TFormSetRecord* recordDialog();
    TFormSearch* searchDialog();
    TFormOption* optionsDialog();
    QTableView* grid() const { return m_grid; }
    CardView* cardView() const { return m_card; }
    CoverGrid* coverGrid() const { return m_coverGrid; }

    // A second start asked for this window: it comes back from the task bar and
    // to the front, with the dialog it has open (which is what takes the keys).
    void bringForward();

    // Commands, as the menus, buttons and keys run them.
    void menuFApplyClick();
    void menuFCancelClick();
    void menuEScanIsbnClick();
    // Look-ups follow the settings' [Lookup], and ask once before the first.
    void configureLookup();
    // A cover dropped, pasted or removed on the card: a change of the current
    // book, pending until 更新適用.
    void changeCover(const QByteArray& cover);
    void menuEUndoApplyClick();
    void menuFIoCsvClick();
    void menuFPrintClick();
    void menuFPrintPreviewClick();
    void menuFPageSetupClick();
    void menuFRestoreClick();
    QPrinter& printer();
    void menuFExitClick();
    void menuEEditClick();
    void menuEAddClick();
    void menuEDeleteClick();
    void menuECopyClick();
    void menuEFirstClick();
    void menuEPriorClick();
    void menuENextClick();
    void menuELastClick();
    void menuESearchClick();
    void menuVToolBarClick();
    void menuVStatusBarClick();
    void menuVViewTypeClick(BookView view);
    void menuVOptionClick();
    void menuVSameBooksClick();
    void menuVReadingReviewClick();
    void menuVStatisticsClick();
    // The statistics of the books the list shows, counted, not yet shown.
    std::unique_ptr<TFormStatistics> makeStatistics();
    // The 50 sample books, as pending books (the first run's welcome offers them).
    void importSample();
    // The welcome while the catalogue holds no book and nothing is pending.
    void refreshWelcome();
    void menuHContentsClick();
    void menuHAboutClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyRecordDialogLabels();
    void buildCommands();
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void buildViews();
    QAction* command(const char* name, const char* caption, const char* hint,
                     void (TFormMainWin::*handler)(), const QKeySequence& key = {});
    void updateCommandStates();

    void FormCreate();
    void FormShow();
    QRect onScreen(const QRect& bounds) const;  // the client bounds with the frame on a screen
    bool FormCloseQuery();
    void FormClose();
    void StatusBarResize();
    void DBGridListViewColumnMoved();
    void syncGridToCursor();
    void gridRowSelected(int row);
    void applyWindowFonts();
    void runGuarded(const std::function<void()>& work);
    bool reportDamage(const QString& finding);
    AutoBackups backups() const;
    // A backup before an apply; what to tell the user when it failed.
    QString backupBeforeApply();
    // Drops the pending changes and reads the catalogue as another program left it.
    void reloadAfterAnotherProgram();
    void refreshUncertainReadings();
    void startDamageCheck();
    void PopupMenuPopup(const QPoint& globalPos);

    TDM& m_store;
    AppSettings m_settings;
    CsvSettings m_csvSettings;
    RecordCopyBuffer m_copyBuffer;
    QString m_iniPath;
    QString m_statusAfterApply;   // what the status bar says once an apply is done
    bool m_backupFailed = false;  // said once, until a backup succeeds again
    int m_maxId = 0;
    bool m_pendingMode = false;
    bool m_shown = false;
    bool m_closing = false;

    WindowCommands m_commands;
    QMenu* m_popupMenu = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_statusPanel0 = nullptr;
    QLabel* m_statusPanel1 = nullptr;
    QLabel* m_statusFilter = nullptr;     // the active filter, while there is one
    QLabel* m_statusUncertain = nullptr;  // how many readings are worth a look
    QWidget* m_panelBase = nullptr;
    QTableView* m_grid = nullptr;
    KanaIndexView* m_index = nullptr;
    QWidget* m_welcome = nullptr;  // in the list's place while there is no book
    BookListModel* m_model = nullptr;
    CardView* m_card = nullptr;
    CoverGrid* m_coverGrid = nullptr;
    TFormSetRecord* m_recordDialog = nullptr;
    bool m_csvStartsWithImport = false;  // the CSV dialog opened from the welcome page
    TFormSearch* m_searchDialog = nullptr;
    TFormOption* m_optionsDialog = nullptr;
    std::unique_ptr<QPrinter> m_printer;  // its choices last for the run
    QPointer<TFormAbout> m_splash;
    bool m_syncingGrid = false;
    QLabel* m_statusReadOnly = nullptr;
    std::future<QString> m_damageCheck;
    bool m_damageCheckDone = false;
    bool m_damageReported = false;
};

}  // namespace quillo
