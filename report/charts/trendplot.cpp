// The trend chart of a batch: each part's t, p, v and q of the judged
// criterion against the part's place in the batch, the tolerance drawn
// across, each part's verdict marked at its t.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

constexpr Page page = {900, 480, 80, 160, 70, 60};
// The key's lines: v dashed, since for a minimum zone v equals p and its
// line lies on p's.
constexpr std::size_t dashedline = 2;
// t, p, v, q: the form error boldest, its parts lighter.
constexpr std::array<Rgb, 4> trendcolours = {Rgb{0.12, 0.47, 0.71}, Rgb{0.84, 0.15, 0.16},
                                             Rgb{0.17, 0.63, 0.17}, Rgb{0.5, 0.5, 0.5}};
constexpr std::array<const char*, 4> trendnames = {"t (form error)", "p (peak)", "v (valley)",
                                                   "q (root mean square)"};
constexpr Rgb failcolour = {0.84, 0.15, 0.16};
constexpr Rgb undecidedcolour = {0.95, 0.6, 0.1};

} // namespace

void drawtrend(const std::string& path, Format format, const std::vector<TrendPart>& parts,
               const TrendLabels& labels) {
    Canvas c(path, format, page.width, page.height);
    double top = 0;
    for (const TrendPart& p : parts)
        for (const double v : p.values)
            if (std::isfinite(v)) top = std::max(top, v * labels.unit.factor);
    if (labels.tolerance > 0) top = std::max(top, labels.tolerance * labels.unit.factor);
    const double ymax = valueaxis(c, page, top);
    const double n = static_cast<double>(std::max<std::size_t>(parts.size(), 1));
    const double slot = (page.width - page.left - page.right) / n;
    const auto px = [&](std::size_t k) {
        return page.left + (static_cast<double>(k) + 0.5) * slot;
    };
    const auto py = [&](double a) {
        return page.height - page.bottom - a / ymax * (page.height - page.top - page.bottom);
    };
    // q, p, then v dashed over p, then t over all.
    for (const std::size_t q : {std::size_t{3}, std::size_t{1}, dashedline, std::size_t{0}}) {
        Polyline line;
        for (std::size_t k = 0; k < parts.size(); ++k)
            if (std::isfinite(parts[k].values[q]))
                line.push_back({px(k), py(parts[k].values[q] * labels.unit.factor)});
        c.colour(trendcolours[q]);
        c.linewidth(q == 0 ? 1.6 : 1);
        if (q == dashedline) c.dash(5, 4);
        if (line.size() > 1) c.stroke(line, false);
        c.dash();
    }
    // Each part's verdict at its t: a dot, red for fail, orange undecided.
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (!std::isfinite(parts[k].values[0])) continue;
        c.colour(parts[k].verdict == "fail"        ? failcolour
                 : parts[k].verdict == "undecided" ? undecidedcolour
                                                   : trendcolours[0]);
        c.circle(px(k), py(parts[k].values[0] * labels.unit.factor), parts.size() > 200 ? 1.5 : 3,
                 true);
    }
    if (labels.tolerance > 0) {
        c.colour(failcolour);
        c.linewidth(1.2);
        c.dash(6, 4);
        const double y = py(labels.tolerance * labels.unit.factor);
        c.line(page.left, y, page.width - page.right, y);
        c.dash();
        c.text(page.width - page.right, y - 5,
               "tolerance " + formatnumber(labels.tolerance * labels.unit.factor, 4) + " " +
                   labels.unit.name,
               11, Anchor::end, false, 0, true);
    }
    c.colour(ink);
    c.linewidth(1);
    const Ticks xt = ticks(1, n, 10);
    for (const double v : xt.values) {
        if (v < 1 || v > n || v != std::round(v)) continue;
        const double x = px(static_cast<std::size_t>(v) - 1);
        c.line(x, page.height - page.bottom, x, page.height - page.bottom + 5);
        c.text(x, page.height - page.bottom + 18, ticklabel(v, xt.step), 11, Anchor::middle);
    }
    c.line(page.left, page.height - page.bottom, page.width - page.right,
           page.height - page.bottom);
    c.line(page.left, page.top, page.left, page.height - page.bottom);
    c.text((page.left + page.width - page.right) / 2, page.height - 16,
           "part, in the order of the batch", 13, Anchor::middle);
    c.text(22, (page.top + page.height - page.bottom) / 2,
           labels.parameter + " (" + labels.unit.name + ")", 13, Anchor::middle, false, 90);
    c.text(page.left, 26, labels.title,
           fitsize(labels.title, 15, page.width - page.left - 10, true), Anchor::start, true);
    c.text(page.left, 46, labels.note, fitsize(labels.note, 12, page.width - page.left - 10));
    // The key at the right.
    const double kx = page.width - page.right + 14;
    const double room = page.width - kx - 28 - 4;
    for (std::size_t q = 0; q < 4; ++q) {
        const double y = page.top + 10 + 22 * static_cast<double>(q);
        c.colour(trendcolours[q]);
        c.linewidth(q == 0 ? 1.6 : 1);
        if (q == dashedline) c.dash(5, 4);
        c.line(kx, y - 4, kx + 22, y - 4);
        c.dash();
        c.colour(ink);
        c.text(kx + 28, y, trendnames[q], fitsize(trendnames[q], 11, room));
    }
    c.finish();
}

} // namespace formeval::report
