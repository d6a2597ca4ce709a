// The frame of a cylinder's axis, its moves, the sharpness of active gradients
// in the four dimensions of an axis, and the neighbourhood they prove.
#include "pointset/cylinder.h"
#include "pointset/lanes.h"

#include <algorithm>
#include <cmath>
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace formeval::pointset::kernel {

Frame frameabout(const Vec& origin, const Vec& axis) {
    Frame f;
    f.e[2] = mul(1 / norm(axis), axis);
    int k = 0;
    for (int j = 1; j < 3; ++j)
        if (std::fabs(f.e[2][j]) < std::fabs(f.e[2][k])) k = j;
    Vec other = {0, 0, 0};
    other[k] = 1;
    const Vec x = cross(f.e[2], other);
    f.e[0] = mul(1 / norm(x), x);
    f.e[1] = cross(f.e[2], f.e[0]);
    // The foot of the working origin on the axis.
    f.origin = sub(origin, mul(dot(origin, f.e[2]), f.e[2]));
    return f;
}

// By Rodrigues' formula.
Turn turn(double w0, double w1) {
    const double angle = across(w0, w1);
    std::array<Vec, 3> r = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    if (!(angle > 0)) return r;
    const double k0 = w0 / angle, k1 = w1 / angle;
    const double s = std::sin(angle), c = 1 - std::cos(angle);
    // K = [k]x for k = (k0, k1, 0); R = I + s K + c K^2.
    const double K[3][3] = {{0, 0, k1}, {0, 0, -k0}, {-k1, k0, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double k2 = 0;
            for (int l = 0; l < 3; ++l) k2 += K[i][l] * K[l][j];
            r[i][j] += s * K[i][j] + c * k2;
        }
    return r;
}

Frame moved(const Frame& f, const std::array<double, 4>& theta, double L) {
    const Turn r = turn(theta[2] / L, theta[3] / L);
    Frame g;
    for (int k = 0; k < 3; ++k)
        g.e[k] = add(add(mul(r[0][k], f.e[0]), mul(r[1][k], f.e[1])), mul(r[2][k], f.e[2]));
    const Vec point = add(f.origin, add(mul(theta[0], g.e[0]), mul(theta[1], g.e[1])));
    g.origin = sub(point, mul(dot(point, g.e[2]), g.e[2]));
    return g;
}

double axialextent(const View& w, const Frame& f) {
    double L = 0;
    for (std::size_t i = 0; i < w.n; ++i)
        L = std::max(L, std::fabs(dot(sub(w[i], f.origin), f.e[2])));
    return std::max(L, 1e-300);
}

std::vector<std::size_t> startingpoints(const View& w, const Frame& f) {
    const double quarter = std::acos(-1.0) / 2;
    std::vector<std::size_t> out;
    std::size_t low = 0, high = 0;
    double zl = inf, zh = -inf;
    for (std::size_t i = 0; i < w.n; ++i) {
        const double z = dot(sub(w[i], f.origin), f.axis());
        if (z < zl) zl = z, low = i;
        if (z > zh) zh = z, high = i;
    }
    out.push_back(low);
    out.push_back(high);
    for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 64)) out.push_back(i);
    // Cells of eighths of 2 pi over the angles from pi to 3 pi: a point in
    // each quarter turn of each slab.
    constexpr int slabs = 16, sectors = 8;
    std::vector<std::size_t> cell(slabs * sectors, w.n);
    for (std::size_t i = 0; i < w.n && zh > zl; ++i) {
        const Vec p = f.local(w[i]);
        const int k = std::min(slabs - 1, static_cast<int>((p[2] - zl) / (zh - zl) * slabs));
        const double angle = std::atan2(p[1], p[0]) + 4 * quarter;
        const int m = std::min(sectors - 1, static_cast<int>(angle / (4 * quarter) * sectors / 2));
        if (k >= 0 && cell[k * sectors + m] == w.n) cell[k * sectors + m] = i;
    }
    for (const std::size_t i : cell)
        if (i < w.n) out.push_back(i);
    return out;
}

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Four points of a 3-D view at a time in a frame, the same operations on
// each as View::operator[] and Frame::local, in wider registers.
struct Broadcast {
    __m256d origin[3], scale, at[3], e[3][3];
};
__attribute__((target("avx2"))) Broadcast broadcast(const View& w, const Frame& f) {
    Broadcast b;
    b.scale = _mm256_set1_pd(w.scale);
    for (int c = 0; c < 3; ++c) {
        b.origin[c] = _mm256_set1_pd(w.origin[c]);
        b.at[c] = _mm256_set1_pd(f.origin[c]);
        for (int k = 0; k < 3; ++k) b.e[c][k] = _mm256_set1_pd(f.e[c][k]);
    }
    return b;
}

// Coordinate c of points i .. i + 3 about the frame's origin: (p_c -
// origin_c) scale - at_c.
__attribute__((target("avx2"))) inline __m256d offset(const View& w, const Broadcast& b,
                                                      std::size_t i, int c) {
    const double* p = w.data + i * w.stride + c;
    const std::size_t s = w.stride;
    const __m256d q = _mm256_set_pd(p[3 * s], p[2 * s], p[s], p[0]);
    return _mm256_sub_pd(_mm256_mul_pd(_mm256_sub_pd(q, b.origin[c]), b.scale), b.at[c]);
}

// The local coordinate along e[k] of the offsets d: dot(d, e[k]).
__attribute__((target("avx2"))) inline __m256d along(const __m256d (&d)[3], const Broadcast& b,
                                                     int k) {
    return _mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(d[0], b.e[k][0]), _mm256_mul_pd(d[1], b.e[k][1])),
        _mm256_mul_pd(d[2], b.e[k][2]));
}

__attribute__((target("avx2"))) inline __m256d radius(__m256d x, __m256d y) {
    return _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(x, x), _mm256_mul_pd(y, y)));
}

// radial() of the points up to the last whole four, lane by lane as
// spread2's lanes do; returns where the rest begin.
__attribute__((target("avx2"))) std::size_t radial4(const View& w, const Frame& f, Spread& s) {
    const Broadcast b = broadcast(w, f);
    Extremes4 e;
    std::size_t i = 0;
    for (; i + 4 <= w.n; i += 4) {
        const __m256d d[3] = {offset(w, b, i, 0), offset(w, b, i, 1), offset(w, b, i, 2)};
        e.take(radius(along(d, b, 0), along(d, b, 1)));
    }
    e.into(s);
    return i;
}

// cylrows() of points first .. up to the last whole four; returns how many.
__attribute__((target("avx2"))) std::size_t cylrows4(const View& w, const Frame& f, double L,
                                                     std::size_t first, std::size_t count,
                                                     double* rows) {
    const Broadcast b = broadcast(w, f);
    const __m256d length = _mm256_set1_pd(L), zero = _mm256_setzero_pd();
    const __m256d sign = _mm256_set1_pd(-0.0);
    std::size_t j = 0;
    for (; j + 4 <= count; j += 4) {
        const std::size_t i = first + j;
        const __m256d d[3] = {offset(w, b, i, 0), offset(w, b, i, 1), offset(w, b, i, 2)};
        const __m256d x = along(d, b, 0), y = along(d, b, 1), z = along(d, b, 2);
        const __m256d rho = radius(x, y);
        // rho > 0 ? x / rho : 0, and likewise y: 0 where rho is 0 or not a number.
        const __m256d positive = _mm256_cmp_pd(rho, zero, _CMP_GT_OQ);
        const __m256d n0 = _mm256_and_pd(positive, _mm256_div_pd(x, rho));
        const __m256d n1 = _mm256_and_pd(positive, _mm256_div_pd(y, rho));
        const __m256d a2 = _mm256_div_pd(_mm256_mul_pd(_mm256_xor_pd(n1, sign), z), length);
        const __m256d a3 = _mm256_div_pd(_mm256_mul_pd(n0, z), length);
        double lanes[5][4];
        _mm256_storeu_pd(lanes[0], n0);
        _mm256_storeu_pd(lanes[1], n1);
        _mm256_storeu_pd(lanes[2], a2);
        _mm256_storeu_pd(lanes[3], a3);
        _mm256_storeu_pd(lanes[4], rho);
        for (int l = 0; l < 4; ++l)
            for (int c = 0; c < 5; ++c)
                rows[5 * (j + static_cast<std::size_t>(l)) + c] = lanes[c][l];
    }
    return j;
}
#endif

} // namespace

void cylrows(const View& w, const Frame& f, double L, std::size_t first, std::size_t count,
             double* rows) {
    std::size_t j = 0;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (w.dim == 3 && hasavx2()) j = cylrows4(w, f, L, first, count, rows);
#endif
    for (; j < count; ++j) {
        double* r = rows + 5 * j;
        cylrow(f.local(w[first + j]), L, r, r[4]);
    }
}

Spread radial(const View& w, const Frame& f) {
    Spread s;
    std::size_t i = 0;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (w.dim == 3 && hasavx2()) i = radial4(w, f, s);
#endif
    for (; i < w.n; ++i) {
        const Vec q = f.local(w[i]);
        const double d = across(q[0], q[1]);
        if (d > s.top) s.top = d, s.far = i;
        if (d < s.bottom) s.bottom = d, s.near = i;
    }
    return s;
}

namespace {

using V4 = std::array<double, 4>;

// The determinant of a 3 x 3 matrix given by rows.
double det3(const double (&m)[3][3]) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// A vector normal to the three given ones (their generalised cross product).
V4 normal(const V4& a, const V4& b, const V4& c) {
    V4 n{};
    for (int skip = 0; skip < 4; ++skip) {
        double m[3][3];
        for (int col = 0, j = 0; col < 4; ++col) {
            if (col == skip) continue;
            m[0][j] = a[col], m[1][j] = b[col], m[2][j] = c[col];
            ++j;
        }
        n[skip] = (skip % 2 == 0 ? 1 : -1) * det3(m);
    }
    return n;
}

double dot4(const V4& a, const V4& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

} // namespace

double sharpness4(const std::vector<V4>& w) {
    return hulldepth<4>(w, 40, [](const std::array<V4, 3>& d) { return normal(d[0], d[1], d[2]); });
}

namespace {

// Up to `most` of the candidates, each next the one whose gradient is
// farthest from those taken.
std::vector<std::size_t> spreadout(const std::vector<std::size_t>& p, const std::vector<V4>& g,
                                   std::size_t most) {
    if (p.size() <= most) return p;
    std::vector<std::size_t> out = {0};
    std::vector<double> nearest(p.size(), inf);
    while (out.size() < most) {
        std::size_t best = 0;
        for (std::size_t k = 0; k < p.size(); ++k) {
            V4 d;
            for (int c = 0; c < 4; ++c) d[c] = g[k][c] - g[out.back()][c];
            nearest[k] = std::min(nearest[k], dot4(d, d));
            if (nearest[k] > nearest[best]) best = k;
        }
        if (!(nearest[best] > 0)) break;
        out.push_back(best);
    }
    for (std::size_t& k : out) k = p[k];
    return out;
}

} // namespace

// Bounds of the second-order terms of a move of size s: a point at distance
// rho moves off its first-order place by at most s^2 rho / (2 L^2) + s^3 /
// (6 L^2) (the turn), and its distance from the axis exceeds the first-order
// value by at most that plus |delta|^2 / (2 (rho - |delta|)), |delta| <= sqrt 2
// s + the turn (the convexity of the distance).
double turnterm(double s, double rho, double L) {
    return s * s * rho / (2 * L * L) + s * s * s / (6 * L * L);
}
double innerterm(double s, double rho, double nearest, double L) {
    const double turn = turnterm(s, rho, L);
    const double delta = std::sqrt(2.0) * s + turn;
    if (!(nearest - delta > 0)) return inf;
    return turn + delta * delta / (2 * (nearest - delta));
}

Ball ball(const View& w, const Frame& f, double L, int kind, double gap) {
    Ball out;
    const Spread s = radial(w, f);
    const double near = gap / 4;
    std::vector<std::size_t> outer, inner;
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = f.local(w[i]);
        const double d = across(q[0], q[1]);
        if (kind != 2 && d >= s.top - near) outer.push_back(i);
        if (kind != 1 && d <= s.bottom + near) inner.push_back(i);
    }
    const auto gradients = [&](const std::vector<std::size_t>& p, std::vector<double>& rho) {
        std::vector<V4> g(p.size());
        rho.resize(p.size());
        for (std::size_t k = 0; k < p.size(); ++k) {
            double a[4];
            cylrow(f.local(w[p[k]]), L, a, rho[k]);
            for (int c = 0; c < 4; ++c) g[k][c] = -a[c];
        }
        return g;
    };
    std::vector<double> ro, ri;
    outer = spreadout(outer, gradients(outer, ro), kind == 0 ? 6 : 12);
    inner = spreadout(inner, gradients(inner, ri), kind == 0 ? 6 : 12);
    const std::vector<V4> go = gradients(outer, ro), gi = gradients(inner, ri);
    std::vector<V4> v;
    double D = 0, Dinner = 0, nearest = inf, lowestouter = inf, highestinner = 0;
    for (const double r : ro) D = std::max(D, r), lowestouter = std::min(lowestouter, r);
    for (const double r : ri)
        Dinner = std::max(Dinner, r), nearest = std::min(nearest, r),
        highestinner = std::max(highestinner, r);
    if (kind == 0) {
        for (const V4& a : go)
            for (const V4& b : gi)
                v.push_back({a[0] - b[0], a[1] - b[1], a[2] - b[2], a[3] - b[3]});
        out.h = std::max(0.0, lowestouter - highestinner);
    } else if (kind == 1) {
        v = go;
        out.h = lowestouter;
    } else {
        for (const V4& b : gi) v.push_back({-b[0], -b[1], -b[2], -b[3]});
        out.h = -highestinner;
    }
    out.active = outer;
    out.active.insert(out.active.end(), inner.begin(), inner.end());
    const double kappa = sharpness4(v) * (1 - 1e-9);
    if (!(kappa > 0)) return out;
    const auto E = [&](double t) {
        double e = 0;
        if (kind != 2) e += turnterm(t, D, L);
        if (kind != 1) e += innerterm(t, Dinner, nearest, L);
        return e;
    };
    // kappa s - E(s) is concave and 0 at 0: the largest s where it is not
    // negative, by bisection.
    double lo = 0, hi = 4 * (D + Dinner + L);
    for (int k = 0; k < 100; ++k) {
        const double mid = (lo + hi) / 2;
        (kappa * mid - E(mid) >= 0 ? lo : hi) = mid;
    }
    out.rho = lo * (1 - 1e-9);
    return out;
}

} // namespace formeval::pointset::kernel
