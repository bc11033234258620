// Times the printed list on a generated catalogue: the preview's first page and
// the counting of all its pages (offscreen, in-process, with the process's peak
// memory), and quillo-report writing the whole list to a PDF (a process of its
// own, timed from start to end, with its peak memory).
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTemporaryDir>

#include "bench_support.h"
#include "child_process.h"
#include "print/print_report.h"
#include "store/headless_host.h"
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
    const QString books = parser.value(QStringLiteral("books"));
    QTemporaryDir folder;
    const QString db = folder.filePath(QStringLiteral("book.db"));
    const QString here = QCoreApplication::applicationDirPath();
    generateInOwnProcess(db, books);
    const QString ini = folder.filePath(QStringLiteral("quillo.Ini"));
    QFile(ini).open(QIODevice::WriteOnly);  // the default settings

    {
        Connection::setAliasPath(QStringLiteral("book"), db);
        HeadlessStoreHost host;
        TDM store(&host, TDM::FirstRead::Deferred);
        store.QueryAll();
        const AppSettings settings;
        QPrinter printer(QPrinter::HighResolution);
        preparePrinter(printer);
        std::unique_ptr<TFormPrintPreview> preview;
        timed("preview_first_page_ms", [&] {
            preview =
                std::make_unique<TFormPrintPreview>(printer, store.QueryBook(), settings, nullptr);
            preview->show();
            preview->findChild<QWidget*>(QStringLiteral("PreviewPage"))->repaint();
        });
        timed("preview_count_pages_ms", [&] {
            while (!preview->counted())
                QApplication::processEvents();
        });
        report("preview_pages", preview->pageCount());
        timed("preview_last_page_ms", [&] {
            preview->showPage(preview->pageCount());
            preview->findChild<QWidget*>(QStringLiteral("PreviewPage"))->repaint();
        });
        report("peak_rss_preview_mb", peakResidentMb());
        preview.reset();
        store.CloseStore(false);
    }

    const ChildRun pdf =
        runChild({QFile::encodeName(here + QStringLiteral("/../src/print/quillo-report")),
                  QFile::encodeName(folder.filePath(QStringLiteral("list.pdf"))), "--db",
                  QFile::encodeName(db), "--settings", QFile::encodeName(ini)});
    report("pdf_ms", pdf.wallMs);
    report("pdf_peak_rss_mb", pdf.peakMb);
    return pdf.status;
}
