#pragma once

#include <QLabel>

namespace quillo {

// A book's cover on the card: the image, or "表紙なし". An image dropped on it
// or pasted from its menu becomes the cover, and its menu removes it; each
// change is asked of the window, which keeps it with the book's pending
// changes.
class CoverLabel : public QLabel {
    Q_OBJECT
public:
    explicit CoverLabel(QWidget* parent);
    void showCover(const QByteArray& image);
    bool hasCover() const { return m_hasCover; }
    void setEditable(bool editable) { m_editable = editable; }

    // What an image dropped or pasted becomes, empty when it is no image.
    void takeImage(const QImage& image);
    void takeClipboard();

signals:
    void coverChanged(const QByteArray& cover);  // empty: removed

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool m_hasCover = false;
    bool m_editable = true;
};

}  // namespace quillo
