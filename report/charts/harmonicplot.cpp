// The bar chart of a roundness profile's harmonic amplitudes: one bar per
// undulation count, 1 to 50 per revolution.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

constexpr Page page = {800, 460, 80, 30, 80, 60};

} // namespace

void drawharmonics(const std::string& path, Format format, const Harmonics& h, const Subunit& unit,
                   const std::string& title, const std::string& note,
                   const std::string& captiontext, int from, int to) {
    Canvas c(path, format, page.width, page.height + (captiontext.empty() ? 0 : captionheight));
    double most = 0;
    const auto first = static_cast<std::size_t>(std::max(from, 1));
    for (std::size_t k = first; k < h.amplitude.size(); ++k)
        most = std::max(most, h.amplitude[k] * unit.factor);
    const double ymax = valueaxis(c, page, most);
    const double slot = (page.width - page.left - page.right) / std::max(1, to - from + 1);
    // Harmonic k takes the slot k - from + 1; px gives the slot's middle.
    const auto px = [&](double upr) { return page.left + (upr - from + 0.5) * slot; };
    const auto py = [&](double a) {
        return page.height - page.bottom - a / ymax * (page.height - page.top - page.bottom);
    };

    for (std::size_t k = first; k < h.amplitude.size(); ++k) {
        const double a = h.amplitude[k] * unit.factor;
        c.colour(barcolour);
        c.rectangle(px(k) - slot * 0.4, py(a), slot * 0.8, page.height - page.bottom - py(a), true);
    }
    c.colour(ink);
    // Ticks every 5 UPR over the usual range; else at round steps.
    std::vector<int> marks;
    if (from == 1 && to == maxharmonic)
        for (int k = 0; k <= maxharmonic; k += 5) marks.push_back(std::max(k, 1));
    else
        for (const double v : ticks(from, to, 10).values)
            if (v >= from && v <= to && v == std::round(v)) marks.push_back(static_cast<int>(v));
    for (const int k : marks) {
        const double x = px(k);
        c.line(x, page.height - page.bottom, x, page.height - page.bottom + 5);
        c.text(x, page.height - page.bottom + 18, std::to_string(k), 11, Anchor::middle);
    }
    c.line(page.left, page.height - page.bottom, page.width - page.right,
           page.height - page.bottom);
    c.line(page.left, page.top, page.left, page.height - page.bottom);
    c.text((page.left + page.width - page.right) / 2, page.height - 16,
           "undulations per revolution (UPR)", 13, Anchor::middle);
    c.text(22, (page.top + page.height - page.bottom) / 2, "amplitude (" + unit.name + ")", 13,
           Anchor::middle, false, 90);
    c.text(page.left, 26, title, fitsize(title, 15, page.width - page.left - 10, true),
           Anchor::start, true);
    c.text(page.left, 46, note, fitsize(note, 12, page.width - page.left - 10));
    caption(c, page.height + 12, page.width, captiontext);
    c.finish();
}

} // namespace formeval::report
