// The pointset library's orthogonal references of any point set: of a point
// file's feature, and beside formeval's own rows of a job record.
#include "report/evaluation/evaluation.h"
#include "report/pointfiles/pointfiles.h"

#include <cmath>

namespace formeval::report {

namespace {

using pointset::Criterion;
using pointset::Feature;

Fit fitof(const pointset::Reference& r) {
    Fit f;
    f.criterion = r.criterion;
    f.source = Source::pointset;
    f.point = r.point;
    f.direction = r.direction;
    f.r = r.radius;
    f.angle = r.angle;
    if (pointset::traits(r.feature).centre) {
        f.x = r.point[0];
        f.y = r.point[1];
        f.z = r.point[2];
    }
    f.error = r.t;
    f.iso = {r.t, r.p, r.v, r.q};
    f.certificate = r.certificate;
    return f;
}

// The circumscribed and inscribed circles of points that do not go all
// round: no circle is held by them there.
void markarcs(Evaluated& e) {
    for (Fit& f : e.fits)
        if (f.source == Source::pointset &&
            (f.criterion == Criterion::circumscribed || f.criterion == Criterion::inscribed))
            f.arc = e.largestgap >= 180;
}

// The circumscribed and inscribed spheres of points forming a cap, all on
// one side of a plane through the least-squares centre (the part's): no
// sphere of the part is held by them there. The spheres' own centres would
// not tell, a shallow cap's enclosing one lying within the cap's hull.
void markcaps(Evaluated& e, const pointset::Points& points) {
    const Fit* centre = e.find(Criterion::leastsquares, Source::pointset);
    if (e.feature != Feature::sphere || !centre) return;
    const bool cap = !pointset::surrounds(points, {centre->x, centre->y, centre->z});
    for (Fit& f : e.fits)
        if (f.source == Source::pointset &&
            (f.criterion == Criterion::circumscribed || f.criterion == Criterion::inscribed))
            f.cap = cap;
}

} // namespace

FitSet pointsetfits(const pointset::Points& points, Feature feature, bool deviations) {
    FitSet out;
    pointset::Options options;
    options.deviations = deviations;
    std::string first;
    for (const pointset::CriterionTraits& t : pointset::criteria) {
        const Criterion c = t.criterion;
        if (!pointset::applies(c, feature)) continue;
        pointset::Reference r = pointset::evaluate(points, feature, c, options);
        if (!r.found) {
            const std::string why = std::string("the orthogonal ") + pointset::criterionname(c) +
                                    " " + pointset::featurename(feature) +
                                    " is left out: " + r.failure;
            out.notes.push_back(why);
            if (first.empty()) first = r.failure;
            continue;
        }
        out.fits.push_back({fitof(r), std::move(r.deviations)});
    }
    if (out.fits.empty()) {
        out.failure = first;
        out.notes.clear();
    }
    return out;
}

std::vector<double> cartesian(const JobRecord& record) {
    const std::optional<methods::Holds> holds = methods::recordholds(record.job);
    if (!holds) return {};
    // An angle in degrees in radians, as the charts have always taken them.
    const auto radians = [](double degrees) { return degrees * std::acos(-1.0) / 180; };
    const std::size_t n = record.c[0].size();
    const int d = pointset::traits(holds->feature).dimension;
    std::vector<double> out;
    out.reserve(n * static_cast<std::size_t>(d));
    for (std::size_t i = 0; i < n; ++i) {
        if (holds->form == Form::polar && d == 2) {
            const double r = record.c[0][i], t = radians(record.c[1][i]);
            out.insert(out.end(), {r * std::cos(t), r * std::sin(t)});
        } else if (holds->form == Form::polar) {
            const double r = record.c[0][i], t = radians(record.c[1][i]);
            const double b = radians(record.c[2][i]);
            out.insert(out.end(), {r * std::cos(t) * std::cos(b), r * std::sin(t) * std::cos(b),
                                   r * std::sin(b)});
        } else {
            for (int k = 0; k < d; ++k) out.push_back(record.c[static_cast<std::size_t>(k)][i]);
        }
    }
    return out;
}

Evaluated evaluatepoints(const pointset::Points& points, Feature feature) {
    Evaluated e;
    e.feature = feature;
    e.pointfile = true;
    e.record.ordinal = 1;
    e.record.numpt = static_cast<long>(points.count);
    FitSet fits = pointsetfits(points, feature, false);
    e.failure = fits.failure;
    e.notes = std::move(fits.notes);
    for (Measured& m : fits.fits) e.fits.push_back(std::move(m.reference));
    if (feature == Feature::circle && e.ok()) {
        // About the minimum-zone centre, or the least-squares one without it.
        const Fit* centre = &e.fits.front();
        for (const Fit& f : e.fits)
            if (f.criterion == Criterion::minimumzone) centre = &f;
        std::vector<Point> p(points.count);
        for (std::size_t i = 0; i < points.count; ++i)
            p[i] = {points.data[i * points.stride], points.data[i * points.stride + 1], 0};
        const AngularExtent extent = angularextent(p, centre->x, centre->y);
        e.largestgap = extent.largestgap * 45 / std::atan(1.0);
        e.allround = extent.allround;
    }
    markarcs(e);
    markcaps(e, points);
    return e;
}

Evaluated pointsetreference(const pointset::Reference& r, std::size_t count, double largestgap) {
    Evaluated e;
    e.feature = r.feature;
    e.pointfile = true;
    e.record.ordinal = 1;
    e.record.numpt = static_cast<long>(count);
    e.largestgap = largestgap;
    e.fits.push_back(fitof(r));
    if (!std::isnan(largestgap)) markarcs(e);
    return e;
}

void addorthogonal(Evaluated& e, const ProfileFilter& filter, std::vector<double>* evaluated) {
    const Feature feature = e.feature;
    const int d = pointset::traits(feature).dimension;
    std::vector<double> c = cartesian(e.record);
    if (filter.any()) {
        const pointset::Points all{c.data(), c.size() / static_cast<std::size_t>(d), d,
                                   static_cast<std::size_t>(d)};
        FilteredPoints f = filterpoints(all, feature, filter);
        if (!f.failure.empty()) {
            e.notes.push_back("not filtered: " + f.failure);
            return;
        }
        if (!f.how.empty()) e.notes.push_back("filtered: " + f.how);
        if (!f.unresolved.empty()) e.notes.push_back(f.unresolved);
        c = std::move(f.coordinates);
        e.filter = "filtered";
    }
    const pointset::Points points{c.data(), c.size() / static_cast<std::size_t>(d), d,
                                  static_cast<std::size_t>(d)};
    FitSet fits = pointsetfits(points, feature, false);
    if (!fits.failure.empty())
        e.notes.push_back(std::string("no orthogonal ") + pointset::featurename(feature) + ": " +
                          fits.failure);
    e.notes.insert(e.notes.end(), fits.notes.begin(), fits.notes.end());
    for (Measured& m : fits.fits) e.fits.push_back(std::move(m.reference));
    markarcs(e);
    markcaps(e, points);
    if (evaluated) *evaluated = std::move(c);
}

} // namespace formeval::report
