#pragma once

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <array>

#include "app/cover_label.h"
#include "store/book_record.h"

namespace quillo {

// The card: every data field of the current book in read-only boxes on a form
// as large as its font needs, centred in its base panel (PanelCardViewBase). The card's
// background and labels offer the main window's context menu and open the book
// on a double click; the boxes keep their own text menus.
class CardView : public QWidget {
    Q_OBJECT
public:
    explicit CardView(QWidget* parent = nullptr);

    // Texts of the thirteen fields, by field number; dates as the card shows them.
    void setField(int fieldNo, const QString& text);
    QString fieldText(int fieldNo) const;
    // The book's ISBN as shown ("978-4-..."), under its title.
    void setIsbn(const QString& shown);
    QString isbnText() const;
    // The book's cover (an image file's bytes), or none.
    void setCover(const QByteArray& image) { m_cover->showCover(image); }
    CoverLabel* cover() const { return m_cover; }
    void setLabel(int fieldNo, const QString& caption);
    QWidget* box(int fieldNo) const { return m_boxes[static_cast<size_t>(fieldNo)]; }
    QFrame* card() const { return m_card; }

signals:
    void editRequested();
    void contextMenuRequested(const QPoint& globalPos);
    void coverChanged(const QByteArray& cover);  // dropped, pasted or removed

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_isbn = nullptr;
    CoverLabel* m_cover = nullptr;
    void PanelCardViewBaseResize();

    QFrame* m_card;
    std::array<QLabel*, kFieldCount> m_labels{};
    std::array<QWidget*, kFieldCount> m_boxes{};
};

}  // namespace quillo
