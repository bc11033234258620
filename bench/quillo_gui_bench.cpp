// Times the main window on a generated catalogue, offscreen and in-process:
// opening it, scrolling the list from top to bottom, and switching to the card
// view and back.
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QScrollBar>
#include <QTableView>

#include "app/main_window.h"
#include "bench_support.h"
#include "catalogue_generator.h"
#include "store/tdm.h"

using namespace quillo;
using namespace quillo::bench;

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("books"), QStringLiteral("Number of books."),
                      QStringLiteral("n"), QStringLiteral("100000")});
    parser.process(app);
    const QString folder = QDir::temp().filePath(QStringLiteral("quillo-gui-bench"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString db = folder + QStringLiteral("/book.db");
    generateCatalogue(db, parser.value(QStringLiteral("books")).toInt());
    Connection::setAliasPath(QStringLiteral("book"), db);

    std::unique_ptr<TDM> store;
    std::unique_ptr<TFormMainWin> window;
    timed("open_window_ms", [&] {
        store = std::make_unique<TDM>(nullptr);
        window = std::make_unique<TFormMainWin>(*store, folder + QStringLiteral("/quillo.Ini"));
        window->show();
        QApplication::processEvents();
    });
    report("peak_rss_window_mb", peakResidentMb());

    QScrollBar* scroll = window->grid()->verticalScrollBar();
    timed("scroll_top_to_bottom_ms", [&] {
        const int page = std::max(1, scroll->pageStep());
        for (int value = 0; value <= scroll->maximum(); value += page) {
            scroll->setValue(value);
            window->grid()->viewport()->repaint();
        }
    });
    auto trigger = [&](const char* name) {
        window->findChild<QAction*>(QString::fromLatin1(name))->trigger();
        QApplication::processEvents();
    };
    timed("card_view_and_back_ms", [&] {
        trigger("menuVViewTypeRecord");
        trigger("menuVViewTypeList");
    });
    timed("move_to_last_book_ms", [&] { trigger("menuELast"); });
    window.reset();
    store->CloseStore(false);
    QDir(folder).removeRecursively();
    return 0;
}
