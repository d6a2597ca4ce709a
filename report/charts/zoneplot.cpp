// The picture of a tolerance frame's zone and the toleranced feature in it:
// two parallel planes seen edge on (each point's height above the lower
// plane along the planes), a round zone seen along its axis (each point's
// offset from the axis, joined along it), or run-out as a stack of sections
// about the datum axis.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

constexpr Rgb zonecolour = {0.173, 0.627, 0.173};
constexpr Rgb pointcolour = {0.122, 0.467, 0.706};

void heading(Canvas& c, double width, double height, const ZoneLabels& l) {
    caption(c, height + 12, width, l.caption);
    c.colour(ink);
    c.text(20, 28, l.title, fitsize(l.title, 15, width - 40, true), Anchor::start, true);
    c.text(20, 50, l.note, fitsize(l.note, 12, width - 40));
}

// Two parallel planes edge on: position along them across, height up.
void planes(const std::string& path, Format format, const tolerance::FrameValue& v,
            const ZoneLabels& l) {
    constexpr double width = 900, height = 540, left = 90, right = 30, top = 90, bottom = 80;
    Canvas c(path, format, width, height + (l.caption.empty() ? 0 : captionheight));
    std::vector<double> a, b, h;
    for (const tolerance::Point& q : v.zonepoints) {
        a.push_back(q[0]);
        b.push_back(q[1]);
        h.push_back(q[2] * l.deviations.factor);
    }
    // Along the planes the way the points spread most.
    const Range sa = rangeof(a), sb = rangeof(b);
    const std::vector<double>& x = sa.high - sa.low >= sb.high - sb.low ? a : b;
    const Range xr = rangeof(x);
    const double zone = v.value * l.deviations.factor;
    Range yr = rangeof(h);
    yr.low = std::min(yr.low, 0.0);
    yr.high = std::max(yr.high, zone);
    const double ypad = (yr.high - yr.low) * 0.12, xpad = (xr.high - xr.low) * 0.03;
    const PlotArea area{left,    width - right, top,    height - bottom, xr.low,
                        xr.high, xpad,          yr.low, yr.high,         ypad};
    const auto px = [&](double u) { return area.x(u); };
    const auto py = [&](double u) { return area.y(u); };
    drawaxes(c, area);
    c.text((left + width - right) / 2, height - bottom + 44,
           withunit("position along the zone", l.deviations.coordinates), 12, Anchor::middle);
    c.text(20, top - 12, "height above the zone's lower plane (" + l.deviations.name + ")", 12);
    c.colour(zonecolour);
    c.linewidth(1.4);
    for (const double y : {0.0, zone}) c.line(left, py(y), width - right, py(y));
    c.colour(pointcolour);
    for (const std::size_t i : traced(x, h, l.drawnpoints)) c.circle(px(x[i]), py(h[i]), 1.6, true);
    heading(c, width, height, l);
    c.finish();
}

// A round zone along its axis: each point's offset from the axis, the points
// joined in their order along it, the zone's circle.
void round(const std::string& path, Format format, const tolerance::FrameValue& v,
           const ZoneLabels& l) {
    constexpr double width = 640, height = 700, middlex = 320, middley = 380, reach = 240;
    Canvas c(path, format, width, height + (l.caption.empty() ? 0 : captionheight));
    const double f = l.deviations.factor;
    double most = v.value * f / 2;
    for (const tolerance::Point& q : v.zonepoints)
        most = std::max(most, std::hypot(q[0], q[1]) * f);
    if (!(most > 0)) most = 1;
    // The frame reaches a tenth beyond the zone or the farthest point.
    const Ticks t = ticks(-most * 1.1, most * 1.1, 6);
    const double scale = reach / (most * 1.1);
    c.linewidth(1);
    for (const double u : t.values) {
        c.colour(gridline);
        c.line(middlex + u * scale, middley - reach, middlex + u * scale, middley + reach);
        c.line(middlex - reach, middley - u * scale, middlex + reach, middley - u * scale);
        c.colour(ink);
        c.text(middlex + u * scale, middley + reach + 16, ticklabel(u, t.step), 11, Anchor::middle);
        c.text(middlex - reach - 6, middley - u * scale + 4, ticklabel(u, t.step), 11, Anchor::end);
    }
    c.text(middlex, middley + reach + 40,
           "offset across the zone's axis (" + l.deviations.name + ")", 12, Anchor::middle);
    c.colour(zonecolour);
    c.linewidth(1.4);
    c.circle(middlex, middley, v.value * f / 2 * scale, false);
    c.line(middlex - 6, middley, middlex + 6, middley);
    c.line(middlex, middley - 6, middlex, middley + 6);
    std::vector<std::size_t> order(v.zonepoints.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
        return v.zonepoints[i][2] < v.zonepoints[j][2];
    });
    Polyline path2d;
    for (const std::size_t i : order)
        path2d.push_back(
            {middlex + v.zonepoints[i][0] * f * scale, middley - v.zonepoints[i][1] * f * scale});
    c.colour(pointcolour);
    c.linewidth(1);
    if (path2d.size() > 1) c.stroke(path2d, false);
    for (const Vertex& p : path2d) c.circle(p.x, p.y, 2.4, true);
    heading(c, width, height, l);
    c.finish();
}

// Run-out: each section (circle) about the datum axis as a ring of the
// stack, its deviations from its mean radius (height), the axis straight.
void runout(const std::string& path, Format format, const tolerance::FrameValue& v,
            const ZoneLabels& l, bool radial) {
    // Each section with its level and run-out as printed, lowest first.
    struct Row {
        StackSection section;
        std::string level, error;
    };
    std::vector<Row> rows;
    double radius = 0, extent = 0;
    for (const tolerance::Point& q : v.zonepoints)
        extent = std::max({extent, std::fabs(q[1]), std::fabs(q[2])});
    // Rounding noise of coordinates this large prints as nothing.
    const double noise = 1e-9 * extent;
    for (const auto& g : v.groups) {
        Row row;
        double mean = 0, level = 0, low = 1e300, high = -1e300;
        for (const std::size_t i : g) {
            const tolerance::Point& q = v.zonepoints[i];
            const double measured = radial ? q[1] : q[2];
            mean += measured / static_cast<double>(g.size());
            level += (radial ? q[2] : q[1]) / static_cast<double>(g.size());
            low = std::min(low, measured);
            high = std::max(high, measured);
        }
        for (const std::size_t i : g)
            row.section.profile.push_back(
                {v.zonepoints[i][0], (radial ? v.zonepoints[i][1] : v.zonepoints[i][2]) - mean});
        std::sort(row.section.profile.begin(), row.section.profile.end(),
                  [](const PolarPoint& a, const PolarPoint& b) { return a.angle < b.angle; });
        row.section.z = level;
        row.level = formatlabel(level, 6, noise);
        row.error =
            formatlabel((high - low) * l.deviations.factor, 4, noise * l.deviations.factor) + " " +
            l.deviations.name;
        radius += (radial ? mean : level) / static_cast<double>(v.groups.size());
        rows.push_back(std::move(row));
    }
    std::sort(rows.begin(), rows.end(),
              [](const Row& a, const Row& b) { return a.section.z < b.section.z; });
    std::vector<StackSection> sections;
    StackLabels s;
    for (const Row& r : rows) {
        sections.push_back(r.section);
        s.levels.push_back(r.level);
        s.errors.push_back(r.error);
    }
    s.radius = radius > 0 ? radius : 1;
    s.magnification = stackmagnification(sections, s.radius);
    s.title = l.title;
    s.note = l.note + "; deviations magnified " + formatnumber(s.magnification, 6) + " times";
    s.key = radial ? "each section's distances from the datum axis, less their mean, by angle"
                   : "each circle's heights along the datum axis, less their mean, by angle "
                     "(circles by radius, up the page)";
    s.measures = "run-out per " + std::string(radial ? "section" : "circle") + " on the right (" +
                 l.deviations.name + ")";
    s.caption = l.caption;
    s.levelname = radial ? "at" : "radius";
    s.errorname = "run-out";
    drawstack(path, format, sections, s);
}

} // namespace

void drawzone(const std::string& path, Format format, const tolerance::FrameValue& v,
              const ZoneLabels& labels, bool radial) {
    switch (v.shape) {
    case tolerance::ZoneShape::planes:
        planes(path, format, v, labels);
        break;
    case tolerance::ZoneShape::round:
        round(path, format, v, labels);
        break;
    case tolerance::ZoneShape::runout:
        runout(path, format, v, labels, radial);
        break;
    case tolerance::ZoneShape::none:
        break;
    }
}

} // namespace formeval::report
