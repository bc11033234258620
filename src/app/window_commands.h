#pragma once

class QAction;

namespace quillo {

// The window's commands, one action each: the menu bar, the context menu and
// the tool bar show the same action, so an entry and its button can never
// disagree about whether the command may run.
struct WindowCommands {
    QAction* apply = nullptr;
    QAction* cancel = nullptr;
    QAction* undoApply = nullptr;
    QAction* ioCsv = nullptr;
    QAction* print = nullptr;
    QAction* printPreview = nullptr;
    QAction* pageSetup = nullptr;
    QAction* restore = nullptr;
    QAction* exit = nullptr;
    QAction* edit = nullptr;
    QAction* add = nullptr;
    QAction* scanIsbn = nullptr;
    QAction* remove = nullptr;
    QAction* copy = nullptr;
    QAction* first = nullptr;
    QAction* prior = nullptr;
    QAction* next = nullptr;
    QAction* last = nullptr;
    QAction* search = nullptr;
    QAction* toolBar = nullptr;
    QAction* statusBar = nullptr;
    QAction* viewList = nullptr;
    QAction* viewCovers = nullptr;
    QAction* viewCard = nullptr;
    QAction* sameBooks = nullptr;
    QAction* readingReview = nullptr;
    QAction* statistics = nullptr;
    QAction* option = nullptr;
    QAction* contents = nullptr;
    QAction* about = nullptr;
};

}  // namespace quillo
