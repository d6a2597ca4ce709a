// Deviations of every point from the model: model value minus observation.
// The sum starts from 0, as the model value always has (so that a product of
// -0 gives +0), in the same order for every model size.
#include "fit/fit.h"

namespace formeval {

namespace {

template <int n> inline double modelvalue(const Row5& row, const double* gs) {
    double rc = 0;
    for (int j = 0; j < n; ++j) rc += gs[j] * row[j];
    return rc;
}

inline double modelvalue(const Row5& row, const double* gs, int n) {
    double rc = 0;
    for (int j = 0; j < n; ++j) rc += gs[j] * row[j];
    return rc;
}

template <int n>
void deviations(const Row5* x, const double* r, const double* gs, double* err, int numpt) {
    for (int p = 0; p < numpt; ++p) err[p] = modelvalue<n>(x[p], gs) - r[p];
}

// The deviations and the first point of largest square, as maxerp finds it.
template <int n>
int worstdeviations(const Row5* x, const double* r, const double* gs, double* err, int numpt) {
    double largest = 0;
    int worst = 0;
    for (int p = 0; p < numpt; ++p) {
        const double e = modelvalue<n>(x[p], gs) - r[p];
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
    switch (n) {
    case 2:
        return deviations<2>(x, r, gs, err, numpt);
    case 3:
        return deviations<3>(x, r, gs, err, numpt);
    case 4:
        return deviations<4>(x, r, gs, err, numpt);
    default:
        for (int p = 0; p < numpt; ++p) err[p] = modelvalue(x[p], gs, n) - r[p];
    }
}

int errmax(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt) {
    switch (n) {
    case 2:
        return worstdeviations<2>(x, r, gs, err, numpt);
    case 3:
        return worstdeviations<3>(x, r, gs, err, numpt);
    case 4:
        return worstdeviations<4>(x, r, gs, err, numpt);
    default:
        error(x, r, gs, err, n, numpt);
        return maxerp(err, numpt);
    }
}

} // namespace formeval
