// Least-squares cylinder: the axis and radius that minimise the sum of squared
// orthogonal distances d_i - r, by Gauss-Newton steps on the linear model of
// the distances (cylinder.h), damped as Levenberg and Marquardt's. It starts
// from each of the moments' three axes (a long cylinder's axis is the one of
// largest spread, a short one's of least, a partial one's either) with the
// algebraic circle of the points projected along it, takes a few steps on a
// sample of the points, and finishes the best start on every point.
#include "pointset/cylinder.h"
#include "pointset/steps.h"

#include <algorithm>
#include <cmath>
#include <limits>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace formeval::pointset::kernel {

namespace {

constexpr int parameters = 5;

struct Squares {
    long double sum = 0;
    long double rho = 0; // sum of the distances from the axis
    double jtj[parameters][parameters] = {};
    double jte[parameters] = {};
};

// The sums of a pass: J the point's row of the model with its sign turned
// (cylrow), e its residual.
struct Sums {
    double aa[4][4] = {}, as[4] = {}, ae[4] = {}, residuals = 0;
    long double squares = 0, distances = 0;
};

#ifdef __SSE2__
// Two points at a time, one a lane; keep masks a lane out (an odd count's
// last point).
struct TwoLanes {
    __m128d o[3], origin[3], e[3][3], scale, radius, unit;
    __m128d aa[4][4], as[4], ae[4], residuals, squares, distances;

    TwoLanes(const View& w, const Frame& f, double L, double r) {
        for (int k = 0; k < 3; ++k) {
            o[k] = _mm_set1_pd(w.origin[k]);
            origin[k] = _mm_set1_pd(f.origin[k]);
            for (int j = 0; j < 3; ++j) e[j][k] = _mm_set1_pd(f.e[j][k]);
        }
        for (int j = 0; j < 4; ++j) {
            as[j] = ae[j] = _mm_setzero_pd();
            for (int k = 0; k < 4; ++k) aa[j][k] = _mm_setzero_pd();
        }
        scale = _mm_set1_pd(w.scale);
        radius = _mm_set1_pd(r);
        unit = _mm_set1_pd(1 / L);
        residuals = squares = distances = _mm_setzero_pd();
    }
    template <bool equations> void add(const double* p, const double* q, __m128d keep) {
        __m128d d[3], local[3];
        for (int k = 0; k < 3; ++k)
            d[k] =
                _mm_sub_pd(_mm_mul_pd(_mm_sub_pd(_mm_set_pd(q[k], p[k]), o[k]), scale), origin[k]);
        for (int j = 0; j < 3; ++j)
            local[j] = _mm_add_pd(_mm_add_pd(_mm_mul_pd(d[0], e[j][0]), _mm_mul_pd(d[1], e[j][1])),
                                  _mm_mul_pd(d[2], e[j][2]));
        const __m128d rho =
            _mm_and_pd(keep, _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(local[0], local[0]),
                                                    _mm_mul_pd(local[1], local[1]))));
        const __m128d r = _mm_and_pd(keep, _mm_sub_pd(rho, radius));
        squares = _mm_add_pd(squares, _mm_mul_pd(r, r));
        distances = _mm_add_pd(distances, rho);
        if (!equations) return;
        const __m128d positive = _mm_cmpgt_pd(rho, _mm_setzero_pd());
        const __m128d inverse = _mm_and_pd(positive, _mm_div_pd(_mm_set1_pd(1), rho));
        const __m128d n0 = _mm_mul_pd(local[0], inverse), n1 = _mm_mul_pd(local[1], inverse);
        const __m128d z = _mm_mul_pd(local[2], unit), zero = _mm_setzero_pd();
        const __m128d J[4] = {_mm_sub_pd(zero, n0), _mm_sub_pd(zero, n1), _mm_mul_pd(n1, z),
                              _mm_sub_pd(zero, _mm_mul_pd(n0, z))};
        for (int j = 0; j < 4; ++j) {
            for (int k = j; k < 4; ++k) aa[j][k] = _mm_add_pd(aa[j][k], _mm_mul_pd(J[j], J[k]));
            as[j] = _mm_add_pd(as[j], J[j]);
            ae[j] = _mm_add_pd(ae[j], _mm_mul_pd(J[j], r));
        }
        residuals = _mm_add_pd(residuals, r);
    }
    // The block's squares and distances into out, the lanes emptied.
    void flush(Sums& out) {
        out.squares += lanesum(squares);
        out.distances += lanesum(distances);
        squares = distances = _mm_setzero_pd();
    }
    void into(Sums& out) const {
        for (int j = 0; j < 4; ++j) {
            for (int k = j; k < 4; ++k) out.aa[j][k] = lanesum(aa[j][k]);
            out.as[j] = lanesum(as[j]);
            out.ae[j] = lanesum(ae[j]);
        }
        out.residuals = lanesum(residuals);
    }
};

template <bool equations>
Sums sums(const View& w, const Frame& f, double L, double r, std::size_t step) {
    TwoLanes lanes(w, f, L, r);
    const __m128d all = _mm_castsi128_pd(_mm_set1_epi64x(-1));
    Sums out;
    const std::size_t pair = 2 * step * w.stride;
    std::size_t i = 0;
    while (i + step < w.n) {
        const std::size_t end = std::min(w.n - step, i + 2 * step * squaresblock);
        const double* p = w.data + i * w.stride;
        for (; i < end; i += 2 * step, p += pair)
            lanes.template add<equations>(p, p + step * w.stride, all);
        lanes.flush(out);
    }
    if (i < w.n) {
        const double* p = w.data + i * w.stride;
        lanes.template add<equations>(p, p, _mm_castsi128_pd(_mm_set_epi64x(0, -1)));
        lanes.flush(out);
    }
    lanes.into(out);
    return out;
}
#else
template <bool equations>
Sums sums(const View& w, const Frame& f, double L, double r, std::size_t step) {
    Sums out;
    double squares = 0, distances = 0;
    const double unit = 1 / L;
    std::size_t inblock = 0;
    for (std::size_t i = 0; i < w.n; i += step) {
        const Vec q = f.local(w[i]);
        const double rho = across(q[0], q[1]);
        const double e = rho - r;
        squares += e * e;
        distances += rho;
        if (++inblock == squaresblock) {
            out.squares += squares, out.distances += distances;
            squares = distances = 0, inblock = 0;
        }
        if (!equations) continue;
        const double inverse = rho > 0 ? 1 / rho : 0, z = q[2] * unit;
        const double n0 = q[0] * inverse, n1 = q[1] * inverse;
        const double J[4] = {-n0, -n1, n1 * z, -n0 * z};
        for (int j = 0; j < 4; ++j) {
            for (int k = j; k < 4; ++k) out.aa[j][k] += J[j] * J[k];
            out.as[j] += J[j];
            out.ae[j] += J[j] * e;
        }
        out.residuals += e;
    }
    out.squares += squares, out.distances += distances;
    return out;
}
#endif

// Sum of squared residuals about the axis and radius over every step-th
// point and of the distances (by blocks of points, in long double across
// them), and the normal equations of the step when asked. The radius' column
// of the model is -1: its products are the sums of the others, the count and
// the sum of the residuals.
Squares squares(const View& w, const Frame& f, double L, double r, bool equations,
                std::size_t step) {
    const Sums p = equations ? sums<true>(w, f, L, r, step) : sums<false>(w, f, L, r, step);
    Squares s;
    s.sum = p.squares;
    s.rho = p.distances;
    if (!equations) return s;
    for (int j = 0; j < 4; ++j) {
        for (int k = 0; k < 4; ++k) s.jtj[j][k] = k < j ? p.aa[k][j] : p.aa[j][k];
        s.jtj[j][4] = s.jtj[4][j] = -p.as[j];
        s.jte[j] = p.ae[j];
    }
    s.jtj[4][4] = static_cast<double>((w.n + step - 1) / step);
    s.jte[4] = -p.residuals;
    return s;
}

} // namespace

bool circlestart(const View& w, Frame& f, double& r, std::size_t step, double* extent) {
    double m[3][4] = {}, L = 0;
    for (std::size_t i = 0; i < w.n; i += step) {
        const Vec q = f.local(w[i]);
        L = std::max(L, std::fabs(q[2]));
        const double row[3] = {2 * q[0], 2 * q[1], 1}, o = q[0] * q[0] + q[1] * q[1];
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k) m[j][k] += row[j] * row[k];
            m[j][3] += row[j] * o;
        }
    }
    double a[9], b[3];
    for (int j = 0; j < 3; ++j) {
        for (int k = 0; k < 3; ++k) a[j * 3 + k] = m[j][k];
        b[j] = m[j][3];
    }
    if (extent) *extent = std::max(L, 1e-300);
    if (!solve(3, a, b)) return false;
    r = std::sqrt(std::max(0.0, b[2] + b[0] * b[0] + b[1] * b[1]));
    f = moved(f, {b[0], b[1], 0, 0}, 1);
    return std::isfinite(r) && r > 0;
}

double sampledextent(const View& w, const Frame& f, std::size_t step) {
    double L = 0;
    for (std::size_t i = 0; i < w.n; i += step) L = std::max(L, std::fabs(f.local(w[i])[2]));
    return std::max(L, 1e-300);
}

namespace {

// What a descent ends on: the sum of squares and the mean distance from the
// axis, NaN where no pass was made about the axis it ends on.
struct Descent {
    long double sum = 0;
    double distance = std::numeric_limits<double>::quiet_NaN();
};

// Damped Gauss-Newton from (f, r). A trial step's pass gives the normal
// equations for the next step as well once a step was taken (steps are then
// likely to be taken), and after a step refused the sum alone; the mean
// distance comes from the pass about the axis it ends on, or, where the last
// step needs no pass, from the step's radius. A start (start true) ends once
// a step lowers its sum by less than a thousandth: enough to tell the starts
// apart, the finish on every point doing the rest.
Descent levenberg(const View& w, Frame& f, double& r, double L, std::size_t step, int iterations,
                  bool start) {
    Squares s = squares(w, f, L, r, true, step);
    const double count = static_cast<double>((w.n + step - 1) / step);
    Descent out;
    out.sum = s.sum;
    out.distance = static_cast<double>(s.rho / count);
    bool current = true; // s holds the equations about f
    double lambda = 1e-6;
    Steps steps;
    for (int iteration = 0; iteration < iterations; ++iteration) {
        if (!current) {
            s = squares(w, f, L, r, true, step);
            current = true;
        }
        double a[parameters * parameters], b[parameters];
        for (int j = 0; j < parameters; ++j) {
            for (int k = 0; k < parameters; ++k) a[j * parameters + k] = s.jtj[j][k];
            a[j * parameters + j] *= 1 + lambda;
            b[j] = -s.jte[j];
        }
        if (!solve(parameters, a, b)) break;
        const Frame g = moved(f, {b[0], b[1], b[2], b[3]}, L);
        const double rn = r + b[4];
        const double length = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2] + b[3] * b[3]);
        const double size = length + std::fabs(b[4]);
        if (!start && steps.last(size, rn)) {
            f = g;
            r = rn;
            out.distance = rn;
            break;
        }
        const bool last = size <= 1e-15 * (1 + std::fabs(rn)) || !(std::fabs(rn) < 1e9);
        // Near the optimum the sum changes by less than its rounding while the
        // step stays exact: a step that raises it only by that is taken.
        const long double noise = sumrounding(1 + std::fabs(r) + norm(f.origin), count, s.sum);
        const bool equations = lambda <= 1e-6 && !last;
        const Squares trial = squares(w, g, L, rn, equations, step);
        if (!(trial.sum <= s.sum * (1 + 1e-12L) + noise)) {
            lambda *= 16;
            if (lambda > 1e12) break;
            continue;
        }
        const bool wandering = steps.wandering(b, parameters, size, trial.sum >= s.sum - noise);
        const bool slowed = start && trial.sum >= s.sum * (1 - 1e-3L);
        lambda = std::max(lambda / 8, 1e-12);
        f = g;
        r = rn;
        out.distance = static_cast<double>(trial.rho / count);
        // The last step leaves the sum it was solved from as the descent's.
        if (last || wandering) break;
        s = trial;
        current = equations;
        out.sum = s.sum;
        if (slowed) break;
    }
    return out;
}

} // namespace

bool lsaxis(const Moments& m, Frame& f, double& radius, std::string& failure) {
    const View& w = m.view;
    // The starts on about 256 of the points; the best of them finished on all.
    const std::size_t step = std::max<std::size_t>(1, (w.n + 255) / 256);
    long double best = inf;
    for (int k = 0; k < 3; ++k) {
        Frame g = frameabout({0, 0, 0}, m.vectors[k]);
        double r = 0, L = 0;
        if (!circlestart(w, g, r, step, &L)) continue;
        const long double s = levenberg(w, g, r, L, step, 40, true).sum;
        if (s < best) best = s, f = g, radius = r;
    }
    if (std::isfinite(static_cast<double>(best)))
        radius = levenberg(w, f, radius, sampledextent(w, f, step), 1, 200, false).distance;
    if (!std::isfinite(static_cast<double>(best)) || !(radius < 1e6) || !(norm(f.origin) < 1e6)) {
        failure = "the least-squares cylinder runs off to infinity: the points lie too close to "
                  "a plane";
        return false;
    }
    return true;
}

Found lscylinder(const Moments& m) {
    Found out;
    Frame f;
    double r = 0;
    if (!lsaxis(m, f, r, out.failure)) return out;
    out.found = true;
    out.point = f.origin;
    out.direction = f.axis();
    out.radius = r;
    return out;
}

} // namespace formeval::pointset::kernel
