#pragma once

#include <QFont>
#include <QPagedPaintDevice>
#include <QString>
#include <QStringList>
#include <vector>

#include "print/report_layout.h"

namespace quillo {

// Everything a report shows: the rows as texts by field number, the headings, the
// record font and the moment it was made.
struct ReportData {
    std::vector<std::array<QString, kFieldCount>> rows;
    std::array<QString, kFieldCount> labels;
    QFont recordFont;
    QString printedAt;
};

// Lays the rows out into pages (a header, one growing band per book, a footer)
// and paints them. Lengths are layout units: 96 per inch.
class ReportRenderer {
public:
    ReportRenderer(ReportData data, const ReportLayout& layout, QSizeF pageSize, double margin);

    int pageCount() const { return static_cast<int>(m_pageStarts.size()); }
    // Paints pages `from` to `to` (1-based, clipped to the report) on the device,
    // one device page each.
    // False when the device refused the pages (a printer gone, a file that cannot
    // be written).
    bool paint(QPagedPaintDevice& device, int from, int to) const;

    static constexpr double kHeaderHeight = 77;
    static constexpr double kDetailHeight = 48;
    static constexpr double kFooterHeight = 17;

private:
    double bandHeight(size_t row) const;
    void paintPage(QPainter& painter, int page) const;

    ReportData m_data;
    ReportLayout m_layout;
    QSizeF m_pageSize;
    double m_margin;
    std::vector<double> m_heights;
    std::vector<size_t> m_pageStarts;  // the first row of each page
};

// A font's size in layout units, so that drawing scaled to the device keeps it true.
QFont layoutFont(QFont font);

}  // namespace quillo
