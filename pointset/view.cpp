// The points' frame: centroid, covariance and its eigenvectors, in working
// coordinates of unit size; and the small dense solver of the kernels.
#include "pointset/kernels.h"
#include "pointset/lanes.h"

#include <cmath>
#include <type_traits>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace formeval::pointset::kernel {

namespace {

constexpr double largestallowed = 1e150;

// Eigenvalues (ascending) and unit eigenvectors of the symmetric 3 x 3 matrix
// a, by Jacobi rotations.
void eigen(std::array<std::array<double, 3>, 3> a, std::array<double, 3>& values,
           std::array<Vec, 3>& vectors) {
    std::array<std::array<double, 3>, 3> v = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (int sweep = 0; sweep < 60; ++sweep) {
        const double off = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
        const double diagonal = a[0][0] * a[0][0] + a[1][1] * a[1][1] + a[2][2] * a[2][2];
        if (!(off > 1e-36 * diagonal)) break;
        for (int p = 0; p < 2; ++p)
            for (int q = p + 1; q < 3; ++q) {
                if (a[p][q] == 0) continue;
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t =
                    (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1);
                const double s = t * c;
                for (int k = 0; k < 3; ++k) {
                    const double akp = a[k][p], akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (int k = 0; k < 3; ++k) {
                    const double apk = a[p][k], aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (int k = 0; k < 3; ++k) {
                    const double vkp = v[k][p], vkq = v[k][q];
                    v[k][p] = c * vkp - s * vkq;
                    v[k][q] = s * vkp + c * vkq;
                }
            }
    }
    std::array<int, 3> order = {0, 1, 2};
    std::sort(order.begin(), order.end(), [&](int i, int k) { return a[i][i] < a[k][k]; });
    for (int j = 0; j < 3; ++j) {
        values[j] = a[order[j]][order[j]];
        vectors[j] = {v[0][order[j]], v[1][order[j]], v[2][order[j]]};
    }
}

// The spreads of the points along the strongest principal direction s and,
// across it, along the two directions that diagonalise their 2 x 2 moments
// (one in the plane), each from the points' own distances about their mean.
// s is accurate to rounding whenever a weaker spread is tiny beside it, and
// so is what the points' distances across it leave.
std::array<double, 3> spreads(const View& w, const std::array<Vec, 3>& vectors) {
    const int strong = w.dim == 2 ? 1 : 2;
    const Vec s = vectors[strong];
    Vec a = w.dim == 2 ? Vec{-s[1], s[0], 0} : sub(vectors[0], mul(dot(vectors[0], s), s));
    a = mul(1 / norm(a), a);
    const Vec b = w.dim == 2 ? Vec{0, 0, 0} : cross(s, a);
    const double n = static_cast<double>(w.n);
    Vec mean = {0, 0, 0}; // along a, b, s
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = w[i];
        mean = add(mean, {dot(q, a), dot(q, b), dot(q, s)});
    }
    mean = mul(1 / n, mean);
    double aa = 0, ab = 0, bb = 0, ss = 0;
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = w[i];
        const double x = dot(q, a) - mean[0], y = dot(q, b) - mean[1], z = dot(q, s) - mean[2];
        aa += x * x, ab += x * y, bb += y * y, ss += z * z;
    }
    aa /= n, ab /= n, bb /= n, ss /= n;
    // One Jacobi rotation: its update keeps the smaller moment's digits.
    double t = 0;
    if (ab != 0) {
        const double theta = (bb - aa) / (2 * ab);
        t = (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
    }
    double low = std::max(0.0, aa - t * ab), high = std::max(0.0, bb + t * ab);
    if (low > high) std::swap(low, high);
    if (w.dim == 2) return {std::sqrt(aa), std::sqrt(ss), 0};
    return {std::sqrt(low), std::sqrt(high), std::sqrt(ss)};
}

// The sums of the coordinates and the largest magnitude of one; false at a
// coordinate not finite or beyond the largest allowed.
template <int d> bool coordinatesums(const View& w, double (&sum)[3], double& largest) {
    const double* data = w.data;
    const std::size_t n = w.n, stride = w.stride;
    double top = 0, s[3] = {0, 0, 0};
    for (std::size_t i = 0; i < n; ++i)
        for (int k = 0; k < d; ++k) {
            const double c = data[i * stride + k];
            if (!(std::fabs(c) <= largestallowed)) return false;
            top = std::max(top, std::fabs(c));
            s[k] += c;
        }
    largest = top;
    for (int k = 0; k < 3; ++k) sum[k] = s[k];
    return true;
}

// About the origin (which rounding puts near the centroid, corrected for
// after), in the caller's unit: the extent, the sums of q and q q^T (the
// covariance) and of |q|^2 and |q|^2 q (with the others, the algebraic
// circle's or sphere's normal equations).
struct Second {
    double extent = 0;
    double c[3][3] = {};
    double shift[3] = {0, 0, 0};
    double cubes[3] = {0, 0, 0};
    double squares = 0;
};

template <int d> void secondsums(const View& w, Second& out) {
    const double* data = w.data;
    const std::size_t n = w.n, stride = w.stride;
    const Vec o = w.origin;
    double extent = 0, squares = 0, c[3][3] = {}, shift[3] = {0, 0, 0}, cubes[3] = {0, 0, 0};
    for (std::size_t i = 0; i < n; ++i) {
        const double* p = data + i * stride;
        double q[3] = {0, 0, 0};
        for (int k = 0; k < d; ++k) q[k] = p[k] - o[k];
        for (int k = 0; k < d; ++k) extent = std::max(extent, std::fabs(q[k]));
        const double f = q[0] * q[0] + q[1] * q[1] + q[2] * q[2];
        squares += f;
        for (int r = 0; r < d; ++r) {
            shift[r] += q[r];
            cubes[r] += q[r] * f;
            for (int s = r; s < d; ++s) c[r][s] += q[r] * q[s];
        }
    }
    out.extent = extent;
    out.squares = squares;
    for (int r = 0; r < 3; ++r) {
        out.shift[r] = shift[r];
        out.cubes[r] = cubes[r];
        for (int s = 0; s < 3; ++s) out.c[r][s] = c[r][s];
    }
}

#ifdef __SSE2__
// The same sums of 2-D points, x and y side by side in one register: each
// sum still takes its terms in the points' order, so the bits are the same.
template <> bool coordinatesums<2>(const View& w, double (&sum)[3], double& largest) {
    const __m128d limit = _mm_set1_pd(largestallowed);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    __m128d top = _mm_setzero_pd(), s = _mm_setzero_pd();
    for (std::size_t i = 0; i < w.n; ++i) {
        const __m128d c = _mm_loadu_pd(w.data + i * w.stride);
        const __m128d a = _mm_and_pd(c, magnitude);
        if (_mm_movemask_pd(_mm_cmple_pd(a, limit)) != 3) return false;
        top = _mm_max_pd(top, a);
        s = _mm_add_pd(s, c);
    }
    largest = std::max(_mm_cvtsd_f64(top), _mm_cvtsd_f64(_mm_unpackhi_pd(top, top)));
    _mm_storeu_pd(sum, s);
    sum[2] = 0;
    return true;
}

template <> void secondsums<2>(const View& w, Second& out) {
    const __m128d o = _mm_loadu_pd(w.origin.data());
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    __m128d extent = _mm_setzero_pd(), shift = _mm_setzero_pd(), cubes = _mm_setzero_pd();
    __m128d diagonal = _mm_setzero_pd(); // c[0][0], c[1][1]
    double squares = 0, across = 0;      // across: c[0][1]
    for (std::size_t i = 0; i < w.n; ++i) {
        const __m128d q = _mm_sub_pd(_mm_loadu_pd(w.data + i * w.stride), o);
        extent = _mm_max_pd(extent, _mm_and_pd(q, magnitude));
        const __m128d qq = _mm_mul_pd(q, q);
        const double x = _mm_cvtsd_f64(q), y = _mm_cvtsd_f64(_mm_unpackhi_pd(q, q));
        const double f = _mm_cvtsd_f64(qq) + _mm_cvtsd_f64(_mm_unpackhi_pd(qq, qq));
        squares += f;
        shift = _mm_add_pd(shift, q);
        cubes = _mm_add_pd(cubes, _mm_mul_pd(q, _mm_set1_pd(f)));
        diagonal = _mm_add_pd(diagonal, qq);
        across += x * y;
    }
    out.extent = std::max(_mm_cvtsd_f64(extent), _mm_cvtsd_f64(_mm_unpackhi_pd(extent, extent)));
    out.squares = squares;
    _mm_storeu_pd(out.shift, shift);
    _mm_storeu_pd(out.cubes, cubes);
    out.c[0][0] = _mm_cvtsd_f64(diagonal);
    out.c[1][1] = _mm_cvtsd_f64(_mm_unpackhi_pd(diagonal, diagonal));
    out.c[0][1] = across;
}

// The same sums of 3-D points: x and y side by side in one register, z in the
// low lane of another; each sum takes its terms in the points' order and each
// square sum adds x^2, y^2 and z^2 in that order, so the bits are the same.
template <> bool coordinatesums<3>(const View& w, double (&sum)[3], double& largest) {
    const __m128d limit = _mm_set1_pd(largestallowed);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    __m128d top = _mm_setzero_pd(), topz = _mm_setzero_pd();
    __m128d s = _mm_setzero_pd(), sz = _mm_setzero_pd();
    for (std::size_t i = 0; i < w.n; ++i) {
        const double* p = w.data + i * w.stride;
        const __m128d c = _mm_loadu_pd(p), z = _mm_load_sd(p + 2);
        const __m128d a = _mm_and_pd(c, magnitude), az = _mm_and_pd(z, magnitude);
        if (_mm_movemask_pd(_mm_cmple_pd(a, limit)) != 3 ||
            !(_mm_movemask_pd(_mm_cmple_sd(az, limit)) & 1))
            return false;
        top = _mm_max_pd(top, a); // a maximum is exact in any order
        topz = _mm_max_sd(topz, az);
        s = _mm_add_pd(s, c);
        sz = _mm_add_sd(sz, z);
    }
    largest = std::max(
        {_mm_cvtsd_f64(top), _mm_cvtsd_f64(_mm_unpackhi_pd(top, top)), _mm_cvtsd_f64(topz)});
    _mm_storeu_pd(sum, s);
    sum[2] = _mm_cvtsd_f64(sz);
    return true;
}

template <> void secondsums<3>(const View& w, Second& out) {
    const __m128d o = _mm_loadu_pd(w.origin.data()), oz = _mm_set_sd(w.origin[2]);
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffff));
    __m128d extent = _mm_setzero_pd(), extentz = _mm_setzero_pd();
    __m128d shift = _mm_setzero_pd(), cubes = _mm_setzero_pd();
    __m128d diagonal = _mm_setzero_pd(); // c[0][0], c[1][1]
    __m128d withz = _mm_setzero_pd();    // c[0][2], c[1][2]
    double squares = 0, across = 0, zz = 0, shiftz = 0, cubez = 0;
    for (std::size_t i = 0; i < w.n; ++i) {
        const double* p = w.data + i * w.stride;
        const __m128d q = _mm_sub_pd(_mm_loadu_pd(p), o);
        const __m128d qz = _mm_sub_sd(_mm_load_sd(p + 2), oz);
        extent = _mm_max_pd(extent, _mm_and_pd(q, magnitude));
        extentz = _mm_max_sd(extentz, _mm_and_pd(qz, magnitude));
        const __m128d qq = _mm_mul_pd(q, q);
        const double x = _mm_cvtsd_f64(q), y = _mm_cvtsd_f64(_mm_unpackhi_pd(q, q));
        const double z = _mm_cvtsd_f64(qz);
        const double f = _mm_cvtsd_f64(qq) + _mm_cvtsd_f64(_mm_unpackhi_pd(qq, qq)) + z * z;
        squares += f;
        shift = _mm_add_pd(shift, q);
        shiftz += z;
        cubes = _mm_add_pd(cubes, _mm_mul_pd(q, _mm_set1_pd(f)));
        cubez += z * f;
        diagonal = _mm_add_pd(diagonal, qq);
        across += x * y;
        withz = _mm_add_pd(withz, _mm_mul_pd(q, _mm_set1_pd(z)));
        zz += z * z;
    }
    out.extent = std::max({_mm_cvtsd_f64(extent), _mm_cvtsd_f64(_mm_unpackhi_pd(extent, extent)),
                           _mm_cvtsd_f64(extentz)});
    out.squares = squares;
    _mm_storeu_pd(out.shift, shift);
    out.shift[2] = shiftz;
    _mm_storeu_pd(out.cubes, cubes);
    out.cubes[2] = cubez;
    out.c[0][0] = _mm_cvtsd_f64(diagonal);
    out.c[1][1] = _mm_cvtsd_f64(_mm_unpackhi_pd(diagonal, diagonal));
    out.c[0][1] = across;
    out.c[0][2] = _mm_cvtsd_f64(withz);
    out.c[1][2] = _mm_cvtsd_f64(_mm_unpackhi_pd(withz, withz));
    out.c[2][2] = zz;
}
#endif

// The algebraic fit's normal equations in working units, from the sums of
// q, q q^T, |q|^2 q and |q|^2 in the coordinates' unit (q about the origin):
// scaled by powers of two, they are what a pass over the working coordinates
// sums, to the last bit. Left out where a cube of the extent could overflow
// or underflow.
void algebraicsums(Moments& m, const double (&c)[3][3], const double (&shift)[3],
                   const double (&cubes)[3], double squares, double extent) {
    if (!(extent > 1e-90 && extent < 1e90)) return;
    const double s = m.view.scale;
    const int d = m.view.dim == 3 ? 3 : 2;
    auto& a = m.algebraic;
    for (int r = 0; r < d; ++r) {
        for (int k = r; k < d; ++k) a[r][k] = a[k][r] = 4 * c[r][k] * s * s;
        a[r][d] = a[d][r] = 2 * shift[r] * s;
        a[r][d + 1] = 2 * cubes[r] * s * s * s;
    }
    a[d][d] = static_cast<double>(m.view.n);
    a[d][d + 1] = squares * s * s;
    m.hasalgebraic = true;
}

} // namespace

namespace {

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Four points at a time where the processor has AVX2: the same operations
// on each point, in wider registers.
__attribute__((target("avx2"))) std::size_t distances4(const double* data, std::size_t n,
                                                       const double* o, double scale, double* d) {
    const __m256d origin = _mm256_set_pd(o[1], o[0], o[1], o[0]), s = _mm256_set1_pd(scale);
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        // Points i, i + 1 in a; i + 2, i + 3 in b.
        const __m256d a = _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(data + 2 * i), origin), s);
        const __m256d b =
            _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(data + 2 * i + 4), origin), s);
        const __m256d aa = _mm256_mul_pd(a, a), bb = _mm256_mul_pd(b, b);
        // x^2 + y^2 of points i, i + 2, i + 1, i + 3, then put in order.
        const __m256d sum = _mm256_add_pd(_mm256_unpacklo_pd(aa, bb), _mm256_unpackhi_pd(aa, bb));
        _mm256_storeu_pd(d + i, _mm256_sqrt_pd(_mm256_castsi256_pd(
                                    _mm256_permute4x64_epi64(_mm256_castpd_si256(sum), 0xd8))));
    }
    return i;
}

// Lanes 0, 2, 1, 3 of v in order.
__attribute__((target("avx2"))) inline __m256d inorder(__m256d v) {
    return _mm256_castsi256_pd(_mm256_permute4x64_epi64(_mm256_castpd_si256(v), 0xd8));
}

// Points i .. i + 3 of 2-D data about a centre: x = (p_x - origin_x) k -
// c_x in point order, y likewise (origin and c as x, y, x, y).
struct Four {
    __m256d x, y;
};
__attribute__((target("avx2"))) inline Four about(const double* data, std::size_t i, __m256d origin,
                                                  __m256d k, __m256d c) {
    const __m256d a =
        _mm256_sub_pd(_mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(data + 2 * i), origin), k), c);
    const __m256d b = _mm256_sub_pd(
        _mm256_mul_pd(_mm256_sub_pd(_mm256_loadu_pd(data + 2 * i + 4), origin), k), c);
    // x of points i, i + 2, i + 1, i + 3; y likewise; then in order.
    return {inorder(_mm256_unpacklo_pd(a, b)), inorder(_mm256_unpackhi_pd(a, b))};
}

// The tangent rows of points i .. i + 3 (tangents2): their coordinates
// about the centre, then x and y put each in order of the points.
__attribute__((target("avx2"))) std::size_t tangents4(const double* data, std::size_t n,
                                                      const double* o, double scale,
                                                      const double* c, double* rows) {
    const __m256d origin = _mm256_set_pd(o[1], o[0], o[1], o[0]), s = _mm256_set1_pd(scale);
    const __m256d centre = _mm256_set_pd(c[1], c[0], c[1], c[0]);
    const __m256d zero = _mm256_setzero_pd();
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const auto [x, y] = about(data, i, origin, s, centre);
        const __m256d r = _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(x, x), _mm256_mul_pd(y, y)));
        const __m256d positive = _mm256_cmp_pd(r, zero, _CMP_GT_OQ);
        double ux[4], uy[4], d[4];
        _mm256_storeu_pd(ux, _mm256_and_pd(positive, _mm256_div_pd(x, r)));
        _mm256_storeu_pd(uy, _mm256_and_pd(positive, _mm256_div_pd(y, r)));
        _mm256_storeu_pd(d, r);
        for (int k = 0; k < 4; ++k) {
            double* row = rows + 3 * (i + k);
            row[0] = ux[k];
            row[1] = uy[k];
            row[2] = d[k];
        }
    }
    return i;
}

// spread2's lanes: each keeps its largest and smallest distance and the
// first point with it; the points from i on are left to the caller.
__attribute__((target("avx2"))) std::size_t spread4(const double* data, std::size_t n,
                                                    const double* o, double scale, const double* c,
                                                    Spread& s) {
    const __m256d origin = _mm256_set_pd(o[1], o[0], o[1], o[0]), k = _mm256_set1_pd(scale);
    const __m256d centre = _mm256_set_pd(c[1], c[0], c[1], c[0]);
    Extremes4 e;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const auto [x, y] = about(data, i, origin, k, centre);
        e.take(_mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(x, x), _mm256_mul_pd(y, y))));
    }
    e.into(s);
    return i;
}

#endif

} // namespace

bool hasavx2() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

void distances2(const double* data, std::size_t n, const double* o, double scale, double* d) {
    std::size_t i = 0;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (hasavx2()) i = distances4(data, n, o, scale, d);
#endif
#ifdef __SSE2__
    const __m128d origin = _mm_set_pd(o[1], o[0]), s = _mm_set1_pd(scale);
    for (; i + 2 <= n; i += 2) {
        const __m128d a = _mm_mul_pd(_mm_sub_pd(_mm_loadu_pd(data + 2 * i), origin), s);
        const __m128d b = _mm_mul_pd(_mm_sub_pd(_mm_loadu_pd(data + 2 * i + 2), origin), s);
        const __m128d aa = _mm_mul_pd(a, a), bb = _mm_mul_pd(b, b);
        _mm_storeu_pd(d + i,
                      _mm_sqrt_pd(_mm_add_pd(_mm_unpacklo_pd(aa, bb), _mm_unpackhi_pd(aa, bb))));
    }
#endif
    for (; i < n; ++i) {
        const double x = (data[2 * i] - o[0]) * scale, y = (data[2 * i + 1] - o[1]) * scale;
        d[i] = std::sqrt(x * x + y * y);
    }
}

namespace {

// Point i of 2-D data about c one point at a time: x, y and its distance.
double about(const double* data, std::size_t i, const double* origin, double scale, const double* c,
             double& x, double& y) {
    x = (data[2 * i] - origin[0]) * scale - c[0];
    y = (data[2 * i + 1] - origin[1]) * scale - c[1];
    return std::sqrt(x * x + y * y);
}

} // namespace

void tangents2(const double* data, std::size_t n, const double* origin, double scale,
               const double* c, double* rows) {
    std::size_t i = 0;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (hasavx2()) i = tangents4(data, n, origin, scale, c, rows);
#endif
    for (; i < n; ++i) {
        double x, y;
        const double r = about(data, i, origin, scale, c, x, y);
        double* row = rows + 3 * i;
        row[0] = r > 0 ? x / r : 0.0;
        row[1] = r > 0 ? y / r : 0.0;
        row[2] = r;
    }
}

Spread spread2(const double* data, std::size_t n, const double* origin, double scale,
               const double* c) {
    Spread s;
    std::size_t i = 0;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (hasavx2()) i = spread4(data, n, origin, scale, c, s);
#endif
    for (; i < n; ++i) {
        double x, y;
        const double r = about(data, i, origin, scale, c, x, y);
        if (r > s.top) s.top = r, s.far = i;
        if (r < s.bottom) s.bottom = r, s.near = i;
    }
    return s;
}

Moments moments(const Points& points) {
    Moments m;
    View& w = m.view;
    w.data = points.data;
    w.n = points.count;
    w.dim = points.dimension;
    w.stride = points.stride;
    double sum[3] = {0, 0, 0};
    const bool finite =
        w.dim == 3 ? coordinatesums<3>(w, sum, m.largest) : coordinatesums<2>(w, sum, m.largest);
    if (!finite) {
        m.failure = "a coordinate is not a finite number within +-1e150";
        return m;
    }
    for (int k = 0; k < w.dim; ++k) w.origin[k] = sum[k] / static_cast<double>(w.n);
    Second second;
    if (w.dim == 3)
        secondsums<3>(w, second);
    else
        secondsums<2>(w, second);
    double(&c)[3][3] = second.c;
    double(&shift)[3] = second.shift;
    const double extent = second.extent;
    int exponent = 0;
    if (extent > 0) std::frexp(extent, &exponent);
    w.scale = std::ldexp(1.0, -exponent);
    algebraicsums(m, c, shift, second.cubes, second.squares, extent);
    for (int r = 0; r < 3; ++r) {
        shift[r] /= static_cast<double>(w.n);
        for (int s = r; s < 3; ++s) c[r][s] -= static_cast<double>(w.n) * shift[r] * shift[s];
    }
    for (int r = 0; r < 3; ++r)
        for (int s = r; s < 3; ++s) c[r][s] *= w.scale * w.scale;
    std::array<std::array<double, 3>, 3> a{};
    for (int r = 0; r < 3; ++r)
        for (int s = r; s < 3; ++s) a[r][s] = a[s][r] = c[r][s] / static_cast<double>(w.n);
    eigen(a, m.values, m.vectors);
    for (double& v : m.values) v = std::max(v, 0.0);
    if (w.dim == 2) {
        // The plane's own two directions, the z axis last.
        std::array<double, 3> values = m.values;
        std::array<Vec, 3> vectors = m.vectors;
        int j = 0;
        for (int k = 0; k < 3; ++k)
            if (std::fabs(vectors[k][2]) < 0.5) {
                m.values[j] = values[k];
                m.vectors[j++] = vectors[k];
            }
        m.values[2] = 0;
        m.vectors[2] = {0, 0, 1};
        if (m.values[0] > m.values[1]) {
            std::swap(m.values[0], m.values[1]);
            std::swap(m.vectors[0], m.vectors[1]);
        }
    }
    for (int k = 0; k < 3; ++k) m.spread[k] = std::sqrt(m.values[k]);
    return m;
}

void measurespreads(Moments& m) {
    m.spread = spreads(m.view, m.vectors);
    m.measured = true;
}

template <int K> bool Elimination::factorfixed(double* a) {
    for (int c = 0; c < K; ++c) {
        int pivot = c;
        for (int r = c + 1; r < K; ++r)
            if (std::fabs(a[r * K + c]) > std::fabs(a[pivot * K + c])) pivot = r;
        if (!(std::fabs(a[pivot * K + c]) > 0)) return false;
        pivot_[static_cast<std::size_t>(c)] = pivot;
        if (pivot != c)
            for (int j = 0; j < K; ++j) std::swap(a[c * K + j], a[pivot * K + j]);
        for (int r = c + 1; r < K; ++r) {
            const double f = a[r * K + c] / a[c * K + c];
            f_[static_cast<std::size_t>(c * mostk + r)] = f;
            if (f == 0) continue;
            for (int j = c; j < K; ++j) a[r * K + j] -= f * a[c * K + j];
        }
    }
    return true;
}

template <int K> bool Elimination::applyfixed(double* b) const {
    const double* a = a_;
    for (int c = 0; c < K; ++c) {
        const int pivot = pivot_[static_cast<std::size_t>(c)];
        if (pivot != c) std::swap(b[c], b[pivot]);
        for (int r = c + 1; r < K; ++r) {
            const double f = f_[static_cast<std::size_t>(c * mostk + r)];
            if (f != 0) b[r] -= f * b[c];
        }
    }
    for (int c = K - 1; c >= 0; --c) {
        double s = b[c];
        for (int j = c + 1; j < K; ++j) s -= a[c * K + j] * b[j];
        b[c] = s / a[c * K + c];
        if (!std::isfinite(b[c])) return false;
    }
    return true;
}

namespace {

// f(std::integral_constant<int, k>{}) for k from 1 to mostk; `otherwise`
// for any other k.
template <class F> bool bysize(int k, F f, bool otherwise) {
    static_assert(mostk == 7, "bysize names each size up to mostk");
    switch (k) {
    case 1:
        return f(std::integral_constant<int, 1>{});
    case 2:
        return f(std::integral_constant<int, 2>{});
    case 3:
        return f(std::integral_constant<int, 3>{});
    case 4:
        return f(std::integral_constant<int, 4>{});
    case 5:
        return f(std::integral_constant<int, 5>{});
    case 6:
        return f(std::integral_constant<int, 6>{});
    case 7:
        return f(std::integral_constant<int, 7>{});
    default:
        return otherwise;
    }
}

} // namespace

bool Elimination::factor(int k, double* a) {
    k_ = k;
    a_ = a;
    // Nothing to eliminate below one row; more than mostk, too large.
    return ok_ = bysize(
               k, [&](auto K) { return factorfixed<decltype(K)::value>(a); }, k <= 0);
}

bool Elimination::apply(double* b) const {
    return ok_ && bysize(
                      k_, [&](auto K) { return applyfixed<decltype(K)::value>(b); }, true);
}

bool solve(int k, double* a, double* b) {
    Elimination e;
    return e.factor(k, a) && e.apply(b);
}

} // namespace formeval::pointset::kernel
