#pragma once

#include <QCache>
#include <QListView>
#include <QPixmap>

namespace quillo {

class TDM;

// 表示 > 表紙: the books as a grid of covers, in the list's order and on its
// current book, a book without a cover shown by its title. Covers are read as
// they come into view and a few hundred kept; Enter or a double click opens
// the book.
class CoverGrid : public QListView {
    Q_OBJECT
public:
    CoverGrid(TDM& store, QWidget* parent = nullptr);

    // A cover as drawn here: read from the catalogue once, then kept.
    QPixmap coverOf(int row);
    QString titleOf(int row) const;
    QString writerOf(int row) const;
    void forgetCovers() { m_covers.clear(); }
    int coversRead() const { return m_read; }

    static constexpr int kCellWidth = 124;
    static constexpr int kCellHeight = 186;

signals:
    void editRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TDM& m_store;
    QCache<qint64, QPixmap> m_covers;
    int m_read = 0;
};

}  // namespace quillo
