#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace quillo {

class TDM;
class NdlLookup;

// 編集 > ISBNで連続追加: a box that takes one ISBN after another (a barcode
// reader types the digits and Enter) and adds each as a pending book from the
// National Diet Library's record. The list beside it shows each number with
// its title or its problem; a number not found stays there to be looked up
// again. Look-ups go one at a time, a second apart, and wait while the
// network is away.
class TFormIsbnScan : public QDialog {
    Q_OBJECT
public:
    TFormIsbnScan(TDM& store, QWidget* owner);

    QLineEdit* box() const { return m_box; }
    QListWidget* list() const { return m_list; }
    int added() const { return m_added; }
    bool idle() const;
    void setSpacing(int milliseconds) { m_spacing = milliseconds; }

    // What Enter in the box does with what was typed.
    void take(const QString& typed);
    // Looks the chosen numbers that found nothing up again.
    void retryChosen();

private:
    struct Entry {
        QString isbn;
        QListWidgetItem* item;
    };
    void next();
    void say(QListWidgetItem* item, const QString& isbn, const QString& text, bool problem);
    void updateSummary();

    TDM& m_store;
    NdlLookup* m_lookup;
    QLineEdit* m_box;
    QListWidget* m_list;
    QLabel* m_summary;
    QPushButton* m_retry;
    QTimer m_pace;
    QElapsedTimer m_sinceLast;
    std::deque<Entry> m_queue;
    std::optional<Entry> m_asking;
    QStringList m_scanned;
    int m_added = 0;
    int m_spacing = 1000;
};

}  // namespace quillo
