#include "print/report_layout.h"

#include <algorithm>
#include <cmath>
#include <map>
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

// A line holding one Japanese character alone costs as much as this many more
// lines of paper: it is what makes a list look broken.
constexpr double kLonePenalty = 3;
// A text on more lines than it needs costs a little even inside a row that is
// deep anyway: it still reads worse.
constexpr double kWrapPenalty = 0.5;
constexpr int kPolishRounds = 200;
constexpr size_t kMostQuanta = 16;  // a column gains or gives at most 4 em at a time
// The quanta a single column is tried with: finer steps for small moves.
constexpr std::array<size_t, 8> kQuantaTried{1, 2, 3, 4, 6, 8, 12, 16};
constexpr int kTried = 12;       // the most promising moves checked exactly, each round
constexpr double kNever = 1e18;  // the cost of a move that cannot be made

using Quanta = std::array<double, kMostQuanta + 1>;  // a cost for each number of quanta

// The cheapest way to gather each number of quanta for the taker from the
// other columns, given what each column alone loses by giving k of them.
struct Gathering {
    Quanta cost;
    std::array<std::vector<int>, kMostQuanta + 1> from;  // quanta taken from each column
};

Gathering cheapestGathering(const std::vector<Quanta>& loss, size_t taker) {
    Gathering best;
    best.cost.fill(kNever);
    best.cost[0] = 0;
    best.from.fill(std::vector<int>(loss.size(), 0));
    for (size_t a = 0; a < loss.size(); ++a) {
        if (a == taker)
            continue;
        const Gathering before = best;
        for (size_t k = 1; k <= kMostQuanta; ++k)
            for (size_t j = 1; j <= k; ++j) {
                if (loss[a][j] >= kNever || before.cost[k - j] >= kNever)
                    continue;
                if (before.cost[k - j] + loss[a][j] < best.cost[k]) {
                    best.cost[k] = before.cost[k - j] + loss[a][j];
                    best.from[k] = before.from[k - j];
                    best.from[k][a] = static_cast<int>(j);
                }
            }
    }
    return best;
}

// Moves width between the text columns while that makes the sampled books take
// fewer lines, or fewer lines of one Japanese character ("鈴木/優"), each column
// keeping at least its need. A row is as deep as its deepest column, so room
// goes where it makes rows shallower, not just columns narrower. A column
// gains in quarters of an em, gathered from the columns that miss them least;
// each move is checked on the whole sample before it is made. The texts are
// measured at the fonts' own size: a list scaled down wraps as its unscaled
// self would in proportionally wider columns.
void polishWidths(ReportLayout& layout, const std::vector<Column*>& sharing,
                  const ReportLayoutInput& input, double scale) {
    const ReportWrapMeasure& measure = input.measure;
    const double em = input.em * scale;
    const int least = std::max(1, input.leastRowLines);
    const size_t n = sharing.size();
    if (n < 2)
        return;
    const double quantum = em / 4;
    // A column's wrap at one width: the lines of each book, and what its lone
    // characters and extra lines cost.
    struct Wrap {
        std::vector<int> lines;
        double penalty = 0;
    };
    std::vector<std::map<long, Wrap>> memo(n);
    auto wrapAt = [&](size_t i, double width) -> const Wrap* {
        auto [it, fresh] = memo[i].try_emplace(std::lround(width * 16));
        if (fresh) {
            ReportColumnWrap measured = measure(sharing[i]->field, width / scale);
            it->second.lines = std::move(measured.lines);
            it->second.penalty = kLonePenalty * measured.lone;
            for (const int lines : it->second.lines)
                it->second.penalty += kWrapPenalty * std::max(0, lines - 1);
        }
        return &it->second;
    };
    std::vector<double> width(n);
    std::vector<const Wrap*> now(n);
    for (size_t i = 0; i < n; ++i) {
        width[i] = layout.columns[static_cast<size_t>(sharing[i]->field)].width;
        now[i] = wrapAt(i, width[i]);
    }
    const size_t rows = now[0]->lines.size();
    for (const Wrap* w : now)
        if (w->lines.size() != rows)
            return;

    auto costOf = [&](const std::vector<const Wrap*>& wraps) {
        double total = 0;
        for (size_t r = 0; r < rows; ++r) {
            int depth = least;
            for (const Wrap* w : wraps)
                depth = std::max(depth, w->lines[r]);
            total += depth;
        }
        for (const Wrap* w : wraps)
            total += w->penalty;
        return total;
    };
    // Each row's two deepest columns: the cost of changing one column is then
    // known without the others.
    struct Deepest {
        int lines[2];
        size_t column;
    };
    std::vector<Deepest> deepest(rows);
    double penalty = 0;
    auto rank = [&] {
        penalty = 0;
        for (const Wrap* w : now)
            penalty += w->penalty;
        for (size_t r = 0; r < rows; ++r) {
            Deepest d{{least, least}, n};
            for (size_t i = 0; i < n; ++i) {
                const int lines = now[i]->lines[r];
                if (lines > d.lines[0]) {
                    d.lines[1] = d.lines[0];
                    d.lines[0] = lines;
                    d.column = i;
                } else {
                    d.lines[1] = std::max(d.lines[1], lines);
                }
            }
            deepest[r] = d;
        }
    };
    auto costWith = [&](size_t i, const Wrap* w) {
        double total = 0;
        for (size_t r = 0; r < rows; ++r) {
            const Deepest& d = deepest[r];
            total += std::max(d.column == i ? d.lines[1] : d.lines[0], w->lines[r]);
        }
        return total + penalty - now[i]->penalty + w->penalty;
    };

    for (int round = 0; round < kPolishRounds; ++round) {
        rank();
        const double cost = costOf(now);
        // What each column alone gains with k more quanta, and loses with k fewer.
        std::vector<Quanta> gain(n), loss(n);
        for (size_t i = 0; i < n; ++i) {
            gain[i].fill(-kNever);
            loss[i].fill(kNever);
            for (const size_t k : kQuantaTried) {
                const double step = static_cast<double>(k) * quantum;
                gain[i][k] = cost - costWith(i, wrapAt(i, width[i] + step));
                const double narrower = width[i] - step;
                loss[i][k] = narrower < sharing[i]->need * scale - 1e-9
                                 ? kNever
                                 : costWith(i, wrapAt(i, narrower)) - cost;
            }
        }
        struct Move {
            double net;
            size_t taker;
            std::vector<int> given;  // quanta from each column
        };
        std::vector<Move> moves;
        for (size_t b = 0; b < n; ++b) {
            const Gathering gathering = cheapestGathering(loss, b);
            for (size_t k = 1; k <= kMostQuanta; ++k) {
                const double net = gain[b][k] - gathering.cost[k];
                if (gathering.cost[k] < kNever && gain[b][k] > -kNever && net > 1e-6)
                    moves.push_back({net, b, gathering.from[k]});
            }
        }
        std::sort(moves.begin(), moves.end(),
                  [](const Move& x, const Move& y) { return x.net > y.net; });
        bool moved = false;
        for (size_t m = 0; m < moves.size() && m < static_cast<size_t>(kTried) && !moved; ++m) {
            std::vector<double> trialWidth = width;
            int quanta = 0;
            for (size_t a = 0; a < n; ++a) {
                trialWidth[a] -= moves[m].given[a] * quantum;
                quanta += moves[m].given[a];
            }
            trialWidth[moves[m].taker] += quanta * quantum;
            std::vector<const Wrap*> trial(n);
            for (size_t i = 0; i < n; ++i)
                trial[i] = trialWidth[i] == width[i] ? now[i] : wrapAt(i, trialWidth[i]);
            if (costOf(trial) < cost - 1e-6) {
                width = trialWidth;
                now = trial;
                moved = true;
            }
        }
        if (!moved)
            break;
    }
    for (size_t i = 0; i < n; ++i)
        layout.columns[static_cast<size_t>(sharing[i]->field)].width = width[i];
}

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
        // At the smallest size the texts give up what they need (their words
        // break anywhere) while the dates and IDs stay whole; only when those
        // alone cannot fit does the size go lower.
        const double least = kLeastBodyPoints / input.fontPoints;
        double fixed = 0, flexible = 0;
        for (const Column& c : columns)
            (c.kind == Kind::Flexible ? flexible : fixed) += c.need;
        layout.scale = room / required;
        if (layout.scale < least && fixed * least <= room) {
            layout.scale = least;
            const double give = (room - fixed * least) / (flexible * least);
            for (Column& c : columns)
                if (c.kind == Kind::Flexible)
                    c.need *= give;
        }
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
    if (input.measure) {
        polishWidths(layout, sharing, input, layout.scale);
        double lines = 0, lone = 0;
        for (const Column* c : sharing) {
            const ReportColumnWrap wrap = input.measure(
                c->field, layout.columns[static_cast<size_t>(c->field)].width / layout.scale);
            for (const int n : wrap.lines)
                lines += n;
            lone += wrap.lone;
        }
        layout.loneShare = lines > 0 ? std::min(1.0, lone / lines) : 0;
        if (layout.loneShare > kMostLoneShare)
            layout.readable = false;
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
