// The pointset library's orthogonal references of any point set: of a point
// file's feature, and beside formeval's own rows of a job record.
#include "report/evaluation/evaluation.h"
#include "report/pointfiles/pointfiles.h"

#include <cmath>

namespace formeval::report {

namespace {

using pointset::Criterion;
using pointset::Feature;

bool radial(Feature f) {
    return f == Feature::circle || f == Feature::sphere || f == Feature::cylinder;
}

Fit fitof(const pointset::Reference& r) {
    Fit f;
    f.method = static_cast<Method>(r.criterion); // the same order
    f.source = Source::pointset;
    f.point = r.point;
    f.direction = r.direction;
    f.r = r.radius;
    if (r.feature == Feature::circle || r.feature == Feature::sphere) {
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
            (f.method == Method::circumscribing || f.method == Method::inscribing))
            f.arc = e.largestgap >= 180;
}

} // namespace

FitSet pointsetfits(const pointset::Points& points, Feature feature, bool deviations) {
    static_assert(static_cast<int>(Criterion::leastsquares) == leastsquares &&
                  static_cast<int>(Criterion::minimumzone) == minimumzone &&
                  static_cast<int>(Criterion::circumscribed) == circumscribing &&
                  static_cast<int>(Criterion::inscribed) == inscribing);
    FitSet out;
    std::vector<Criterion> criteria = {Criterion::leastsquares, Criterion::minimumzone};
    if (radial(feature))
        criteria.insert(criteria.end(), {Criterion::circumscribed, Criterion::inscribed});
    pointset::Options options;
    options.deviations = deviations;
    std::string first;
    for (const Criterion c : criteria) {
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

Feature featureofshape(Shape shape) {
    switch (shape) {
    case Shape::line:
        return Feature::line;
    case Shape::plane:
        return Feature::plane;
    case Shape::circle:
    case Shape::polarcircle:
        return Feature::circle;
    case Shape::sphere:
    case Shape::polarsphere:
        break;
    }
    return Feature::sphere;
}

std::vector<double> cartesian(const JobRecord& record, Shape shape) {
    const double degree = std::atan(1.0) / 45.0;
    const std::size_t n = record.c[0].size();
    const int d = dimensionof(featureofshape(shape));
    std::vector<double> out;
    out.reserve(n * static_cast<std::size_t>(d));
    for (std::size_t i = 0; i < n; ++i) {
        if (shape == Shape::polarcircle) {
            const double r = record.c[0][i], t = record.c[1][i] * degree;
            out.insert(out.end(), {r * std::cos(t), r * std::sin(t)});
        } else if (shape == Shape::polarsphere) {
            const double r = record.c[0][i], t = record.c[1][i] * degree;
            const double b = record.c[2][i] * degree;
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
            if (f.method == minimumzone) centre = &f;
        std::vector<Point> p(points.count);
        for (std::size_t i = 0; i < points.count; ++i)
            p[i] = {points.data[i * points.stride], points.data[i * points.stride + 1], 0};
        e.largestgap = pointset::largestgap(p, centre->x, centre->y) * 45 / std::atan(1.0);
    }
    markarcs(e);
    return e;
}

void addorthogonal(Evaluated& e) {
    const Feature feature = featureofshape(e.shape);
    const int d = dimensionof(feature);
    const std::vector<double> c = cartesian(e.record, e.shape);
    const pointset::Points points{c.data(), c.size() / static_cast<std::size_t>(d), d,
                                  static_cast<std::size_t>(d)};
    FitSet fits = pointsetfits(points, feature, false);
    if (!fits.failure.empty())
        e.notes.push_back(std::string("no orthogonal ") + pointset::featurename(feature) + ": " +
                          fits.failure);
    e.notes.insert(e.notes.end(), fits.notes.begin(), fits.notes.end());
    for (Measured& m : fits.fits) e.fits.push_back(std::move(m.reference));
    markarcs(e);
}

} // namespace formeval::report
