#include "print/print_report.h"

#include <QApplication>
#include <QCache>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <optional>

#include <cstdio>

#include "engine/cached_dataset.h"
#include "platform/help_viewer.h"
#include "platform/output_file.h"
#include "print/print_system.h"
#include "ui/message_dialog.h"
#include "widgets/font_of.h"

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

QRectF inLayoutUnits(const QRectF& millimetres) {
    return {layoutUnits(millimetres.x() * 10), layoutUnits(millimetres.y() * 10),
            layoutUnits(millimetres.width() * 10), layoutUnits(millimetres.height() * 10)};
}

constexpr int kRowsPerStep = 2000;  // pages counted between two looks at the user

}  // namespace

void setNextPrintDialogAnswer(bool accept) {
    nextAnswer() = accept;
}

ReportSetup reportSetup(const AppSettings& settings, const QPageLayout& page) {
    ReportSetup setup;
    setup.visible = settings.FieldVisible;
    setup.widths = settings.FieldWidths;
    setup.labels = settings.FieldLabels;
    setup.recordFont = fontOf(settings.RecordFont);
    setup.printedAt = QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    setup.paper = inLayoutUnits(page.fullRect(QPageLayout::Millimeter)).size();
    // The printable area: inside the margins, which a printer's page layout keeps
    // at least as wide as the border it cannot print on.
    setup.printable = inLayoutUnits(page.paintRect(QPageLayout::Millimeter));
    return setup;
}

void nameB5AsInJapan(QPageSetupDialog& dialog) {
    auto* sizes = dialog.findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
    if (!sizes)
        return;
    for (int i = 0; i < sizes->count(); ++i) {
        const QVariant data = sizes->itemData(i);
        if (!data.canConvert<QPageSize>())
            continue;
        const QPageSize::PageSizeId id = data.value<QPageSize>().id();
        if (id == QPageSize::JisB5)
            sizes->setItemText(i, QStringLiteral("B5（JIS、182 x 257 mm）"));
        else if (id == QPageSize::B5)
            sizes->setItemText(i, QStringLiteral("B5-ISO（176 x 250 mm）"));
    }
}

void preparePrinter(QPrinter& printer) {
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    printer.setFromTo(1, 9999);
    printer.setDocName(QStringLiteral("Quillo レポート印刷"));
}

bool anyColumnVisible(const AppSettings& settings) {
    for (int k = 1; k < kFieldCount; ++k)
        if (settings.FieldVisible[static_cast<size_t>(k)])
            return true;
    return false;
}

PrintOutcome PrintReport(QWidget* owner, QPrinter& printer, const CachedDataset& rows,
                         const AppSettings& settings) {
    if (!anyColumnVisible(settings)) {
        ShowMessageDialog(owner, kNoVisibleColumn + QStringLiteral("。"), kMessageWarning,
                          kButtonsOk);
        return PrintOutcome::Cancelled;
    }
    // Each print starts from every page: the range of the last one is not
    // offered again as if the user had chosen it.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(1, 9999);
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
    const DatasetReportRows source(rows);
    ReportRenderer report(source, reportSetup(settings, printer.pageLayout()));
    if (source.rowCount() == 0)
        return PrintOutcome::Printed;  // no rows, no pages

    QProgressDialog progress(QStringLiteral("印刷中です．．．"), QStringLiteral("中止"), 0, 1000,
                             owner);
    progress.setWindowTitle(QStringLiteral("印刷"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const auto [from, to] = pageRange(printer);
    // A print to a file (PDF) goes through the program's own output file:
    // beside the old one until every page is written (a full disk or a
    // cancel leaves the old file as it was), through a symbolic link, with the
    // old file's permissions; a pipe or a device is written straight into.
    const QString target = printer.outputFileName();
    std::optional<OutputFile> file;
    std::optional<QPdfWriter> pdf;
    if (!target.isEmpty()) {
        file.emplace(target);
        if (file->failed()) {
            ShowMessageDialog(
                owner,
                QStringLiteral("印刷に失敗しました。\n") + file->errorText() + QStringLiteral("。"),
                kMessageError, kButtonsOk);
            return PrintOutcome::Failed;
        }
        pdf.emplace(&*file);
        pdf->setPageLayout(printer.pageLayout());
        pdf->setResolution(printer.resolution());
        pdf->setTitle(printer.docName());
        pdf->setCreator(QStringLiteral("Quillo"));
    }
    QPagedPaintDevice& device = pdf ? static_cast<QPagedPaintDevice&>(*pdf) : printer;
    // Every page counted first, so each footer says "Page : N / M", as
    // quillo-report prints it.
    bool counted = true;
    while (counted && !report.paginate(1000)) {
        progress.setLabelText(QStringLiteral("ページ数を数えています．．．"));
        progress.setValue(static_cast<int>(report.progress() * 999));
        QApplication::processEvents();
        counted = !progress.wasCanceled();
    }
    const PaintResult painted =
        !counted ? PaintResult::Cancelled : paintReport(report, device, from, to, [&](int page) {
            progress.setLabelText(QStringLiteral("%1 ページ目を印刷しています．．．").arg(page));
            progress.setValue(static_cast<int>(report.progress() * 999));
            QApplication::processEvents();
            return !progress.wasCanceled();
        });
    progress.reset();
    PaintResult result = painted;
    QString fileFailure;
    if (result == PaintResult::Done && file && !file->commit(&fileFailure))
        result = PaintResult::Failed;
    if (result == PaintResult::Cancelled) {
        if (!file)
            printer.abort();
        return PrintOutcome::Cancelled;
    }
    // A queue that refuses the job (stopped, not accepting) is known only to
    // the print system: Qt's printer says it printed.
    const QString refusal = !file && result == PaintResult::Done && !printer.printerName().isEmpty()
                                ? printSystemRefusal()
                                : QString();
    if (result == PaintResult::Done && printer.printerState() != QPrinter::Error &&
        refusal.isEmpty())
        return PrintOutcome::Printed;
    const QString reason =
        !file ? QStringLiteral("プリンター '%1' に出力できませんでした。%2")
                    .arg(printer.printerName(),
                         refusal.isEmpty() ? QString() : QStringLiteral("（%1）").arg(refusal))
        : fileFailure.isEmpty()
            ? QStringLiteral("ファイル\n%1\nに書き込めませんでした。元のファイルはそのままです。")
                  .arg(target)
            : fileFailure + QStringLiteral("。元のファイルはそのままです。");
    ShowMessageDialog(owner, QStringLiteral("印刷に失敗しました。\n") + reason, kMessageError,
                      kButtonsOk);
    return PrintOutcome::Failed;
}

// One page of the preview, drawn to fit the view; the few pages last drawn are
// kept, so paging back and forth does not draw them again.
class ReportPageView : public QWidget {
public:
    explicit ReportPageView(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("PreviewPage"));
        setMinimumSize(300, 400);
        // The page has the keys: Page Up and Down, Home and End turn the pages.
        setFocusPolicy(Qt::StrongFocus);
        m_images.setMaxCost(4);
    }
    void setReport(ReportRenderer* report) {
        m_report = report;
        m_images.clear();
        update();
    }
    void setPage(int page) {
        m_page = page;
        update();
    }

protected:
    void resizeEvent(QResizeEvent*) override { m_images.clear(); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        if (!m_report || m_page < 1 || m_page > m_report->pageCount())
            return;
        QImage* image = m_images.object(m_page);
        if (!image) {
            image = new QImage(drawPage());
            m_images.insert(m_page, image);
        }
        const qreal ratio = devicePixelRatioF();
        const QSizeF shown = QSizeF(image->size()) / ratio;
        painter.drawImage(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                          *image);
    }

private:
    QImage drawPage() const {
        const ReportSetup& setup = m_report->setup();
        const double zoom =
            std::min((width() - 16) / setup.paper.width(), (height() - 16) / setup.paper.height());
        const qreal ratio = devicePixelRatioF();
        QImage image((setup.paper * zoom * ratio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(zoom, zoom);
        painter.translate(setup.printable.topLeft());
        m_report->paintPage(painter, m_page);
        return image;
    }

    ReportRenderer* m_report = nullptr;
    int m_page = 1;
    QCache<int, QImage> m_images;
};

TFormPrintPreview::TFormPrintPreview(QPrinter& printer, const CachedDataset& rows,
                                     const AppSettings& settings, QWidget* owner)
    : QDialog(owner, Qt::Window), m_printer(printer), m_rows(rows), m_settings(settings) {
    setObjectName(QStringLiteral("TFormPrintPreview"));
    setWindowTitle(QStringLiteral("Quillo レポート プレビュー"));
    const auto [from, to] = pageRange(printer);
    m_from = from;
    m_to = to;
    build();
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [] { HelpViewer::instance().showContext(12); });
    // As tall as the screen allows, for a page of A4 at a readable size.
    const QScreen* screen =
        owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int height = std::min(900, room.height() - 60);
    resize(std::min(room.width() - 40, height * 4 / 5), height);
    rebuildReport();
}

TFormPrintPreview::~TFormPrintPreview() = default;

void TFormPrintPreview::build() {
    auto button = [this](const char* name, const QString& caption, const QString& hint) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* first =
        button("ButtonFirst", QStringLiteral("|◀"), QStringLiteral("最初のページ"));
    QPushButton* prior = button("ButtonPrior", QStringLiteral("◀"), QStringLiteral("前のページ"));
    QPushButton* next = button("ButtonNext", QStringLiteral("▶"), QStringLiteral("次のページ"));
    QPushButton* last = button("ButtonLast", QStringLiteral("▶|"), QStringLiteral("最後のページ"));
    m_landscape = button("ButtonLandscape", QStringLiteral("横向きにする(&L)"),
                         QStringLiteral("用紙を横向きにして組み直します。"));
    QPushButton* close = button("ButtonClose", QStringLiteral("閉じる(&C)"), QString());
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("PageNumber"));
    m_pageBox->setMinimum(1);
    m_countLabel = new QLabel(this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("PreviewStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_view = new ReportPageView(this);

    auto* bar = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(first), static_cast<QWidget*>(prior)})
        bar->addWidget(w);
    bar->addWidget(m_pageBox);
    bar->addWidget(m_countLabel);
    bar->addWidget(next);
    bar->addWidget(last);
    bar->addStretch();
    bar->addWidget(m_landscape);
    bar->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addLayout(bar);
    column->addWidget(m_view, 1);
    column->addWidget(m_status);
    m_view->setFocus();

    connect(first, &QPushButton::clicked, this, [this] { showPage(1); });
    connect(prior, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(last, &QPushButton::clicked, this, [this] {
        countAllPages();
        showPage(pageCount());
    });
    connect(m_pageBox, &QSpinBox::editingFinished, this, [this] { showPage(m_pageBox->value()); });
    connect(m_landscape, &QPushButton::clicked, this, &TFormPrintPreview::turnToLandscape);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    m_counter = new QTimer(this);
    m_counter->setInterval(0);
    connect(m_counter, &QTimer::timeout, this, &TFormPrintPreview::countSome);
}

void TFormPrintPreview::rebuildReport() {
    m_view->setReport(nullptr);
    m_report =
        std::make_unique<ReportRenderer>(m_rows, reportSetup(m_settings, m_printer.pageLayout()));
    // The first page of the range is found at once; the rest while the user looks.
    m_report->ensurePage(m_from);
    m_view->setReport(m_report.get());
    m_page = 1;
    showPage(1);
    if (!m_report->paginated())
        m_counter->start();
}

void TFormPrintPreview::countSome() {
    if (m_report->paginate(kRowsPerStep) || pageCount() >= m_to - m_from + 1)
        m_counter->stop();
    refreshControls();
}

void TFormPrintPreview::countAllPages() {
    while (!m_report->paginated() && m_report->pageCount() < m_to)
        m_report->paginate(kRowsPerStep);
    m_counter->stop();
    refreshControls();
}

bool TFormPrintPreview::counted() const {
    return m_report->paginated() || m_report->pageCount() >= m_to;
}

int TFormPrintPreview::pageCount() const {
    // The preview shows the print range: pages from..to of the report.
    const int pages = std::min(m_report->pageCount(), m_to);
    return std::max(0, pages - m_from + 1);
}

void TFormPrintPreview::showPage(int page) {
    if (pageCount() > 0) {
        page = std::clamp(page, 1, std::max(1, pageCount()));
        m_report->ensurePage(m_from + page - 1);
    }
    page = std::clamp(page, 1, std::max(1, pageCount()));
    m_page = page;
    m_view->setPage(m_from + page - 1);
    refreshControls();
}

QString TFormPrintPreview::statusText() const {
    return m_status->text();
}

void TFormPrintPreview::refreshControls() {
    const int pages = pageCount();
    m_pageBox->setMaximum(std::max(1, pages));
    m_pageBox->setValue(m_page);
    m_countLabel->setText(counted() ? QStringLiteral("/ %1").arg(pages)
                                    : QStringLiteral("/ %1…").arg(pages));
    QString status;
    if (pages == 0)
        status = QStringLiteral("印刷するレコードがありません。");
    else if (counted())
        status = QStringLiteral("全 %1 ページ").arg(pages);
    else
        status = QStringLiteral("ページ数を数えています（%1%）．．．")
                     .arg(qRound(m_report->progress() * 100));
    const bool cramped = !m_report->layout().readable;
    const bool portrait = m_printer.pageLayout().orientation() == QPageLayout::Portrait;
    if (cramped)
        status +=
            QLatin1Char('\n') + crampedAdvice(m_report->layout(), !portrait, AdviceFor::Preview);
    m_status->setText(status);
    m_landscape->setVisible(cramped && portrait);
}

void TFormPrintPreview::turnToLandscape() {
    m_printer.setPageOrientation(QPageLayout::Landscape);
    rebuildReport();
}

void TFormPrintPreview::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageDown:
            showPage(m_page + 1);
            return;
        case Qt::Key_PageUp:
            showPage(m_page - 1);
            return;
        case Qt::Key_Home:
            showPage(1);
            return;
        case Qt::Key_End:
            countAllPages();
            showPage(pageCount());
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace quillo
