// One record's evaluation for `formreport results`: formeval's references,
// each minimum-zone, peak and valley result beside its exact counterpart,
// the ISO parameters of every reference, and the flags a user must see: a
// result of formeval's that is not the exact optimum, and circumscribing or
// inscribing circles of points that do not go all round.
#include "profile/profile.h"
#include "report/evaluation/evaluation.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

constexpr double fullturn = 360;

// Size of the numbers the deviations are formed from, for the rounding
// allowance of the comparisons: the observations of a linear model (a line's
// y, a plane's z, a polar record's radius), every coordinate of a Cartesian
// circle or sphere.
double scaleof(const JobRecord& record, Feature feature, Form form) {
    std::vector<std::size_t> coordinates;
    if (form == Form::polar)
        coordinates = {0};
    else if (!pointset::traits(feature).centre)
        coordinates = {feature == Feature::line ? 1u : 2u};
    else
        for (int k = 0; k < pointset::traits(feature).dimension; ++k)
            coordinates.push_back(static_cast<std::size_t>(k));
    double scale = 0;
    for (const std::size_t k : coordinates)
        for (const double c : record.c[k]) scale = std::max(scale, std::fabs(c));
    return scale;
}

// Largest angular gap in degrees: about the exact minimum-zone centre (or
// formeval's least-squares centre) for Cartesian circles, about the polar
// origin for polar ones.
AngularExtent gapof(const JobRecord& record, Feature feature, Form form,
                    const std::vector<Measured>& program, const std::vector<Measured>& exact) {
    if (feature != Feature::circle) return {notapplicable, true};
    const double degree = std::atan(1.0) / 45.0;
    std::vector<Point> p;
    double cx = 0;
    double cy = 0;
    if (form == Form::polar) {
        for (const double t : record.c[1])
            p.push_back({std::cos(t * degree), std::sin(t * degree), 0});
    } else {
        for (std::size_t i = 0; i < record.c[0].size(); ++i)
            p.push_back({record.c[0][i], record.c[1][i], 0});
        const Fit* centre = nullptr;
        for (const auto* fits : {&exact, &program})
            for (const Measured& m : *fits)
                if (!centre && (m.reference.criterion == Criterion::minimumzone ||
                                m.reference.criterion == Criterion::leastsquares))
                    centre = &m.reference;
        if (!centre) return {notapplicable, true};
        cx = centre->x;
        cy = centre->y;
    }
    AngularExtent e = angularextent(p, cx, cy);
    e.largestgap /= degree;
    return e;
}

const Measured* find(const std::vector<Measured>& fits, Criterion criterion) {
    for (const Measured& m : fits)
        if (m.reference.criterion == criterion) return &m;
    return nullptr;
}

} // namespace

double ownallowance(Criterion criterion, double exact, double cri) {
    switch (criterion) {
    case Criterion::minimumzone:
        return (std::sqrt(1.01) - 1) * std::fabs(exact);
    case Criterion::circumscribed:
    case Criterion::inscribed:
        return 2 * std::fabs(cri);
    default:
        return 0;
    }
}

// The criterion is the zone width, the radius of the enclosing circle
// (smaller is better) or of the inscribed circle (larger is better); the form
// errors must agree as well.
bool differs(const Fit& ours, const Fit& exact, double scale, double cri) {
    const double allowed =
        std::max(certifiedgap(exact.error, scale), ownallowance(ours.criterion, exact.error, cri));
    const auto beyond = [&](double worse) {
        return worse > allowed || (worse < -allowed && exact.certificate.certified) ||
               std::isnan(worse);
    };
    switch (ours.criterion) {
    case Criterion::circumscribed:
        return beyond(ours.r - exact.r) || beyond(ours.error - exact.error);
    case Criterion::inscribed:
        return beyond(exact.r - ours.r) || beyond(ours.error - exact.error);
    default:
        return beyond(ours.error - exact.error);
    }
}

const Fit* Evaluated::find(Criterion criterion, Source source) const {
    for (const Fit& f : fits)
        if (f.criterion == criterion && f.source == source) return &f;
    return nullptr;
}

Evaluated evaluaterecord(const JobRecord& record) {
    Evaluated e;
    e.record = record;
    const std::optional<methods::Holds> holds = methods::recordholds(record.job);
    if (!holds) {
        e.failure = "formeval's job table gives this job no feature";
        return e;
    }
    e.feature = holds->feature;
    e.form = holds->form;
    if (!record.refused.empty()) {
        e.failure = record.refused;
        return e;
    }
    FitSet program = programfits(record, e.feature, e.form);
    if (!program.failure.empty()) {
        e.failure = program.failure;
        return e;
    }
    std::vector<Criterion> computed;
    for (const Measured& m : program.fits) computed.push_back(m.reference.criterion);
    FitSet exact = exactfits(record, e.feature, e.form, computed);
    e.notes = program.notes;
    e.notes.insert(e.notes.end(), exact.notes.begin(), exact.notes.end());
    const AngularExtent extent = gapof(record, e.feature, e.form, program.fits, exact.fits);
    e.largestgap = extent.largestgap;
    e.allround = extent.allround;
    const bool arc = e.largestgap >= fullturn / 2;
    const double scale = scaleof(record, e.feature, e.form);

    for (const pointset::CriterionTraits& c : pointset::criteria) {
        const Measured* ours = find(program.fits, c.criterion);
        const Measured* best = find(exact.fits, c.criterion);
        const bool extreme =
            c.criterion == Criterion::circumscribed || c.criterion == Criterion::inscribed;
        if (ours) {
            Fit r = ours->reference;
            r.iso = isoparameters(ours->deviations);
            r.arc = extreme && arc;
            if (best) {
                r.exacterror = best->reference.error;
                r.inexact = differs(r, best->reference, scale, record.cri);
            }
            // A result formeval itself says is not the optimum is flagged
            // whatever the exact search found.
            r.inexact = r.inexact || r.notoptimal;
            e.fits.push_back(r);
        }
        if (best) {
            Fit r = best->reference;
            r.iso = isoparameters(best->deviations);
            r.arc = extreme && arc;
            e.fits.push_back(r);
        }
    }
    return e;
}

AngularExtent angularextent(const std::vector<pointset::Point>& points, double cx, double cy) {
    AngularExtent e;
    e.largestgap = pointset::largestgap(points, cx, cy);
    std::vector<double> x, y;
    for (const pointset::Point& q : points) {
        x.push_back(q[0]);
        y.push_back(q[1]);
    }
    e.allround = e.largestgap < std::acos(-1.0) &&
                 profile::profileextent(profile::profileabout(x, y, {cx, cy, 1})).closed;
    return e;
}

std::array<std::string, 4> isonames(Feature feature) {
    const std::string stem = pointset::isostem(feature);
    return {stem + "t", stem + "p", stem + "v", stem + "q"};
}

std::string shapename(const Evaluated& e) {
    return std::string(e.form == Form::polar ? "polar " : "") + pointset::featurename(e.feature);
}

std::string legendname(Criterion c) {
    return std::string(referencename(c)) + " (" + pointset::traits(c).circle + ")";
}

} // namespace formeval::report
