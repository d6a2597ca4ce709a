// The roundness plot of one circle record: the profile and the four
// reference circles as magnified radial deviations about the minimum-zone
// centre (see polargeometry.cpp), a polar grid and a legend.
#include "report/canvas.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

constexpr double width = 990;
constexpr double height = 690;
constexpr double centrex = 345;
constexpr double centrey = 365;
constexpr double legendx = 700;

constexpr Rgb ink = {0, 0, 0};
constexpr Rgb grid = {0.80, 0.80, 0.80};
constexpr Rgb zonefill = {0.173, 0.627, 0.173};

const double pi = std::acos(-1.0);

// Maps a deviation at an angle to the drawing.
struct Mapping {
    double base;  // drawn radius of deviation 0
    double scale; // drawing units per unit of deviation
    double radius(double deviation) const { return base + scale * deviation; }
    double x(double angle, double deviation) const {
        return centrex + radius(deviation) * std::cos(angle);
    }
    double y(double angle, double deviation) const {
        return centrey - radius(deviation) * std::sin(angle);
    }
};

void path(Canvas& c, const Mapping& m, const std::vector<PolarPoint>& points) {
    cairo_t* cr = c.context();
    cairo_new_path(cr);
    for (const PolarPoint& p : points)
        cairo_line_to(cr, m.x(p.angle, p.deviation), m.y(p.angle, p.deviation));
    cairo_close_path(cr);
}

void polargrid(Canvas& c, const Mapping& m, const PolarData& d, const PolarLayout& layout) {
    const double inner = 0.05 * layout.plotradius;
    const double outer = layout.plotradius;
    c.linewidth(0.7);
    c.colour(grid);
    for (int degrees = 0; degrees < 360; degrees += 30) {
        const double a = degrees * pi / 180;
        c.line(centrex + inner * std::cos(a), centrey - inner * std::sin(a),
               centrex + outer * std::cos(a), centrey - outer * std::sin(a));
        c.colour(ink);
        c.text(centrex + (outer + 16) * std::cos(a), centrey - (outer + 16) * std::sin(a) + 4,
               std::to_string(degrees) + "\u00b0", 11, Anchor::middle);
        c.colour(grid);
    }
    const Ticks rings = ticks(d.lowest, d.highest, 4);
    c.dash(2, 3);
    for (const double dev : rings.values) {
        const double r = m.radius(dev);
        if (r < inner || r > outer) continue;
        c.colour(dev == 0 ? Rgb{0.55, 0.55, 0.55} : grid);
        c.circle(centrex, centrey, r, false);
        c.colour(ink);
        const std::string label =
            dev > 0 ? "+" + ticklabel(dev, rings.step) : ticklabel(dev, rings.step);
        c.text(centrex + r * std::cos(1.75) + 3, centrey - r * std::sin(1.75) - 2, label, 10);
        c.colour(grid);
    }
    c.dash();
}

void zone(Canvas& c, const Mapping& m, const PolarData& d) {
    cairo_t* cr = c.context();
    const Rgb colour = referencecolours[minimumzone];
    cairo_new_path(cr);
    cairo_arc(cr, centrex, centrey, m.radius(d.zoneouter), 0, 2 * pi);
    cairo_new_sub_path(cr);
    cairo_arc(cr, centrex, centrey, m.radius(d.zoneinner), 0, 2 * pi);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    c.colour(zonefill, 0.10);
    cairo_fill(cr);
    c.colour(colour);
    c.linewidth(1.4);
    c.circle(centrex, centrey, m.radius(d.zoneouter), false);
    c.circle(centrex, centrey, m.radius(d.zoneinner), false);
}

void references(Canvas& c, const Mapping& m, const PolarData& d, const Evaluation& e) {
    c.linewidth(1.4);
    for (const int k : {leastsquares, circumscribing, inscribing}) {
        if (d.curves[k].empty()) continue;
        c.colour(referencecolours[k]);
        path(c, m, d.curves[k]);
        cairo_stroke(c.context());
    }
    // Centres, offset from the minimum-zone centre at the deviations' scale.
    for (int k = 0; k < nreferences; ++k) {
        const double x = centrex + m.scale * (e.circles[k].x - d.centre.x);
        const double y = centrey - m.scale * (e.circles[k].y - d.centre.y);
        c.colour(referencecolours[k]);
        c.linewidth(1.2);
        c.line(x - 5, y, x + 5, y);
        c.line(x, y - 5, x, y + 5);
    }
}

void profile(Canvas& c, const Mapping& m, const PolarData& d) {
    c.colour(profilecolour);
    c.linewidth(1.1);
    path(c, m, d.profile);
    cairo_stroke(c.context());
    const double dot = d.profile.size() <= 720 ? 2.0 : 0;
    if (dot > 0)
        for (const PolarPoint& p : d.profile)
            c.circle(m.x(p.angle, p.deviation), m.y(p.angle, p.deviation), dot, true);
}

// Beneath a circle that is not the exact optimum of its criterion: the exact
// one, marked by a dashed sample.
double exactentry(Canvas& c, const Evaluation& e, int k, double y) {
    const Circle& exact = e.exact[k];
    c.colour(referencecolours[k]);
    c.linewidth(1.5);
    c.dash(4, 3);
    c.line(legendx, y - 4, legendx + 22, y - 4);
    c.dash();
    c.colour(ink);
    // Enough digits to tell the two errors apart.
    const double gap = e.circles[k].error - exact.error;
    const int digits = std::clamp(
        6 + static_cast<int>(std::ceil(std::log10(std::fabs(exact.error / gap) / 1e5))), 6, 12);
    c.text(legendx + 30, y,
           std::string(e.certified[k] ? "exact: " : "exact (not certified): ") +
               formatnumber(exact.error, digits) + "  (formeval " + (gap > 0 ? "+" : "") +
               formatnumber(gap, 2) + ")",
           10, Anchor::start, true);
    c.text(legendx + 30, y + 13,
           "r " + formatnumber(exact.r, 9) + "  centre (" + formatnumber(exact.x, 9) + ", " +
               formatnumber(exact.y, 9) + ")",
           9);
    return y + 28;
}

void legend(Canvas& c, const PolarData& d, const Evaluation& e, const PolarLabels& labels) {
    double y = 70;
    c.colour(ink);
    c.text(legendx, y, "Circularity error", 13, Anchor::start, true);
    y += 22;
    for (int k = 0; k < nreferences; ++k) {
        const Circle& circle = e.circles[k];
        c.colour(referencecolours[k]);
        c.linewidth(3);
        c.line(legendx, y - 4, legendx + 22, y - 4);
        c.colour(ink);
        c.text(legendx + 30, y, referencenames[k], 12);
        c.text(legendx + 30, y + 16, formatnumber(circle.error, 6), 12, Anchor::start, true);
        c.text(legendx + 30, y + 31,
               "r " + formatnumber(circle.r, 9) + "  centre (" + formatnumber(circle.x, 9) + ", " +
                   formatnumber(circle.y, 9) + ")",
               9);
        y += 52;
        if (e.inexact[k]) y = exactentry(c, e, k, y);
    }
    c.colour(profilecolour);
    c.linewidth(1.1);
    c.line(legendx, y - 4, legendx + 22, y - 4);
    c.circle(legendx + 11, y - 4, 2, true);
    c.text(legendx + 30, y, "profile: " + std::to_string(d.profile.size()) + " points", 12);
    y += 30;

    const std::vector<std::string> notes = {
        "Magnification \u00d7" + formatnumber(labels.magnification, 6),
        "Lengths in " + labels.unit + ".",
        "Rings: deviation from the minimum-zone",
        "radius.",
        "",
        "Plotted: radial deviation from the",
        "minimum-zone circle, about its centre,",
        "magnified; deviation 0 is drawn at",
        "the minimum-zone radius. Each circle",
        "goes through the same mapping: its",
        "distance from the minimum-zone centre",
        "along each direction, less the",
        "minimum-zone radius, magnified. A circle",
        "about another centre so looks slightly",
        "egg-shaped; a point on a circle lies",
        "on its curve. Crosses: the centres,",
        "offsets magnified alike. Green band:",
        "the minimum zone.",
    };
    for (const std::string& note : notes) {
        c.text(legendx, y, note, 11);
        y += 15;
    }
}

} // namespace

void drawpolar(const std::string& path, Format format, const PolarData& data,
               const Evaluation& evaluation, const PolarLabels& labels, const PolarLayout& layout) {
    Canvas c(path, format, width, height);
    const double radius = data.centre.r;
    const Mapping m{layout.baseradius * layout.plotradius,
                    labels.magnification * layout.baseradius * layout.plotradius / radius};
    c.colour(ink);
    c.text(20, 28, labels.title, 15, Anchor::start, true);
    polargrid(c, m, data, layout);
    zone(c, m, data);
    references(c, m, data, evaluation);
    profile(c, m, data);
    legend(c, data, evaluation, labels);
    c.finish();
}

} // namespace formeval::report
