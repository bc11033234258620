#include "app/cover_grid.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "store/tdm.h"

namespace quillo {

namespace {

constexpr int kCoverWidth = 110;
constexpr int kCoverHeight = 150;

// One book: its cover (or its title on a plain card), and its title under it.
class CoverDelegate : public QStyledItemDelegate {
public:
    explicit CoverDelegate(CoverGrid& grid) : QStyledItemDelegate(&grid), m_grid(grid) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {CoverGrid::kCellWidth, CoverGrid::kCellHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        const QRect cell = option.rect.adjusted(2, 2, -2, -2);
        const bool current = option.state & QStyle::State_Selected;
        if (current)
            painter->fillRect(cell, option.palette.highlight());
        const QString title = m_grid.titleOf(index.row());
        const QRect cover((cell.width() - kCoverWidth) / 2 + cell.left(), cell.top() + 4,
                          kCoverWidth, kCoverHeight);
        const QPixmap pixmap = m_grid.coverOf(index.row());
        if (!pixmap.isNull()) {
            const QSize size = pixmap.size().scaled(cover.size(), Qt::KeepAspectRatio);
            painter->drawPixmap(QRect(cover.left() + (cover.width() - size.width()) / 2,
                                      cover.bottom() - size.height(), size.width(), size.height()),
                                pixmap);
        } else {
            // No cover: a plain card with the title on it.
            painter->fillRect(cover, QColor(0xf0, 0xec, 0xe0));
            painter->setPen(QColor(0x90, 0x88, 0x78));
            painter->drawRect(cover.adjusted(0, 0, -1, -1));
            painter->setPen(QColor(0x40, 0x38, 0x30));
            painter->drawText(cover.adjusted(8, 10, -8, -10),
                              Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                              title + QStringLiteral("\n\n") + m_grid.writerOf(index.row()));
        }
        painter->setPen(current ? option.palette.highlightedText().color()
                                : option.palette.text().color());
        const QRect caption(cell.left() + 2, cover.bottom() + 4, cell.width() - 4,
                            cell.bottom() - cover.bottom() - 4);
        painter->drawText(caption, Qt::AlignHCenter | Qt::AlignTop,
                          option.fontMetrics.elidedText(title, Qt::ElideRight, caption.width()));
        painter->restore();
    }

private:
    CoverGrid& m_grid;
};

}  // namespace

CoverGrid::CoverGrid(TDM& store, QWidget* parent) : QListView(parent), m_store(store) {
    setObjectName(QStringLiteral("CoverGrid"));
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setGridSize({kCellWidth, kCellHeight});
    setWordWrap(true);
    setItemDelegate(new CoverDelegate(*this));
    m_covers.setMaxCost(400);
    connect(this, &QListView::doubleClicked, this, &CoverGrid::editRequested);
}

QString CoverGrid::titleOf(int row) const {
    const CachedDataset& q = m_store.QueryBook();
    return row >= 0 && row < q.rowCount() ? q.textAt(row, FieldNo::Title) : QString();
}

QString CoverGrid::writerOf(int row) const {
    const CachedDataset& q = m_store.QueryBook();
    return row >= 0 && row < q.rowCount() ? q.textAt(row, FieldNo::Writer) : QString();
}

QPixmap CoverGrid::coverOf(int row) {
    const CachedDataset& q = m_store.QueryBook();
    if (row < 0 || row >= q.rowCount())
        return {};
    const qint64 id = q.textAt(row, 0).toLongLong();
    if (QPixmap* kept = m_covers.object(id))
        return *kept;
    ++m_read;
    auto* pixmap = new QPixmap;
    const QByteArray bytes = m_store.covers().valueOf(id);
    if (!bytes.isEmpty())
        pixmap->loadFromData(bytes);
    m_covers.insert(id, pixmap);
    return *pixmap;
}

bool CoverGrid::event(QEvent* event) {
    // Up and Down go a row of covers up or down, as in any grid, rather than
    // to the book before or after (Left and Right do that).
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            event->accept();
            return true;
        }
    }
    return QListView::event(event);
}

void CoverGrid::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        emit editRequested();
        return;
    }
    QListView::keyPressEvent(event);
}

}  // namespace quillo
