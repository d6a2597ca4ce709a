// The minimum-zone line and plane of 360 noisy points, as jobs 1000 and 3000
// compute them (least squares, then the exchange), against one solve of the
// same Chebyshev fit as a linear program by GLPK's simplex: minimise t with
// -t <= model value - observation <= t at every point.
#include "base/base.h"
#include "bench/quiet.h"
#include "form/form.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <glpk.h>
#include <random>
#include <sstream>
#include <vector>

namespace formeval {
namespace {

constexpr int numpt = 360;

struct Points {
    std::vector<double> x, y, z;
};

// 360 noisy points (noise within +-0.002) of the line y = 3 + 0.01 x at
// x = 0, 0.5, 1, ..., or of the plane z = 2 + 0.01 x - 0.02 y at x, y drawn
// within +-50.
Points noisy(feature shape) {
    const bool plane = shape == feature::plane;
    std::mt19937 gen(plane ? 2 : 1);
    std::uniform_real_distribution<double> where(-50, 50), noise(-0.002, 0.002);
    Points p;
    for (int i = 0; i < numpt; ++i) {
        p.x.push_back(plane ? where(gen) : 0.5 * i);
        if (plane) p.y.push_back(where(gen));
        const double model =
            plane ? 2 + 0.01 * p.x.back() - 0.02 * p.y.back() : 3 + 0.01 * p.x.back();
        (plane ? p.z : p.y).push_back(model + noise(gen));
    }
    return p;
}

using bench::Quiet;

void BM_MinimumZoneLine(benchmark::State& state) {
    Quiet quiet;
    const Points p = noisy(feature::line);
    fitpair fits;
    for (auto _ : state) {
        stcal(p.x.data(), p.y.data(), numpt, fits);
        benchmark::DoNotOptimize(fits.mzerror);
    }
}
BENCHMARK(BM_MinimumZoneLine)->Unit(benchmark::kMicrosecond);

void BM_MinimumZonePlane(benchmark::State& state) {
    Quiet quiet;
    const Points p = noisy(feature::plane);
    fitpair fits;
    for (auto _ : state) {
        fltcal(p.x.data(), p.y.data(), p.z.data(), numpt, fits);
        benchmark::DoNotOptimize(fits.mzerror);
    }
}
BENCHMARK(BM_MinimumZonePlane)->Unit(benchmark::kMicrosecond);

// One Chebyshev fit of the model with `n` columns (1, x[, y]) by the simplex.
double chebyshev(const Points& p, int n) {
    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MIN);
    glp_add_cols(lp, n + 1);
    for (int j = 1; j <= n; ++j) glp_set_col_bnds(lp, j, GLP_FR, 0, 0);
    glp_set_col_bnds(lp, n + 1, GLP_LO, 0, 0);
    glp_set_obj_coef(lp, n + 1, 1);
    glp_add_rows(lp, 2 * numpt);
    for (int i = 0; i < numpt; ++i) {
        int index[5] = {};
        double value[5] = {};
        int k = 0;
        index[++k] = 1;
        value[k] = 1;
        index[++k] = 2;
        value[k] = p.x[i];
        if (n == 3) {
            index[++k] = 3;
            value[k] = p.y[i];
        }
        index[++k] = n + 1;
        value[k] = 1;
        const double obs = n == 2 ? p.y[i] : p.z[i];
        glp_set_mat_row(lp, 2 * i + 1, k, index, value); // model - obs + t >= 0
        glp_set_row_bnds(lp, 2 * i + 1, GLP_LO, obs, 0);
        value[k] = -1;
        glp_set_mat_row(lp, 2 * i + 2, k, index, value); // model - obs - t <= 0
        glp_set_row_bnds(lp, 2 * i + 2, GLP_UP, 0, obs);
    }
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.meth = GLP_DUALP;
    glp_simplex(lp, &parm);
    const double t = glp_get_obj_val(lp);
    glp_delete_prob(lp);
    return 2 * t;
}

// The linear program must find the zone the exchange finds.
bool agrees(const Points& p, int n) {
    Quiet quiet;
    fitpair fits;
    if (n == 2)
        stcal(p.x.data(), p.y.data(), numpt, fits);
    else
        fltcal(p.x.data(), p.y.data(), p.z.data(), numpt, fits);
    const double zone = chebyshev(p, n);
    return std::fabs(zone - fits.mzerror) <= 0.01 * zone;
}

void BM_LinearProgramLine(benchmark::State& state) {
    const Points p = noisy(feature::line);
    if (!agrees(p, 2)) state.SkipWithError("the linear program finds another zone");
    for (auto _ : state) benchmark::DoNotOptimize(chebyshev(p, 2));
}
BENCHMARK(BM_LinearProgramLine)->Unit(benchmark::kMicrosecond);

void BM_LinearProgramPlane(benchmark::State& state) {
    const Points p = noisy(feature::plane);
    if (!agrees(p, 3)) state.SkipWithError("the linear program finds another zone");
    for (auto _ : state) benchmark::DoNotOptimize(chebyshev(p, 3));
}
BENCHMARK(BM_LinearProgramPlane)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace formeval
