#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "print/report_layout.h"

class QPainter;

namespace quillo {

class CachedDataset;

// A font with what the report needs to know of it.
struct ReportFont {
    explicit ReportFont(const QFont& font);
    QFont font;
    QFontMetricsF metrics;
    double widest;  // the widest character a text is likely to hold
};

// The lines a text is broken into for a column's width: a text that fits stays
// whole; one with blanks (a name like "中村 花子") breaks only at them unless a
// word alone is wider than the column; others break by Qt's line rules.
QStringList wrapText(const QString& text, double width, const ReportFont& font);
// A field's text wrapped so: its tabs as blanks, its own line breaks kept.
QStringList wrapField(const QString& text, double width, const ReportFont& font);

// The rows a report prints, by row and field number, as the list shows them.
// Read a row at a time while pages are laid out and painted: nothing is copied.
class ReportRows {
public:
    virtual ~ReportRows() = default;
    virtual int rowCount() const = 0;
    virtual QString text(int row, int field) const = 0;
    virtual bool isEmpty(int row, int field) const { return text(row, field).isEmpty(); }
};

// The live query's rows: its order, its filter, its pending changes.
class DatasetReportRows : public ReportRows {
public:
    explicit DatasetReportRows(const CachedDataset& rows) : m_rows(rows) {}
    int rowCount() const override;
    QString text(int row, int field) const override;
    bool isEmpty(int row, int field) const override;

private:
    const CachedDataset& m_rows;
};

// What the settings and the paper decide about a report. Lengths are layout
// units (1/96 inch): `paper` is the whole sheet, `printable` the part of it a
// printer can print on (inside the margins), where the report is laid out.
struct ReportSetup {
    std::array<bool, kFieldCount> visible{};
    std::array<int, kFieldCount> widths{};
    std::array<QString, kFieldCount> labels;
    QFont recordFont;
    QString printedAt;
    QSizeF paper;
    QRectF printable;
};

// Lays a report out into pages (a header, one band per book, a footer) and
// paints any of them. Pages are found a piece at a time, so the first can be
// shown before the last is known.
class ReportRenderer {
public:
    ReportRenderer(const ReportRows& rows, ReportSetup setup);

    const ReportLayout& layout() const { return m_layout; }
    const ReportSetup& setup() const { return m_setup; }

    // Finds the pages of up to `rows` more books; true once every book has its page.
    bool paginate(int rows);
    bool paginated() const { return m_nextRow >= m_rows.rowCount(); }
    // Pages found so far (all of them once paginated()).
    int pageCount() const;
    // Paginates as far as `page`; false when the report has no such page.
    bool ensurePage(int page);
    // How far pagination has come, 0 to 1.
    double progress() const;

    // Paints a page with the origin at the printable area's top-left corner.
    void paintPage(QPainter& painter, int page) const;
    // The rule under the headings, from the printable area's top.
    double headingRuleY() const { return m_ruleY; }
    double headerHeight() const { return m_headerHeight; }
    double headingPoints() const { return m_headingPoints; }
    // A book's band: the lines its deepest column needs, and a little room
    // above and below, as a well-set table has.
    double bandHeight(int row) const;

    static constexpr double kHeaderHeight = 77;
    static constexpr double kBandPadding = 6;
    static constexpr double kBandTop = 2;
    // A tall book starts on the page where at least this many of its lines fit.
    static constexpr int kLeastLinesBeforeABreak = 3;
    static constexpr double kFooterHeight = 17;
    static constexpr double kHeadingTop = 53;

private:
    void measureColumns();

    const ReportRows& m_rows;
    ReportSetup m_setup;
    ReportLayout m_layout;
    ReportFont m_body;
    ReportFont m_heading;
    QFont m_idHeadingFont;
    double m_ruleY = 64;
    double m_headingPoints = 8;
    double m_headerHeight = kHeaderHeight;
    // Where each page found so far starts: a row, and the line of it (a row
    // taller than a page goes on over the next pages, a page's worth of lines
    // at a time).
    struct PageStart {
        int row;
        int line;
    };
    int rowLines(int row) const;
    double bodyHeight() const;
    std::vector<PageStart> m_pageStarts;
    int m_nextRow = 0;  // the first row without a page yet
    double m_used = 0;  // the height taken on the last page found
};

// Paints pages `from` to `to` (1-based, clipped to the report) onto a printer or
// PDF writer, one device page each, laying them out as it goes. `step` is told
// each page before it is painted and may cancel by returning false.
enum class PaintResult { Done, Cancelled, Failed };
PaintResult paintReport(ReportRenderer& report, QPagedPaintDevice& device, int from, int to,
                        const std::function<bool(int page)>& step = {});

// What is wrong with a list that does not read well on its paper, and what
// would help: for the preview's buttons, or for quillo-report's options.
// Empty when the list reads well.
enum class AdviceFor { Preview, CommandLine };
QString crampedAdvice(const ReportLayout& layout, bool landscape, AdviceFor reader);

// A font's size in layout units, so that drawing scaled to the device keeps it true.
QFont layoutFont(QFont font, double scale = 1);

}  // namespace quillo
