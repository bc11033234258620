#pragma once

#include <array>

#include "store/book_record.h"

namespace quillo {

// Where the report puts its columns, in layout units (screen pixels at 100 %,
// 96 per inch). The columns share out the width of the ruled lines, so that
// every column stays on the paper.
struct ReportColumn {
    bool enabled = false;
    int left = 0;
    int width = 0;
};

struct ReportLayout {
    int lineLeft = 26;
    int lineWidth = 0;
    std::array<ReportColumn, kFieldCount> columns{};
};

inline constexpr int kReportIndent = 10;  // a column's text starts this far right of its place
inline constexpr int kReportGap = 5;      // between two columns

// `pageWidth` and `margin` in layout units (793.7 and 37.8 for portrait A4).
ReportLayout computeReportLayout(const std::array<bool, kFieldCount>& visible,
                                 const std::array<int, kFieldCount>& widths, double pageWidth,
                                 double margin);

// Tenths of a millimetre in layout units at the given pixels per inch.
inline double layoutUnits(double tenthsOfMillimetre, double pixelsPerInch = 96) {
    return tenthsOfMillimetre * pixelsPerInch / 254;
}

}  // namespace quillo
