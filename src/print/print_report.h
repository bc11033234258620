#pragma once

#include <QPrintPreviewDialog>
#include <QPrinter>

#include "print/report_renderer.h"
#include "settings/app_settings.h"

namespace quillo {

class CachedDataset;

// The report of the rows the list view shows: every row of the live query, in its
// order, pending changes included, with the visible columns.
ReportData collectReportData(const CachedDataset& rows, const AppSettings& settings);

// A report laid out for the printer's paper and orientation.
ReportRenderer buildReport(const ReportData& data, const AppSettings& settings,
                           const QPrinter& printer);

// The printer the program keeps for the run: A4, 10 mm margins, pages 1 to 9999.
void preparePrinter(QPrinter& printer);

// Runs the print dialog and prints. A print that cannot start or fails part-way
// is reported to the user with its reason, never as done. Tests answer the
// dialog beforehand.
enum class PrintOutcome { Cancelled, Printed, Failed };
PrintOutcome PrintReport(QWidget* owner, QPrinter& printer, const ReportData& data,
                         const AppSettings& settings);
void setNextPrintDialogAnswer(bool accept);

// The preview window ("TFormPrintPreview"); returns when the user closes it.
class TFormPrintPreview : public QPrintPreviewDialog {
    Q_OBJECT
public:
    TFormPrintPreview(QPrinter& printer, ReportRenderer report, QWidget* owner);
    int pageCount() const { return m_report.pageCount(); }

private:
    ReportRenderer m_report;
};

}  // namespace quillo
