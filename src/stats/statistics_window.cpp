#include "stats/statistics_window.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDir>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include "platform/output_file.h"
#include "ui/file_dialog.h"
#include "ui/message_dialog.h"

namespace quillo {

namespace {
constexpr int kTitleBarRoom = 40;  // a window manager's title bar and frame
}  // namespace

namespace {

const QColor kBarColour(0x3a, 0x6e, 0xa5);

// The count axis: whole books from 0, round steps; `headroom` leaves room
// beyond the longest bar for its number.
QValueAxis* countAxis(const std::vector<CountedBooks>& bars, bool headroom = false) {
    qint64 largest = 0;
    for (const CountedBooks& bar : bars)
        largest = std::max(largest, bar.books);
    if (headroom)
        largest += largest / 8 + 1;
    auto* axis = new QValueAxis;
    axis->setRange(0, static_cast<qreal>(countAxisTop(largest)));
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(static_cast<qreal>(countAxisStep(largest)));
    axis->setLabelFormat(QStringLiteral("%d"));
    return axis;
}

QChart* newChart(const QString& title, const QFont& font) {
    auto* chart = new QChart;
    chart->setTitle(title);
    QFont titleFont = font;
    titleFont.setPointSizeF(font.pointSizeF() * 1.2);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    // White to the edge, so a saved or copied chart has no grey frame.
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setMargins(QMargins(12, 8, 16, 8));
    return chart;
}

void styleAxes(QChart* chart, const QFont& font) {
    for (QAbstractAxis* axis : chart->axes())
        axis->setLabelsFont(font);
}

// Books per year or decade: upright bars along the time axis, the round years
// labelled when there are too many bars for a label each.
QChart* periodChart(const QString& title, const std::vector<CountedBooks>& bars, int width,
                    const QFont& font) {
    QChart* chart = newChart(title, font);
    auto* set = new QBarSet(QStringLiteral("冊数"));
    set->setColor(kBarColour);
    set->setBorderColor(kBarColour);
    for (const CountedBooks& bar : bars)
        *set << static_cast<qreal>(bar.books);
    auto* series = new QBarSeries;
    series->append(set);
    series->setBarWidth(0.8);
    chart->addSeries(series);
    // Bar i stands at i; a label is put at its bar's middle.
    auto* time = new QCategoryAxis;
    time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    time->setRange(-0.5, std::max<qreal>(0.5, static_cast<qreal>(bars.size()) - 0.5));
    time->setStartValue(-0.5);
    for (size_t i : labelledPeriods(bars, width))
        time->append(bars[i].label, static_cast<qreal>(i));
    time->setGridLineVisible(false);
    chart->addAxis(time, Qt::AlignBottom);
    series->attachAxis(time);
    QValueAxis* counts = countAxis(bars);
    chart->addAxis(counts, Qt::AlignLeft);
    series->attachAxis(counts);
    styleAxes(chart, font);
    return chart;
}

// A name as the axis shows it: a long one cut, so the bars keep their room.
QString shortName(const QString& name) {
    constexpr int kLongest = 16;
    return name.size() <= kLongest ? name : name.left(kLongest - 1) + QStringLiteral("…");
}

// The most frequent names: lying bars, the most frequent at the top, each
// with its number.
QChart* topChart(const QString& title, const std::vector<CountedBooks>& bars, const QFont& font) {
    QChart* chart = newChart(title, font);
    auto* set = new QBarSet(QStringLiteral("冊数"));
    set->setColor(kBarColour);
    set->setBorderColor(kBarColour);
    set->setLabelColor(Qt::black);
    set->setLabelFont(font);
    QStringList labels;
    // The axis runs upward, so the list goes in from its end.
    for (auto bar = bars.rbegin(); bar != bars.rend(); ++bar) {
        *set << static_cast<qreal>(bar->books);
        // Axis labels take markup: a name is escaped so it shows as typed.
        labels << shortName(bar->label).toHtmlEscaped();
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setBarWidth(0.7);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(QStringLiteral("@value"));
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis;
    names->append(labels);
    // Qt Charts would cut every name down to "..." once a bar is lower than a
    // line of text with its margins; the names are kept short instead.
    names->setTruncateLabels(false);
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    QValueAxis* counts = countAxis(bars, true);
    chart->addAxis(counts, Qt::AlignBottom);
    series->attachAxis(counts);
    styleAxes(chart, font);
    return chart;
}

QString booksText(qint64 books) {
    return QStringLiteral("%L1 冊").arg(books);
}

// The totals, two figures a row.
QWidget* totalsPanel(const CollectionCounts& counts, const QString& scope) {
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("PanelTotals"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* heading = new QLabel(scope);
    heading->setObjectName(QStringLiteral("LabelScope"));
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    grid->addWidget(heading, 0, 0, 1, 4);
    const std::pair<const char*, QString> figures[] = {
        {"冊数", booksText(counts.books)},
        {"著者", QStringLiteral("%L1 人").arg(counts.writers)},
        {"出版社", QStringLiteral("%L1 社").arg(counts.publishers)},
        {"分類", QStringLiteral("%L1 種").arg(counts.kinds)},
        {"購入日のない本", booksText(counts.withoutBuyDate)},
        {"初版発行日のない本", booksText(counts.withoutPubDate)},
        {"日付のない本", booksText(counts.withoutDates)},
    };
    int index = 0;
    for (const auto& [caption, value] : figures) {
        const int row = 1 + index / 2, column = (index % 2) * 2;
        grid->addWidget(new QLabel(QString::fromUtf8(caption) + QStringLiteral("：")), row, column);
        auto* figure = new QLabel(value);
        figure->setObjectName(QStringLiteral("LabelTotal%1").arg(index));
        figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(figure, row, column + 1);
        ++index;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setHorizontalSpacing(16);
    return panel;
}

}  // namespace

TFormStatistics::TFormStatistics(const CollectionCounts& counts, const QString& scope,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint) {
    setObjectName(QStringLiteral("TFormStatistics"));
    setWindowTitle(QStringLiteral("統計"));
    const QFont font = this->font();

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("TabCharts"));
    struct Tab {
        const char* caption;
        const char* title;
        const char* file;
        const std::vector<CountedBooks>& bars;
        int width;  // of a time bar in years; 0 for names
    };
    const Tab tabs[] = {
        {"購入年", "購入年ごとの冊数", "quillo-購入年.png", counts.boughtPerYear, 1},
        {"初版の年代", "初版発行日の年代ごとの冊数", "quillo-初版の年代.png",
         counts.firstEditionsPerDecade, 10},
        {"著者", "冊数の多い著者（上位20）", "quillo-著者.png", counts.topWriters, 0},
        {"出版社", "冊数の多い出版社（上位20）", "quillo-出版社.png", counts.topPublishers, 0},
        {"分類", "冊数の多い分類（上位20）", "quillo-分類.png", counts.topKinds, 0},
    };
    for (const Tab& tab : tabs) {
        QString title = QString::fromUtf8(tab.title);
        if (tab.bars.empty())
            title += QStringLiteral("（数える本がありません）");
        QChart* chart = tab.width > 0 ? periodChart(title, tab.bars, tab.width, font)
                                      : topChart(title, tab.bars, font);
        auto* view = new QChartView(chart);
        view->setRenderHint(QPainter::Antialiasing);
        view->setObjectName(QStringLiteral("ChartView%1").arg(m_tabs->count()));
        m_tabs->addTab(view, QString::fromUtf8(tab.caption));
        m_imageNames << QString::fromUtf8(tab.file);
    }

    auto* save = new QPushButton(QStringLiteral("画像を保存(&S)..."));
    save->setObjectName(QStringLiteral("ButtonSave"));
    auto* copy = new QPushButton(QStringLiteral("コピー(&C)"));
    copy->setObjectName(QStringLiteral("ButtonCopy"));
    auto* close = new QPushButton(QStringLiteral("閉じる"));
    close->setObjectName(QStringLiteral("ButtonClose"));
    close->setDefault(true);
    connect(save, &QPushButton::clicked, this, &TFormStatistics::ButtonSaveClick);
    connect(copy, &QPushButton::clicked, this, &TFormStatistics::ButtonCopyClick);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(totalsPanel(counts, scope));
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    // No larger than the screen's room, title bar allowed for, so the buttons
    // stay within reach on a small or scaled screen.
    QSize size(780, 660);
    const QScreen* screen =
        parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        size = size.boundedTo(screen->availableGeometry().size() - QSize(0, kTitleBarRoom));
    resize(size);
}

QImage TFormStatistics::currentChartImage() const {
    QWidget* view = m_tabs->currentWidget();
    return view ? view->grab().toImage() : QImage();
}

void TFormStatistics::ButtonSaveClick() {
    const QString suggested = QDir::home().filePath(m_imageNames.value(m_tabs->currentIndex()));
    QString path = ChooseSaveFileName(this, QStringLiteral("グラフを画像で保存"),
                                      QStringLiteral("PNG 画像 (*.png)"), suggested);
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QString reason;
    if (!currentChartImage().save(&buffer, "PNG"))
        reason = QStringLiteral("画像を作れませんでした");
    else if (!replaceFileWhole(path, png, &reason) && reason.isEmpty())
        reason = QStringLiteral("書き込めませんでした");
    if (!reason.isEmpty())
        ShowMessageDialog(this,
                          QStringLiteral("グラフを保存できませんでした。\n%1\n%2")
                              .arg(QDir::toNativeSeparators(path), reason),
                          kMessageError, kButtonsOk);
}

void TFormStatistics::ButtonCopyClick() {
    QGuiApplication::clipboard()->setImage(currentChartImage());
}

}  // namespace quillo
