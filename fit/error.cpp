// Deviations of every point from the model: model value minus observation.
// The sum starts from 0, as the model value always has (so that a product of
// -0 gives +0), in the same order for every model size; two points at a time
// where the processor has SSE2, each lane taking the same operations in the
// same order, so the same bits.
#include "fit/fit.h"

#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace formeval {

namespace {

// Calls body with the model size: a compile-time constant for the sizes the
// evaluations use (2 to 4), so that the sums over the parameters unroll, else
// n itself.
template <class Body> decltype(auto) bysize(int n, Body body) {
    switch (n) {
    case 2:
        return body(std::integral_constant<int, 2>());
    case 3:
        return body(std::integral_constant<int, 3>());
    case 4:
        return body(std::integral_constant<int, 4>());
    default:
        return body(n);
    }
}

template <class Size> inline double modelvalue(const Row5& row, const double* gs, Size n) {
    double rc = 0;
    for (int j = 0; j < n; ++j) rc += gs[j] * row[j];
    return rc;
}

#if defined(__SSE2__)
// The deviations of points p and p + 1.
template <class Size>
inline __m128d pair(const Row5* x, const double* r, const double* gs, Size n, int p) {
    __m128d rc = _mm_setzero_pd();
    for (int j = 0; j < n; ++j)
        rc = _mm_add_pd(rc, _mm_mul_pd(_mm_set1_pd(gs[j]), _mm_set_pd(x[p + 1][j], x[p][j])));
    return _mm_sub_pd(rc, _mm_loadu_pd(r + p));
}

// Lanes' largest squares and where: a square replaces the lane's largest
// only when greater (so a NaN never does, and a lane keeps its first).
struct Largest {
    __m128d square = _mm_setzero_pd();
    __m128d at = _mm_setzero_pd();
    void take(__m128d e, __m128d where) {
        const __m128d s = _mm_mul_pd(e, e);
        const __m128d greater = _mm_cmpgt_pd(s, square);
        square = _mm_max_pd(s, square);
        at = _mm_or_pd(_mm_and_pd(greater, where), _mm_andnot_pd(greater, at));
    }
};
#endif

template <class Size>
void deviations(const Row5* x, const double* r, const double* gs, double* err, Size n, int numpt) {
    int p = 0;
#if defined(__SSE2__)
    for (; p + 1 < numpt; p += 2) _mm_storeu_pd(err + p, pair(x, r, gs, n, p));
#endif
    for (; p < numpt; ++p) err[p] = modelvalue(x[p], gs, n) - r[p];
}

// The deviations and the first point of largest square: four lanes, each
// keeping its first largest, then the largest of the lanes, the first point
// among equals.
template <class Size>
int deviationsmax(const Row5* x, const double* r, const double* gs, double* err, Size n,
                  int numpt) {
    double largest = 0;
    int worst = 0;
    int p = 0;
#if defined(__SSE2__)
    Largest lanes[2];
    __m128d where = _mm_set_pd(1, 0);
    const __m128d two = _mm_set1_pd(2);
    for (; p + 3 < numpt; p += 4) {
        const __m128d e0 = pair(x, r, gs, n, p);
        const __m128d e1 = pair(x, r, gs, n, p + 2);
        _mm_storeu_pd(err + p, e0);
        _mm_storeu_pd(err + p + 2, e1);
        lanes[0].take(e0, where);
        lanes[1].take(e1, _mm_add_pd(where, two));
        where = _mm_add_pd(where, _mm_add_pd(two, two));
    }
    double square[4];
    double at[4];
    _mm_storeu_pd(square, lanes[0].square);
    _mm_storeu_pd(square + 2, lanes[1].square);
    _mm_storeu_pd(at, lanes[0].at);
    _mm_storeu_pd(at + 2, lanes[1].at);
    for (int k = 0; k < 4; ++k) {
        const int point = static_cast<int>(at[k]);
        if (square[k] > largest || (square[k] == largest && largest > 0 && point < worst)) {
            largest = square[k];
            worst = point;
        }
    }
#endif
    for (; p < numpt; ++p) {
        const double e = modelvalue(x[p], gs, n) - r[p];
        err[p] = e;
        if (e * e > largest) {
            largest = e * e;
            worst = p;
        }
    }
    return worst;
}

} // namespace

void error(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt) {
    bysize(n, [&](auto size) { deviations(x, r, gs, err, size, numpt); });
}

// The deviations and the first point of largest square, as maxerp finds it:
// a NaN deviation is never taken, and with every deviation 0 it is point 0.
int errmax(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt) {
    return bysize(n, [&](auto size) { return deviationsmax(x, r, gs, err, size, numpt); });
}

} // namespace formeval
