// The perturbation pair: each coordinate in turn is moved by +ptb and -ptb,
// its influence on each of the four results is the mean absolute change, and
// the influences combine by root sum of squares into standard uncertainties.
// The step is not divided out: every coordinate is in effect given the
// standard uncertainty ptb.
#include "base/record.h"
#include "form/form.h"
#include "form/jobs.h"
#include "studies/studies.h"

#include <cmath>
#include <ostream>

namespace formeval {

namespace {

void intresline(int i, const Circlefit& result) {
    repetitionresult(imfile, i, result);
    imfile << "\n";
}

// Moves coordinate i of w, which is u or v and otherwise equal to the measured
// coordinates c, up and down by ptb and back; writes both results to
// intres.txt and stores the influence on quantity j in unc[j][i]. False when
// no circle fits the points after one of the moves.
bool perturb(circlefunction cal, double* u, double* v, int numpt, double* w, const double* c, int i,
             const Circlefit& ans, double (*unc)[nsz]) {
    const float ptb = 2.5;
    Circlefit ansl;
    Circlefit ansu;
    w[i] = c[i] + ptb;
    cal(u, v, numpt, ansl);
    intresline(i, ansl);
    w[i] = c[i] - ptb;
    cal(u, v, numpt, ansu);
    intresline(i, ansu);
    for (int j = 0; j < 4; ++j) {
        const double p = std::fabs(ansu[j] - ans[j]);
        const double q = std::fabs(ansl[j] - ans[j]);
        unc[j][i] = (p + q) / 2.0;
    }
    w[i] = c[i];
    return circlefound(ansl) && circlefound(ansu);
}

} // namespace

void circunptb(const jobinfo& job, const char* start) {
    const circlefunction cal = job.circle->function;
    recordpoints p;
    if (!startjob(job, std::string(start) + "\n", p)) return;
    const auto& [x, y, unused, numpt] = p;
    double u[nsz];
    double v[nsz];
    for (int i = 0; i < numpt; ++i) {
        u[i] = x[i];
        v[i] = y[i];
    }
    oqt = 1;
    Circlefit ans;
    cal(u, v, numpt, ans);
    if (!circlefound(ans)) {
        nocirclejob(job.code);
        return;
    }

    // Influence of x (uncx) and y (uncy) of point i on centre x, centre y,
    // radius and circularity error: uncx0x, uncy0x, uncr0x, uncctyx and so on.
    double uncx[4][nsz];
    double uncy[4][nsz];
    bool determined = true;
    for (int i = 0; i < numpt && !stoprequest(); ++i)
        determined &= perturb(cal, u, v, numpt, u, x, i, ans, uncx);
    for (int i = 0; i < numpt && !stoprequest(); ++i)
        determined &= perturb(cal, u, v, numpt, v, y, i, ans, uncy);
    if (stoprequest()) return; // the intervals would be of the coordinates moved so far
    if (!determined) {
        both("\n", "Job ", job.code,
             ": the uncertainties are not determined: no circle fits the points after some of "
             "the coordinate moves (see intres.txt)");
        return;
    }

    const double cov = 2.0;
    startline();
    for (int j = 0; j < 4; ++j) {
        double sum = 0;
        for (int i = 0; i < numpt; ++i)
            sum = (uncx[j][i] * uncx[j][i] + sum) + uncy[j][i] * uncy[j][i];
        const double stdunc = std::sqrt(sum);
        both(ans[j] - cov * stdunc, "\t", ans[j] + cov * stdunc, j < 3 ? "\t" : "\n");
    }
}

} // namespace formeval
