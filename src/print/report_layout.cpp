#include "print/report_layout.h"

namespace quillo {

ReportLayout computeReportLayout(const std::array<bool, kFieldCount>& visible,
                                 const std::array<int, kFieldCount>& widths, double pageWidth,
                                 double margin) {
    ReportLayout layout;
    layout.lineWidth = static_cast<int>(static_cast<int>(pageWidth) - 2 * margin);
    long total = 0;
    int count = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        if (visible[static_cast<size_t>(i)]) {
            total += std::max(0, widths[static_cast<size_t>(i)]);
            ++count;
        }
    }
    // The columns, their indent and the gaps between them fit within the lines.
    const int available =
        std::max(0, layout.lineWidth - kReportIndent - kReportGap * std::max(0, count - 1));
    int x = layout.lineLeft;
    for (int i = 0; i < kFieldCount; ++i) {
        if (!visible[static_cast<size_t>(i)])
            continue;
        ReportColumn& column = layout.columns[static_cast<size_t>(i)];
        column.enabled = true;
        column.left = x + kReportIndent;
        // Widths that add up to nothing share the room equally.
        const float share = total > 0
                                ? static_cast<float>(std::max(0, widths[static_cast<size_t>(i)])) /
                                      static_cast<float>(total)
                                : 1.0f / static_cast<float>(count);
        column.width = static_cast<int>(static_cast<float>(available) * share);
        x += column.width + kReportGap;
    }
    return layout;
}

}  // namespace quillo
