// Least-squares fit by the normal equations, accumulated point by point. The
// sums are kept in locals for the model sizes the evaluators use (n = 2 to
// 4), each added to in point order from 0 as the matrix itself would be, so
// the normal equations are the same to the last bit; g[j][i] is g[i][j],
// whose every product and sum is the same.
#include "fit/fit.h"
#include "linalg/linalg.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace formeval {

namespace {

// The sums s[i][j], i <= j <= n (column n the right-hand side), in the order
// a point adds to them; entry k of the list is (first[k], second[k]).
template <int n> struct Sums {
    static constexpr int count = (n + 1) * (n + 2) / 2 - 1;
    int first[count + 1] = {};
    int second[count + 1] = {};
    constexpr Sums() {
        int k = 0;
        for (int i = 0; i < n; ++i)
            for (int j = i; j <= n; ++j) {
                first[k] = i;
                second[k] = j;
                ++k;
            }
        // A last entry that pads an odd count to whole pairs.
        first[k] = second[k] = 0;
    }
};

template <int n> void normal(const Row5* x, const double* r, Row7* g, int numpt) {
    constexpr Sums<n> list;
    double s[n][n + 1] = {};
#if defined(__SSE2__)
    // The sums in pairs of lanes, list entries 2k and 2k + 1 in pair k: each
    // lane adds the same products in the same order, so the same bits.
    constexpr int pairs = (list.count + 1) / 2;
    __m128d sum[pairs];
    for (int k = 0; k < pairs; ++k) sum[k] = _mm_setzero_pd();
    for (int p = 0; p < numpt; ++p) {
        double row[n + 1];
        for (int j = 0; j < n; ++j) row[j] = x[p][j];
        row[n] = r[p];
        for (int k = 0; k < pairs; ++k) {
            const __m128d a = _mm_set_pd(row[list.first[2 * k + 1]], row[list.first[2 * k]]);
            const __m128d b = _mm_set_pd(row[list.second[2 * k + 1]], row[list.second[2 * k]]);
            sum[k] = _mm_add_pd(sum[k], _mm_mul_pd(a, b));
        }
    }
    double lanes[2 * pairs];
    for (int k = 0; k < pairs; ++k) _mm_storeu_pd(lanes + 2 * k, sum[k]);
    for (int k = 0; k < list.count; ++k) s[list.first[k]][list.second[k]] = lanes[k];
#else
    for (int p = 0; p < numpt; ++p) {
        const Row5& row = x[p];
        for (int i = 0; i < n; ++i) {
            for (int j = i; j < n; ++j) s[i][j] += row[i] * row[j];
            s[i][n] += row[i] * r[p];
        }
    }
#endif
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) g[i][j] = j < i ? s[j][i] : s[i][j];
        g[i][n] = s[i][n];
    }
}

void normal(const Row5* x, const double* r, Row7* g, int n, int numpt) {
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= n; ++j) g[i][j] = 0;
    for (int p = 0; p < numpt; ++p)
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) g[i][j] += x[p][i] * x[p][j];
            g[i][n] += x[p][i] * r[p];
        }
}

} // namespace

void lsgen(const Row5* x, const double* r, double* gs, Row7* g, int n, int numpt) {
    switch (n) {
    case 2:
        normal<2>(x, r, g, numpt);
        break;
    case 3:
        normal<3>(x, r, g, numpt);
        break;
    case 4:
        normal<4>(x, r, g, numpt);
        break;
    default:
        normal(x, r, g, n, numpt);
    }
    gauss(g, n, gs);
}

} // namespace formeval
