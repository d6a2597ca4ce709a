// The bar chart of a roundness profile's harmonic amplitudes: one bar per
// undulation count, 1 to 50 per revolution.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

constexpr double width = 800;
constexpr double height = 460;
constexpr double left = 80;
constexpr double right = 30;
constexpr double top = 80;
constexpr double bottom = 60;

constexpr Rgb ink = {0, 0, 0};
constexpr Rgb grid = {0.85, 0.85, 0.85};

} // namespace

void drawharmonics(const std::string& path, Format format, const Harmonics& h, const Subunit& unit,
                   const std::string& title, const std::string& note) {
    Canvas c(path, format, width, height);
    double most = 0;
    for (std::size_t k = 1; k < h.amplitude.size(); ++k)
        most = std::max(most, h.amplitude[k] * unit.factor);
    const Ticks yt = ticks(0, most > 0 ? most * 1.08 : 1, 5);
    const double ymax = yt.values.empty() ? 1 : std::max(most * 1.08, yt.values.back());
    const double slot = (width - left - right) / maxharmonic;
    // Harmonic k takes the k-th slot; px gives the slot's middle.
    const auto px = [&](double upr) { return left + (upr - 0.5) * slot; };
    const auto py = [&](double a) { return height - bottom - a / ymax * (height - top - bottom); };

    c.linewidth(1);
    for (const double y : yt.values) {
        c.colour(grid);
        c.line(left, py(y), width - right, py(y));
        c.colour(ink);
        c.text(left - 6, py(y) + 4, ticklabel(y, yt.step), 11, Anchor::end);
    }
    for (std::size_t k = 1; k < h.amplitude.size(); ++k) {
        const double a = h.amplitude[k] * unit.factor;
        c.colour(barcolour);
        c.rectangle(px(k) - slot * 0.4, py(a), slot * 0.8, height - bottom - py(a), true);
    }
    c.colour(ink);
    for (int k = 0; k <= maxharmonic; k += 5) {
        const double x = px(std::max(k, 1));
        c.line(x, height - bottom, x, height - bottom + 5);
        c.text(x, height - bottom + 18, std::to_string(std::max(k, 1)), 11, Anchor::middle);
    }
    c.line(left, height - bottom, width - right, height - bottom);
    c.line(left, top, left, height - bottom);
    c.text((left + width - right) / 2, height - 16, "undulations per revolution (UPR)", 13,
           Anchor::middle);
    c.text(22, (top + height - bottom) / 2, "amplitude (" + unit.name + ")", 13, Anchor::middle,
           false, 90);
    c.text(left, 26, title, fitsize(title, 15, width - left - 10, true), Anchor::start, true);
    c.text(left, 46, note, fitsize(note, 12, width - left - 10));
    c.finish();
}

} // namespace formeval::report
