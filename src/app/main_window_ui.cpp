// The main window's controls: status bar, the two views, and the keys the
// window takes before the focused control.
#include <QHeaderView>
#include <QKeyEvent>
#include <QStackedLayout>
#include <QStatusBar>

#include "app/book_grid.h"
#include "app/book_list_model.h"
#include "app/card_view.h"
#include "app/cover_grid.h"
#include "app/main_window.h"
#include "app/welcome_view.h"
#include "edit/date_text.h"
#include "edit/record_dialog.h"
#include "lookup/isbn.h"
#include "search/search_dialog.h"
#include "store/tdm.h"
#include "widgets/font_of.h"

namespace quillo {

void TFormMainWin::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    m_statusPanel0 = new QLabel;
    m_statusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    // The status text gives way first, so the count is never cut.
    m_statusPanel0->setMaximumWidth(500);
    m_statusPanel0->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // Titles and names go into the status texts: they are shown as typed.
    m_statusPanel0->setTextFormat(Qt::PlainText);
    m_statusPanel1 = new QLabel;
    m_statusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    // Room for a count of seven digits.
    m_statusPanel1->setMinimumWidth(
        m_statusPanel1->fontMetrics().horizontalAdvance(QStringLiteral(" レコード数 ： 0000000")) +
        2 * m_statusPanel1->margin() + 4);
    m_statusFilter = new QLabel;
    m_statusFilter->setObjectName(QStringLiteral("StatusPanelFilter"));
    m_statusFilter->setTextFormat(Qt::PlainText);
    m_statusFilter->hide();
    m_statusUncertain = new QLabel;
    m_statusUncertain->setObjectName(QStringLiteral("StatusPanelUncertain"));
    m_statusUncertain->hide();
    bar->addWidget(m_statusPanel0, 1);
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
    connect(m_card, &CardView::coverChanged, this,
            [this](const QByteArray& cover) { runGuarded([&] { changeCover(cover); }); });

    m_coverGrid = new CoverGrid(m_store);
    m_coverGrid->setModel(m_model);
    connect(m_coverGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { gridRowSelected(current.row()); });
    connect(m_coverGrid, &CoverGrid::editRequested, this,
            [this] { runGuarded([this] { menuEEditClick(); }); });

    m_welcome = new WelcomeView([this] { m_commands.add->trigger(); },
                                [this] {
                                    m_csvStartsWithImport = true;
                                    m_commands.ioCsv->trigger();
                                    m_csvStartsWithImport = false;
                                },
                                [this] { runGuarded([this] { importSample(); }); });
    stack->addWidget(m_grid);
    stack->addWidget(m_card);
    stack->addWidget(m_coverGrid);
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

void TFormMainWin::ShowViewType(BookView view) {
    auto* stack = static_cast<QStackedLayout*>(m_panelBase->layout());
    updateCommandStates();
    if (view == BookView::Card) {
        // The hidden grid stays on the live query, so the highlight never has to
        // be found again when the list comes back.
        m_grid->setEnabled(false);
        FillCard();
        stack->setCurrentWidget(m_card);
    } else if (view == BookView::Covers) {
        m_grid->setEnabled(false);
        m_coverGrid->forgetCovers();
        // On the current book before it shows: shown without one, it would
        // take the first book and move the list there.
        syncGridToCursor();
        stack->setCurrentWidget(m_coverGrid);
    } else {
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
    if (m_settings.ViewType != BookView::List)
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
            if (m_settings.ViewType != BookView::List)
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
    const QString isbn = hasRow ? m_store.isbns().isbnOf(q.integer(0)) : QString();
    m_card->setIsbn(isbn.isEmpty() ? QString() : hyphenatedIsbn(isbn));
    m_card->setCover(hasRow ? m_store.covers().valueOf(q.integer(0)) : QByteArray());
    m_card->cover()->setEditable(hasRow && !m_store.readOnly());
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
    // The cover grid, when shown, stands on the same book.
    if (m_settings.ViewType == BookView::Covers && m_coverGrid->model()) {
        QItemSelectionModel* covers = m_coverGrid->selectionModel();
        if (row < 0) {
            covers->clear();
        } else if (m_coverGrid->currentIndex().row() != row) {
            const QModelIndex index = m_model->index(row, 0);
            covers->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
            m_coverGrid->scrollTo(index);
        }
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
    // In the grid of covers Up and Down go a row up or down, as in any grid.
    if ((widget == m_coverGrid || widget->parent() == m_coverGrid) &&
        (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) &&
        key->modifiers() == Qt::NoModifier)
        return QMainWindow::eventFilter(watched, event);
    // The window's command keys are the window's: the focused control never
    // claims them, and a disabled command's key goes nowhere.
    const QKeySequence sequence(key->keyCombination());
    for (const QAction* action : actions()) {
        if (action->shortcuts().contains(sequence))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace quillo
