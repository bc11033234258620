#include "print/print_report.h"

#include <QDateTime>
#include <QPrintDialog>
#include <QShortcut>
#include <optional>

#include "engine/cached_dataset.h"
#include "platform/help_viewer.h"
#include "ui/message_dialog.h"
#include "widgets/font_setting.h"

namespace quillo {

namespace {

std::optional<bool>& nextAnswer() {
    static std::optional<bool> answer;
    return answer;
}

// The pages the dialog chose: all of them, or its from and to.
std::pair<int, int> pageRange(const QPrinter& printer) {
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0)
        return {printer.fromPage(), printer.toPage()};
    return {1, 9999};
}

}  // namespace

void setNextPrintDialogAnswer(bool accept) {
    nextAnswer() = accept;
}

ReportData collectReportData(const CachedDataset& rows, const AppSettings& settings) {
    ReportData data;
    data.labels = settings.FieldLabels;
    data.recordFont = fontOf(settings.RecordFont);
    data.printedAt = QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    const int fields = std::min(rows.fieldCount(), kFieldCount);
    data.rows.reserve(static_cast<size_t>(rows.rowCount()));
    for (int row = 0; row < rows.rowCount(); ++row) {
        std::array<QString, kFieldCount> texts;
        for (int i = 0; i < fields; ++i) {
            if (settings.FieldVisible[static_cast<size_t>(i)])
                texts[static_cast<size_t>(i)] = rows.textAt(row, i);
        }
        data.rows.push_back(std::move(texts));
    }
    return data;
}

void preparePrinter(QPrinter& printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    printer.setFromTo(1, 9999);
    printer.setDocName(QStringLiteral("Quillo レポート印刷"));
}

ReportRenderer buildReport(const ReportData& data, const AppSettings& settings,
                           const QPrinter& printer) {
    const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const QSizeF page(layoutUnits(paper.width() * 10), layoutUnits(paper.height() * 10));
    const double margin = layoutUnits(100);
    const ReportLayout layout =
        computeReportLayout(settings.FieldVisible, settings.FieldWidths, page.width(), margin);
    return ReportRenderer(data, layout, page, margin);
}

PrintOutcome PrintReport(QWidget* owner, QPrinter& printer, const ReportData& data,
                         const AppSettings& settings) {
    bool accepted = false;
    if (const std::optional<bool> answer = nextAnswer()) {
        nextAnswer().reset();
        accepted = *answer;
    } else {
        QPrintDialog dialog(&printer, owner);
        dialog.setMinMax(1, 9999);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted)
        return PrintOutcome::Cancelled;
    printer.setDocName(QStringLiteral("Quillo レポート印刷"));
    const ReportRenderer report = buildReport(data, settings, printer);
    const auto [from, to] = pageRange(printer);
    if (report.paint(printer, from, to) && printer.printerState() != QPrinter::Error)
        return PrintOutcome::Printed;
    const QString reason =
        printer.outputFileName().isEmpty()
            ? QStringLiteral("プリンター '%1' に出力できませんでした。").arg(printer.printerName())
            : QStringLiteral("ファイル\n%1\nに書き込めませんでした。")
                  .arg(printer.outputFileName());
    ShowMessageDialog(owner, QStringLiteral("印刷に失敗しました。\n") + reason, kMessageError,
                      kButtonsOk);
    return PrintOutcome::Failed;
}

TFormPrintPreview::TFormPrintPreview(QPrinter& printer, ReportRenderer report, QWidget* owner)
    : QPrintPreviewDialog(&printer, owner), m_report(std::move(report)) {
    setObjectName(QStringLiteral("TFormPrintPreview"));
    setWindowTitle(QStringLiteral("Quillo レポート プレビュー"));
    connect(this, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        const auto [from, to] = pageRange(*target);
        m_report.paint(*target, from, to);
    });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { HelpViewer::instance().showContext(12); });
}

}  // namespace quillo
