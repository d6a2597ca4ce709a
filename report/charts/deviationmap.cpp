// Maps of deviations over a surface: a plane's points at their place, a
// cylinder or cone developed into angle against height; dotted when few, drawn as
// cells of mean deviation when many. The colours are the flatness map's.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

Rgb heat(double t) {
    const Rgb low = {0.13, 0.40, 0.67};
    const Rgb high = {0.70, 0.09, 0.17};
    const Rgb& end = t < 0.5 ? low : high;
    const double s = std::min(1.0, std::fabs(t - 0.5) * 2);
    return {1 + (end.r - 1) * s, 1 + (end.g - 1) * s, 1 + (end.b - 1) * s};
}

void colourscale(Canvas& c, double x, double top, double height, double low, double high,
                 const std::string& unit) {
    constexpr int steps = 50;
    for (int k = 0; k < steps; ++k) {
        c.colour(heat((k + 0.5) / steps));
        c.rectangle(x, top + height - (k + 1) * height / steps, 24, height / steps + 0.5, true);
    }
    c.colour(ink);
    c.linewidth(1);
    c.rectangle(x, top, 24, height, false);
    const Ticks bt = ticks(low, high, 6);
    for (const double v : bt.values) {
        const double at = top + height - (v - low) / (high - low) * height;
        c.line(x + 24, at, x + 29, at);
        c.text(x + 33, at + 4, ticklabel(v, bt.step), 11);
    }
    c.text(x, top - 12, "deviation (" + unit + ")", 12);
}

namespace {

struct Span {
    double low, high;
    double size() const { return high - low; }
};

Span spanof(const std::vector<double>& v, double low, double high) {
    Span s{low, high};
    if (std::isnan(low)) {
        const auto [a, b] = std::minmax_element(v.begin(), v.end());
        s = {*a, *b};
    }
    if (!(s.high > s.low)) {
        const double half = s.low != 0 ? std::fabs(s.low) * 1e-6 : 1;
        s = {s.low - half, s.high + half};
    }
    return s;
}

// A marker of an extreme point: an upward triangle for the highest, a
// downward one for the lowest.
void marker(Canvas& c, double x, double y, bool up) {
    const double h = up ? -9 : 9;
    c.colour(ink);
    c.linewidth(1.4);
    c.stroke({{x - 6, y - h / 2}, {x + 6, y - h / 2}, {x, y + h / 2}}, true);
}

} // namespace

void drawdeviationmap(const std::string& path, Format format, const DeviationMap& m,
                      const Subunit& unit) {
    constexpr double width = 940, height = 684, left = 80, top = 100, plotw = 600, ploth = 500;
    Canvas c(path, format, width, height + (m.caption.empty() ? 0 : captionheight));
    const Span us = spanof(m.u, m.ulow, m.uhigh);
    const Span vs = spanof(m.v, notapplicable, notapplicable);
    const Span zone = spanof(m.d, notapplicable, notapplicable);
    // A plane keeps its shape: one scale, the larger span padded; a
    // developed cylinder fills the area.
    double uspan = us.size(), vspan = vs.size();
    double w = plotw, h = ploth;
    if (m.samescale) {
        uspan = vspan = std::max(us.size(), vs.size()) * 1.15;
        w = h = ploth;
    } else {
        vspan *= 1.1;
    }
    const double umid = (us.low + us.high) / 2, vmid = (vs.low + vs.high) / 2;
    const auto px = [&](double v) { return left + w / 2 + (v - umid) / uspan * w; };
    const auto py = [&](double v) { return top + h / 2 - (v - vmid) / vspan * h; };
    const auto colourof = [&](double d) { return heat((d - zone.low) / zone.size()); };
    const ZoneContacts contacts = zonecontacts(m.d, m.scale);

    // The points on the zone's bounds ringed over the dots or the cells: few
    // among many, they must stand out.
    Polyline touching;
    for (const std::size_t i : ringed(contacts)) touching.push_back({px(m.u[i]), py(m.v[i])});

    const std::size_t n = m.d.size();
    if (n <= mostmapdots) {
        const double dot = std::clamp(h / 2.5 / std::sqrt(static_cast<double>(n)), 2.0, 16.0);
        for (std::size_t i = 0; i < n; ++i) {
            c.colour(colourof(m.d[i]));
            c.circle(px(m.u[i]), py(m.v[i]), dot, true);
            c.colour(ink, 0.6);
            c.linewidth(0.6);
            c.circle(px(m.u[i]), py(m.v[i]), dot, false);
        }
        rings(c, touching, dot + 3);
    } else {
        // Cells about 6 drawing units square over the plot area.
        const int cols = static_cast<int>(w / 6), rows = static_cast<int>(h / 6);
        std::vector<double> sum(static_cast<std::size_t>(cols * rows), 0);
        std::vector<long> count(sum.size(), 0);
        for (std::size_t i = 0; i < n; ++i) {
            const int col =
                std::clamp(static_cast<int>((px(m.u[i]) - left) / w * cols), 0, cols - 1);
            const int row =
                std::clamp(static_cast<int>((py(m.v[i]) - top) / h * rows), 0, rows - 1);
            sum[static_cast<std::size_t>(row * cols + col)] += m.d[i];
            ++count[static_cast<std::size_t>(row * cols + col)];
        }
        for (int row = 0; row < rows; ++row)
            for (int col = 0; col < cols; ++col) {
                const auto k = static_cast<std::size_t>(row * cols + col);
                if (count[k] == 0) continue;
                c.colour(colourof(sum[k] / static_cast<double>(count[k])));
                c.rectangle(left + col * w / cols, top + row * h / rows, w / cols + 0.3,
                            h / rows + 0.3, true);
            }
        // Wide enough to hold the triangles of the extremes.
        rings(c, touching, 9);
        const auto [lowest, highest] = std::minmax_element(m.d.begin(), m.d.end());
        const auto at = [&](auto it) { return static_cast<std::size_t>(it - m.d.begin()); };
        marker(c, px(m.u[at(highest)]), py(m.v[at(highest)]), true);
        marker(c, px(m.u[at(lowest)]), py(m.v[at(lowest)]), false);
    }

    c.colour(ink);
    c.linewidth(1);
    c.rectangle(left, top, w, h, false);
    // A fixed range (the angle about an axis) in eighths: 0, 45, ... 360.
    Ticks ut = ticks(umid - uspan / 2, umid + uspan / 2, 8);
    if (!std::isnan(m.ulow)) {
        ut = {(m.uhigh - m.ulow) / 8, {}};
        for (int k = 0; k <= 8; ++k) ut.values.push_back(m.ulow + k * ut.step);
    }
    mapaxes(c, {left, top, w, h}, ut, ticks(vmid - vspan / 2, vmid + vspan / 2, 6), px, py,
            m.ulabel, m.vlabel);
    colourscale(c, left + w + 60, top, h, zone.low, zone.high, unit.name);

    c.colour(ink);
    c.text(20, 28, m.title, fitsize(m.title, 15, width - 40, true), Anchor::start, true);
    c.text(20, 50, m.what, fitsize(m.what, 12, width - 40));
    c.text(20, 70, m.key, fitsize(m.key, 11, width - 40));
    const std::string key = ringkey(contacts, m.cone       ? conebounds
                                              : m.cylinder ? cylinderbounds
                                                           : planebounds);
    if (!key.empty()) c.text(20, height - 12, key, fitsize(key, 11, width - 40));
    caption(c, height + 12, width, m.caption);
    c.finish();
}

} // namespace formeval::report
