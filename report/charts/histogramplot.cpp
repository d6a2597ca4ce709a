// The histogram picture of one quantity of a study block: bars, the mean and
// the coverage interval marked, both axes labelled.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

constexpr Page page = {800, 520, 80, 30, 90, 70};
constexpr Rgb barline = {0.25, 0.45, 0.65};

// Positions across the plot are taken from half offsets to the histogram's
// low end, x / 2 - low / 2: where the doubles are coarse (values near 1e17),
// low + offset loses the offset, and the bars would shrink to nothing; and
// halves keep a span beyond the largest double finite.
struct Frame {
    double origin;   // the histogram's low end
    double from, to; // half offsets of the plot's left and right edges
    double ymax;     // count at the top of the plot
    double at(double halfoffset) const {
        return page.left +
               (halfoffset - from) / (to - from) * (page.width - page.left - page.right);
    }
    double px(double x) const { return at(x / 2 - origin / 2); }
    double py(double y) const {
        return page.height - page.bottom - y / ymax * (page.height - page.top - page.bottom);
    }
};

void axes(Canvas& c, const Frame& f, const HistogramLabels& labels) {
    c.linewidth(1);
    const Ticks yt = ticks(0, f.ymax, 5);
    for (const double y : yt.values) {
        if (y != std::floor(y)) continue;
        c.colour(gridline);
        c.line(page.left, f.py(y), page.width - page.right, f.py(y));
        c.colour(ink);
        c.text(page.left - 6, f.py(y) + 4, ticklabel(y, std::max(yt.step, 1.0)), 11, Anchor::end);
    }
    const Ticks xt = ticks(f.origin + 2 * f.from, f.origin + 2 * f.to, 6);
    c.colour(ink);
    for (const double x : xt.values) {
        c.line(f.px(x), page.height - page.bottom, f.px(x), page.height - page.bottom + 5);
        c.text(f.px(x), page.height - page.bottom + 18, ticklabel(x, xt.step), 11, Anchor::middle);
    }
    c.line(page.left, page.height - page.bottom, page.width - page.right,
           page.height - page.bottom);
    c.line(page.left, page.top - 10, page.left, page.height - page.bottom);
    c.text((page.left + page.width - page.right) / 2, page.height - 18,
           labels.quantity + " (" + labels.unit + ")", 13, Anchor::middle);
    c.text(22, (page.top + page.height - page.bottom) / 2, "repetitions per bin", 13,
           Anchor::middle, false, 90);
}

void bars(Canvas& c, const Frame& f, const Histogram& h) {
    c.linewidth(0.8);
    const double halfwidth = (h.high / 2 - h.low / 2) / static_cast<double>(h.counts.size());
    for (std::size_t k = 0; k < h.counts.size(); ++k) {
        if (h.counts[k] == 0) continue;
        const double x0 = f.at(static_cast<double>(k) * halfwidth);
        const double x1 = f.at(static_cast<double>(k + 1) * halfwidth);
        const double y = f.py(static_cast<double>(h.counts[k]));
        c.colour(barcolour);
        c.rectangle(x0, y, x1 - x0, page.height - page.bottom - y, true);
        c.colour(barline);
        c.rectangle(x0, y, x1 - x0, page.height - page.bottom - y, false);
    }
}

void marks(Canvas& c, const Frame& f, const Statistics& s, const HistogramLabels& labels) {
    const double base = page.height - page.bottom;
    const double bracket = page.top - 4;
    if (s.hasinterval) {
        c.colour(intervalcolour);
        c.linewidth(1.5);
        c.dash(6, 4);
        c.line(f.px(s.low), base, f.px(s.low), bracket);
        c.line(f.px(s.high), base, f.px(s.high), bracket);
        c.dash();
        c.line(f.px(s.low), bracket, f.px(s.high), bracket);
        c.text((f.px(s.low) + f.px(s.high)) / 2, bracket - 5,
               coveragetext(labels.coverage) + " interval", 11, Anchor::middle);
    }
    c.colour(meancolour);
    c.linewidth(2);
    c.line(f.px(s.mean), base, f.px(s.mean), bracket + 12);
    c.text(f.px(s.mean) + 4, bracket + 22, "mean", 11);
    if (labels.hasmeasured) {
        c.colour(measuredcolour);
        c.linewidth(2);
        c.dash(8, 3);
        c.line(f.px(labels.measured), base, f.px(labels.measured), bracket + 28);
        c.dash();
        c.text(f.px(labels.measured) - 4, bracket + 38, "measured", 11, Anchor::end);
    }
}

// The Gaussian over the bars is n bin widths times its density, so that it
// meets the bars where they follow it: its peak, 0 for none.
double gaussianpeak(const Histogram& h, const Statistics& s, const HistogramLabels& labels) {
    if (!labels.gaussian || !(labels.gaussiansd > 0) || h.counts.empty()) return 0;
    return static_cast<double>(s.count) * h.width() / labels.gaussiansd /
           std::sqrt(2 * std::acos(-1.0));
}

// The Gaussian, labelled at its peak.
void gaussian(Canvas& c, const Frame& f, const Histogram& h, const Statistics& s,
              const HistogramLabels& labels) {
    const double scale = gaussianpeak(h, s, labels);
    if (!(scale > 0)) return;
    Polyline curve;
    constexpr int samples = 240;
    for (int k = 0; k <= samples; ++k) {
        const double half = f.from + (f.to - f.from) * k / samples;
        const double x = f.origin + 2 * half;
        const double z = (x - labels.gaussianmean) / labels.gaussiansd;
        curve.push_back({f.at(half), f.py(scale * std::exp(-z * z / 2))});
    }
    c.colour(gaussiancolour);
    c.linewidth(2);
    c.stroke(curve, false);
    c.text(f.px(labels.gaussianmean) + 6, f.py(scale) - 6, "Gaussian (mean, u)", 11);
}

void headings(Canvas& c, const Statistics& s, const HistogramLabels& labels) {
    c.colour(ink);
    c.text(page.left, 26, labels.title,
           fitsize(labels.title, 15, page.width - page.left - 10, true), Anchor::start, true);
    std::string line = labels.quantity + ": " + std::to_string(s.count) + " values, mean " +
                       formatnumber(s.mean, 8);
    if (s.hassd) line += ", standard deviation " + formatnumber(s.sd, 4);
    c.text(page.left, 46, line, 12);
    line = s.hasinterval ? coveragetext(labels.coverage) + " interval [" + formatnumber(s.low, 8) +
                               ", " + formatnumber(s.high, 8) + "]"
                         : "too few values for a " + coveragetext(labels.coverage) + " interval";
    if (s.hasinterval)
        line += ", shortest [" + formatnumber(s.shortlow, 8) + ", " + formatnumber(s.shorthigh, 8) +
                "]";
    line += ", unit: " + labels.unit;
    c.text(page.left, 62, line, fitsize(line, 12, page.width - page.left - 10));
}

} // namespace

Statistics Shown::operator()(const Statistics& s) const {
    Statistics out = s;
    out.mean = (*this)(s.mean);
    out.sd = s.sd * factor;
    out.min = (*this)(s.min);
    out.max = (*this)(s.max);
    out.low = (*this)(s.low);
    out.high = (*this)(s.high);
    out.shortlow = (*this)(s.shortlow);
    out.shorthigh = (*this)(s.shorthigh);
    return out;
}

void drawhistogram(const std::string& path, Format format, const Histogram& histogram,
                   const Statistics& statistics, const HistogramLabels& labels) {
    Canvas c(path, format, page.width, page.height);
    Frame f;
    const double halfspan = histogram.high / 2 - histogram.low / 2;
    f.origin = histogram.low;
    f.from = -halfspan * 0.04;
    f.to = halfspan * 1.04;
    // A measured value outside the simulated range is shown too.
    if (labels.hasmeasured && std::isfinite(labels.measured)) {
        const double at = labels.measured / 2 - histogram.low / 2;
        f.from = std::min(f.from, at - halfspan * 0.04);
        f.to = std::max(f.to, at + halfspan * 0.04);
    }
    const long most = histogram.counts.empty()
                          ? 1
                          : *std::max_element(histogram.counts.begin(), histogram.counts.end());
    f.ymax = std::max(1.0, static_cast<double>(most) * 1.08);
    f.ymax = std::max(f.ymax, 1.08 * gaussianpeak(histogram, statistics, labels));
    axes(c, f, labels);
    bars(c, f, histogram);
    gaussian(c, f, histogram, statistics, labels);
    marks(c, f, statistics, labels);
    headings(c, statistics, labels);
    c.finish();
}

} // namespace formeval::report
