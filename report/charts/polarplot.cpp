// The roundness chart of one circle record: the profile and the four
// reference circles as magnified radial deviations about the minimum-zone
// centre (see polargeometry.cpp), on evenly divided rings with their
// division and the magnification stated, and a legend in the deviations'
// sub-unit. An arc is drawn over its own angles only.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace formeval::report {

namespace {

constexpr double height = 720;
constexpr double centrex = 345;
constexpr double centrey = 385;
constexpr double legendx = 700;
constexpr double legendmargin = 20;
constexpr std::size_t mostdots = 60; // points beyond which the trace alone shows the profile

constexpr Rgb grid = {0.80, 0.80, 0.80};
constexpr Rgb basering = {0.55, 0.55, 0.55};
constexpr Rgb zonefill = {0.173, 0.627, 0.173};
constexpr Rgb unfilteredcolour = {0.62, 0.62, 0.62};

const double pi = std::acos(-1.0);

// Maps a deviation at an angle to the drawing.
struct Mapping {
    double base;  // drawn radius of deviation 0
    double scale; // drawing units per unit of deviation
    double radius(double deviation) const { return base + scale * deviation; }
    Vertex at(double angle, double deviation) const {
        return {centrex + radius(deviation) * std::cos(angle),
                centrey - radius(deviation) * std::sin(angle)};
    }
    Vertex at(const PolarPoint& p) const { return at(p.angle, p.deviation); }
};

Polyline polyline(const Mapping& m, const std::vector<PolarPoint>& points) {
    Polyline line;
    for (const PolarPoint& p : points) line.push_back(m.at(p));
    return line;
}

// Angles of the drawn part of the chart, about one degree apart.
std::vector<double> arcangles(const PolarData& d) {
    const int steps = std::max(2, static_cast<int>(std::ceil(d.span / (pi / 180))));
    std::vector<double> out;
    for (int k = 0; k <= steps; ++k) out.push_back(d.start + d.span * k / steps);
    return out;
}

std::string signedlabel(double value, double step) {
    if (value == 0) return "0";
    return (value > 0 ? "+" : "") + ticklabel(value, step);
}

void spokes(Canvas& c, const PolarLayout& layout) {
    const double inner = 0.05 * layout.plotradius;
    const double outer = layout.plotradius;
    c.linewidth(0.7);
    for (int degrees = 0; degrees < 360; degrees += 30) {
        const double a = degrees * pi / 180;
        c.colour(grid);
        c.line(centrex + inner * std::cos(a), centrey - inner * std::sin(a),
               centrex + outer * std::cos(a), centrey - outer * std::sin(a));
        c.colour(ink);
        c.text(centrex + (outer + 16) * std::cos(a), centrey - (outer + 16) * std::sin(a) + 4,
               std::to_string(degrees) + "\u00b0", 11, Anchor::middle);
    }
}

// Rings `division` apart in the sub-unit, deviation 0 among them, over the
// whole plot; returns their deviations (in coordinate units).
std::vector<double> rings(Canvas& c, const Mapping& m, double division, const Subunit& u,
                          const PolarLayout& layout) {
    const double inner = 0.05 * layout.plotradius;
    const double step = division / u.factor;
    std::vector<double> out;
    const long first = static_cast<long>(std::ceil((inner - m.base) / (m.scale * step) - 1e-9));
    const long last =
        static_cast<long>(std::floor((layout.plotradius - m.base) / (m.scale * step) + 1e-9));
    c.linewidth(0.7);
    for (long k = first; k <= last; ++k) {
        const double deviation = static_cast<double>(k) * step;
        c.colour(k == 0 ? basering : grid);
        c.circle(centrex, centrey, m.radius(deviation), false);
        out.push_back(deviation);
    }
    return out;
}

// Points along everything drawn over the rings, no more than 3 units apart.
std::vector<Vertex> drawnpoints(const Mapping& m, const PolarData& d) {
    std::vector<Vertex> out;
    const auto add = [&](const std::vector<PolarPoint>& line, bool closed) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (i + 1 == line.size() && !closed) {
                out.push_back(m.at(line[i]));
                break;
            }
            const Vertex a = m.at(line[i]);
            const Vertex b = m.at(line[(i + 1) % line.size()]);
            const int steps = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / 3));
            for (int k = 0; k < steps; ++k)
                out.push_back({a.x + (b.x - a.x) * k / steps, a.y + (b.y - a.y) * k / steps});
        }
    };
    add(d.profile, d.closed);
    for (const auto& curve : d.curves) add(curve, d.closed);
    for (const auto& curve : d.exactcurves) add(curve, d.closed);
    for (const double deviation : {d.zoneinner, d.zoneouter}) {
        std::vector<PolarPoint> ring;
        for (const double a : arcangles(d)) ring.push_back({a, deviation});
        add(ring, false);
    }
    return out;
}

struct RingLabel {
    Vertex at; // middle of the label's baseline
    std::string text;
};

// The ring labels along the direction where the most of them stand clear of
// the profile and the circles (ties: the upper left); a label that would
// cover a line is left out.
std::vector<RingLabel> ringlabels(const Mapping& m, const PolarData& d,
                                  const std::vector<double>& deviations, double division,
                                  const Subunit& u) {
    const std::vector<Vertex> drawn = drawnpoints(m, d);
    std::vector<RingLabel> best;
    double bestscore = -1;
    for (int degrees = 0; degrees < 360; degrees += 5) {
        const double a = degrees * pi / 180;
        std::vector<RingLabel> labels;
        for (const double deviation : deviations) {
            const long k = std::lround(deviation * u.factor / division);
            const std::string text = signedlabel(static_cast<double>(k) * division, division);
            const Vertex p = m.at(a, deviation);
            const double half = textwidth(text, 10) / 2 + 2;
            const bool clear = std::none_of(drawn.begin(), drawn.end(), [&](const Vertex& v) {
                return std::fabs(v.x - p.x) <= half && std::fabs(v.y - p.y) <= 7;
            });
            if (clear) labels.push_back({{p.x, p.y + 3.5}, text});
        }
        const double score = static_cast<double>(labels.size()) -
                             1e-3 * std::fabs(std::remainder(a - 0.6 * pi, 2 * pi));
        if (score > bestscore) {
            bestscore = score;
            best = std::move(labels);
        }
    }
    return best;
}

void zone(Canvas& c, const Mapping& m, const PolarData& d) {
    const Rgb colour = referencecolours[indexof(Criterion::minimumzone)];
    c.colour(zonefill, 0.12);
    if (d.closed) {
        c.annulus(centrex, centrey, m.radius(d.zoneinner), m.radius(d.zoneouter));
    } else {
        Polyline band;
        const std::vector<double> angles = arcangles(d);
        for (const double a : angles) band.push_back(m.at(a, d.zoneouter));
        for (auto a = angles.rbegin(); a != angles.rend(); ++a)
            band.push_back(m.at(*a, d.zoneinner));
        c.fill({band});
    }
    c.colour(colour);
    c.linewidth(1.4);
    for (const double deviation : {d.zoneouter, d.zoneinner}) {
        if (d.closed) {
            c.circle(centrex, centrey, m.radius(deviation), false);
            continue;
        }
        Polyline arc;
        for (const double a : arcangles(d)) arc.push_back(m.at(a, deviation));
        c.stroke(arc, false);
    }
}

// The reference circles, exact where formeval's is not the exact one
// (formeval's then thin and finely dashed beside it); the circumscribing and
// inscribing circles dashed, so that the zone's circles show through where
// they coincide with them.
void references(Canvas& c, const Mapping& m, const PolarData& d, const Evaluated& e) {
    for (const Criterion r :
         {Criterion::leastsquares, Criterion::circumscribed, Criterion::inscribed}) {
        const int k = indexof(r);
        const bool exact = !d.exactcurves[k].empty();
        const std::vector<PolarPoint>& headline = exact ? d.exactcurves[k] : d.curves[k];
        if (headline.empty()) continue;
        c.colour(referencecolours[k]);
        c.linewidth(1.4);
        if (r != Criterion::leastsquares) c.dash(7, 4);
        c.stroke(polyline(m, headline), d.closed);
        c.dash();
    }
    for (int k = 0; k < ncriteria; ++k) {
        const bool zone = Criterion(k) == Criterion::minimumzone;
        if (d.exactcurves[k].empty() && !(zone && e.fit(Criterion::minimumzone).inexact)) continue;
        if (d.curves[k].empty()) continue;
        c.colour(referencecolours[k]);
        c.linewidth(1);
        c.dash(2, 3);
        c.stroke(polyline(m, d.curves[k]), d.closed);
        c.dash();
    }
    // Centres, offset from the minimum-zone centre at the deviations' scale.
    for (int k = 0; k < ncriteria; ++k) {
        const double x = centrex + m.scale * (e.fit(Criterion(k)).x - d.centre.x);
        const double y = centrey - m.scale * (e.fit(Criterion(k)).y - d.centre.y);
        if (!std::isfinite(x) || !std::isfinite(y)) continue; // no centre to mark
        c.colour(referencecolours[k]);
        c.linewidth(1.2);
        c.line(x - 5, y, x + 5, y);
        c.line(x, y - 5, x, y + 5);
    }
}

void profile(Canvas& c, const Mapping& m, const PolarData& d, const PolarLabels& labels) {
    if (!labels.unfiltered.empty()) {
        c.colour(unfilteredcolour);
        c.linewidth(0.6);
        c.stroke(polyline(m, labels.unfiltered), d.closed);
    }
    c.colour(profilecolour);
    c.linewidth(1.1);
    c.stroke(polyline(m, d.profile), d.closed);
    if (d.profile.size() <= mostdots && labels.unfiltered.empty())
        for (const PolarPoint& p : d.profile) {
            const Vertex v = m.at(p);
            c.circle(v.x, v.y, 2, true);
        }
}

// The legend's lines, measured before the picture is made so that it is
// wide enough for them.
struct LegendLine {
    std::string text;
    double size;
    bool bold;
    double indent;
    double advance; // down to the next line
    int sample;     // -1 none; a reference; ncriteria: profile; +1: unfiltered; +2: zone;
                    // formevalsample + k: formeval's circle of reference k
};

constexpr int formevalsample = ncriteria + 3;

// The radius and centre in the coordinates' unit: to ten significant
// digits, or with `decimals` places in fixed notation (0 or more).
std::string centretext(const Fit& circle, const std::string& unit, int decimals) {
    const std::string u = unit == defaultunit ? "" : " " + unit;
    const auto number = [decimals](double v, int digits) {
        return decimals >= 0 ? formatfixed(v, decimals) : formatnumber(v, digits);
    };
    return "r " + number(circle.r, 9) + u + "  centre (" + number(circle.x, 10) + ", " +
           number(circle.y, 10) + ")" + u;
}

std::vector<LegendLine> legendlines(const PolarData& d, const Evaluated& e,
                                    const PolarLabels& labels, double division) {
    const Subunit& u = labels.deviations;
    std::vector<LegendLine> out;
    const int positions =
        labels.fixeddecimals < 0
            ? -1
            : labels.fixeddecimals +
                  std::max(0, static_cast<int>(std::lround(std::log10(u.factor))));
    out.push_back({"Roundness RONt (peak to valley)", 13, true, 0, 22, -1});
    // The reference shown for each criterion: the exact one where the points
    // hold it, else formeval's.
    const auto headlineof = [&](int k) -> const Fit* {
        const bool held = Criterion(k) == Criterion::leastsquares ||
                          Criterion(k) == Criterion::minimumzone || d.holdscircles();
        return held ? e.find(Criterion(k), Source::exact) : nullptr;
    };
    // The errors to the same decimals: four significant digits of the largest shown.
    double largest = 0;
    for (int k = 0; k < ncriteria; ++k) {
        largest = std::max(largest, e.fit(Criterion(k)).error * u.factor);
        if (const Fit* exact = headlineof(k)) largest = std::max(largest, exact->error * u.factor);
    }
    const int decimals =
        largest > 0 ? std::clamp(3 - static_cast<int>(std::floor(std::log10(largest))), 0, 12) : 3;
    // Errors equal but for rounding noise are printed alike: each snapped to
    // a billionth of the largest first.
    const auto shown = [&](double error) {
        const double snapped =
            std::strtod(formatlabel(error * u.factor, 15, largest * 1e-9).c_str(), nullptr);
        return formatfixed(snapped, decimals) + " " + u.name;
    };
    for (int k = 0; k < ncriteria; ++k) {
        // The exact reference headlines where there is one; formeval's beside it.
        const Fit& program = e.fit(Criterion(k));
        const bool held = Criterion(k) == Criterion::leastsquares ||
                          Criterion(k) == Criterion::minimumzone || d.holdscircles();
        const Fit* exact = headlineof(k);
        const Fit& headline = exact ? *exact : program;
        const bool bounded =
            Criterion(k) != Criterion::leastsquares && (exact || program.certificate.certified);
        out.push_back({legendname(Criterion(k)), 12, false, 30, 16, k});
        out.push_back(
            {shown(headline.error) + (!bounded                         ? ""
                                      : headline.certificate.certified ? "  certified"
                                                                       : "  not certified"),
             12, true, 30, 15, -1});
        out.push_back({centretext(headline, labels.unit, positions), 9, false, 30,
                       exact || !held ? 14.0 : 21.0, -1});
        if (!held)
            out.push_back(
                {"formeval's; an arc under 180\u00b0 holds no such circle", 10, false, 30, 20, -1});
        if (!exact) continue;
        if (!program.inexact) {
            out.push_back({"formeval: the same", 10, false, 30, 20, -1});
            continue;
        }
        // With enough digits to tell the two errors apart.
        const double gap = (program.error - exact->error) * u.factor;
        const int digits = std::clamp(6 + static_cast<int>(std::ceil(std::log10(
                                              std::fabs(exact->error * u.factor / gap) / 1e5))),
                                      6, 12);
        const std::string gaptext =
            labels.fixeddecimals < 0 ? formatnumber(gap, 2) : formatfixed(gap, digits);
        out.push_back(
            {"formeval: " +
                 (labels.fixeddecimals < 0 ? formatnumber(program.error * u.factor, digits)
                                           : formatfixed(program.error * u.factor, digits)) +
                 " " + u.name + "  (" + (gap > 0 ? "+" : "") + gaptext + " " + u.name + ")",
             10, false, 30, 13, formevalsample + k});
        out.push_back({centretext(program, labels.unit, positions), 9, false, 30, 21, -1});
    }
    const std::size_t points = labels.measured > 0 ? labels.measured : d.profile.size();
    out.push_back({"profile: " + std::to_string(points) + " points", 12, false, 30,
                   labels.unfiltered.empty() ? 18.0 : 16.0, ncriteria});
    if (!labels.unfiltered.empty())
        out.push_back({"before filtering", 12, false, 30, 18, ncriteria + 1});
    out.push_back({"minimum zone", 12, false, 30, 18, ncriteria + 2});
    out.push_back({"+ centres (offsets magnified)", 11, false, 30, 26, -1});
    out.push_back(
        {"Magnification \u00d7" + formatnumber(labels.magnification, 6), 13, true, 0, 18, -1});
    out.push_back(
        {"1 division = " + formatnumber(division, 6) + " " + u.name, 13, true, 0, 18, -1});
    return out;
}

double legendwidth(const std::vector<LegendLine>& lines) {
    double widest = 0;
    for (const LegendLine& l : lines)
        widest = std::max(widest, l.indent + textwidth(l.text, l.size, l.bold));
    return widest;
}

void legend(Canvas& c, const std::vector<LegendLine>& lines) {
    double y = 76;
    for (const LegendLine& l : lines) {
        if (l.sample >= 0 && l.sample < ncriteria) {
            c.colour(referencecolours[l.sample]);
            c.linewidth(3);
            if (l.sample == indexof(Criterion::circumscribed) ||
                l.sample == indexof(Criterion::inscribed))
                c.dash(7, 4);
            c.line(legendx, y - 4, legendx + 22, y - 4);
            c.dash();
        } else if (l.sample == ncriteria || l.sample == ncriteria + 1) {
            c.colour(l.sample == ncriteria ? profilecolour : unfilteredcolour);
            c.linewidth(l.sample == ncriteria ? 1.1 : 0.6);
            c.line(legendx, y - 4, legendx + 22, y - 4);
        } else if (l.sample >= formevalsample) {
            c.colour(referencecolours[l.sample - formevalsample]);
            c.linewidth(1);
            c.dash(2, 3);
            c.line(legendx, y - 4, legendx + 22, y - 4);
            c.dash();
        } else if (l.sample == ncriteria + 2) {
            c.colour(zonefill, 0.12);
            c.rectangle(legendx, y - 9, 22, 10, true);
            c.colour(referencecolours[indexof(Criterion::minimumzone)]);
            c.linewidth(1.2);
            c.line(legendx, y - 9, legendx + 22, y - 9);
            c.line(legendx, y + 1, legendx + 22, y + 1);
        }
        c.colour(ink);
        c.text(legendx + l.indent, y, l.text, l.size, Anchor::start, l.bold);
        y += l.advance;
    }
}

} // namespace

double ringdivision(double unitsize) {
    if (!(unitsize > 0) || !std::isfinite(unitsize)) return 1;
    const double target = 22 / unitsize; // rings at least 22 drawing units apart
    const double decade = std::pow(10.0, std::floor(std::log10(target)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * decade >= target * (1 - 1e-9)) return factor * decade;
    return 10 * decade;
}

void drawpolar(const std::string& path, Format format, const PolarData& data,
               const Evaluated& evaluation, const PolarLabels& labels, const PolarLayout& layout) {
    const double radius = data.centre.r;
    const Mapping m{layout.baseradius * layout.plotradius,
                    labels.magnification * layout.baseradius * layout.plotradius / radius};
    const Subunit& u = labels.deviations;
    const double division = ringdivision(m.scale / u.factor);
    const std::vector<LegendLine> lines = legendlines(data, evaluation, labels, division);
    const double width =
        std::max({legendx + legendwidth(lines) + legendmargin,
                  40 + textwidth(labels.title, 15, true), 40 + textwidth(labels.caption, 11)});
    Canvas c(path, format, width, height + (labels.caption.empty() ? 0 : captionheight));
    caption(c, height + 12, width, labels.caption);
    c.colour(ink);
    c.text(20, 28, labels.title, 15, Anchor::start, true);
    if (!labels.note.empty()) c.text(20, 48, labels.note, 12);
    spokes(c, layout);
    const std::vector<double> ringdeviations = rings(c, m, division, u, layout);
    zone(c, m, data);
    references(c, m, data, evaluation);
    profile(c, m, data, labels);
    c.colour(ink);
    for (const RingLabel& l : ringlabels(m, data, ringdeviations, division, u))
        c.text(l.at.x, l.at.y, l.text, 10, Anchor::middle, false, 0, true);
    legend(c, lines);
    c.finish();
}

} // namespace formeval::report
