#pragma once

#include <QDialog>
#include <QPageLayout>
#include <QPrinter>
#include <memory>

#include "print/report_renderer.h"
#include "settings/app_settings.h"

class QLabel;
class QPageSetupDialog;
class QPushButton;
class QSpinBox;
class QTimer;

namespace quillo {

class CachedDataset;
class ReportPageView;

// A report's setup from the settings and a page layout: the visible columns, their
// widths and headings, the record font, the paper and its printable area.
ReportSetup reportSetup(const AppSettings& settings, const QPageLayout& page);

// A list with no visible column has nothing to print: a hand-edited settings
// file can ask for one, and it is refused with this reason.
bool anyColumnVisible(const AppSettings& settings);
inline const QString kNoVisibleColumn = QStringLiteral(
    "一覧に表示する項目がないため、印刷できません。オプションの「表示項目」で"
    "表示する項目を選んでください");

// The page setup names B5 as Japan does and as quillo-report's --paper does:
// "B5" is JIS B5, ISO B5 is "B5-ISO".
void nameB5AsInJapan(QPageSetupDialog& dialog);

// The printer the program keeps for the run: A4, 10 mm margins, pages 1 to 9999.
void preparePrinter(QPrinter& printer);

// Runs the print dialog and prints the rows page by page, with a progress dialog
// that can cancel. A print that cannot start or fails part-way is reported to the
// user with its reason, never as done. Tests answer the dialog beforehand.
enum class PrintOutcome { Cancelled, Printed, Failed };
PrintOutcome PrintReport(QWidget* owner, QPrinter& printer, const CachedDataset& rows,
                         const AppSettings& settings);
void setNextPrintDialogAnswer(bool accept);

// The preview window ("TFormPrintPreview"): one page at a time, painted when it
// is shown, with the pages counted in the background; returns when closed.
class TFormPrintPreview : public QDialog {
    Q_OBJECT
public:
    TFormPrintPreview(QPrinter& printer, const CachedDataset& rows, const AppSettings& settings,
                      QWidget* owner);
    ~TFormPrintPreview() override;

    int pageCount() const;  // the pages of the range shown, once counted
    bool counted() const;
    int currentPage() const { return m_page; }
    void showPage(int page);
    QString statusText() const;
    const ReportRenderer& report() const { return *m_report; }
    void countAllPages();  // at once, for tests and callers that cannot wait

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build();
    void rebuildReport();
    void countSome();
    void refreshControls();
    void turnToLandscape();

    QPrinter& m_printer;
    DatasetReportRows m_rows;
    const AppSettings& m_settings;
    std::unique_ptr<ReportRenderer> m_report;
    int m_from = 1;
    int m_to = 9999;
    int m_page = 1;
    ReportPageView* m_view = nullptr;
    QSpinBox* m_pageBox = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_landscape = nullptr;
    QTimer* m_counter = nullptr;
};

}  // namespace quillo
