#pragma once

#include <QWidget>
#include <functional>

namespace quillo {

// What the list's place shows while the catalogue holds no book: what Quillo
// keeps, and the three ways to the first books.
class WelcomeView : public QWidget {
public:
    WelcomeView(std::function<void()> addBook, std::function<void()> importCsv,
                std::function<void()> importSample);
};

}  // namespace quillo
