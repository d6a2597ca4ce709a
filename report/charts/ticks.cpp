// Axis ticks and their labels.
#include "report/charts/canvas.h"
#include "report/charts/charts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace formeval::report {

Ticks ticks(double low, double high, int target) {
    Ticks t;
    const double span = high - low;
    if (!(span > 0) || target < 1) return t;
    const double rough = span / target;
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    t.step = decade;
    for (const double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * decade >= rough * (1 - 1e-9)) {
            t.step = factor * decade;
            break;
        }
    if (!std::isfinite(t.step)) return t;
    // Counted, not stepped: where k is so large that k + 1 == k in a double
    // (values near 1e17 with a span of a few units), stepping k never ends.
    const double first = std::ceil(low / t.step - 1e-9);
    for (int i = 0; i < maxticks; ++i) {
        const double k = first + i;
        if (!(k * t.step <= high + t.step * 1e-9)) break;
        const double value = std::fabs(k) < 1e-9 ? 0.0 : k * t.step;
        // Ticks closer than a double can tell apart coincide; draw each once.
        if (t.values.empty() || value > t.values.back()) t.values.push_back(value);
    }
    return t;
}

std::string ticklabel(double value, double step) {
    if (value == 0) return "0";
    // Digits from the value's leading digit down to the step's, and at least
    // down to the units, so that no label turns to exponent notation.
    const double top = std::floor(std::log10(std::fabs(value)));
    const double bottom = std::min(0.0, std::floor(std::log10(step)));
    const int digits = static_cast<int>(std::max(1.0, top - bottom + 1));
    return formatnumber(value, std::min(digits, 17));
}

double valueaxis(Canvas& c, const Page& page, double top) {
    const Ticks yt = ticks(0, top > 0 ? top * 1.08 : 1, 5);
    const double ymax = yt.values.empty() ? 1 : std::max(top * 1.08, yt.values.back());
    const double bottom = page.height - page.bottom;
    const double height = page.height - page.top - page.bottom;
    c.linewidth(1);
    for (const double y : yt.values) {
        const double at = bottom - y / ymax * height;
        c.colour(gridline);
        c.line(page.left, at, page.width - page.right, at);
        c.colour(ink);
        c.text(page.left - 6, at + 4, ticklabel(y, yt.step), 11, Anchor::end);
    }
    return ymax;
}

void mapaxes(Canvas& c, const Box& box, const Ticks& horizontal, const Ticks& vertical,
             const std::function<double(double)>& x, const std::function<double(double)>& y,
             const std::string& hname, const std::string& vname) {
    const double bottom = box.top + box.height;
    for (const double v : horizontal.values) {
        c.line(x(v), bottom, x(v), bottom + 5);
        c.text(x(v), bottom + 18, ticklabel(v, horizontal.step), 11, Anchor::middle);
    }
    for (const double v : vertical.values) {
        c.line(box.left - 5, y(v), box.left, y(v));
        c.text(box.left - 8, y(v) + 4, ticklabel(v, vertical.step), 11, Anchor::end);
    }
    c.text(box.left + box.width / 2, bottom + 40, hname, 13, Anchor::middle);
    c.text(22, box.top + box.height / 2, vname, 13, Anchor::middle, false, 90);
}

void drawaxes(Canvas& c, const PlotArea& a) {
    c.linewidth(1);
    const Ticks yt = ticks(a.ylow - a.ypad, a.yhigh + a.ypad, 6);
    for (const double y : yt.values) {
        c.colour(gridline);
        c.line(a.left, a.y(y), a.right, a.y(y));
        c.colour(ink);
        c.text(a.left - 6, a.y(y) + 4, ticklabel(y, yt.step), 11, Anchor::end);
    }
    const Ticks xt = ticks(a.xlow - a.xpad, a.xhigh + a.xpad, 8);
    for (const double v : xt.values) {
        c.line(a.x(v), a.bottom, a.x(v), a.bottom + 5);
        c.text(a.x(v), a.bottom + 18, ticklabel(v, xt.step), 11, Anchor::middle);
    }
    c.line(a.left, a.bottom, a.right, a.bottom);
    c.line(a.left, a.top, a.left, a.bottom);
}

} // namespace formeval::report
