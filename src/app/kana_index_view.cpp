#include "app/kana_index_view.h"

#include <QLabel>
#include <QMenu>

#include "platform/kana_order.h"

namespace quillo {

KanaIndexView::KanaIndexView(TDM& store, QWidget* window, std::function<void(int)> goTo)
    : QObject(window), m_index(store), m_goTo(std::move(goTo)) {
    m_menu = new QMenu(QStringLiteral("索引(&I)"), window);
    m_menu->setObjectName(QStringLiteral("menuVIndex"));
    m_menu->menuAction()->setStatusTip(
        QStringLiteral("読み順の一覧で、五十音の行やアルファベットの先頭へ移動します。"));
    for (int row = 0; row < 10; ++row) {
        const QString name = kanaRowName(row);
        QAction* action = m_menu->addAction(name.left(1));
        action->setObjectName(QStringLiteral("menuVIndexKana%1").arg(row));
        action->setStatusTip(QStringLiteral("%1の先頭へ移動します。").arg(name));
        connect(action, &QAction::triggered, this, [this, row] { go(m_index.rowOfKanaRow(row)); });
    }
    QMenu* letters = m_menu->addMenu(QStringLiteral("A–Z"));
    letters->setObjectName(QStringLiteral("menuVIndexLetters"));
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        QAction* action = letters->addAction(QString(QLatin1Char(letter)));
        action->setObjectName(QStringLiteral("menuVIndexLetter%1").arg(QLatin1Char(letter)));
        connect(action, &QAction::triggered, this,
                [this, letter] { go(m_index.rowOfLetter(QLatin1Char(letter))); });
    }
    m_place = new QLabel;
    m_place->setObjectName(QStringLiteral("StatusPanelIndex"));
    m_place->setMinimumWidth(48);
    m_place->setAlignment(Qt::AlignCenter);
    m_place->hide();
}

void KanaIndexView::go(int row) {
    if (row >= 0)
        m_goTo(row);
}

bool KanaIndexView::typed(const QString& text) {
    if (!m_index.available())
        return false;
    if (!m_sinceTyped.isValid() || m_sinceTyped.elapsed() > kTypingPauseMs)
        m_typed.clear();
    m_sinceTyped.start();
    m_typed += text;
    go(m_index.rowOfTyped(m_typed));
    return true;
}

void KanaIndexView::refresh(int currentRow) {
    const bool available = m_index.available();
    m_menu->setEnabled(available);
    const QString place = available ? m_index.placeOf(currentRow) : QString();
    m_place->setText(place);
    m_place->setVisible(!place.isEmpty());
}

}  // namespace quillo
