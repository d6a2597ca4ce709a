// Deviations of every point from the model: model value minus observation.
// The sum starts from 0, as the model value always has (so that a product of
// -0 gives +0), in the same order for every model size.
#include "fit/fit.h"

#include <type_traits>

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

} // namespace

void error(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt) {
    bysize(n, [&](auto size) {
        for (int p = 0; p < numpt; ++p) err[p] = modelvalue(x[p], gs, size) - r[p];
    });
}

// The deviations and the first point of largest square, as maxerp finds it:
// a NaN deviation is never taken, and with every deviation 0 it is point 0.
int errmax(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt) {
    return bysize(n, [&](auto size) {
        double largest = 0;
        int worst = 0;
        for (int p = 0; p < numpt; ++p) {
            const double e = modelvalue(x[p], gs, size) - r[p];
            err[p] = e;
            if (e * e > largest) {
                largest = e * e;
                worst = p;
            }
        }
        return worst;
    });
}

} // namespace formeval
