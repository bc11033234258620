#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

#include "store/reading_index.h"

class QLabel;
class QMenu;
class QWidget;

namespace quillo {

class TDM;

// The kana index in the window: 表示 > 索引 (あ か さ … わ, A–Z), the status
// panel that says where the current book stands ("な行"), and the type-ahead
// of the list: what is typed within a second of the last key is looked up as
// one text.
class KanaIndexView : public QObject {
public:
    KanaIndexView(TDM& store, QWidget* window, std::function<void(int row)> goTo);

    QMenu* menu() const { return m_menu; }
    QLabel* place() const { return m_place; }
    // Text typed into the list; false when there is no index to look it up in.
    bool typed(const QString& text);
    // The current row moved or the order changed.
    void refresh(int currentRow);

    static constexpr int kTypingPauseMs = 1000;

private:
    void go(int row);

    ReadingIndex m_index;
    std::function<void(int)> m_goTo;
    QMenu* m_menu = nullptr;
    QLabel* m_place = nullptr;
    QString m_typed;
    QElapsedTimer m_sinceTyped;
};

}  // namespace quillo
