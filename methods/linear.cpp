// The jobs that fit once, least squares and minimum zone from one
// computation: the line (deviations in y), the plane (in z), the polar circle
// and sphere (in their linearised model about the polar origin); their
// linear models and what the models' parameters are.
#include "driver/dispatch.h"
#include "form/form.h"
#include "methods/quiet.h"

namespace formeval::methods {

namespace {

bool polar(const jobinfo& entry) {
    return entry.points == pointform::rtheta || entry.points == pointform::rthetabeta;
}

// The job's linear model of the points in the columns: rows and
// observations, built by the job's own routines.
struct Model {
    std::vector<Row5> a;
    const double* f = nullptr;
    int n = 0;
};

Model modelof(const jobinfo& entry, const Columns& cols) {
    const double* c0 = cols.c[0].data();
    const double* c1 = cols.c[1].data();
    const double* c2 = cols.c[2].data();
    Model m;
    m.a.resize(static_cast<std::size_t>(nsz));
    if (polar(entry)) {
        std::vector<double> d(3 * static_cast<std::size_t>(nsz));
        if (entry.points == pointform::rtheta)
            polarcirclerows(c1, cols.numpt, &d[0], &d[nsz], m.a.data());
        else
            polarsphererows(c1, c2, cols.numpt, &d[0], &d[nsz], &d[2 * nsz], m.a.data());
        m.f = c0;
        m.n = entry.points == pointform::rtheta ? 3 : 4;
    } else if (entry.shape == feature::line) {
        strows(c0, cols.numpt, m.a.data());
        m.f = c1;
        m.n = 2;
    } else {
        fltrows(c0, c1, cols.numpt, m.a.data());
        m.f = c2;
        m.n = 3;
    }
    return m;
}

void parameters(const jobinfo& entry, const double* p, Result& r) {
    if (polar(entry)) {
        r.r = p[0];
        r.x = p[1];
        r.y = p[2];
        if (entry.points == pointform::rthetabeta) r.z = p[3];
    } else {
        r.intercept = p[0];
        r.slopex = p[1];
        if (entry.shape == feature::plane) r.slopey = p[2];
    }
}

// A job that fits a linear model.
const jobinfo* linearjob(int code) {
    const jobinfo* entry = findjob(code);
    return entry && entry->kind == jobkind::evaluation && entry->fitted == fits::both ? entry
                                                                                      : nullptr;
}

} // namespace

std::vector<Result> fitonce(const jobinfo& entry, const Columns& cols) {
    const double* c0 = cols.c[0].data();
    const double* c1 = cols.c[1].data();
    const double* c2 = cols.c[2].data();
    const int numpt = cols.numpt;
    fitpair fits;
    if (polar(entry) && entry.points == pointform::rtheta)
        polarcirclefits(c0, c1, numpt, fits);
    else if (polar(entry))
        polarspherefits(c0, c1, c2, numpt, fits);
    else if (entry.shape == feature::line)
        stcal(c0, c1, numpt, fits);
    else
        fltcal(c0, c1, c2, numpt, fits);
    const Model m = modelof(entry, cols);
    std::vector<Result> out;
    for (const Criterion criterion : {Criterion::leastsquares, Criterion::minimumzone}) {
        const bool ls = criterion == Criterion::leastsquares;
        const std::array<double, 5>& p = ls ? fits.lsparams : fits.mzparams;
        Result r = outcome(entry.code, criterion);
        r.evaluated = true;
        parameters(entry, p.data(), r);
        r.error = ls ? fits.lserror : fits.mzerror;
        r.fitted = ls ? fits.lsfitted && !fits.lsdigitslost : fits.mzfitted;
        r.notoptimal = !ls && (fits.mzdigitslost || fits.mzbeaten);
        // Observation minus the model, term by term as formreport takes it.
        for (int i = 0; i < numpt; ++i) {
            double e = m.f[i];
            for (int j = 0; j < m.n; ++j) e -= m.a[static_cast<std::size_t>(i)][j] * p[j];
            r.deviations.push_back(e);
        }
        out.push_back(std::move(r));
    }
    return out;
}

int linearmodel(int code, const Points& points, std::vector<pointset::ModelRow>& rows,
                std::vector<double>& observations) {
    rows.clear();
    observations.clear();
    const jobinfo* entry = linearjob(code);
    if (!entry) return 0;
    const Columns cols = columns(points, coordinates(entry->points), 0);
    if (cols.refusal != Refusal::none) return 0;
    const Model m = modelof(*entry, cols);
    rows.assign(m.a.begin(), m.a.begin() + cols.numpt);
    observations.assign(m.f, m.f + cols.numpt);
    return m.n;
}

void linearparameters(int code, const double* p, Result& r) {
    if (const jobinfo* entry = linearjob(code)) parameters(*entry, p, r);
}

} // namespace formeval::methods
