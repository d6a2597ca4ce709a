// The chart of a stack of sections: each section's roundness profile, its
// radial deviations from its least-squares circle magnified, drawn as an
// ellipse in an oblique view at its z, the lowest section in front; the
// sections' least-squares centres, their offsets magnified alike, joined by
// the axis through them.
#include "report/charts/canvas.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace formeval::report {

namespace {

constexpr double width = 760;
constexpr double height = 760;
constexpr double centrex = 330;
constexpr double top = 150;        // the highest section's centre
constexpr double bottom = 640;     // the lowest section's centre
constexpr double baseradius = 170; // drawn radius of deviation 0
constexpr double tilt = 0.3;       // the ellipses' height to width: the view from above
constexpr std::size_t drawn = 720; // profile points drawn a section, its extremes kept

constexpr Rgb axiscolour = {0.839, 0.153, 0.157};
constexpr Rgb sectioncolour = {0.122, 0.467, 0.706};

// Where a section's point lands: its centre's offset and its deviation at
// its angle magnified, its z up the page.
struct View {
    double magnification; // drawing units per unit of deviation
    double cx, cy;        // the centres' mean
    double zlow, zhigh;

    double level(double z) const {
        return zhigh > zlow ? bottom - (z - zlow) / (zhigh - zlow) * (bottom - top) : bottom;
    }
    Vertex centre(const StackSection& s) const {
        return {centrex + magnification * (s.x - cx),
                level(s.z) - tilt * magnification * (s.y - cy)};
    }
    Vertex at(const StackSection& s, const PolarPoint& p) const {
        const Vertex c = centre(s);
        const double r = baseradius + magnification * p.deviation;
        return {c.x + r * std::cos(p.angle), c.y - tilt * r * std::sin(p.angle)};
    }
};

std::array<double, 2> meancentre(const std::vector<StackSection>& sections) {
    double cx = 0, cy = 0;
    for (const StackSection& s : sections) {
        cx += s.x / static_cast<double>(sections.size());
        cy += s.y / static_cast<double>(sections.size());
    }
    return {cx, cy};
}

} // namespace

void drawstack(const std::string& path, Format format, const std::vector<StackSection>& sections,
               const StackLabels& labels) {
    const auto [cx, cy] = meancentre(sections);
    const View v{labels.magnification * baseradius / labels.radius, cx, cy, sections.front().z,
                 sections.back().z};
    const double page = std::max(width, 40 + textwidth(labels.caption, 11));
    Canvas c(path, format, page, height + (labels.caption.empty() ? 0 : captionheight));
    caption(c, height + 12, page, labels.caption);
    c.colour(ink);
    c.text(20, 28, labels.title, 15, Anchor::start, true);
    c.text(20, 48, labels.note, 12);
    // The sections from the back (the highest) to the front, each over the
    // ones behind it; every k-th labelled with its z, so that labels stay
    // 14 units apart.
    const double spacing = sections.size() > 1 ? (bottom - top) / (sections.size() - 1) : 0;
    const std::size_t every = spacing > 0 ? static_cast<std::size_t>(std::ceil(14 / spacing)) : 1;
    for (std::size_t k = sections.size(); k-- > 0;) {
        const StackSection& s = sections[k];
        Polyline ring;
        for (const PolarPoint& p : decimated(s.profile, drawn)) ring.push_back(v.at(s, p));
        c.colour(sectioncolour);
        c.linewidth(0.8);
        c.stroke(ring, true);
        if (k % every == 0 || k + 1 == sections.size()) {
            c.colour(ink);
            c.text(centrex + baseradius * 1.3 + 10, v.level(s.z) + 4,
                   labels.levelname + " " + labels.levels[k] + "   " + labels.errorname + " " +
                       labels.errors[k],
                   11);
        }
    }
    Polyline axis;
    for (const StackSection& s : sections) axis.push_back(v.centre(s));
    c.colour(axiscolour);
    c.linewidth(1.4);
    c.stroke(axis, false);
    for (const Vertex& p : axis) c.circle(p.x, p.y, 2.2, true);
    c.colour(ink);
    c.text(20, height - 40, labels.key, 11);
    c.text(20, height - 22, labels.measures, 11);
    c.finish();
}

double stackmagnification(const std::vector<StackSection>& sections, double radius) {
    const auto [cx, cy] = meancentre(sections);
    double deviation = 0, offset = 0;
    for (const StackSection& s : sections) {
        offset = std::max(offset, std::hypot(s.x - cx, s.y - cy));
        for (const PolarPoint& p : s.profile)
            deviation = std::max(deviation, std::fabs(p.deviation));
    }
    const double reach = deviation + offset;
    if (!(reach > 0) || !(radius > 0)) return 1;
    const double most = 0.25 * radius / reach;
    const double decade = std::pow(10.0, std::floor(std::log10(most)));
    for (const double step : {5.0, 2.0})
        if (step * decade <= most) return step * decade;
    return decade;
}

} // namespace formeval::report
