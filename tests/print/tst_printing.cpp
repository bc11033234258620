// Printing and previewing the list through the main window, into PDF files.
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/main_window.h"
#include "full_disk.h"
#include "print/print_report.h"
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
    int pageCount() {
        const DatasetReportRows rows(m_store->QueryBook());
        ReportRenderer report(rows,
                              reportSetup(m_window->settings(), m_window->printer().pageLayout()));
        while (!report.paginate(1000)) {
        }
        return report.pageCount();
    }

private slots:
    void init() { m_db = std::make_unique<test::TempBookDb>(); }
    void cleanup() {
        m_window.reset();
        m_store.reset();
        m_db.reset();
    }

    void printsEveryRowOnAsManyPagesAsItNeeds() {
        openWindow(120);
        m_store->QueryBook().moveTo(5);
        QCOMPARE(pageCount(), 7);  // 19 bands of 48 fit between header and footer
        setNextPrintDialogAnswer(true);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QFile pdf(m_db->folder() + S("/report.pdf"));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                     bytes.count("/Type /Page "),
                 7);
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
        setNextMessageAnswer(kAnswerOk);
        m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        QVERIFY(lastShownMessage());
        QCOMPARE(lastShownMessage()->kind, int(kMessageError));
        QCOMPARE(lastShownMessage()->text,
                 S("印刷に失敗しました。\nファイル\n") + path + S("\nに書き込めませんでした。"));
    }

    // The disk fills while the pages are written: the user is told, never "done".
    void aPrintThatFailsPartWaySaysSo() {
        openWindow(400);
        clearShownMessages();
        setNextPrintDialogAnswer(true);
        setNextMessageAnswer(kAnswerOk);
        {
            test::FullDisk full(30 * 1024);
            m_window->findChild<QAction*>(S("menuFPrint"))->trigger();
        }
        QVERIFY(lastShownMessage());
        QCOMPARE(lastShownMessage()->kind, int(kMessageError));
        QVERIFY(lastShownMessage()->text.startsWith(S("印刷に失敗しました。")));
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
        m_window->printer().setPageSize(QPageSize(QPageSize::A6));
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
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
