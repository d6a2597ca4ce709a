// Speed of the minimum-zone driver on 360 noisy points, quiet as the
// uncertainty studies run it: a line, one linearised circle fit, and a whole
// staged minimum-zone circle evaluation (least squares and minimum zone about
// a moving centre, as the circle evaluator does it).
#include "base/base.h"
#include "bench/quiet.h"
#include "fit/fit.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <sstream>

namespace formeval {
namespace {

constexpr int numpt = 360;

using bench::Quiet;

// Least-squares state from which every timed minimum-zone run starts.
struct Start {
    int n = 2;
    Row5 u[nsz] = {};
    double f[nsz] = {};
    double gs[5] = {};
    double err[nsz] = {};
    int ne[6] = {0, 1, 2, 3, 4, 5};

    void leastsquares() {
        Row7 g[6];
        double em[6];
        lsgen(u, f, gs, g, n, numpt);
        error(u, f, gs, err, n, numpt);
        lsqmax(err, ne, em, n, numpt);
    }
};

void run(benchmark::State& state, const Start& start) {
    double gs[5];
    double err[nsz];
    int ne[6];
    Row7 sm[6], g[6];
    double xm[5];
    for (auto _ : state) {
        std::copy(start.gs, start.gs + 5, gs);
        std::copy(start.err, start.err + numpt, err);
        std::copy(start.ne, start.ne + 6, ne);
        benchmark::DoNotOptimize(mzgen(start.u, start.f, ne, gs, err, sm, xm, g, start.n, numpt));
    }
}

// mzgen from the least-squares state of the n-parameter model whose row and
// observation at point p, with noise e within +-0.002 (drawn from `seed`),
// model(p, e, row, observation) gives.
template <class Model> void mzgenof(benchmark::State& state, int n, unsigned seed, Model model) {
    Quiet quiet;
    static Start start;
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> noise(-0.002, 0.002);
    for (int p = 0; p < numpt; ++p) model(p, noise(gen), start.u[p], start.f[p]);
    start.n = n;
    start.leastsquares();
    run(state, start);
}

void BM_MzgenLine(benchmark::State& state) {
    mzgenof(state, 2, 1, [](int p, double e, Row5& u, double& f) {
        const double x = 0.5 * p;
        u = {1, x};
        f = 3 + 0.01 * x + e;
    });
}
BENCHMARK(BM_MzgenLine);

void BM_MzgenLinearisedCircle(benchmark::State& state) {
    mzgenof(state, 3, 2, [](int p, double e, Row5& u, double& f) {
        const double t = 2 * 3.14159265358979 * p / numpt;
        u = {1, std::cos(t), std::sin(t)};
        f = 25 + e;
    });
}
BENCHMARK(BM_MzgenLinearisedCircle);

// One linearised least-squares plus minimum-zone circle fit about the origin
// of (x, y); gs[0] radius, gs[1], gs[2] centre shift.
void stagefit(const double* x, const double* y, double* gs) {
    constexpr int n = 3;
    double z[nsz];
    Row5 a[nsz];
    double err[nsz];
    Row7 g[6], sm[6];
    double xm[5];
    double em[6];
    int ne[6] = {0, 1, 2, 3, 4, 5};
    for (int i = 0; i < numpt; ++i) {
        z[i] = std::sqrt(x[i] * x[i] + y[i] * y[i]);
        a[i] = {1, x[i] / z[i], y[i] / z[i], 0, 0};
    }
    lsgen(a, z, gs, g, n, numpt);
    error(a, z, gs, err, n, numpt);
    lsqerr(err, n, numpt);
    lsqmax(err, ne, em, n, numpt);
    mzgen(a, z, ne, gs, err, sm, xm, g, n, numpt);
}

// The staged evaluation: from the centroid, fit about the current centre and
// move it by the fitted shift until the squared shift is at most 1e-4 r0;
// then the circularity error from exact distances.
double stagedcircle(const double* u, const double* v) {
    double x0 = 0, y0 = 0;
    for (int i = 0; i < numpt; ++i) {
        x0 += u[i] / numpt;
        y0 += v[i] / numpt;
    }
    double gs[5] = {};
    double x[nsz], y[nsz];
    double r0 = 0, cd = 0;
    int stages = 0;
    do {
        for (int i = 0; i < numpt; ++i) {
            x[i] = u[i] - x0;
            y[i] = v[i] - y0;
        }
        stagefit(x, y, gs);
        r0 = gs[0];
        x0 += gs[1];
        y0 += gs[2];
        cd = gs[1] * gs[1] + gs[2] * gs[2];
    } while (cd > 0.0001 * r0 && ++stages < 100);
    double p = 0, q = 0;
    for (int i = 0; i < numpt; ++i) {
        const double e = std::sqrt((u[i] - x0) * (u[i] - x0) + (v[i] - y0) * (v[i] - y0)) - r0;
        p = std::fmax(p, e);
        q = std::fmin(q, e);
    }
    return p - q;
}

void BM_StagedMinimumZoneCircle(benchmark::State& state) {
    Quiet quiet;
    std::mt19937 gen(3);
    std::normal_distribution<double> noise(0, 0.001);
    static double u[nsz], v[nsz];
    for (int p = 0; p < numpt; ++p) {
        const double t = 2 * 3.14159265358979 * p / numpt;
        u[p] = 40.3 + 25 * std::cos(t) + noise(gen);
        v[p] = -12.1 + 25 * std::sin(t) + noise(gen);
    }
    for (auto _ : state) benchmark::DoNotOptimize(stagedcircle(u, v));
}
BENCHMARK(BM_StagedMinimumZoneCircle)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace formeval
