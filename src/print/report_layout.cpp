#include "print/report_layout.h"

#include <algorithm>
#include <vector>

namespace quillo {

namespace {

enum class Kind { Fixed, Empty, Flexible };

// A column whose texts fit in this many full-width characters holds short
// texts, and weighs this much more when room is shared.
constexpr double kShortText = 6;
constexpr double kShortWeight = 3;

struct Column {
    int field;
    Kind kind;
    double need;  // the width it cannot do without, at scale 1
    double share;
    double preferred = 0;  // the width that keeps its texts on one line
    double filled = 1;     // the share of the books that have a text here
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
            // Text that may wrap: at least two characters, the heading's widest
            // word and the widest word of its texts.
            const double need = std::max({f.headingWord, 2 * input.em, f.minWidth});
            columns.push_back({i, Kind::Flexible, need,
                               static_cast<double>(std::max(0, f.gridWidth)),
                               std::max(need, f.preferredWidth), std::clamp(f.filled, 0.0, 1.0)});
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
    // rest, each keeping at least its need.
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
    for (Column* c : sharing) {
        layout.columns[static_cast<size_t>(c->field)].width = c->need * layout.scale;
        rest -= c->need * layout.scale;
    }
    // The rest goes where it keeps texts on fewer lines, in proportion to how
    // much more each column would like, as a browser shares a table's width,
    // and to how many books have a text there (a column most books leave empty
    // gains little); a column of short texts (names, publishers) weighs more,
    // since a name on two lines reads worse than a title on one line more. A
    // column that has all it would like drops out and the others share again.
    auto weightOf = [&](const Column* c, double wish) {
        return wish * c->filled * (c->preferred <= kShortText * input.em ? kShortWeight : 1);
    };
    std::vector<Column*> wishing = sharing;
    while (rest > 1e-9 && !wishing.empty()) {
        double weights = 0;
        for (const Column* c : wishing) {
            const double wish =
                c->preferred * layout.scale - layout.columns[static_cast<size_t>(c->field)].width;
            weights += weightOf(c, wish);
        }
        if (weights <= 1e-9)
            break;
        bool capped = false;
        const double given = rest;
        for (auto it = wishing.begin(); it != wishing.end();) {
            double& width = layout.columns[static_cast<size_t>((*it)->field)].width;
            const double wish = (*it)->preferred * layout.scale - width;
            const double weight = weightOf(*it, wish);
            const double add = std::min(wish, given * weight / weights);
            width += add;
            rest -= add;
            if (add >= wish - 1e-9) {
                it = wishing.erase(it);
                capped = true;
            } else {
                ++it;
            }
        }
        if (!capped)
            break;
    }
    double shares = 0;
    for (const Column* c : sharing)
        shares += c->share;
    for (const Column* c : sharing) {
        const double part =
            shares > 0 ? c->share / shares : 1.0 / static_cast<double>(sharing.size());
        layout.columns[static_cast<size_t>(c->field)].width += std::max(0.0, rest) * part;
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
