// The exact references of a record, with the deviations of its points
// measured as formeval measures them for the same feature: the minimum zone
// of formeval's linear model, or the pointset library's minimum-zone,
// circumscribed and inscribed circle or sphere of the Cartesian points.
#include "methods/methods.h"
#include "report/evaluation/evaluation.h"

#include <algorithm>

namespace formeval::report {

namespace {

// An exact reference of `criterion` with its certificate, its parameters to
// set.
Measured exact(Criterion criterion, const Certificate& certificate) {
    Measured m;
    m.reference.criterion = criterion;
    m.reference.source = Source::exact;
    m.reference.certificate = certificate;
    return m;
}

// The minimum zone of the linear model formeval's job fits.
void linear(const JobRecord& record, Feature feature, FitSet& out) {
    const int dimension = pointset::traits(feature).dimension;
    const std::vector<double> c = interleaved(record, dimension);
    const pointset::Points points{c.data(), record.c[0].size(), dimension,
                                  static_cast<std::size_t>(dimension)};
    std::vector<ModelRow> a;
    std::vector<double> f;
    const int n = methods::linearmodel(record.job, points, a, f);
    const LinearZone z = pointset::chebyshevzone(a, f, n);
    if (!z.found) {
        out.notes.push_back("no exact minimum zone: the points do not determine the model");
        return;
    }
    methods::Result r;
    methods::linearparameters(record.job, z.p.data(), r);
    Measured m = measured(std::move(r));
    m.reference.criterion = Criterion::minimumzone;
    m.reference.source = Source::exact;
    m.reference.certificate = z.certificate;
    m.reference.error = z.zone;
    for (std::size_t i = 0; i < f.size(); ++i) {
        double d = f[i];
        for (int j = 0; j < n; ++j) d -= a[i][j] * z.p[j];
        m.deviations.push_back(d);
    }
    out.fits.push_back(std::move(m));
}

} // namespace

std::optional<Measured> exactradial(const pointset::Points& points, Criterion criterion) {
    const Feature feature = points.dimension == 3 ? Feature::sphere : Feature::circle;
    pointset::Reference r = pointset::evaluate(points, feature, criterion);
    if (!r.found) return std::nullopt;
    Measured m = exact(criterion, r.certificate);
    m.reference.x = r.point[0];
    m.reference.y = r.point[1];
    if (feature == Feature::sphere) m.reference.z = r.point[2];
    m.reference.r = r.radius;
    m.reference.onhull = r.onhull;
    m.reference.error = r.t;
    m.reference.iso = {r.t, r.p, r.v, r.q};
    m.deviations = std::move(r.deviations);
    return m;
}

FitSet exactfits(const JobRecord& record, Feature feature, Form form,
                 const std::vector<Criterion>& criteria) {
    FitSet out;
    const auto wanted = [&](Criterion c) {
        return std::find(criteria.begin(), criteria.end(), c) != criteria.end();
    };
    if (form == Form::polar || !pointset::traits(feature).centre) {
        if (wanted(Criterion::minimumzone)) linear(record, feature, out);
        return out;
    }
    const int dimension = pointset::traits(feature).dimension;
    const std::vector<double> c = cartesian(record);
    const pointset::Points points{c.data(), c.size() / dimension, dimension,
                                  static_cast<std::size_t>(dimension)};
    for (const Criterion criterion :
         {Criterion::minimumzone, Criterion::circumscribed, Criterion::inscribed}) {
        if (!wanted(criterion) || (dimension == 3 && criterion != Criterion::minimumzone)) continue;
        if (std::optional<Measured> m = exactradial(points, criterion))
            out.fits.push_back(std::move(*m));
        else if (criterion == Criterion::minimumzone)
            out.notes.push_back("no exact minimum zone: the points determine no centre");
        else
            out.notes.push_back(std::string("no exact ") + referencename(criterion) + " circle");
    }
    return out;
}

} // namespace formeval::report
