#include "print/report_renderer.h"

#include <QFontMetricsF>
#include <QPainter>

namespace quillo {

namespace {

// Any place may break a line: a date or a long name wraps instead of being cut.
constexpr int kWrap = Qt::TextWrapAnywhere | Qt::AlignLeft | Qt::AlignTop;

QFont gothic(int points, bool bold = false) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSize(points);
    font.setBold(bold);
    return layoutFont(font);
}

}  // namespace

QFont layoutFont(QFont font) {
    if (font.pointSizeF() > 0)
        font.setPixelSize(qRound(font.pointSizeF() * 96 / 72));
    return font;
}

ReportRenderer::ReportRenderer(ReportData data, const ReportLayout& layout, QSizeF pageSize,
                               double margin)
    : m_data(std::move(data)), m_layout(layout), m_pageSize(pageSize), m_margin(margin) {
    m_data.recordFont = layoutFont(m_data.recordFont);
    const double body = m_pageSize.height() - 2 * m_margin - kHeaderHeight - kFooterHeight;
    double used = body;  // forces a first page
    for (size_t row = 0; row < m_data.rows.size(); ++row) {
        const double height = bandHeight(row);
        m_heights.push_back(height);
        if (used + height > body && !(used == 0)) {
            m_pageStarts.push_back(row);
            used = 0;
        }
        used += height;
    }
    // No rows, no pages.
}

double ReportRenderer::bandHeight(size_t row) const {
    const QFontMetricsF metrics(m_data.recordFont);
    double height = kDetailHeight;
    for (int i = 0; i < kFieldCount; ++i) {
        const ReportColumn& column = m_layout.columns[static_cast<size_t>(i)];
        const QString& text = m_data.rows[row][static_cast<size_t>(i)];
        if (!column.enabled || text.isEmpty())
            continue;
        const QRectF bound =
            metrics.boundingRect(QRectF(0, 0, std::max(1, column.width), 1e6), kWrap, text);
        height = std::max(height, bound.height() + 4);
    }
    return height;
}

bool ReportRenderer::paint(QPagedPaintDevice& device, int from, int to) const {
    from = std::max(from, 1);
    to = std::min(to, pageCount());
    if (from > to)
        return true;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double scale = device.logicalDpiX() / 96.0;
    for (int page = from; page <= to; ++page) {
        if (page > from && !device.newPage()) {
            painter.end();
            return false;
        }
        painter.save();
        painter.scale(scale, scale);
        paintPage(painter, page);
        painter.restore();
    }
    return painter.end();
}

void ReportRenderer::paintPage(QPainter& painter, int page) const {
    // Origin: the top-left corner inside the margins. QPrinter pages already start
    // there; the caller sets full-page mode off.
    const double bandWidth = m_layout.lineLeft + m_layout.lineWidth;
    painter.setPen(Qt::black);

    // Page header: title, time of printing, headings, rule.
    QFont title(QStringLiteral("ＭＳ Ｐ明朝"));
    title.setPointSize(12);
    title.setBold(true);
    painter.setFont(layoutFont(title));
    painter.drawText(QPointF(26, 28 + QFontMetricsF(painter.font()).ascent()),
                     QStringLiteral("Quilloレポート"));
    painter.setFont(gothic(8));
    painter.drawText(QRectF(0, 28, bandWidth, 20), Qt::AlignRight | Qt::AlignTop, m_data.printedAt);
    for (int i = 0; i < kFieldCount; ++i) {
        const ReportColumn& column = m_layout.columns[static_cast<size_t>(i)];
        if (!column.enabled)
            continue;
        const bool id = i == FieldNo::ID;
        painter.setFont(gothic(8, !id));
        painter.drawText(QRectF(column.left, id ? 28 : 53, column.width, 24), kWrap,
                         m_data.labels[static_cast<size_t>(i)]);
    }
    painter.drawLine(QPointF(m_layout.lineLeft, 68),
                     QPointF(m_layout.lineLeft + m_layout.lineWidth, 68));

    // One band per book.
    const size_t first = m_pageStarts[static_cast<size_t>(page - 1)];
    const size_t end = static_cast<size_t>(page) < m_pageStarts.size()
                           ? m_pageStarts[static_cast<size_t>(page)]
                           : m_data.rows.size();
    painter.setFont(m_data.recordFont);
    double y = kHeaderHeight;
    for (size_t row = first; row < end; ++row) {
        for (int i = 0; i < kFieldCount; ++i) {
            const ReportColumn& column = m_layout.columns[static_cast<size_t>(i)];
            if (column.enabled)
                painter.drawText(QRectF(column.left, y, column.width, m_heights[row]), kWrap,
                                 m_data.rows[row][static_cast<size_t>(i)]);
        }
        y += m_heights[row];
    }

    // Page footer at the foot of the page.
    const double footer = m_pageSize.height() - 2 * m_margin - kFooterHeight;
    painter.drawLine(QPointF(m_layout.lineLeft, footer + 2),
                     QPointF(m_layout.lineLeft + m_layout.lineWidth, footer + 2));
    painter.setFont(gothic(8));
    painter.drawText(QRectF(0, footer + 4, bandWidth, 14), Qt::AlignRight | Qt::AlignTop,
                     QStringLiteral("Page : %1").arg(page));
}

}  // namespace quillo
