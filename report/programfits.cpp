// formeval's own results for a record, from its own routines called as its
// jobs call them: the same rows, the same start values, the same order of
// least-squares and minimum-zone fit, and the same refusal of points that
// leave the model undetermined. Everything they print goes to a silent
// console; what they said comes back with each reference.
#include "report/results.h"

#include "circles/circles.h"
#include "driver/driver.h"
#include "form/form.h"

#include <array>
#include <cmath>

namespace formeval::report {

namespace {

// The reasons formeval's jobs give for points that determine no feature.
const char* undetermined(Shape shape) {
    switch (shape) {
    case Shape::line:
        return "all points have the same x; they determine no line";
    case Shape::plane:
        return "the points lie on one line in the x-y plane; they determine no plane";
    case Shape::polarcircle:
        return "the points lie in fewer than three directions from the origin; they determine "
               "no circle";
    case Shape::polarsphere:
        return "the directions of the points lie on one circle of the unit sphere; they "
               "determine no sphere";
    case Shape::sphere:
        return "the points lie in one plane; they determine no sphere";
    default:
        return "the points lie on one line; they determine no circle";
    }
}

// A computation starts as a job of its own would: the record's tolerance,
// no stopped exchange pending, nothing traced.
void startjob(const JobRecord& record) {
    oqt = 0;
    cri = record.cri;
    problem = false;
}

// Whether the points determine the linear model, judged as each job judges
// it: the spread in x of a line's points, the spread of a plane's points in
// the x-y plane, the spread of the polar points' directions.
bool lineardetermined(const JobRecord& record, Shape shape, const std::vector<ModelRow>& a) {
    const int numpt = static_cast<int>(a.size());
    if (shape == Shape::line)
        return linedetermined(record.job, record.c[0].data(), record.c[1].data(), numpt);
    if (shape == Shape::plane) {
        const double* const plan[2] = {record.c[0].data(), record.c[1].data()};
        return determined(record.job, plan, 2, numpt, undetermined(shape));
    }
    // The unit directions of the polar points, the model's columns 1 on.
    const int dim = shape == Shape::polarsphere ? 3 : 2;
    std::array<std::vector<double>, 3> directions;
    for (int k = 0; k < dim; ++k)
        for (const ModelRow& row : a) directions[k].push_back(row[k + 1]);
    const double* const c[3] = {directions[0].data(), directions[1].data(), directions[2].data()};
    return determined(record.job, c, dim, numpt, undetermined(shape));
}

// Least squares then minimum zone of a linear model (jobs 1000, 2000, 3000,
// 4000), the minimum zone starting from the least-squares parameters and
// deviations as the jobs start it, its width the one the jobs report.
void linearfits(const JobRecord& record, Shape shape, SilentConsole& silent, FitSet& out) {
    std::vector<ModelRow> a;
    std::vector<double> f;
    const int n = linearmodel(record, shape, a, f);
    const int numpt = static_cast<int>(f.size());
    if (!lineardetermined(record, shape, a)) {
        silent.said();
        out.failure = undetermined(shape);
        return;
    }
    double gs[5] = {};
    std::vector<double> err(numpt);
    for (const Method method : {Method::leastsquares, Method::minimumzone}) {
        Measured m;
        m.reference.method = method;
        if (method == Method::leastsquares) {
            m.reference.error = lsfit(a.data(), f.data(), gs, err.data(), n, numpt);
            lsnote();
        } else {
            const double emz = mzfit(a.data(), f.data(), gs, err.data(), n, numpt);
            mznote(emz);
            m.reference.error = fullzone(emz, a.data(), f.data(), gs, err.data(), n, numpt);
        }
        linearparameters(shape, gs, m.reference);
        m.reference.said = silent.said();
        m.deviations = err;
        out.fits.push_back(std::move(m));
    }
}

using Computation = void (*)(const double* u, const double* v, int numpt, double* ans);

// The four circle computations of the Cartesian circle jobs and studies.
void circlefits(const JobRecord& record, SilentConsole& silent, FitSet& out) {
    const double* u = record.c[0].data();
    const double* v = record.c[1].data();
    const int numpt = static_cast<int>(record.c[0].size());
    if (!circledetermined(record.job, u, v, numpt)) {
        silent.said();
        out.failure = undetermined(Shape::circle);
        return;
    }
    struct Kind {
        Method method;
        Computation computation;
        int minpt;
    };
    constexpr std::array<Kind, 4> kinds = {Kind{Method::leastsquares, lscircocal, minlscircle},
                                           Kind{Method::minimumzone, mzcircocal, mincircle},
                                           Kind{Method::circumscribing, pkcircocal, mincircle},
                                           Kind{Method::inscribing, vacircocal, mincircle}};
    for (const Kind& k : kinds) {
        if (numpt < k.minpt) {
            out.notes.push_back(std::string("no ") + methodname(k.method) +
                                " circle: " + std::to_string(numpt) +
                                " points are too few; it needs " + std::to_string(k.minpt));
            continue;
        }
        startjob(record);
        double ans[4];
        k.computation(u, v, numpt, ans);
        Measured m;
        m.reference.method = k.method;
        m.reference.said = silent.said();
        if (!circlefound(ans)) {
            out.notes.push_back(std::string("no ") + methodname(k.method) +
                                " circle fits these points");
            continue;
        }
        m.reference.x = ans[0];
        m.reference.y = ans[1];
        m.reference.r = ans[2];
        m.reference.error = ans[3];
        for (int i = 0; i < numpt; ++i)
            m.deviations.push_back(
                std::sqrt((u[i] - ans[0]) * (u[i] - ans[0]) + (v[i] - ans[1]) * (v[i] - ans[1])) -
                ans[2]);
        out.fits.push_back(std::move(m));
    }
}

// Job 4500: the staged minimum-zone sphere, then the exact radial deviations.
void spherefit(const JobRecord& record, SilentConsole& silent, FitSet& out) {
    const double* u = record.c[0].data();
    const double* v = record.c[1].data();
    const double* w = record.c[2].data();
    const int numpt = static_cast<int>(record.c[0].size());
    const double* const points[3] = {u, v, w};
    if (!determined(record.job, points, 3, numpt, undetermined(Shape::sphere))) {
        silent.said();
        out.failure = undetermined(Shape::sphere);
        return;
    }
    double x0 = 0, y0 = 0, z0 = 0, r0 = 0;
    sphstages(u, v, w, numpt, x0, y0, z0, r0);
    Measured m;
    m.reference.method = Method::minimumzone;
    double p = 0;
    double q = 0;
    for (int i = 0; i < numpt; ++i) {
        const double err = std::sqrt((u[i] - x0) * (u[i] - x0) + (v[i] - y0) * (v[i] - y0) +
                                     (w[i] - z0) * (w[i] - z0)) -
                           r0;
        m.deviations.push_back(err);
        if (err > p) p = err;
        if (err < q) q = err;
    }
    m.reference.x = x0;
    m.reference.y = y0;
    m.reference.z = z0;
    m.reference.r = r0;
    m.reference.error = p - q;
    m.reference.said = silent.said();
    out.fits.push_back(std::move(m));
}

} // namespace

FitSet programfits(const JobRecord& record, Shape shape) {
    FitSet out;
    SilentConsole silent;
    startjob(record);
    switch (shape) {
    case Shape::circle:
        circlefits(record, silent, out);
        break;
    case Shape::sphere:
        spherefit(record, silent, out);
        break;
    default:
        linearfits(record, shape, silent, out);
    }
    problem = false;
    return out;
}

} // namespace formeval::report
