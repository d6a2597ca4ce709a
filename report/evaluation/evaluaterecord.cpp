// One record's evaluation for `formreport results`: formeval's references,
// each minimum-zone, peak and valley result beside its exact counterpart,
// the ISO parameters of every reference, and the flags a user must see: a
// result of formeval's that is not the exact optimum, and circumscribing or
// inscribing circles of points that do not go all round.
#include "report/evaluation/evaluation.h"

#include "driver/dispatch.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

std::optional<Shape> shapeofjob(int job) {
    const jobinfo* entry = findjob(job);
    if (entry == nullptr) return std::nullopt;
    switch (entry->shape) {
    case feature::line:
        return Shape::line;
    case feature::plane:
        return Shape::plane;
    case feature::circle:
        return entry->points == pointform::rtheta ? Shape::polarcircle : Shape::circle;
    case feature::sphere:
        return entry->points == pointform::rthetabeta ? Shape::polarsphere : Shape::sphere;
    default:
        return std::nullopt;
    }
}

namespace {

constexpr double fullturn = 360;

// Size of the numbers the deviations are formed from, for the rounding
// allowance of the comparisons: the observations of a linear model, every
// coordinate of a Cartesian feature.
double scaleof(const JobRecord& record, Shape shape) {
    std::vector<int> coordinates;
    switch (shape) {
    case Shape::line:
        coordinates = {1};
        break;
    case Shape::plane:
        coordinates = {2};
        break;
    case Shape::polarcircle:
    case Shape::polarsphere:
        coordinates = {0};
        break;
    case Shape::circle:
        coordinates = {0, 1};
        break;
    case Shape::sphere:
        coordinates = {0, 1, 2};
        break;
    }
    double scale = 0;
    for (const int k : coordinates)
        for (const double c : record.c[k]) scale = std::max(scale, std::fabs(c));
    return scale;
}

// Largest angular gap in degrees: about the exact minimum-zone centre (or
// formeval's least-squares centre) for Cartesian circles, about the polar
// origin for polar ones.
double gapof(const JobRecord& record, Shape shape, const std::vector<Measured>& program,
             const std::vector<Measured>& exact) {
    const double degree = std::atan(1.0) / 45.0;
    std::vector<Point> p;
    double cx = 0;
    double cy = 0;
    if (shape == Shape::polarcircle) {
        for (const double t : record.c[1])
            p.push_back({std::cos(t * degree), std::sin(t * degree), 0});
    } else if (shape == Shape::circle) {
        for (std::size_t i = 0; i < record.c[0].size(); ++i)
            p.push_back({record.c[0][i], record.c[1][i], 0});
        const Fit* centre = nullptr;
        for (const auto* fits : {&exact, &program})
            for (const Measured& m : *fits)
                if (!centre && (m.reference.method == Method::minimumzone ||
                                m.reference.method == Method::leastsquares))
                    centre = &m.reference;
        if (!centre) return notapplicable;
        cx = centre->x;
        cy = centre->y;
    } else {
        return notapplicable;
    }
    return pointset::largestgap(p, cx, cy) / degree;
}

const Measured* find(const std::vector<Measured>& fits, Method method) {
    for (const Measured& m : fits)
        if (m.reference.method == method) return &m;
    return nullptr;
}

} // namespace

// Whether formeval's result is not the optimum the exact reference reaches.
// Worse than a reference that is reached proves it; better than it proves it
// only when the reference is certified optimal. The criterion is the zone
// width, the radius of the enclosing circle (smaller is better) or of the
// inscribed circle (larger is better); the form errors must agree as well.
bool differs(const Fit& ours, const Fit& exact, double scale, double relative) {
    const double allowed =
        std::max(certifiedgap(exact.error, scale), relative * std::fabs(exact.error));
    const auto beyond = [&](double worse) {
        return worse > allowed || (worse < -allowed && exact.certificate.certified) ||
               std::isnan(worse);
    };
    switch (ours.method) {
    case Method::circumscribing:
        return beyond(ours.r - exact.r) || beyond(ours.error - exact.error);
    case Method::inscribing:
        return beyond(exact.r - ours.r) || beyond(ours.error - exact.error);
    default:
        return beyond(ours.error - exact.error);
    }
}

const Fit* Evaluated::find(Method method, Source source) const {
    for (const Fit& f : fits)
        if (f.method == method && f.source == source) return &f;
    return nullptr;
}

Evaluated evaluaterecord(const JobRecord& record) {
    Evaluated e;
    e.record = record;
    const std::optional<Shape> shape = shapeofjob(record.job);
    if (!shape) {
        e.failure = "formeval's job table gives this job no feature";
        return e;
    }
    e.shape = *shape;
    if (!record.refused.empty()) {
        e.failure = record.refused;
        return e;
    }
    FitSet program = programfits(record, e.shape);
    if (!program.failure.empty()) {
        e.failure = program.failure;
        return e;
    }
    std::vector<Method> computed;
    for (const Measured& m : program.fits) computed.push_back(m.reference.method);
    FitSet exact = exactfits(record, e.shape, computed);
    e.notes = program.notes;
    e.notes.insert(e.notes.end(), exact.notes.begin(), exact.notes.end());
    e.largestgap = gapof(record, e.shape, program.fits, exact.fits);
    const bool arc = e.largestgap >= fullturn / 2;
    const double scale = scaleof(record, e.shape);

    for (const Method method :
         {Method::leastsquares, Method::minimumzone, Method::circumscribing, Method::inscribing}) {
        const Measured* ours = find(program.fits, method);
        const Measured* best = find(exact.fits, method);
        const bool extreme = method == Method::circumscribing || method == Method::inscribing;
        if (ours) {
            Fit r = ours->reference;
            r.iso = isoparameters(ours->deviations);
            r.arc = extreme && arc;
            if (best) {
                r.exacterror = best->reference.error;
                r.inexact = differs(r, best->reference, scale, inexactrelative);
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

std::array<std::string, 4> isonames(Shape shape) {
    std::string stem;
    switch (shape) {
    case Shape::line:
        stem = "STR";
        break;
    case Shape::plane:
        stem = "FLT";
        break;
    case Shape::circle:
    case Shape::polarcircle:
        stem = "RON";
        break;
    case Shape::sphere:
    case Shape::polarsphere:
        stem = "SPH";
        break;
    }
    return {stem + "t", stem + "p", stem + "v", stem + "q"};
}

const char* shapename(Shape shape) {
    constexpr std::array<const char*, 6> names = {"line",         "plane",  "circle",
                                                  "polar circle", "sphere", "polar sphere"};
    return names[static_cast<std::size_t>(shape)];
}

const char* methodname(Method method) {
    constexpr std::array<const char*, nmethods> names = {
        "least squares", "minimum zone", "minimum circumscribing", "maximum inscribing"};
    return method >= 0 && method < nmethods ? names[method] : "";
}

} // namespace formeval::report
