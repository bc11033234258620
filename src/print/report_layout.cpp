#include "print/report_layout.h"

#include <algorithm>
#include <vector>

namespace quillo {

namespace {

enum class Kind { Fixed, Empty, Flexible };

struct Column {
    int field;
    Kind kind;
    double need;  // the width it cannot do without, at scale 1
    double share;
    double want = 0;  // the width that keeps most of its texts on one line
};

}  // namespace

ReportLayout computeReportLayout(const ReportLayoutInput& input) {
    ReportLayout layout;
    layout.width = input.width;
    std::vector<Column> columns;
    for (int i = 0; i < kFieldCount; ++i) {
        const ReportColumnNeeds& f = input.fields[static_cast<size_t>(i)];
        if (!f.visible)
            continue;
        if (f.fixedWidth > 0) {
            // A date or an ID is as wide as its content, which is never broken.
            columns.push_back({i, Kind::Fixed, std::max(f.fixedWidth, f.headingWord), 0});
        } else if (f.empty) {
            // Only its heading to show: room for the heading on two lines.
            columns.push_back(
                {i, Kind::Empty, std::max(f.headingWord, f.headingWidth / 2 + input.em / 2), 0});
        } else {
            // Text that may wrap: at least two characters and the heading's widest word.
            // Short texts (names, publishers, kinds) are worth keeping on one line;
            // long ones (titles) wrap anyway and take their share by proportion.
            const double need = std::max(f.headingWord, 2 * input.em);
            const double want = f.typicalWidth <= 6 * input.em ? f.typicalWidth : 0;
            columns.push_back({i, Kind::Flexible, need,
                               static_cast<double>(std::max(0, f.gridWidth)),
                               std::max(need, want)});
        }
    }
    if (columns.empty())
        return layout;

    const double room =
        std::max(0.0, input.width - kReportGap * static_cast<double>(columns.size() - 1));
    double required = 0;
    for (const Column& c : columns)
        required += c.need;
    if (required > room && required > 0) {
        layout.scale = room / required;
        layout.readable = input.fontPoints * layout.scale >= kReadablePoints;
    }

    // The fixed and empty columns take their width; the flexible ones share the
    // rest by the list view's proportions, each keeping at least its need.
    double rest = room;
    std::vector<Column*> sharing;
    for (Column& c : columns) {
        ReportColumn& out = layout.columns[static_cast<size_t>(c.field)];
        out.enabled = true;
        if (c.kind == Kind::Flexible) {
            sharing.push_back(&c);
        } else {
            out.width = c.need * layout.scale;
            rest -= out.width;
        }
    }
    // As far as the room allows, a column that would wrap most of its texts gets
    // enough to keep them on one line before the rest is shared: all of it when
    // there is room for every column's, else the same part of each one's.
    double needed = 0, wanted = 0;
    for (const Column* c : sharing) {
        needed += c->need * layout.scale;
        wanted += c->want * layout.scale;
    }
    const double part =
        wanted > needed ? std::clamp((rest - needed) / (wanted - needed), 0.0, 1.0) : 0.0;
    for (Column* c : sharing)
        c->want = c->need + (c->want - c->need) * part;
    for (bool settled = false; !settled && !sharing.empty();) {
        double total = 0;
        for (const Column* c : sharing)
            total += c->share;
        settled = true;
        for (auto it = sharing.begin(); it != sharing.end(); ++it) {
            const double part =
                total > 0 ? (*it)->share / total : 1.0 / static_cast<double>(sharing.size());
            const double floor = (*it)->want * layout.scale;
            if (rest * part < floor) {
                // Too small a share: it takes its floor, and the others share again.
                const double width = floor;
                layout.columns[static_cast<size_t>((*it)->field)].width = width;
                rest -= width;
                sharing.erase(it);
                settled = false;
                break;
            }
        }
        if (settled) {
            for (const Column* c : sharing) {
                const double part =
                    total > 0 ? c->share / total : 1.0 / static_cast<double>(sharing.size());
                layout.columns[static_cast<size_t>(c->field)].width = std::max(0.0, rest * part);
            }
        }
    }

    double x = 0;
    for (const Column& c : columns) {
        ReportColumn& out = layout.columns[static_cast<size_t>(c.field)];
        out.left = x;
        x += out.width + kReportGap;
    }
    return layout;
}

}  // namespace quillo
