#include "app/card_view.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QMouseEvent>

#include "ui/field_form_layout.h"

namespace quillo {

CardView::CardView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelCardViewBase"));
    setProperty("tag", 0);
    m_card = new QFrame(this);
    m_card->setObjectName(QStringLiteral("PanelCardView"));
    m_card->setProperty("tag", 0);
    m_card->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The card was drawn for the window font at 12 pixels.
    QFont cardFont(QStringLiteral("ＭＳ Ｐゴシック"));
    cardFont.setPixelSize(12);
    m_card->setFont(cardFont);
    installEventFilter(this);
    m_card->installEventFilter(this);

    auto* grid = new QGridLayout(m_card);
    grid->setContentsMargins(6, 6, 8, 8);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(5);
    // As large as its font needs: the card is centred, never stretched.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    FieldFormLayout fields(grid);
    QWidget* previous = nullptr;
    for (int fieldNo : kFormFields) {
        const BookFieldInfo& info = bookField(fieldNo);
        const auto k = static_cast<size_t>(fieldNo);
        auto* label = new QLabel(m_card);
        label->setObjectName(QStringLiteral("Label") + QLatin1String(info.widgetName));
        label->setTextFormat(Qt::PlainText);  // the user's own field names
        label->setProperty("tag", 0);
        label->installEventFilter(this);
        m_labels[k] = label;

        QWidget* box;
        if (info.kind == FieldKindOfBook::Memo) {
            auto* memo = new QPlainTextEdit(m_card);
            memo->setReadOnly(true);
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setLineWrapMode(QPlainTextEdit::NoWrap);
            memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 7 + 20);
            memo->setObjectName(QStringLiteral("Memo") + QLatin1String(info.widgetName));
            box = memo;
        } else {
            auto* edit = new QLineEdit(m_card);
            edit->setReadOnly(true);
            edit->setObjectName(QStringLiteral("Edit") + QLatin1String(info.widgetName));
            // A whole date fits its box, whatever the font.
            if (info.kind == FieldKindOfBook::Date)
                edit->setMinimumWidth(
                    edit->fontMetrics().horizontalAdvance(QStringLiteral("8888/88/88")) + 12);
            box = edit;
        }
        box->setProperty("tag", 1);
        m_boxes[k] = box;
        fields.addField(fieldNo, label, box);
        if (fieldNo == FieldNo::Title) {
            auto* isbnLabel = new QLabel(QStringLiteral("ISBN"), m_card);
            isbnLabel->setProperty("tag", 0);
            m_isbn = new QLineEdit(m_card);
            m_isbn->setReadOnly(true);
            m_isbn->setObjectName(QStringLiteral("EditIsbn"));
            m_isbn->setProperty("tag", 1);
            isbnLabel->setBuddy(m_isbn);
            fields.addUnder(isbnLabel, m_isbn);
        }
        if (previous)
            QWidget::setTabOrder(previous, box);
        previous = box;
        label->setBuddy(box);
    }
    fields.finish(11);
    // The cover stands at the card's right, beside every row.
    m_cover = new CoverLabel(m_card);
    m_cover->setProperty("tag", 1);
    grid->addWidget(m_cover, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
    connect(m_cover, &CoverLabel::coverChanged, this, &CardView::coverChanged);
    PanelCardViewBaseResize();
}

void CardView::setField(int fieldNo, const QString& text) {
    QWidget* box = m_boxes[static_cast<size_t>(fieldNo)];
    if (auto* edit = qobject_cast<QLineEdit*>(box)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(box)) {
        memo->setPlainText(text);
    }
}

void CardView::setIsbn(const QString& shown) {
    m_isbn->setText(shown);
}

QString CardView::isbnText() const {
    return m_isbn->text();
}

QString CardView::fieldText(int fieldNo) const {
    QWidget* box = m_boxes[static_cast<size_t>(fieldNo)];
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        return edit->text();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(box))
        return memo->toPlainText();
    return QString();
}

void CardView::setLabel(int fieldNo, const QString& caption) {
    m_labels[static_cast<size_t>(fieldNo)]->setText(caption);
}

void CardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PanelCardViewBaseResize();
}

void CardView::PanelCardViewBaseResize() {
    const int left = m_card->width() < width() ? (width() - m_card->width()) / 2 : 0;
    const int top = m_card->height() < height() ? (height() - m_card->height()) / 2 : 0;
    m_card->move(left, top);
}

bool CardView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Resize:
            // A longer label or another font resized the card: centred again.
            if (watched == m_card)
                PanelCardViewBaseResize();
            break;
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                emit editRequested();
                return true;
            }
            break;
        case QEvent::ContextMenu:
            // Only the background and the labels (tag 0) offer the main window's menu.
            if (watched->property("tag").toInt() == 0) {
                emit contextMenuRequested(static_cast<QContextMenuEvent*>(event)->globalPos());
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace quillo
