#include "app/card_view.h"

#include <QContextMenuEvent>
#include <QMouseEvent>

namespace quillo {

namespace {

struct CardField {
    int fieldNo;
    const char* label;
    const char* box;
    int labelRight, labelTop;
    int left, top, width, height;
};

// The card's fixed layout, in tab order.
const CardField kCardFields[] = {
    {FieldNo::Title, "LabelTitle", "EditTitle", 74, 6, 80, 6, 340, 20},
    {FieldNo::SubTitle, "LabelSubTitle", "EditSubTitle", 74, 32, 80, 32, 340, 20},
    {FieldNo::Writer, "LabelWriter", "EditWriter", 74, 58, 80, 58, 134, 20},
    {FieldNo::Writer2, "LabelWriter2", "EditWriter2", 74, 83, 80, 83, 134, 20},
    {FieldNo::Writer3, "LabelWriter3", "EditWriter3", 74, 109, 80, 109, 134, 20},
    {FieldNo::Writer4, "LabelWriter4", "EditWriter4", 74, 134, 80, 134, 134, 20},
    {FieldNo::Writer5, "LabelWriter5", "EditWriter5", 74, 160, 80, 160, 134, 20},
    {FieldNo::Translator, "LabelTranslator", "EditTranslator", 285, 58, 291, 58, 129, 20},
    {FieldNo::Publisher, "LabelPublish", "EditPublish", 285, 83, 291, 83, 129, 20},
    {FieldNo::Kind, "LabelKind", "EditKind", 284, 109, 291, 109, 129, 20},
    {FieldNo::PubDate, "LabelPubDate", "EditPubDate", 342, 134, 349, 134, 71, 20},
    {FieldNo::BuyDate, "LabelBuyDate", "EditBuyDate", 343, 160, 349, 160, 72, 20},
    {FieldNo::Memo, "LabelMemo", "MemoMemo", 74, 186, 80, 186, 340, 108},
};

constexpr int kCardWidth = 430;
constexpr int kCardHeight = 302;

}  // namespace

CardView::CardView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PanelCardViewBase"));
    setProperty("tag", 0);
    m_card = new QFrame(this);
    m_card->setObjectName(QStringLiteral("PanelCardView"));
    m_card->setProperty("tag", 0);
    m_card->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_card->setFixedSize(kCardWidth, kCardHeight);
    // The card's fixed layout was drawn for the window font at 12 pixels.
    QFont cardFont(QStringLiteral("ＭＳ Ｐゴシック"));
    cardFont.setPixelSize(12);
    m_card->setFont(cardFont);
    installEventFilter(this);
    m_card->installEventFilter(this);

    QWidget* previous = nullptr;
    for (const CardField& f : kCardFields) {
        const auto k = static_cast<size_t>(f.fieldNo);
        auto* label = new QLabel(m_card);
        label->setObjectName(QString::fromLatin1(f.label));
        label->setTextFormat(Qt::PlainText);  // the user's own field names
        label->setProperty("tag", 0);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->installEventFilter(this);
        m_labels[k] = label;
        m_labelRight[k] = f.labelRight;
        m_labelTop[k] = f.labelTop;

        QWidget* box;
        if (f.fieldNo == FieldNo::Memo) {
            auto* memo = new QPlainTextEdit(m_card);
            memo->setReadOnly(true);
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setLineWrapMode(QPlainTextEdit::NoWrap);
            box = memo;
        } else {
            auto* edit = new QLineEdit(m_card);
            edit->setReadOnly(true);
            box = edit;
        }
        box->setObjectName(QString::fromLatin1(f.box));
        box->setProperty("tag", 1);
        int left = f.left, width = f.width;
        if (isDateField(f.fieldNo)) {
            // A whole date fits its box: wider to the left when the font needs
            // it, the label moving with it, the right edge where it was.
            const int needed =
                QFontMetrics(m_card->font()).horizontalAdvance(QStringLiteral("8888/88/88")) + 10;
            if (needed > width) {
                left -= needed - width;
                m_labelRight[k] -= needed - width;
                width = needed;
            }
        }
        box->setGeometry(left, f.top, width, f.height);
        m_boxes[k] = box;
        if (previous)
            QWidget::setTabOrder(previous, box);
        previous = box;
        label->setBuddy(box);
    }
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
    placeLabel(fieldNo);
}

void CardView::placeLabel(int fieldNo) {
    // Right-aligned: the right edge stays where the layout puts it.
    const auto k = static_cast<size_t>(fieldNo);
    QLabel* label = m_labels[k];
    const QSize size = label->sizeHint();
    label->setGeometry(m_labelRight[k] - size.width(), m_labelTop[k], size.width(), 20);
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
