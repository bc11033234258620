#pragma once

#include <QTableView>
#include <functional>

namespace quillo {

// The list view: what is typed into it (keys, or text an input method
// commits) goes to the kana index first, and to the view's own search by the
// first column's text when the index takes none.
class BookGrid : public QTableView {
public:
    std::function<bool(const QString& typed)> typedSearch;

    void keyboardSearch(const QString& search) override {
        if (!typedSearch || !typedSearch(search))
            QTableView::keyboardSearch(search);
    }
};

}  // namespace quillo
