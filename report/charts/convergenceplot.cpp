// The convergence picture of one quantity of a study block: the running mean
// and coverage interval ends against the number of repetitions on a log
// scale, with the block's final values and the tolerance delta about them.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

constexpr Page page = {800, 540, 90, 30, 110, 70};
constexpr Rgb band = {0.55, 0.55, 0.55};

struct Frame {
    double logfrom, logto; // log10 of the counts at the left and right edges
    double ylow, yhigh;
    double px(double n) const {
        return page.left + (std::log10(n) - logfrom) / (logto - logfrom) *
                               (page.width - page.left - page.right);
    }
    double py(double y) const {
        return page.height - page.bottom -
               (y - ylow) / (yhigh - ylow) * (page.height - page.top - page.bottom);
    }
};

Frame frame(const Convergence& c, const Statistics& s, const HistogramLabels& labels) {
    Frame f;
    f.logfrom = std::log10(static_cast<double>(c.running.front().n));
    f.logto = std::log10(static_cast<double>(c.running.back().n));
    if (!(f.logto > f.logfrom)) f.logto = f.logfrom + 1;
    double low = s.mean - c.tolerance;
    double high = s.mean + c.tolerance;
    const auto extend = [&](double v) {
        if (!std::isfinite(v)) return;
        low = std::min(low, v);
        high = std::max(high, v);
    };
    for (const RunningValue& r : c.running) {
        extend(r.mean);
        if (r.hasinterval) {
            extend(r.low);
            extend(r.high);
        }
    }
    if (labels.hasmeasured) extend(labels.measured);
    if (!(high > low)) {
        const double half = low != 0 ? std::fabs(low) * 1e-9 : 1e-12;
        low -= half;
        high += half;
    }
    const double margin = (high - low) * 0.05;
    f.ylow = low - margin;
    f.yhigh = high + margin;
    return f;
}

void axes(Canvas& c, const Frame& f, const HistogramLabels& labels) {
    c.linewidth(1);
    const Ticks yt = ticks(f.ylow, f.yhigh, 6);
    for (const double y : yt.values) {
        c.colour(gridline);
        c.line(page.left, f.py(y), page.width - page.right, f.py(y));
        c.colour(ink);
        c.text(page.left - 6, f.py(y) + 4, ticklabel(y, yt.step), 11, Anchor::end);
    }
    for (double decade = std::ceil(f.logfrom - 1e-9); decade <= f.logto + 1e-9; ++decade) {
        const double n = std::pow(10.0, decade);
        c.colour(gridline);
        c.line(f.px(n), page.top, f.px(n), page.height - page.bottom);
        c.colour(ink);
        c.line(f.px(n), page.height - page.bottom, f.px(n), page.height - page.bottom + 5);
        c.text(f.px(n), page.height - page.bottom + 18, formatnumber(n, 6), 11, Anchor::middle);
    }
    c.colour(ink);
    c.line(page.left, page.height - page.bottom, page.width - page.right,
           page.height - page.bottom);
    c.line(page.left, page.top, page.left, page.height - page.bottom);
    c.text((page.left + page.width - page.right) / 2, page.height - 18, "repetitions (log scale)",
           13, Anchor::middle);
    const std::string axis = labels.quantity + " (" + labels.unit + ")";
    c.text(22, (page.top + page.height - page.bottom) / 2, axis,
           fitsize(axis, 13, page.height - page.top - page.bottom), Anchor::middle, false, 90);
}

// The final value, dashed, in a band of +-delta.
void final(Canvas& c, const Frame& f, double value, double tolerance) {
    c.colour(band, 0.15);
    const double y0 = f.py(value + tolerance);
    const double y1 = f.py(value - tolerance);
    c.rectangle(page.left, y0, page.width - page.right - page.left, std::max(y1 - y0, 0.5), true);
    c.colour(band);
    c.linewidth(1);
    c.dash(4, 3);
    c.line(page.left, f.py(value), page.width - page.right, f.py(value));
    c.dash();
}

void curves(Canvas& c, const Frame& f, const Convergence& cv) {
    Polyline mean, low, high;
    for (const RunningValue& r : cv.running) {
        const double x = f.px(static_cast<double>(r.n));
        mean.push_back({x, f.py(r.mean)});
        if (r.hasinterval) {
            low.push_back({x, f.py(r.low)});
            high.push_back({x, f.py(r.high)});
        }
    }
    c.colour(intervalcolour);
    c.linewidth(1.5);
    c.stroke(low, false);
    c.stroke(high, false);
    c.colour(meancolour);
    c.linewidth(2);
    c.stroke(mean, false);
}

void legend(Canvas& c, const HistogramLabels& labels) {
    double x = page.left;
    const double y = page.top - 14;
    const auto entry = [&](const Rgb& colour, double line, bool dashed, const std::string& text) {
        c.colour(colour);
        c.linewidth(line);
        if (dashed) c.dash(4, 3);
        c.line(x, y - 4, x + 22, y - 4);
        c.dash();
        c.colour(ink);
        c.text(x + 28, y, text, 11);
        x += 28 + textwidth(text, 11) + 18;
    };
    entry(meancolour, 2, false, "running mean");
    entry(intervalcolour, 1.5, false, coveragetext(labels.coverage) + " interval ends");
    entry(band, 1, true, "final values \u00b1 delta");
    if (labels.hasmeasured) entry(measuredcolour, 2, true, "measured");
}

} // namespace

Convergence Shown::operator()(const Convergence& c) const {
    Convergence out = c;
    out.tolerance = c.tolerance * factor;
    for (RunningValue& r : out.running) {
        r.mean = (*this)(r.mean);
        r.low = (*this)(r.low);
        r.high = (*this)(r.high);
    }
    return out;
}

void drawconvergence(const std::string& path, Format format, const Convergence& convergence,
                     const Statistics& statistics, const HistogramLabels& labels,
                     const std::string& verdict) {
    Canvas c(path, format, page.width, page.height);
    if (convergence.running.empty()) {
        c.finish();
        return;
    }
    const Frame f = frame(convergence, statistics, labels);
    axes(c, f, labels);
    final(c, f, statistics.mean, convergence.tolerance);
    if (statistics.hasinterval) {
        final(c, f, statistics.low, convergence.tolerance);
        final(c, f, statistics.high, convergence.tolerance);
    }
    if (labels.hasmeasured) {
        c.colour(measuredcolour);
        c.linewidth(2);
        c.dash(8, 3);
        c.line(page.left, f.py(labels.measured), page.width - page.right, f.py(labels.measured));
        c.dash();
    }
    curves(c, f, convergence);
    legend(c, labels);
    c.colour(ink);
    c.text(page.left, 26, labels.title,
           fitsize(labels.title, 15, page.width - page.left - 10, true), Anchor::start, true);
    const std::string what = labels.quantity + ": " + verdict;
    c.text(page.left, 46, what, fitsize(what, 12, page.width - page.left - 10));
    const std::string how = "Converged when twice the standard deviation of the batch averages of "
                            "the mean, the standard deviation and the interval ends is at most "
                            "delta (JCGM 101 7.9)";
    c.text(page.left, 62, how, fitsize(how, 10, page.width - page.left - 10));
    c.finish();
}

} // namespace formeval::report
