// The reference features of any point set against their peers, measured side
// by side in one run (run with --benchmark_enable_random_interleaving=true
// --benchmark_repetitions=5 for medians and noise):
// - the circumscribed circle against CGAL's Min_circle_2 on the same points
//   (randomised, as its users call it), 10^2 to 10^6 points;
// - the inscribed circle against the Delaunay/Voronoi way (the library's
//   largest circumcircle of a Delaunay triangle centred in the hull, written
//   with CGAL as its users write it), 10^2 to 10^6 points;
// - the minimum-zone circle, line and plane at 10^5 and 10^6 points against
//   one linear program of the same problem solved by GLPK's simplex, posed as
//   its dual (n + 1 rows, a column each side of every point), as an LP user
//   poses it, built and solved or solved alone, and as the Chebyshev fit with
//   a row each side of every point (2N rows); the zones must agree to 1e-9;
// - every feature and criterion at 10^5 and 10^6 points (their time ratio),
//   with the peak of the memory allocated during a call per byte of points;
// - the cylinder: least squares and minimum zone together at 10^5 points
// - the cone likewise (its minimum zone certified)
//   against the stated limit of a second, and every criterion at 10^5 and
//   10^6 points in BM_Reference (feature 4);
// - least squares of circles, spheres, planes and cylinders at 10^3 to 10^6
//   points against a textbook Gauss-Newton circle and sphere (the peer, in a
//   translation unit of its own) and against five plain passes over the same
//   points (the floor: one pass of algebraic sums, three of normal equations,
//   one of deviations);
// - the Monte Carlo case (a certified minimum-zone circle of 360 points), a
//   3600-point trace with all four references (times 500 is a batch), and a
//   million-point circle with all four.
#include "bench/peers.h"
#include "pointset/pointset.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Min_circle_2.h>
#include <CGAL/Min_circle_2_traits_2.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <glpk.h>
#include <new>
#include <random>
#include <vector>

// Bytes allocated through operator new, now and at most since the last reset.
namespace {
std::atomic<long> live{0}, peak{0};
void counted(long bytes) {
    const long now = live += bytes;
    long p = peak.load();
    while (now > p && !peak.compare_exchange_weak(p, now)) {}
}
} // namespace

void* operator new(std::size_t n) {
    void* p = std::malloc(n + 16);
    if (!p) throw std::bad_alloc();
    *static_cast<std::size_t*>(p) = n;
    counted(static_cast<long>(n));
    return static_cast<char*>(p) + 16;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    char* base = static_cast<char*>(p) - 16;
    live -= static_cast<long>(*reinterpret_cast<std::size_t*>(base));
    std::free(base);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace formeval::pointset {
namespace {

const double pi = std::acos(-1.0);

// Roundness, flatness, straightness and sphericity data as measured: radius
// 25 mm, form 10 um (noise and a third harmonic).
std::vector<double> points(Feature f, long n) {
    std::mt19937 g(7);
    std::uniform_real_distribution<double> u(-1, 1);
    std::vector<double> out;
    for (long i = 0; i < n; ++i) {
        const double a = 2 * pi * static_cast<double>(i) / static_cast<double>(n);
        switch (f) {
        case Feature::circle: {
            const double r = 25 + 0.004 * u(g) + 0.003 * std::cos(3 * a);
            out.insert(out.end(), {120 + r * std::cos(a), 80 + r * std::sin(a)});
            break;
        }
        case Feature::line: {
            const double x = 100.0 * static_cast<double>(i) / static_cast<double>(n),
                         y = 0.005 * u(g);
            out.insert(out.end(), {x * 0.8 - y * 0.6, x * 0.6 + y * 0.8});
            break;
        }
        case Feature::plane:
            out.insert(out.end(), {50 * u(g), 50 * u(g), 0.005 * u(g) + 0.003 * std::cos(a)});
            break;
        case Feature::cylinder: {
            // A shaft of radius 25 mm and length 100 mm in 20 sections, tilted.
            const long per = std::max(1L, n / 20);
            const double b = 2 * pi * static_cast<double>(i % per) / static_cast<double>(per);
            const double z = -50 + 100 * static_cast<double>(i / per) / 19;
            const double r = 25 + 0.004 * u(g) + 0.003 * std::cos(3 * b);
            const double x = r * std::cos(b), y = r * std::sin(b);
            out.insert(out.end(), {10 + x, -20 + 0.8 * y - 0.6 * z, 5 + 0.6 * y + 0.8 * z});
            break;
        }
        case Feature::cone: {
            // A taper of radius 25 mm at its middle, half angle 5 degrees, 60 mm
            // long in 20 sections, tilted.
            const long per = std::max(1L, n / 20);
            const double b = 2 * pi * static_cast<double>(i % per) / static_cast<double>(per);
            const double z = -30 + 60 * static_cast<double>(i / per) / 19;
            const double r =
                25 + z * std::tan(5 * pi / 180) + 0.004 * u(g) + 0.003 * std::cos(3 * b);
            const double x = r * std::cos(b), y = r * std::sin(b);
            out.insert(out.end(), {10 + x, -20 + 0.8 * y - 0.6 * z, 5 + 0.6 * y + 0.8 * z});
            break;
        }
        default: {
            const double z = u(g), b = pi * u(g), s = std::sqrt(1 - z * z), r = 25 + 0.005 * u(g);
            out.insert(out.end(), {r * s * std::cos(b), r * s * std::sin(b), r * z});
        }
        }
    }
    return out;
}

Points view(const std::vector<double>& p, Feature f) {
    const int d = f == Feature::line || f == Feature::circle ? 2 : 3;
    return {p.data(), p.size() / d, d, static_cast<std::size_t>(d)};
}

void certified(benchmark::State& state, const Reference& r) {
    if (!r.found || (r.criterion != Criterion::leastsquares && !r.certificate.certified))
        state.SkipWithError("not certified");
}

// Every feature and criterion; the peak of memory allocated during the call
// per byte of the points.
void BM_Reference(benchmark::State& state) {
    const auto f = static_cast<Feature>(state.range(0));
    const auto c = static_cast<Criterion>(state.range(1));
    const std::vector<double> p = points(f, state.range(2));
    Reference r;
    for (auto _ : state) {
        peak = live.load();
        const long before = live.load();
        r = evaluate(view(p, f), f, c);
        state.counters["memory_over_points"] =
            static_cast<double>(peak - before) / (8.0 * static_cast<double>(p.size()));
        benchmark::DoNotOptimize(r.t);
    }
    certified(state, r);
}
void references(benchmark::internal::Benchmark* b) {
    for (const long n : {100000L, 1000000L})
        for (int f = 0; f < 5; ++f)
            for (int c = 0; c < 4; ++c)
                if (f >= 2 || c < 2) b->Args({f, c, n});
    b->ArgNames({"feature", "criterion", "n"})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_Reference)->Apply(references);

// A feature's least squares and minimum zone together, as a part is
// evaluated; an error where the minimum zone is not certified.
void leastsquaresandminimumzone(benchmark::State& state, Feature feature) {
    const std::vector<double> p = points(feature, state.range(0));
    Reference mz;
    for (auto _ : state) {
        const Reference ls = evaluate(view(p, feature), feature, Criterion::leastsquares);
        mz = evaluate(view(p, feature), feature, Criterion::minimumzone);
        benchmark::DoNotOptimize(ls.t + mz.t);
    }
    certified(state, mz);
}

// A shaft: at most a second for 10^5 points.
void BM_CylinderLeastSquaresAndMinimumZone(benchmark::State& state) {
    leastsquaresandminimumzone(state, Feature::cylinder);
}
BENCHMARK(BM_CylinderLeastSquaresAndMinimumZone)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// A taper.
void BM_ConeLeastSquaresAndMinimumZone(benchmark::State& state) {
    leastsquaresandminimumzone(state, Feature::cone);
}
BENCHMARK(BM_ConeLeastSquaresAndMinimumZone)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// The Monte Carlo case: a certified minimum-zone circle of 360 points, no
// deviations kept.
void BM_MonteCarloCircle360(benchmark::State& state) {
    const std::vector<double> p = points(Feature::circle, 360);
    Options o;
    o.deviations = false;
    Reference r;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            (r = evaluate(view(p, Feature::circle), Feature::circle, Criterion::minimumzone, o)).t);
    certified(state, r);
}
BENCHMARK(BM_MonteCarloCircle360)->Unit(benchmark::kMicrosecond);

// The line's minimum zone of points on a regular polygon, whose many equal
// widths took the exchange's search 10 to 25 s from 21 corners on: the hull's
// calipers take microseconds, certified.
void BM_PolygonLine(benchmark::State& state) {
    const long n = state.range(0);
    std::vector<double> p;
    for (long i = 0; i < n; ++i) {
        const double a = 2 * pi * static_cast<double>(i) / static_cast<double>(n);
        p.insert(p.end(), {10 * std::cos(a), 10 * std::sin(a)});
    }
    Reference r;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            (r = evaluate(view(p, Feature::line), Feature::line, Criterion::minimumzone)).t);
    certified(state, r);
}
BENCHMARK(BM_PolygonLine)->Arg(20)->Arg(72)->Arg(360)->Unit(benchmark::kMicrosecond);

// All four references of a circle, certified, with deviations.
void BM_CircleAllFour(benchmark::State& state) {
    const std::vector<double> p = points(Feature::circle, state.range(0));
    for (auto _ : state)
        for (int c = 0; c < 4; ++c) {
            const Reference r =
                evaluate(view(p, Feature::circle), Feature::circle, static_cast<Criterion>(c));
            if (c > 0 && !r.certificate.certified) state.SkipWithError("not certified");
            benchmark::DoNotOptimize(r.t);
        }
}
BENCHMARK(BM_CircleAllFour)->Arg(3600)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Peers of the circumscribed and inscribed circles.
void BM_CircumscribedCircle(benchmark::State& state) {
    const std::vector<double> p = points(Feature::circle, state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            evaluate(view(p, Feature::circle), Feature::circle, Criterion::circumscribed).radius);
}
void BM_CgalMinCircle2(benchmark::State& state) {
    using K = CGAL::Exact_predicates_inexact_constructions_kernel;
    const std::vector<double> p = points(Feature::circle, state.range(0));
    std::vector<K::Point_2> q;
    for (std::size_t i = 0; i < p.size(); i += 2) q.emplace_back(p[i], p[i + 1]);
    for (auto _ : state) {
        CGAL::Min_circle_2<CGAL::Min_circle_2_traits_2<K>> mc(q.begin(), q.end(), true);
        benchmark::DoNotOptimize(mc.circle().squared_radius());
    }
}
void BM_InscribedCircle(benchmark::State& state) {
    const std::vector<double> p = points(Feature::circle, state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            evaluate(view(p, Feature::circle), Feature::circle, Criterion::inscribed).radius);
}
void BM_DelaunayInscribedCircle(benchmark::State& state) {
    const std::vector<double> p = points(Feature::circle, state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(bench::delaunayinscribed(p));
}
// From 10^2 to 10^6 points.
void circlesizes(benchmark::internal::Benchmark* b) {
    for (const long n : {100L, 1000L, 3600L, 100000L, 1000000L}) b->Arg(n);
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_CircumscribedCircle)->Apply(circlesizes);
BENCHMARK(BM_CgalMinCircle2)->Apply(circlesizes);
BENCHMARK(BM_InscribedCircle)->Apply(circlesizes);
BENCHMARK(BM_DelaunayInscribedCircle)->Apply(circlesizes);

// The minimum-zone problem as a linear program solved by GLPK's simplex, in
// the two ways it is written: the Chebyshev fit "minimise t subject to
// -t <= f_i - a_i.x <= t" with a row on each side of every point (2N rows,
// n + 1 columns), and its dual as an LP user poses it for many points
// ("maximise sum f_i (u_i - v_i) subject to sum a_ij (u_i - v_i) = 0 for
// every unknown j and sum (u_i + v_i) = 1, u, v >= 0": n + 1 rows, 2N
// columns), whose row duals are the fit's unknowns and t. The rows of the
// circle are linearised about the certified centre (where the linear model's
// optimum is the zone itself), those of the line and plane taken in their
// least-squares frame. Each solve includes building the problem, but for the
// dual's solve alone (BM_LinearProgramZoneDualSolveOnly), which is the
// strictest peer.
//
// The tolerance: GLPK stops when no step improves the objective by more than
// its tolerance (1e-7 by default, on residuals of about 0.005 mm). At 10^6
// points that left both forms 2-3e-6 below the zone (a lower bound, as any
// feasible point of the dual is); with the tolerance at 1e-12, the one a user
// sets who wants the zone to 1e-9, both reach it.
struct Model {
    std::vector<std::array<double, 4>> a;
    std::vector<double> f;
    int n = 0;
    double zone = 0;     // the certified zone it must reproduce
    bool circle = false; // lines and planes: the orthogonal zone is t / |(1, slopes)|
};

Model model(Feature f, long count) {
    const std::vector<double> p = points(f, count);
    const Reference mz = evaluate(view(p, f), f, Criterion::minimumzone);
    Model m;
    m.zone = mz.t;
    const Reference ls = evaluate(view(p, f), f, Criterion::leastsquares);
    const int d = f == Feature::plane ? 3 : 2;
    for (std::size_t i = 0; i < p.size() / d; ++i) {
        const double* q = &p[i * d];
        if (f == Feature::circle) {
            const double dx = q[0] - mz.point[0], dy = q[1] - mz.point[1], r = std::hypot(dx, dy);
            m.a.push_back({1, dx / r, dy / r, 0});
            m.f.push_back(r);
            m.n = 3;
            m.circle = true;
        } else if (f == Feature::line) {
            const double dx = q[0] - ls.point[0], dy = q[1] - ls.point[1];
            m.a.push_back({1, dx * ls.direction[0] + dy * ls.direction[1], 0, 0});
            m.f.push_back(-dx * ls.direction[1] + dy * ls.direction[0]);
            m.n = 2;
        } else {
            // In-plane axes perpendicular to the least-squares normal.
            const double* nn = ls.direction.data();
            const double ex[3] = {nn[2], 0, -nn[0]};
            const double le = std::hypot(ex[0], ex[2]);
            const double e1[3] = {ex[0] / le, 0, ex[2] / le};
            const double e2[3] = {nn[1] * e1[2] - nn[2] * e1[1], nn[2] * e1[0] - nn[0] * e1[2],
                                  nn[0] * e1[1] - nn[1] * e1[0]};
            const double v[3] = {q[0] - ls.point[0], q[1] - ls.point[1], q[2] - ls.point[2]};
            m.a.push_back({1, v[0] * e1[0] + v[1] * e1[1] + v[2] * e1[2],
                           v[0] * e2[0] + v[1] * e2[1] + v[2] * e2[2], 0});
            m.f.push_back(v[0] * nn[0] + v[1] * nn[1] + v[2] * nn[2]);
            m.n = 3;
        }
    }
    return m;
}

// The zone from the optimum half-width t and the fit's slopes, made
// orthogonal for lines and planes.
double zone(const Model& m, double t, double slopes) {
    return 2 * t / std::sqrt(1 + (m.circle ? 0 : slopes));
}

// The Chebyshev fit with 2N rows, by the dual simplex.
double rowsprogram(const Model& m) {
    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MIN);
    glp_add_cols(lp, m.n + 1);
    for (int j = 1; j <= m.n; ++j) glp_set_col_bnds(lp, j, GLP_FR, 0, 0);
    glp_set_col_bnds(lp, m.n + 1, GLP_LO, 0, 0);
    glp_set_obj_coef(lp, m.n + 1, 1);
    const int rows = static_cast<int>(m.f.size());
    glp_add_rows(lp, 2 * rows);
    for (int i = 0; i < rows; ++i) {
        int index[6] = {};
        double value[6] = {};
        for (int j = 0; j < m.n; ++j) index[j + 1] = j + 1, value[j + 1] = m.a[i][j];
        index[m.n + 1] = m.n + 1;
        value[m.n + 1] = 1;
        glp_set_mat_row(lp, 2 * i + 1, m.n + 1, index, value); // a.x + t >= f
        glp_set_row_bnds(lp, 2 * i + 1, GLP_LO, m.f[i], 0);
        value[m.n + 1] = -1;
        glp_set_mat_row(lp, 2 * i + 2, m.n + 1, index, value); // a.x - t <= f
        glp_set_row_bnds(lp, 2 * i + 2, GLP_UP, 0, m.f[i]);
    }
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.meth = GLP_DUALP;
    parm.tol_bnd = 1e-12; // see tolerance below
    glp_simplex(lp, &parm);
    double slopes = 0;
    for (int j = 2; j <= m.n; ++j) slopes += std::pow(glp_get_col_prim(lp, j), 2);
    const double t = glp_get_obj_val(lp);
    glp_delete_prob(lp);
    return zone(m, t, slopes);
}

// The dual with n + 1 rows and a column u_i, v_i on each side of every point,
// set column by column.
glp_prob* dualproblem(const Model& m) {
    glp_prob* lp = glp_create_prob();
    glp_set_obj_dir(lp, GLP_MAX);
    glp_add_rows(lp, m.n + 1);
    for (int j = 1; j <= m.n; ++j) glp_set_row_bnds(lp, j, GLP_FX, 0, 0);
    glp_set_row_bnds(lp, m.n + 1, GLP_FX, 1, 1);
    const int points = static_cast<int>(m.f.size());
    glp_add_cols(lp, 2 * points);
    int index[5] = {};
    double value[5] = {};
    for (int j = 1; j <= m.n + 1; ++j) index[j] = j;
    for (int i = 0; i < points; ++i)
        for (int side = 0; side < 2; ++side) {
            const int c = 2 * i + side + 1;
            const double sign = side == 0 ? 1 : -1;
            glp_set_col_bnds(lp, c, GLP_LO, 0, 0);
            glp_set_obj_coef(lp, c, sign * m.f[i]);
            for (int j = 0; j < m.n; ++j) value[j + 1] = sign * m.a[i][j];
            value[m.n + 1] = 1;
            glp_set_mat_col(lp, c, m.n + 1, index, value);
        }
    return lp;
}

// The dual solved by GLPK's default (primal) simplex from its default basis:
// some ten iterations. (GLPK's presolver or scaling make it slower.)
double dualsolve(const Model& m, glp_prob* lp) {
    glp_std_basis(lp);
    glp_smcp parm;
    glp_init_smcp(&parm);
    parm.msg_lev = GLP_MSG_OFF;
    parm.tol_dj = 1e-12; // see tolerance above
    glp_simplex(lp, &parm);
    double slopes = 0;
    for (int j = 2; j <= m.n; ++j) slopes += std::pow(glp_get_row_dual(lp, j), 2);
    return zone(m, glp_get_obj_val(lp), slopes);
}

// Built and solved: most of the time is GLPK's building of the problem.
double dualprogram(const Model& m) {
    glp_prob* lp = dualproblem(m);
    const double z = dualsolve(m, lp);
    glp_delete_prob(lp);
    return z;
}

// One solve of a linear program against the certified zone.
void program(benchmark::State& state, double (*solve)(const Model&)) {
    const Model m = model(static_cast<Feature>(state.range(0)), state.range(1));
    double z = 0;
    for (auto _ : state) benchmark::DoNotOptimize(z = solve(m));
    state.counters["relative_difference"] = std::fabs(z - m.zone) / m.zone;
    if (!(std::fabs(z - m.zone) <= 1e-9 * m.zone)) state.SkipWithError("the zones differ");
}
void BM_LinearProgramZone2NRows(benchmark::State& state) {
    program(state, rowsprogram);
}
void BM_LinearProgramZoneDual(benchmark::State& state) {
    program(state, dualprogram);
}
// The solve alone, on a problem built before, from GLPK's default basis.
void BM_LinearProgramZoneDualSolveOnly(benchmark::State& state) {
    const Model m = model(static_cast<Feature>(state.range(0)), state.range(1));
    glp_prob* lp = dualproblem(m);
    double z = 0;
    for (auto _ : state) benchmark::DoNotOptimize(z = dualsolve(m, lp));
    glp_delete_prob(lp);
    state.counters["relative_difference"] = std::fabs(z - m.zone) / m.zone;
    if (!(std::fabs(z - m.zone) <= 1e-9 * m.zone)) state.SkipWithError("the zones differ");
}
// The reference of the feature (range 0) of its benchmark points (range 1)
// by the criterion.
void byfeature(benchmark::State& state, Criterion c) {
    const auto f = static_cast<Feature>(state.range(0));
    const std::vector<double> p = points(f, state.range(1));
    Reference r;
    for (auto _ : state) benchmark::DoNotOptimize((r = evaluate(view(p, f), f, c)).t);
    certified(state, r);
}
void BM_MinimumZone(benchmark::State& state) {
    byfeature(state, Criterion::minimumzone);
}
// Lines, planes and circles at n points.
template <long n> void zones(benchmark::internal::Benchmark* b) {
    for (const int f : {0, 1, 2}) b->Args({f, n});
    b->ArgNames({"feature", "n"})->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_MinimumZone)->Apply(zones<100000>)->Apply(zones<1000000>);
// A linear program of 10^6 points is solved once a repetition.
BENCHMARK(BM_LinearProgramZoneDual)->Apply(zones<100000>);
BENCHMARK(BM_LinearProgramZoneDual)->Apply(zones<1000000>)->Iterations(1);
BENCHMARK(BM_LinearProgramZoneDualSolveOnly)->Apply(zones<100000>);
BENCHMARK(BM_LinearProgramZoneDualSolveOnly)->Apply(zones<1000000>)->Iterations(1);
BENCHMARK(BM_LinearProgramZone2NRows)->Apply(zones<100000>);
BENCHMARK(BM_LinearProgramZone2NRows)->Apply(zones<1000000>)->Iterations(1);

// Least squares at 10^3 to 10^6 points: ours, the textbook peer (circles and
// spheres) and the five-pass floor, side by side.
void lssizes(benchmark::internal::Benchmark* b, const std::vector<int>& features) {
    for (const int f : features)
        for (const long n : {1000L, 10000L, 100000L, 1000000L}) b->Args({f, n});
    b->ArgNames({"feature", "n"})->Unit(benchmark::kMillisecond);
}
void radialfeatures(benchmark::internal::Benchmark* b) {
    lssizes(b, {2, 3});
}
void lsfeatures(benchmark::internal::Benchmark* b) {
    lssizes(b, {1, 2, 3, 4});
}

void BM_LeastSquares(benchmark::State& state) {
    byfeature(state, Criterion::leastsquares);
}
BENCHMARK(BM_LeastSquares)->Apply(lsfeatures);

// The peer's circle or sphere; its relative difference from ours in the
// radius, a counter.
void BM_GaussNewtonPeer(benchmark::State& state) {
    const auto f = static_cast<Feature>(state.range(0));
    const std::vector<double> p = points(f, state.range(1));
    bench::GaussNewtonFit g;
    for (auto _ : state) {
        g = f == Feature::circle ? bench::gaussnewtoncircle(p) : bench::gaussnewtonsphere(p);
        benchmark::DoNotOptimize(g.form);
    }
    const Reference r = evaluate(view(p, f), f, Criterion::leastsquares);
    state.counters["iterations"] = g.iterations;
    state.counters["radius_difference"] = std::fabs(g.radius - r.radius) / r.radius;
    if (!g.found) state.SkipWithError("no fit");
}
BENCHMARK(BM_GaussNewtonPeer)->Apply(radialfeatures);

// The peer's cylinder; its radius' relative difference from ours, a counter.
void BM_GaussNewtonCylinderPeer(benchmark::State& state) {
    const std::vector<double> p = points(Feature::cylinder, state.range(1));
    bench::CylinderFit g;
    for (auto _ : state) {
        g = bench::gaussnewtoncylinder(p);
        benchmark::DoNotOptimize(g.form);
    }
    const Reference r =
        evaluate(view(p, Feature::cylinder), Feature::cylinder, Criterion::leastsquares);
    state.counters["iterations"] = g.iterations;
    state.counters["radius_difference"] = std::fabs(g.radius - r.radius) / r.radius;
    if (!g.found) state.SkipWithError("no fit");
}
BENCHMARK(BM_GaussNewtonCylinderPeer)->Apply([](benchmark::internal::Benchmark* b) {
    lssizes(b, {4});
});

// Five plain passes over the feature's points, as a Gauss-Newton fit makes
// them at the least: one of the algebraic fit's sums, three of the normal
// equations (unit direction from a centre, residual, the products), one of
// the deviations written out with their range.
template <int d> double fivepasses(const std::vector<double>& p, std::vector<double>& e) {
    const std::size_t n = p.size() / d;
    double sums[(d + 1) * (d + 2)] = {};
    for (std::size_t i = 0; i < n; ++i) {
        double row[d + 1], q = 0;
        for (int j = 0; j < d; ++j) row[j] = p[i * d + j], q += row[j] * row[j];
        row[d] = 1;
        for (int r = 0, k = 0; r <= d; ++r) {
            for (int s = r; s <= d; ++s) sums[k++] += row[r] * row[s];
            sums[(d + 1) * (d + 2) / 2 + r] += row[r] * q;
        }
    }
    double c[d];
    for (int j = 0; j < d; ++j) c[j] = sums[j] / n;
    double radius = 1, total = sums[0];
    for (int pass = 0; pass < 3; ++pass) {
        double jtj[(d + 1) * (d + 2) / 2] = {}, jte[d + 1] = {};
        for (std::size_t i = 0; i < n; ++i) {
            double row[d + 1], len = 0;
            for (int j = 0; j < d; ++j) row[j] = p[i * d + j] - c[j], len += row[j] * row[j];
            len = std::sqrt(len);
            for (int j = 0; j < d; ++j) row[j] /= -len;
            row[d] = -1;
            const double res = len - radius;
            for (int r = 0, k = 0; r <= d; ++r) {
                for (int s = r; s <= d; ++s) jtj[k++] += row[r] * row[s];
                jte[r] += row[r] * res;
            }
        }
        total += jtj[0] + jte[0];
        radius = -jte[d] / n + radius;
    }
    double top = -HUGE_VAL, bottom = HUGE_VAL;
    for (std::size_t i = 0; i < n; ++i) {
        double len = 0;
        for (int j = 0; j < d; ++j) len += (p[i * d + j] - c[j]) * (p[i * d + j] - c[j]);
        e[i] = std::sqrt(len) - radius;
        top = std::max(top, e[i]);
        bottom = std::min(bottom, e[i]);
    }
    return total + top - bottom;
}

void BM_FivePassFloor(benchmark::State& state) {
    const auto f = static_cast<Feature>(state.range(0));
    const std::vector<double> p = points(f, state.range(1));
    for (auto _ : state) {
        std::vector<double> e(static_cast<std::size_t>(state.range(1)));
        benchmark::DoNotOptimize(traits(f).dimension == 2 ? fivepasses<2>(p, e)
                                                          : fivepasses<3>(p, e));
    }
}
BENCHMARK(BM_FivePassFloor)->Apply(lsfeatures);

} // namespace
} // namespace formeval::pointset
