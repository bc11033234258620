#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <map>

#include "app/card_view.h"
#include "csv/csv_dialog.h"
#include "edit/date_text.h"
#include "edit/record_dialog.h"
#include "search/search_dialog.h"
#include "settings/options_dialog.h"
#include "ui/message_dialog.h"
#include "window_fixture.h"

namespace quillo::test {

// Works the main window as a user does: through its commands and dialogs, with
// every question pre-answered, and tells whether its views still agree.
class WindowDriver {
public:
    explicit WindowDriver(WindowFixture& fixture) : m_f(fixture) {}

    TFormMainWin& window() { return *m_f.window; }
    TDM& store() { return *m_f.store; }
    CachedDataset& query() { return m_f.store->QueryBook(); }

    template <typename T = QObject>
    T* control(const char* name) {
        return window().findChild<T*>(QString::fromLatin1(name));
    }
    bool enabled(const char* name) {
        QObject* c = control(name);
        if (auto* action = qobject_cast<QAction*>(c))
            return action->isEnabled();
        return c && qobject_cast<QWidget*>(c)->isEnabled();
    }
    void trigger(const char* name) { control<QAction>(name)->trigger(); }

    // Opens the record dialog with Add or Edit, fills the given fields and
    // presses OK, or Cancel when `ok` is false.
    void record(const char* command, const std::map<int, QString>& fields, bool ok = true) {
        TFormSetRecord* dialog = window().recordDialog();
        m_f.withDialog(
            command, [dialog] { return dialog; },
            [&] {
                for (const auto& [field, text] : fields)
                    dialog->setControlText(field, text);
                const char* button = ok ? "ButtonOK" : "ButtonCancel";
                dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
            });
    }

    // Runs the options dialog; `act` sets its controls, then OK is pressed.
    void options(const std::function<void(TFormOption*)>& act) {
        TFormOption* dialog = window().optionsDialog();
        m_f.withDialog(
            "menuVOption", [dialog] { return dialog; },
            [&] {
                act(dialog);
                dialog->findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
            });
    }
    void setSort(int field1, int field2, int option) {
        options([&](TFormOption* d) {
            auto* sort1 = d->findChild<QComboBox*>(QStringLiteral("ComboBoxSortField"));
            auto* sort2 = d->findChild<QComboBox*>(QStringLiteral("ComboBoxSecondSortField"));
            sort1->setCurrentIndex(sort1->findData(field1));
            sort2->setCurrentIndex(field2 < 0 ? 0 : sort2->findData(field2));
            auto radios = d->findChild<QWidget*>(QStringLiteral("RadioGroupSortOption"))
                              ->findChildren<QRadioButton*>();
            radios.at(option)->setChecked(true);
        });
    }
    // An empty text empties the filter box by hand, as a user may instead of
    // pressing the filter's cancel button.
    void setFilter(const QString& text, const QList<int>& fields) {
        options([&](TFormOption* d) {
            d->findChild<QComboBox*>(QStringLiteral("ComboBoxFilterString"))->setEditText(text);
            for (auto* box : d->findChildren<QCheckBox*>()) {
                if (box->objectName().startsWith(QLatin1String("CheckBoxFilter")))
                    box->setChecked(false);
            }
            for (int field : fields) {
                const QString name =
                    QStringLiteral("CheckBoxFilter") +
                    (field == FieldNo::Publisher ? QStringLiteral("Publish")
                                                 : QString::fromLatin1(bookField(field).column));
                d->findChild<QCheckBox*>(name)->setChecked(true);
            }
        });
    }

    // Finds a text in the given fields and steps `steps` times to the next match;
    // gives the number of matches the store found. Messages are answered OK.
    int search(const QString& text, const QList<int>& fields, bool fuzzy, int steps = 0) {
        TFormSearch* dialog = window().searchDialog();
        int found = -1;
        m_f.withDialog(
            "menuESearch", [dialog] { return dialog; },
            [&] {
                dialog->searchText()->setEditText(text);
                for (int k = 0; k < kFieldCount; ++k) {
                    if (QCheckBox* box = dialog->fieldBox(k))
                        box->setChecked(fields.contains(k));
                }
                auto radios = dialog->findChild<QWidget*>(QStringLiteral("RadioGroupSearchMode"))
                                  ->findChildren<QRadioButton*>();
                radios.at(fuzzy ? 0 : 1)->setChecked(true);
                setNextMessageAnswer(Answer::Ok);  // for a miss
                dialog->ButtonFindClick();
                found = store().MatchCount();
                auto* next = dialog->findChild<QPushButton*>(QStringLiteral("ButtonNext"));
                for (int i = 0; i < steps && next->isEnabled(); ++i)
                    next->click();
                clearNextMessageAnswers();
                dialog->findChild<QPushButton*>(QStringLiteral("ButtonClose"))->click();
            });
        return found;
    }

    // Runs the import as a user does, pressing 実行 `runs` times while the
    // dialog is still there to press it on (a retry after a failed line).
    void importCsv(const QString& path, int runs = 1) {
        TFormIoCsv* dialog = nullptr;
        m_f.withDialog(
            "menuFIoCsv", [&] { return dialog = window().findChild<TFormIoCsv*>(); },
            [&] {
                for (auto* r : dialog->findChild<QWidget*>(QStringLiteral("RadioGroupProcKind"))
                                   ->findChildren<QRadioButton*>()) {
                    if (r->text() == QStringLiteral("入力(&I)"))
                        r->click();
                }
                dialog->findChild<QLineEdit*>(QStringLiteral("EditFileName"))->setText(path);
                auto* exec = dialog->findChild<QPushButton*>(QStringLiteral("ButtonExec"));
                for (int run = 0; run < runs && dialog->isVisible(); ++run) {
                    setNextMessageAnswer(Answer::Ok);
                    exec->click();
                    clearNextMessageAnswers();
                }
            });
    }

    // Drags a grid column by its title to another place.
    void dragColumn(int from, int to) {
        window().grid()->horizontalHeader()->moveSection(from, to);
    }

    // What the user sees of the current book, compared with the dataset's cursor:
    // an empty text when the grid highlight, the card, the count and the state of
    // the commands all agree with it, else what disagrees.
    QString disagreement() {
        const CachedDataset& q = query();
        const int row = q.currentRow();
        const int n = q.rowCount();
        QTableView* grid = window().grid();
        QStringList faults;
        if (grid->model()->rowCount() != n)
            faults << QStringLiteral("grid has %1 rows, query %2")
                          .arg(grid->model()->rowCount())
                          .arg(n);
        const QModelIndexList selected = grid->selectionModel()->selectedRows();
        if (row >= 0 && (selected.size() != 1 || selected.first().row() != row ||
                         grid->currentIndex().row() != row))
            faults << QStringLiteral("grid highlights %1 (current index %2), cursor on %3")
                          .arg(selected.isEmpty() ? -1 : selected.first().row())
                          .arg(grid->currentIndex().row())
                          .arg(row);
        if (window().settings().ViewType == BookView::Card) {
            for (int k = FieldNo::Title; k < kFieldCount; ++k) {
                const QString stored = row >= 0 ? q.text(k) : QString();
                const QString shown = isDateField(k) ? FormatDateText(stored) : stored;
                if (window().cardView()->fieldText(k) != shown)
                    faults << QStringLiteral("card field %1 shows '%2', the book holds '%3'")
                                  .arg(k)
                                  .arg(window().cardView()->fieldText(k), shown);
            }
        }
        if (store().RecordCount() != n)
            faults << QStringLiteral("count %1, rows %2").arg(store().RecordCount()).arg(n);
        const QString count = QStringLiteral(" レコード数 ： ") +
                              QString::number(n).rightJustified(4, QLatin1Char(' '));
        if (control<QLabel>("StatusPanel1")->text() != count)
            faults
                << QStringLiteral("status shows '%1'").arg(control<QLabel>("StatusPanel1")->text());
        auto expect = [&](const char* name, bool on) {
            if (enabled(name) != on)
                faults << QStringLiteral("%1 is %2")
                              .arg(QString::fromLatin1(name),
                                   on ? QStringLiteral("disabled") : QStringLiteral("enabled"));
        };
        for (const char* name : {"menuENext", "ToolButtonNext", "menuELast", "ToolButtonLast"})
            expect(name, row >= 0 && row < n - 1);
        for (const char* name : {"menuEPrior", "ToolButtonPrior", "menuEFirst", "ToolButtonFirst"})
            expect(name, row > 0);
        for (const char* name : {"menuEEdit", "ToolButtonEdit", "menuEDelete", "menuECopy"})
            expect(name, n != 0);
        const bool pending = window().pendingMode();
        for (const char* name : {"menuFApply", "menuFCancel", "ToolButtonApply"})
            expect(name, pending);
        for (const char* name : {"menuFIoCsv", "menuVOption"})
            expect(name, !pending);
        // One rule for every pending state, whatever change made it.
        for (const char* name : {"menuESearch", "ToolButtonFind"})
            expect(name, !pending && n != 0);
        return faults.join(QStringLiteral("; "));
    }

private:
    WindowFixture& m_f;
};

}  // namespace quillo::test
