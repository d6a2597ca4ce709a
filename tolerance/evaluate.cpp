// A part's tolerance frames: the toleranced feature and the datum system
// found, the characteristic evaluated, the value judged.
#include "tolerance/frames.h"
#include "tolerance/geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace formeval::tolerance {

std::optional<Characteristic> characteristicnamed(std::string_view name) {
    for (const CharacteristicTraits& c : characteristics)
        if (name == c.name) return c.characteristic;
    return std::nullopt;
}

const char* decisionrule() {
    return "simple acceptance (ISO 14253-1 with no uncertainty stated): within tolerance when "
           "the value's proven upper bound is at most the tolerance, beyond it when its lower "
           "bound exceeds it, otherwise undecided";
}

const char* verdictname(Verdict v) {
    switch (v) {
    case Verdict::within:
        return "within tolerance";
    case Verdict::beyond:
        return "beyond tolerance";
    default:
        return "undecided";
    }
}

namespace detail {

void exact(FrameValue& v, double value) {
    v.value = value;
    v.certificate = {true, value, value, ""};
    v.found = true;
}

void planeszone(FrameValue& v, const std::vector<Point>& p, const Vector& n, double floor) {
    Vector x, y;
    basis(n, x, y);
    v.shape = ZoneShape::planes;
    v.zonepoints.clear();
    for (const Point& q : p) v.zonepoints.push_back({dot(q, x), dot(q, y), dot(q, n) - floor});
}

void planeszone(FrameValue& v, const std::vector<Point>& p, const Vector& n) {
    double floor = std::numeric_limits<double>::infinity();
    for (const Point& q : p) floor = std::min(floor, dot(q, n));
    planeszone(v, p, n, floor);
}

void roundzone(FrameValue& v, const std::vector<Point>& p, const Point& o, const Vector& d) {
    Vector x, y;
    basis(d, x, y);
    v.shape = ZoneShape::round;
    v.zonepoints.clear();
    for (const Point& q : p) {
        const Vector r = minus(q, o);
        v.zonepoints.push_back({dot(r, x), dot(r, y), dot(r, d)});
    }
}

std::array<double, 2> enclosingdiameter(const std::vector<double>& xy, FrameValue& v) {
    const std::size_t n = xy.size() / 2;
    // Points on one line (an axis seen along itself is one, leaning a line)
    // determine no circle: the smallest holding them spans their extent.
    double extent = 0;
    std::size_t a = 0, b = 0;
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const double d = std::hypot(xy[2 * j] - xy[2 * i], xy[2 * j + 1] - xy[2 * i + 1]);
            if (d > extent) extent = d, a = i, b = j;
        }
    double off = 0; // largest distance from the line through the two furthest apart
    for (std::size_t i = 0; i < n && extent > 0; ++i)
        off = std::max(off, std::fabs((xy[2 * b] - xy[2 * a]) * (xy[2 * i + 1] - xy[2 * a + 1]) -
                                      (xy[2 * b + 1] - xy[2 * a + 1]) * (xy[2 * i] - xy[2 * a])) /
                                extent);
    const pointset::Reference r = n < 3 ? pointset::Reference{}
                                        : reference({xy.data(), n, 2, 2}, pointset::Feature::circle,
                                                    pointset::Criterion::circumscribed, true);
    if (!r.found && off <= 1e-7 * extent) {
        // Within a strip of width 2 off about the extent: a diameter between the two.
        exact(v, extent);
        const std::array<double, 2> middle = {(xy[2 * a] + xy[2 * b]) / 2,
                                              (xy[2 * a + 1] + xy[2 * b + 1]) / 2};
        v.certificate.upper = std::hypot(extent, 2 * off);
        double scale = 0;
        for (double c : xy) scale = std::max(scale, std::fabs(c));
        pointset::judge(v.certificate, extent, scale, "the axis lies nearly on one line");
        return middle;
    }
    if (!r.found) {
        v.failure = "the smallest circle holding the axis: " + r.failure;
        return {0, 0};
    }
    v.value = 2 * r.radius;
    v.certificate = r.certificate;
    v.certificate.lower *= 2;
    v.certificate.upper *= 2;
    v.found = true;
    return {r.point[0], r.point[1]};
}

} // namespace detail

namespace {

std::string datumcount(const CharacteristicTraits& t) {
    if (t.mostdatums == 0) return "no datum";
    if (t.fewestdatums == t.mostdatums) return std::to_string(t.fewestdatums) + " datum";
    return std::to_string(t.fewestdatums) + " to " + std::to_string(t.mostdatums) + " datums";
}

// A value on datums that are not certified is as uncertain as they are, and
// nothing bounds it: no verdict.
bool inherit(FrameValue& v) {
    for (const Datum& d : v.system.datums)
        if (!d.certificate.certified) {
            v.certificate.certified = false;
            v.certificate.why = "datum " + d.label + " is not certified: " + d.certificate.why;
            return false;
        }
    return true;
}

void judge(FrameValue& v, double tolerance) {
    const double upper =
        std::isfinite(v.certificate.upper) ? std::max(v.value, v.certificate.upper) : v.value;
    const double lower =
        std::isfinite(v.certificate.lower) ? std::min(v.value, v.certificate.lower) : v.value;
    if (!v.certificate.certified && !(lower < upper)) {
        v.verdict = Verdict::undecided;
        return;
    }
    v.verdict = upper <= tolerance  ? Verdict::within
                : lower > tolerance ? Verdict::beyond
                                    : Verdict::undecided;
}

} // namespace

namespace {

// The label of a datum made of the toleranced feature alone, "" where none
// is: it relates the feature to itself, whose orientation or place would
// come out nothing by construction (a run-out about its own axis still
// measures its form, and is left to be).
std::string owndatum(const Frame& f, const Part& part) {
    switch (f.characteristic) {
    case Characteristic::radialrunout:
    case Characteristic::axialrunout:
    case Characteristic::totalradialrunout:
    case Characteristic::totalaxialrunout:
        return "";
    default:
        break;
    }
    for (const std::string& label : f.datums)
        for (const DatumFeature& d : part.datums)
            if (d.label == label && d.features == std::vector<std::string>{f.feature}) return label;
    return "";
}

// The frame against the datum system of its datums, from `known` where an
// earlier frame of the part set it up.
FrameValue evaluate(const Frame& f, const Part& part, std::vector<DatumSystem>& known) {
    FrameValue v;
    const CharacteristicTraits& t = traits(f.characteristic);
    const Measured* m = detail::named(part.features, f.feature);
    const int n = static_cast<int>(f.datums.size());
    if (!m)
        v.failure = "the part has no feature " + f.feature;
    else if (n < t.fewestdatums || n > t.mostdatums)
        v.failure = std::string(t.name) + " takes " + datumcount(t) + ", not " + std::to_string(n);
    else if (m->type == pointset::Feature::cone && f.characteristic != Characteristic::conicity &&
             f.characteristic != Characteristic::radialrunout &&
             f.characteristic != Characteristic::totalradialrunout)
        v.failure = std::string(t.name) +
                    " is not evaluated of a cone here: only its conicity and radial run-out";
    else if (!(f.tolerance >= 0) || !std::isfinite(f.tolerance))
        v.failure = "the tolerance is not a length of 0 or more";
    if (!v.failure.empty()) return v;
    if (const std::string own = owndatum(f, part); !own.empty()) {
        v.failure = "datum " + own + " is " + f.feature +
                    " itself: a feature is not toleranced relative to itself";
        return v;
    }
    if (const std::string why = detail::unreadable(*m); !why.empty()) {
        v.failure = m->name + ": " + why;
        return v;
    }
    if (n > 0) {
        const DatumSystem* same = nullptr;
        for (const DatumSystem& s : known) {
            bool equal = s.datums.size() == f.datums.size();
            for (std::size_t k = 0; equal && k < f.datums.size(); ++k)
                equal = s.datums[k].label == f.datums[k];
            if (equal) same = &s;
        }
        v.system = same ? *same : datumsystem(f.datums, part.datums, part.features);
        if (!same) known.push_back(v.system);
        if (!v.system.found) {
            v.failure = v.system.failure;
            return v;
        }
    }
    switch (f.characteristic) {
    case Characteristic::straightness:
    case Characteristic::flatness:
    case Characteristic::roundness:
    case Characteristic::cylindricity:
    case Characteristic::sphericity:
    case Characteristic::conicity:
        detail::form(f, *m, v);
        break;
    case Characteristic::parallelism:
    case Characteristic::perpendicularity:
    case Characteristic::angularity:
        detail::orientation(f, *m, v);
        break;
    case Characteristic::position:
        detail::position(f, *m, v);
        break;
    case Characteristic::coaxiality:
    case Characteristic::concentricity:
        detail::coaxiality(f, *m, v);
        break;
    default:
        detail::runout(f, *m, v);
        break;
    }
    if (!v.found) return v;
    if (inherit(v))
        judge(v, f.tolerance);
    else
        v.verdict = Verdict::undecided;
    return v;
}

} // namespace

FrameValue evaluate(const Frame& frame, const Part& part) {
    std::vector<DatumSystem> known;
    return evaluate(frame, part, known);
}

std::vector<FrameValue> evaluate(const Part& part) {
    std::vector<DatumSystem> known;
    std::vector<FrameValue> out;
    for (const Frame& f : part.frames) out.push_back(evaluate(f, part, known));
    return out;
}

} // namespace formeval::tolerance
