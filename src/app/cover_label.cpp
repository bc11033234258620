#include "app/cover_label.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>

#include "lookup/cover_image.h"

namespace quillo {

namespace {

QImage imageOf(const QMimeData* data) {
    if (!data)
        return {};
    if (data->hasImage())
        return qvariant_cast<QImage>(data->imageData());
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        QFile file(url.toLocalFile());
        if (file.open(QIODevice::ReadOnly)) {
            const QImage image = QImage::fromData(file.readAll());
            if (!image.isNull())
                return image;
        }
    }
    return {};
}

}  // namespace

CoverLabel::CoverLabel(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("LabelCover"));
    setAlignment(Qt::AlignCenter);
    setFixedSize(150, kCoverHeight + 4);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAcceptDrops(true);
    setToolTip(QStringLiteral("表紙。画像をドロップするか、右クリックから貼り付けられます。"));
    showCover({});
}

void CoverLabel::showCover(const QByteArray& image) {
    QPixmap pixmap;
    m_hasCover = !image.isEmpty() && pixmap.loadFromData(image);
    if (m_hasCover) {
        setPixmap(
            pixmap.scaled(size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        setPixmap({});
        setText(QStringLiteral("表紙なし"));
    }
}

void CoverLabel::takeImage(const QImage& image) {
    const QByteArray cover = coverBytes(image);
    if (!m_editable || cover.isEmpty())
        return QApplication::beep();
    emit coverChanged(cover);
}

void CoverLabel::takeClipboard() {
    takeImage(imageOf(QApplication::clipboard()->mimeData()));
}

void CoverLabel::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("PopupMenuCover"));
    QAction* paste = menu.addAction(QStringLiteral("画像を貼り付け(&P)"));
    paste->setEnabled(m_editable && !imageOf(QApplication::clipboard()->mimeData()).isNull());
    QAction* remove = menu.addAction(QStringLiteral("表紙を削除(&D)"));
    remove->setEnabled(m_editable && m_hasCover);
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == paste)
        takeClipboard();
    else if (chosen == remove)
        emit coverChanged({});
}

void CoverLabel::dragEnterEvent(QDragEnterEvent* event) {
    if (m_editable && !imageOf(event->mimeData()).isNull())
        event->acceptProposedAction();
}

void CoverLabel::dropEvent(QDropEvent* event) {
    takeImage(imageOf(event->mimeData()));
    event->acceptProposedAction();
}

}  // namespace quillo
