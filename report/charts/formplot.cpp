// Pictures of straightness and flatness records: the profile along the line
// and the map of deviations over the plane, both from the minimum-zone
// reference, in the deviations' sub-unit.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace formeval::report {

namespace {

constexpr Rgb zonefill = {0.173, 0.627, 0.173};
constexpr std::size_t mostdots = 60;
constexpr std::size_t mostprofile = 7200;

// Deviation of each point from a fit's line or plane, along y or z.
std::vector<double> deviations(const JobRecord& r, const Fit& fit, bool plane) {
    const std::vector<double>& f = r.c[plane ? 2 : 1];
    std::vector<double> out;
    for (std::size_t i = 0; i < f.size(); ++i)
        out.push_back(f[i] - fit.intercept - fit.slopex * r.c[0][i] -
                      (plane ? fit.slopey * r.c[1][i] : 0.0));
    return out;
}

// Size of the numbers a record's deviations are formed from: its
// coordinates and the reference's intercept.
double magnitude(const JobRecord& r, const Fit& fit) {
    double size = std::isfinite(fit.intercept) ? std::fabs(fit.intercept) : 0;
    for (const std::vector<double>& c : r.c)
        for (const double v : c) size = std::max(size, std::fabs(v));
    return size;
}

// Each point's deviation from the minimum zone in the sub-unit, and the
// points on the zone's bounds.
struct Zone {
    std::vector<double> d;
    ZoneContacts contacts;
};
Zone zoneof(const JobRecord& record, const Evaluated& e, const Subunit& u, bool plane) {
    const Fit& mz = e.fit(Criterion::minimumzone);
    Zone z{deviations(record, mz, plane), {}};
    for (double& v : z.d) v *= u.factor;
    z.contacts = zonecontacts(z.d, magnitude(record, mz) * u.factor);
    return z;
}

// The form errors, each printed one way (see formatlabel).
std::string errors(const Evaluated& e, const Subunit& u, double resolution) {
    return "minimum zone " +
           formatlabel(e.fit(Criterion::minimumzone).error * u.factor, 4, resolution) + " " +
           u.name + ", least squares " +
           formatlabel(e.fit(Criterion::leastsquares).error * u.factor, 4, resolution) + " " +
           u.name;
}

// The title, the form errors and the key over the picture, the key of the
// rings under it; then writes it.
void finish(Canvas& c, double width, double height, const std::string& title,
            const std::string& what, const std::string& key, const std::string& rings,
            const std::string& captiontext) {
    caption(c, height + 12, width, captiontext);
    c.colour(ink);
    c.text(20, 28, title, fitsize(title, 15, width - 40, true), Anchor::start, true);
    c.text(20, 50, what, fitsize(what, 12, width - 40));
    c.text(20, 70, key, fitsize(key, 11, width - 40));
    if (!rings.empty()) c.text(20, height - 12, rings, fitsize(rings, 11, width - 40));
    c.finish();
}

} // namespace

void drawstraightness(const std::string& path, Format format, const JobRecord& record,
                      const Evaluated& e, const Subunit& u, const std::string& title,
                      const std::string& captiontext, bool orthogonal) {
    constexpr double width = 900, height = 564, left = 90, right = 30, top = 110, bottom = 94;
    Canvas c(path, format, width, height + (captiontext.empty() ? 0 : captionheight));
    const std::vector<double>& x = record.c[0];
    const auto [d, contacts] = zoneof(record, e, u, false);
    const Range xr = rangeof(x);
    const Range zone = rangeof(d);
    // The least-squares line relative to the minimum-zone line, at the ends.
    const auto lsline = [&](double at) {
        return ((e.fit(Criterion::leastsquares).intercept -
                 e.fit(Criterion::minimumzone).intercept) +
                (e.fit(Criterion::leastsquares).slopex - e.fit(Criterion::minimumzone).slopex) *
                    at) *
               u.factor;
    };
    const Range yr = rangeof({zone.low, zone.high, lsline(xr.low), lsline(xr.high)});
    const double xpad = (xr.high - xr.low) * 0.03;
    const double ypad = (yr.high - yr.low) * 0.12;
    const PlotArea area{left,    width - right, top,    height - bottom, xr.low,
                        xr.high, xpad,          yr.low, yr.high,         ypad};
    const auto px = [&](double v) { return area.x(v); };
    const auto py = [&](double v) { return area.y(v); };
    drawaxes(c, area);
    c.text((left + width - right) / 2, height - bottom + 52,
           withunit(orthogonal ? "position along the line" : "x, along the line", u.coordinates),
           13, Anchor::middle);
    c.text(22, (top + height - bottom) / 2,
           (orthogonal ? "deviation normal to the line (" : "deviation along y (") + u.name + ")",
           13, Anchor::middle, false, 90);

    c.colour(zonefill, 0.12);
    c.rectangle(px(xr.low), py(zone.high), px(xr.high) - px(xr.low), py(zone.low) - py(zone.high),
                true);
    c.colour(referencecolours[indexof(Criterion::minimumzone)]);
    c.linewidth(1.4);
    c.line(px(xr.low), py(zone.high), px(xr.high), py(zone.high));
    c.line(px(xr.low), py(zone.low), px(xr.high), py(zone.low));
    c.colour(referencecolours[indexof(Criterion::leastsquares)]);
    c.line(px(xr.low), py(lsline(xr.low)), px(xr.high), py(lsline(xr.high)));

    Polyline trace;
    for (const std::size_t i : traced(x, d, mostprofile)) trace.push_back({px(x[i]), py(d[i])});
    c.colour(profilecolour);
    c.linewidth(1.1);
    c.stroke(trace, false);
    if (trace.size() <= mostdots)
        for (const Vertex& v : trace) c.circle(v.x, v.y, 2.5, true);
    Polyline touching;
    for (const std::size_t i : ringed(contacts)) touching.push_back({px(x[i]), py(d[i])});
    rings(c, touching, 6);

    finish(c, width, height, title, "Straightness: " + errors(e, u, contacts.tolerance),
           std::string(orthogonal ? "Deviations normal to" : "Deviations along y from") +
               " the minimum-zone line (green: the zone); blue: the least-squares line",
           ringkey(contacts, linebounds), captiontext);
}

void drawflatness(const std::string& path, Format format, const JobRecord& record,
                  const Evaluated& e, const Subunit& u, const std::string& title,
                  const std::string& captiontext) {
    constexpr double width = 900, height = 684, left = 80, top = 100, side = 500;
    Canvas c(path, format, width, height + (captiontext.empty() ? 0 : captionheight));
    const std::vector<double>& x = record.c[0];
    const std::vector<double>& y = record.c[1];
    const auto [d, contacts] = zoneof(record, e, u, true);
    const Range xr = rangeof(x);
    const Range yr = rangeof(y);
    const Range zone = rangeof(d);
    // One scale on both axes, so that the map keeps the plane's shape.
    const double span = std::max(xr.high - xr.low, yr.high - yr.low) * 1.3;
    const double xmid = (xr.low + xr.high) / 2;
    const double ymid = (yr.low + yr.high) / 2;
    const auto px = [&](double v) { return left + side / 2 + (v - xmid) / span * side; };
    const auto py = [&](double v) { return top + side / 2 - (v - ymid) / span * side; };

    c.colour(ink);
    c.linewidth(1);
    c.rectangle(left, top, side, side, false);
    mapaxes(c, {left, top, side, side}, ticks(xmid - span / 2, xmid + span / 2, 6),
            ticks(ymid - span / 2, ymid + span / 2, 6), px, py, withunit("x", u.coordinates),
            withunit("y", u.coordinates));

    const double dot = std::clamp(side / 2.5 / std::sqrt(static_cast<double>(d.size())), 3.0, 16.0);
    const bool labelled = d.size() <= 30;
    for (std::size_t i = 0; i < d.size(); ++i) {
        c.colour(heat((d[i] - zone.low) / (zone.high - zone.low)));
        c.circle(px(x[i]), py(y[i]), dot, true);
        c.colour(ink, 0.6);
        c.linewidth(0.6);
        c.circle(px(x[i]), py(y[i]), dot, false);
        if (labelled) {
            c.colour(ink);
            c.text(px(x[i]), py(y[i]) + dot + 13, formatlabel(d[i], 3, contacts.tolerance), 10,
                   Anchor::middle, false, 0, true);
        }
    }
    Polyline touching;
    for (const std::size_t i : ringed(contacts)) touching.push_back({px(x[i]), py(y[i])});
    rings(c, touching, dot + 3);

    colourscale(c, left + side + 60, top, side, zone.low, zone.high, u.name);

    finish(c, width, height, title, "Flatness: " + errors(e, u, contacts.tolerance),
           "Each point at its place, coloured by its deviation along z from the minimum-zone "
           "plane",
           ringkey(contacts, planebounds), captiontext);
}

} // namespace formeval::report
