#pragma once

#include <array>
#include <functional>
#include <vector>

#include "store/book_record.h"

namespace quillo {

// Where the report puts its columns, in layout units (1/96 inch) from the left
// edge of the printable area.
struct ReportColumn {
    bool enabled = false;
    double left = 0;
    double width = 0;
};

// What one field needs of its column, measured in the report's fonts at their
// own size: the layout itself holds no font and stays arithmetic.
struct ReportColumnNeeds {
    bool visible = false;
    int gridWidth = 0;        // the list view's width: the column's share of the room
    double fixedWidth = 0;    // > 0: a date or an ID, always exactly this wide (never broken)
    bool empty = false;       // no book has a text here: the column takes little room
    double headingWidth = 0;  // the heading on one line
    double headingWord = 0;   // the heading's widest piece that cannot be broken
    // From the books printed: the widest piece that cannot be broken (a Latin
    // word: "Computer" is never printed as "Comput/er" unless it alone is wider
    // than the column could be), and the width that keeps the texts on one line
    // (all of them, or nine in ten when some are long).
    double minWidth = 0;
    double preferredWidth = 0;
    double filled = 1;  // the share of the books that have a text here
};

// How the sampled books' texts of one column wrap at a given width: the lines
// each book takes there (in the same order for every column), and how many
// lines, its heading's included, hold one Japanese character alone.
struct ReportColumnWrap {
    std::vector<int> lines;
    double lone = 0;
};
using ReportWrapMeasure = std::function<ReportColumnWrap(int field, double width)>;

struct ReportLayoutInput {
    std::array<ReportColumnNeeds, kFieldCount> fields{};
    // When given, the shared widths are polished by wrapping the sampled texts:
    // width moves between text columns while that saves lines or lone
    // characters.
    ReportWrapMeasure measure;
    int leastRowLines = 1;  // a row is never shallower than this many lines
    double width = 0;       // the printable width
    double em = 12;         // a full-width character of the record font
    double fontPoints = 9;  // the record font's size
};

struct ReportLayout {
    std::array<ReportColumn, kFieldCount> columns{};
    double width = 0;  // the printable width: the rules run across it
    // When the columns do not fit at the fonts' own size, every font and fixed
    // width is scaled down by this, never below 6 points; below 7 points the
    // list is no longer readable, nor when many of its lines hold one Japanese
    // character alone, and landscape (or fewer columns) is the remedy.
    double scale = 1;
    bool readable = true;
    double loneShare = 0;  // of the sampled texts' lines, those of one character alone
};

inline constexpr double kReportGap = 6;           // between two columns
inline constexpr double kReadablePoints = 7;      // the smallest body text worth printing
inline constexpr double kLeastHeadingPoints = 6;  // headings shrink no further
inline constexpr double kLeastBodyPoints = 6;     // nor does the body
inline constexpr double kMostLoneShare = 0.05;    // more lines of one character read as broken

ReportLayout computeReportLayout(const ReportLayoutInput& input);

// Tenths of a millimetre in layout units at the given pixels per inch.
inline double layoutUnits(double tenthsOfMillimetre, double pixelsPerInch = 96) {
    return tenthsOfMillimetre * pixelsPerInch / 254;
}

}  // namespace quillo
