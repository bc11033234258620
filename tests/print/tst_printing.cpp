// Printing and previewing the list through the main window, into PDF files.
#include <sys/stat.h>
#include <QComboBox>
#include <QDir>
#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "files.h"
#include "full_disk.h"
#include "platform/japanese_fonts.h"
#include "print/print_report.h"
#include "settings/settings_file.h"
#include "store/tdm.h"
#include "test_db.h"
#include "ui/message_dialog.h"

using namespace quillo;

static QString S(const char* text) {
    return QString::fromUtf8(text);
}

class TestPrinting : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempBookDb> m_db;
    std::unique_ptr<TDM> m_store;
    std::unique_ptr<TFormMainWin> m_window;

    void openWindow(int books) {
        QString values;
        for (int i = 1; i <= books; ++i)
            values += QStringLiteral("%1(%2, '本 %2', '著者 %3', '2001-02-03')")
                          .arg(i > 1 ? QStringLiteral(",") : QString())
                          .arg(i)
                          .arg(i % 7);
        if (books > 0)
            test::exec(S("insert into quillo (ID, Title, Writer, PubDate) values ") + values);
        m_store = std::make_unique<TDM>(nullptr);
        m_window = std::make_unique<TFormMainWin>(*m_store, m_db->folder() + S("/quillo.Ini"));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->printer().setOutputFormat(QPrinter::PdfFormat);
        m_window->printer().setOutputFileName(m_db->folder() + S("/report.pdf"));
    }
    QString m_queue;
    QString m_queueProblem;

    // A queue to a printer that is not there: it takes jobs (they wait), or
    // refuses them once told to. Needs CUPS; its daemon is started when it is
    // installed but not running (as on a fresh machine), else the test that
    // needs it is skipped with the reason.
    QString makeTestQueue() {
        if (QStandardPaths::findExecutable(S("lpadmin")).isEmpty() ||
            QStandardPaths::findExecutable(S("cupsd"), {S("/usr/sbin"), S("/sbin")}).isEmpty()) {
            m_queueProblem = S("CUPS is not installed");
            return QString();
        }
        QProcess status;
        status.start(S("lpstat"), {S("-r")});
        status.waitForFinished(10000);
        if (!status.readAllStandardOutput().contains("is running")) {
            QProcess::execute(S("cupsd"), {});
            QTest::qWait(1500);
        }
        const QString name = S("QuilloTestQueue");
        const int made = QProcess::execute(
            S("lpadmin"),
            {S("-p"), name, S("-E"), S("-v"), S("socket://127.0.0.1:9"), S("-m"), S("raw")});
        if (made != 0) {
            m_queueProblem = S("lpadmin could not make a queue (cupsd not running, or not root)");
            return QString();
        }
        return name;
    }

    static int pdfPages(const QString& pdf) {
        QProcess info;
        info.start(S("pdfinfo"), {pdf});
        info.waitForFinished(30000);
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        static const QRegularExpression pages(S("Pages:\\s+(\\d+)"));
        return pages.match(text).captured(1).toInt();
    }
    // The fonts a PDF embeds, without their subset tags.
    static QStringList pdfFonts(const QString& pdf) {
        QProcess fonts;
        fonts.start(S("pdffonts"), {pdf});
        fonts.waitForFinished(30000);
        QStringList names;
        const QStringList lines = QString::fromUtf8(fonts.readAllStandardOutput()).split(u'\n');
        for (const QString& line : lines.mid(2)) {
            const QString name = line.section(u' ', 0, 0).section(u'+', -1);
            if (!name.isEmpty() && !names.contains(name))
                names << name;
        }
        names.sort();
        return names;
    }
    int pageCount() {
        const DatasetReportRows rows(m_store->QueryBook());
        ReportRenderer report(rows,
                              reportSetup(m_window->settings(), m_window->printer().pageLayout()));
        while (!report.paginate(1000)) {
        }
        return report.pageCount();
    }

private slots:
    // As the program's start does; and a print queue of the real print system
    // (CUPS), made before Qt's print support first looks at the printers.
    void initTestCase() {
        substituteJapaneseFonts();
        m_queue = makeTestQueue();
    }
    void cleanupTestCase() {
        if (!m_queue.isEmpty()) {
            QProcess::execute(S("cancel"), {S("-a"), m_queue});
            QProcess::execute(S("lpadmin"), {S("-x"), m_queue});
        }
    }
    void init() { m_db = std::make_unique<test::TempBookDb>(); }
    void cleanup() {
        m_window.reset();
        m_store.reset();
        m_db.reset();
    }

    void printsEveryRowOnAsManyPagesAsItNeeds() {
        openWindow(120);
        m_store->QueryBook().moveTo(5);
        QCOMPARE(pageCount(), 3);  // a book a line: about fifty to a page
        setNextPrintDialogAnswer(true);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QFile pdf(m_db->folder() + S("/report.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                     bytes.count("/Type /Page "),
                 3);
        QCOMPARE(m_store->QueryBook().currentRow(), 5);  // the list stays on its book
    }

    void aCancelledDialogPrintsNothing() {
        openWindow(3);
        setNextPrintDialogAnswer(false);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QVERIFY(!QFile::exists(m_db->folder() + S("/report.pdf")));
    }

    void aPrintThatCannotBeWrittenSaysSo() {
        openWindow(3);
        const QString path = m_db->folder() + S("/no such folder/report.pdf");
        m_window->printer().setOutputFileName(path);
        clearShownMessages();
        setNextPrintDialogAnswer(true);
        setNextMessageAnswer(Answer::Ok);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QVERIFY(lastShownMessage());
        QCOMPARE(lastShownMessage()->kind, int(kMessageError));
        QCOMPARE(lastShownMessage()->text, S("印刷に失敗しました。\n") + path +
                                               S(" に書き込めません（フォルダーがありません）。"));
    }

    // A PDF named through a symbolic link is written where the link points
    // (the link stays), and an old file keeps its permissions; a new one gets
    // what the umask allows, not 0600.
    void aPrintedFileKeepsItsLinkAndItsPermissions() {
        openWindow(3);
        const QString real = m_db->folder() + S("/lists/real.pdf");
        QDir().mkpath(m_db->folder() + S("/lists"));
        test::writeFile(real, "%PDF-1.4 old");
        QFile::setPermissions(
            real, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
        const QString link = m_db->folder() + S("/report-link.pdf");
        QVERIFY(QFile::link(real, link));
        const QString fresh = m_db->folder() + S("/fresh.pdf");
        const mode_t oldMask = ::umask(022);
        for (const QString& target : {link, fresh}) {
            m_window->printer().setOutputFileName(target);
            clearShownMessages();
            setNextPrintDialogAnswer(true);
            m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
            QCOMPARE(shownMessageCount(), 0);
        }
        ::umask(oldMask);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(test::readFile(real).startsWith("%PDF"));
        QVERIFY(test::readFile(real).size() > 1000);
        QCOMPARE(QFileInfo(real).permissions() & 0x0777, QFileDevice::Permissions(0x0640));
        QCOMPARE(QFileInfo(fresh).permissions() & 0x0777, QFileDevice::Permissions(0x0644));
    }

    // The disk fills while the pages are written: the user is told, never "done",
    // and the PDF printed before stays as it was, with nothing left beside it.
    void aPrintThatFailsPartWaySaysSo() {
        openWindow(400);
        const QString old = m_window->printer().outputFileName();
        test::writeFile(old, "%PDF-1.4 the list printed last week");
        clearShownMessages();
        setNextPrintDialogAnswer(true);
        setNextMessageAnswer(Answer::Ok);
        {
            test::FullDisk full(30 * 1024);
            m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        }
        QVERIFY(lastShownMessage());
        QCOMPARE(lastShownMessage()->kind, int(kMessageError));
        QVERIFY(lastShownMessage()->text.startsWith(S("印刷に失敗しました。")));
        QVERIFY(lastShownMessage()->text.endsWith(S("元のファイルはそのままです。")));
        QCOMPARE(test::readFile(old), QByteArray("%PDF-1.4 the list printed last week"));
        QCOMPARE(QDir(m_db->folder()).entryList({S("*.part")}, QDir::Files), QStringList());
        QCOMPARE(m_window->printer().outputFileName(), old);
    }

    // A range chosen for one print is not offered again as the next one's, and
    // a list with no column at all prints nothing and says why.
    // The window's print to a PDF and quillo-report on the same catalogue and
    // settings give the same pages in the same fonts.
    void theToolPrintsWhatTheWindowPrints() {
        openWindow(600);
        m_window->settings().FieldVisible.fill(true);
        setNextPrintDialogAnswer(true);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        const QString ini = m_db->folder() + S("/tool.Ini");
        SaveSettings(ini, m_window->settings());
        const QString toolPdf = m_db->folder() + S("/tool.pdf");
        QProcess tool;
        tool.start(S(QUILLO_REPORT), {toolPdf, S("--db"), m_db->path(), S("--settings"), ini});
        QVERIFY(tool.waitForFinished(120000));
        QCOMPARE(tool.exitCode(), 0);
        const QString windowPdf = m_window->printer().outputFileName();
        QCOMPARE(pdfPages(toolPdf), pdfPages(windowPdf));
        QCOMPARE(pdfFonts(toolPdf), pdfFonts(windowPdf));
        QVERIFY2(pdfFonts(windowPdf).join(u' ').contains(S("Mincho")),
                 qPrintable(pdfFonts(windowPdf).join(u' ')));  // the title's font
        // Both footers count the pages: "Page : N / M" on every page.
        auto footers = [](const QString& pdf) {
            QProcess text;
            text.start(S("pdftotext"), {pdf, S("-")});
            text.waitForFinished(60000);
            QStringList found;
            const QRegularExpression footer(S("Page : [0-9]+ / [0-9]+"));
            for (auto it = footer.globalMatch(QString::fromUtf8(text.readAllStandardOutput()));
                 it.hasNext();)
                found << it.next().captured(0);
            return found;
        };
        QCOMPARE(footers(windowPdf).size(), pdfPages(windowPdf));
        QCOMPARE(footers(toolPdf), footers(windowPdf));
    }

    // A queue that refuses jobs (cupsreject) loses no print without a word:
    // Qt's printer says it printed, the print system says why it did not.
    void aQueueThatRefusesTheJobSaysSo() {
        if (m_queue.isEmpty())
            QSKIP(qPrintable(m_queueProblem));
        openWindow(30);
        QPrinter& printer = m_window->printer();
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(m_queue);
        QCOMPARE(printer.printerName(), m_queue);
        QCOMPARE(QProcess::execute(S("cupsreject"), {m_queue}), 0);
        clearShownMessages();
        setNextPrintDialogAnswer(true);
        setNextMessageAnswer(Answer::Ok);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QVERIFY(lastShownMessage());
        QVERIFY2(
            lastShownMessage()->text.startsWith(
                S("印刷に失敗しました。\nプリンター '%1' に出力できませんでした。").arg(m_queue)),
            qPrintable(lastShownMessage()->text));
        QVERIFY2(lastShownMessage()->text.contains(S("not accepting jobs")),
                 qPrintable(lastShownMessage()->text));

        QCOMPARE(QProcess::execute(S("cupsaccept"), {m_queue}), 0);
        clearShownMessages();
        setNextPrintDialogAnswer(true);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QCOMPARE(shownMessageCount(), 0);  // taken: it waits in the queue
    }

    void eachPrintStartsFromEveryPageAndNeedsAColumn() {
        openWindow(400);
        m_window->printer().setPrintRange(QPrinter::PageRange);
        m_window->printer().setFromTo(1, 1);
        setNextPrintDialogAnswer(true);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QCOMPARE(m_window->printer().printRange(), QPrinter::AllPages);
        QCOMPARE(pdfPages(m_window->printer().outputFileName()), pageCount());
        QVERIFY(pageCount() > 1);

        QFile::remove(m_window->printer().outputFileName());
        m_window->settings().FieldVisible.fill(false);
        clearShownMessages();
        setNextMessageAnswer(Answer::Ok);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QVERIFY(lastShownMessage());
        QCOMPARE(lastShownMessage()->text, kNoVisibleColumn + S("。"));
        QVERIFY(!QFile::exists(m_window->printer().outputFileName()));
        setNextMessageAnswer(Answer::Ok);
        m_window->findChild<QAction*>(S("menuFPrintPreview"))->trigger();  // no preview either
        QCOMPARE(shownMessageCount(), 2);
    }

    void aPrintCanBeCancelledWhileItRuns() {
        openWindow(3000);
        clearShownMessages();
        setNextPrintDialogAnswer(true);
        int progressSeen = -1;
        QTimer cancel;
        QObject::connect(&cancel, &QTimer::timeout, this, [&] {
            auto* progress = m_window->findChild<QProgressDialog*>();
            if (progress && progressSeen < 0) {
                progressSeen = progress->value();
                progress->cancel();
            }
        });
        cancel.start(0);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QCOMPARE(shownMessageCount(), 0);                  // a cancel is no failure
        QVERIFY(progressSeen >= 0 && progressSeen < 999);  // cancelled before the end
        QVERIFY(m_store->cursorHookAttached());
    }

    void anEmptyListHasNoPages() {
        openWindow(0);
        QCOMPARE(pageCount(), 0);
    }

    // Pages are counted while the first is already on show; paging moves through
    // the print range only; a list too wide for the paper says so and offers
    // landscape, which lays it out again.
    void thePreviewPagesThroughTheRangeAndOffersLandscapeWhenCramped() {
        openWindow(300);
        m_window->settings().FieldVisible.fill(true);
        m_window->printer().setPageSize(QPageSize(QPageSize::A5));
        TFormPrintPreview preview(m_window->printer(), m_store->QueryBook(), m_window->settings(),
                                  m_window.get());
        QCOMPARE(preview.currentPage(), 1);
        QVERIFY(preview.statusText().contains(S("横向き")));
        auto* landscape = preview.findChild<QPushButton*>(S("ButtonLandscape"));
        QVERIFY(!landscape->isHidden());
        const double portraitScale = preview.report().layout().scale;
        landscape->click();
        QCOMPARE(m_window->printer().pageLayout().orientation(), QPageLayout::Landscape);
        QVERIFY(preview.report().layout().scale > portraitScale);
        QVERIFY(preview.report().layout().readable);
        QVERIFY(landscape->isHidden());

        m_window->printer().setPageSize(QPageSize(QPageSize::A4));
        m_window->settings().FieldVisible.fill(false);
        m_window->settings().FieldVisible[FieldNo::Title] = true;
        m_window->printer().setPageOrientation(QPageLayout::Portrait);
        m_window->printer().setPrintRange(QPrinter::PageRange);
        m_window->printer().setFromTo(2, 3);
        TFormPrintPreview ranged(m_window->printer(), m_store->QueryBook(), m_window->settings(),
                                 m_window.get());
        ranged.show();
        QVERIFY(QTest::qWaitForWindowExposed(&ranged));
        ranged.countAllPages();
        QCOMPARE(ranged.pageCount(), 2);
        QCOMPARE(ranged.statusText(), S("全 2 ページ"));
        QWidget* page = ranged.findChild<QWidget*>(S("PreviewPage"));
        QCOMPARE(ranged.focusWidget(), page);  // the keys turn pages from the start
        QTest::keyClick(page, Qt::Key_End);
        QCOMPARE(ranged.currentPage(), 2);
        QTest::keyClick(page, Qt::Key_PageDown);
        QCOMPARE(ranged.currentPage(), 2);  // no page past the range
        QTest::keyClick(page, Qt::Key_Home);
        QCOMPARE(ranged.currentPage(), 1);
        m_window->printer().setPrintRange(QPrinter::AllPages);
    }

    void thePreviewShowsTheReportAndReturns() {
        openWindow(10);
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* preview = m_window->findChild<TFormPrintPreview*>(S("TFormPrintPreview"));
            QVERIFY(preview);
            QCOMPARE(preview->windowTitle(), S("Quillo レポート プレビュー"));
            QCOMPARE(preview->pageCount(), 1);
            seen = true;
            preview->close();
        });
        m_window->findChild<QAction*>(S("menuFPrintPreview"))->trigger();
        QVERIFY(seen);
        QVERIFY(m_store->cursorHookAttached());
    }

    // The window's page setup calls JIS B5 "B5" and ISO B5 "B5-ISO", as
    // quillo-report's --paper does.
    void thePageSetupNamesB5AsInJapan() {
        QPrinter printer;
        QPageSetupDialog dialog(&printer);
        nameB5AsInJapan(dialog);
        auto* sizes = dialog.findChild<QComboBox*>(S("pageSizeCombo"));
        QVERIFY(sizes);
        QHash<int, QString> named;
        for (int i = 0; i < sizes->count(); ++i)
            named.insert(sizes->itemData(i).value<QPageSize>().id(), sizes->itemText(i));
        QCOMPARE(named.value(QPageSize::JisB5), S("B5（JIS、182 x 257 mm）"));
        QCOMPARE(named.value(QPageSize::B5), S("B5-ISO（176 x 250 mm）"));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
