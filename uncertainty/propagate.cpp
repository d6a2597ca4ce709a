// The entry: checks the options and the model, evaluates the points as
// given, runs the trials and the law of propagation.
#include "uncertainty/engine.h"

#include <cmath>

namespace formeval::uncertainty {

namespace {

// Why the options cannot be used, or "".
std::string refuseoptions(const Options& o) {
    if (o.coverage <= 0 || o.coverage >= 10000)
        return "the coverage probability must lie above 0 and below 100 %";
    if (o.digits < 0 || o.digits > 4)
        return "the adaptive procedure takes 1 to 4 significant digits, not " +
               std::to_string(o.digits);
    if (o.tolerancedigits < 1 || o.tolerancedigits > 4)
        return "the numerical tolerance takes 1 to 4 significant digits, not " +
               std::to_string(o.tolerancedigits);
    if (o.threads < 0) return "the number of threads cannot be negative";
    if (o.digits > 0) {
        if (2 * adaptivebatch(o.coverage) > o.maxtrials)
            return "the adaptive procedure needs at least two batches of " +
                   std::to_string(adaptivebatch(o.coverage)) + " trials, more than the " +
                   std::to_string(o.maxtrials) + " allowed";
        return "";
    }
    if (!statistics::coverageranks(o.trials, o.coverage).defined)
        return std::to_string(o.trials) + " trials are too few for a " +
               statistics::coveragetext(o.coverage) + " coverage interval";
    if (o.trials > o.maxtrials)
        return std::to_string(o.trials) + " trials are more than the " +
               std::to_string(o.maxtrials) + " allowed";
    return "";
}

} // namespace

Result propagate(const pointset::Points& points, Feature feature, Criterion criterion,
                 const std::vector<Contribution>& model, const Options& options) {
    Result r;
    r.failure = refuseoptions(options);
    if (!r.failure.empty()) return r;
    pointset::Options full;
    full.deviations = false;
    full.budget = options.budget;
    r.measured = pointset::evaluate(points, feature, criterion, full);
    if (!r.measured.found) {
        r.failure = r.measured.failure;
        return r;
    }
    r.failure = refusemodel(model, points.dimension);
    if (!r.failure.empty()) return r;

    Problem p;
    p.feature = feature;
    p.criterion = criterion;
    p.dimension = points.dimension;
    p.count = points.count;
    for (std::size_t i = 0; i < points.count; ++i)
        for (int k = 0; k < points.dimension; ++k)
            p.points.push_back(points.data[i * points.stride + k]);
    p.normals = normalsof(r.measured, p.points, p.dimension);
    p.model = model;
    p.evaluation = full;
    p.evaluation.certificate = options.certifytrials;
    // A cone's search takes tenths of a second where a cylinder's takes a
    // millisecond: its trials are left bracketed (counted uncertified) rather
    // than late.
    p.evaluation.budget = feature == Feature::cone ? 0 : options.trialbudget;
    p.orientation = r.measured.direction;
    for (double& d : p.orientation)
        if (!std::isfinite(d)) d = 0;
    startnear(p, r.measured);

    const std::vector<std::string> names = quantitynames(feature, criterion);
    const std::vector<Measure> measures = quantitymeasures(feature, criterion);
    const std::vector<double> measured = quantityvalues(r.measured);
    for (std::size_t q = 0; q < names.size(); ++q) {
        // A vertical line has no slope.
        if (!std::isfinite(measured[q])) continue;
        p.kept.push_back(q);
        Quantity y;
        y.name = names[q];
        y.length = measures[q] == Measure::length;
        y.angle = measures[q] == Measure::angle;
        y.measured = measured[q];
        r.quantities.push_back(y);
    }
    for (const Contribution& c : model)
        r.inputu.push_back(standarduncertainty(c.distribution, c.width));

    montecarlo(p, options, r);
    if (r.failed == r.trials) {
        r.failure = "no trial's points gave a " + std::string(pointset::featurename(feature));
        return r;
    }
    correctbias(p, options, r);
    if (options.gum) gum(p, options, r);
    r.ok = true;
    return r;
}

} // namespace formeval::uncertainty
