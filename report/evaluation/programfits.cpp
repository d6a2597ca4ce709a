// formeval's own results for a record: the determinacy test of its job, then
// the computations formeval's jobs run (the fits of the jobs that fit once,
// the staged sphere, the four circle computations), silently. What they said
// comes back with each reference.
#include "report/evaluation/evaluation.h"

#include "base/base.h"
#include "circles/circles.h"
#include "form/form.h"
#include "random/random.h"

#include <array>
#include <cmath>
#include <string>

namespace formeval::report {

namespace {

// The reasons formeval's jobs give for points that determine no feature.
const char* undetermined(Shape shape) {
    switch (shape) {
    case Shape::line:
        return whyundetermined(feature::line, pointform::xy);
    case Shape::plane:
        return whyundetermined(feature::plane, pointform::xyz);
    case Shape::polarcircle:
        return whyundetermined(feature::circle, pointform::rtheta);
    case Shape::polarsphere:
        return whyundetermined(feature::sphere, pointform::rthetabeta);
    case Shape::sphere:
        return whyundetermined(feature::sphere, pointform::xyz);
    default:
        return whyundetermined(feature::circle, pointform::xy);
    }
}

// Why formeval's job refuses the points, as its determinacy test said it
// (the points determine no feature, or spread over too little).
std::string refusal(const std::string& said, Shape shape) {
    const std::string mark = " not evaluated: ";
    const std::size_t at = said.find(mark);
    return at == std::string::npos ? undetermined(shape) : said.substr(at + mark.size());
}

// A computation starts as a job of its own would: the record's tolerance,
// no stopped exchange pending, nothing traced, the random state every job
// starts from.
void startjob(const JobRecord& record) {
    restartrandom();
    oqt = 0;
    cri = record.cri;
    problem = false;
}

// Whether the points determine the linear model, judged as each job judges
// it: a line's spread in x, a plane's spread in the x-y plane, the spread of
// the polar points' directions (the model's columns after the first).
bool lineardetermined(const JobRecord& record, Shape shape, const std::vector<ModelRow>& a) {
    const int numpt = static_cast<int>(a.size());
    if (shape == Shape::line)
        return linedetermined(record.job, record.c[0].data(), record.c[1].data(), numpt);
    if (shape == Shape::plane) {
        const double* const plan[2] = {record.c[0].data(), record.c[1].data()};
        return determined(record.job, plan, 2, numpt, undetermined(shape), minplanespread);
    }
    const int dim = shape == Shape::polarsphere ? 3 : 2;
    std::array<std::vector<double>, 3> directions;
    for (int k = 0; k < dim; ++k)
        for (const ModelRow& row : a) directions[k].push_back(row[k + 1]);
    const double* const c[3] = {directions[0].data(), directions[1].data(), directions[2].data()};
    return determined(record.job, c, dim, numpt, undetermined(shape));
}

// Jobs 1000, 2000, 3000 and 4000: both fits of the model, with the
// deviations from each fit's parameters.
void linearfits(const JobRecord& record, Shape shape, SilentConsole& silent, FitSet& out) {
    std::vector<ModelRow> a;
    std::vector<double> f;
    const int n = linearmodel(record, shape, a, f);
    const int numpt = static_cast<int>(f.size());
    if (!lineardetermined(record, shape, a)) {
        out.failure = refusal(silent.said(), shape);
        return;
    }
    const std::vector<double>& c0 = record.c[0];
    const std::vector<double>& c1 = record.c[1];
    const std::vector<double>& c2 = record.c[2];
    fitpair fits;
    switch (shape) {
    case Shape::line:
        stcal(c0.data(), c1.data(), numpt, fits);
        break;
    case Shape::plane:
        fltcal(c0.data(), c1.data(), c2.data(), numpt, fits);
        break;
    case Shape::polarcircle:
        polarcirclefits(c0.data(), c1.data(), numpt, fits);
        break;
    default:
        polarspherefits(c0.data(), c1.data(), c2.data(), numpt, fits);
    }
    for (const Method method : {Method::leastsquares, Method::minimumzone}) {
        const bool ls = method == Method::leastsquares;
        const std::array<double, 5>& p = ls ? fits.lsparams : fits.mzparams;
        Measured m;
        m.reference.method = method;
        m.reference.error = ls ? fits.lserror : fits.mzerror;
        m.reference.fitted = ls ? fits.lsfitted && !fits.lsdigitslost : fits.mzfitted;
        m.reference.notoptimal = !ls && (fits.mzdigitslost || fits.mzbeaten);
        linearparameters(shape, p.data(), m.reference);
        for (int i = 0; i < numpt; ++i) {
            double r = f[i];
            for (int j = 0; j < n; ++j) r -= a[i][j] * p[j];
            m.deviations.push_back(r);
        }
        out.fits.push_back(std::move(m));
    }
    out.fits.front().reference.said = silent.said();
}

// The four circle computations of the Cartesian circle jobs and studies.
void circlefits(const JobRecord& record, SilentConsole& silent, FitSet& out) {
    const double* u = record.c[0].data();
    const double* v = record.c[1].data();
    const int numpt = static_cast<int>(record.c[0].size());
    if (!circledetermined(record.job, u, v, numpt)) {
        out.failure = refusal(silent.said(), Shape::circle);
        return;
    }
    for (const circlecomputation& k : circlecomputations) {
        const Method method = methodof(k);
        if (numpt < k.minpt) {
            out.notes.push_back(std::string("no ") + methodname(method) +
                                " circle: " + std::to_string(numpt) +
                                " points are too few; it needs " + std::to_string(k.minpt));
            continue;
        }
        Circlefit ans;
        restartrandom(); // as job 2500, 2600, 2700 or 2800 of its own starts
        computecircle(k, record.cri, u, v, numpt, ans);
        Measured m;
        m.reference.method = method;
        m.reference.said = silent.said();
        const Noted noted = notedin(m.reference.said);
        m.reference.fitted = !noted.notfitted;
        m.reference.notoptimal = noted.notoptimal;
        if (!circlefound(ans)) {
            out.notes.push_back(std::string("no ") + methodname(method) +
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

// Job 4500: the staged minimum-zone sphere.
void spherefit(const JobRecord& record, SilentConsole& silent, FitSet& out) {
    const double* u = record.c[0].data();
    const double* v = record.c[1].data();
    const double* w = record.c[2].data();
    const int numpt = static_cast<int>(record.c[0].size());
    const double* const points[3] = {u, v, w};
    if (!determined(record.job, points, 3, numpt, undetermined(Shape::sphere))) {
        out.failure = refusal(silent.said(), Shape::sphere);
        return;
    }
    Spherefit ans;
    sphcocal(u, v, w, numpt, ans);
    Measured m;
    m.reference.method = Method::minimumzone;
    m.reference.x = ans[0];
    m.reference.y = ans[1];
    m.reference.z = ans[2];
    m.reference.r = ans[3];
    m.reference.error = ans[4];
    for (int i = 0; i < numpt; ++i)
        m.deviations.push_back(std::sqrt((u[i] - ans[0]) * (u[i] - ans[0]) +
                                         (v[i] - ans[1]) * (v[i] - ans[1]) +
                                         (w[i] - ans[2]) * (w[i] - ans[2])) -
                               ans[3]);
    m.reference.said = silent.said();
    const Noted noted = notedin(m.reference.said);
    m.reference.fitted = !noted.notfitted;
    m.reference.notoptimal = noted.notoptimal;
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
