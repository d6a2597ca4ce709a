// Cones: the axis, the slope s = tan(angle) of the half apex angle and the
// radius R at the axis' origin that minimise the distances across the surface,
//   d_i = c (rho_i - s z_i - R),  c = 1 / sqrt(1 + s^2),
// rho_i and z_i a point's distance from the axis and place along it.
//
// Both criteria step on the linear model of d_i about an axis and a slope. A
// move of the frame (cylinder.h) moves rho_i as it does a cylinder's and z_i by
// (x_i L w1 - y_i L w0) / L; a change ds of the slope moves d_i by
// -(c z_i + s c^3 (rho_i - s z_i - R)) ds, whose part in R is the same for
// every point and so is taken up by the level (the fit's first column).
// Least squares: damped Gauss-Newton from each of the moments' axes, started
// at the algebraic circle of the points projected along it and the slope of
// their distances along it, a few steps on a sample and the best finished on
// every point. Minimum zone: sequential linear programs from the least-squares
// cone, as the cylinder's descent.
#include "pointset/zonedescent.h"

#include <cmath>

namespace formeval::pointset::kernel {

namespace {

constexpr int columns = 6; // the level, the four moves and the slope

// Rows (1, a) and observation c (rho - s z) about a frame and slope; the
// slope's column scaled by L as the moves are.
struct Rows {
    const View& w;
    Frame f;
    double L;
    double s;
    double c = 1 / std::sqrt(1 + s * s);
    void operator()(std::size_t i, double* a, double& o) const {
        const Vec q = f.local(w[i]);
        double g[4], rho;
        cylrow(q, L, g, rho);
        const double r = rho - s * q[2];
        a[0] = 1;
        a[1] = c * g[0];
        a[2] = c * g[1];
        a[3] = c * (g[2] - s * q[1] / L);
        a[4] = c * (g[3] + s * q[0] / L);
        a[5] = c * (q[2] + s * c * c * r) / L;
        o = c * r;
    }
};

// The cone moved by a step of the model (its level aside), its radius left for
// the caller to measure.
Conic stepped(const Conic& k, const double* y, double L) {
    return {moved(k.f, {y[1], y[2], y[3], y[4]}, L), k.s + y[5] / L, k.R};
}

// The slope of positive s: the frame turned end for end where it narrows
// along its axis.
void widening(Conic& k) {
    if (k.s >= 0) return;
    k.f.e[2] = mul(-1, k.f.e[2]);
    k.f.e[0] = mul(-1, k.f.e[0]);
    k.s = -k.s;
}

// Least squares about a cone over every step-th point: the sum of squared
// distances about their mean (the best level), the mean of rho - s z, and the
// normal equations of the step, about `level` for their accuracy.
struct Squares {
    long double sum = 0;
    double mean = 0; // of rho - s z
    double ata[columns][columns] = {};
    double atb[columns] = {};
};
Squares squares(const View& w, const Conic& k, double L, double level, std::size_t step) {
    const Rows rows{w, k.f, L, k.s};
    Squares out;
    long double sum = 0, sum2 = 0, count = 0;
    for (std::size_t i = 0; i < w.n; i += step) {
        double a[columns], o;
        rows(i, a, o);
        const double e = o - level;
        sum += e;
        sum2 += static_cast<long double>(e) * e;
        count += 1;
        for (int j = 0; j < columns; ++j) {
            for (int l = j; l < columns; ++l) out.ata[j][l] += a[j] * a[l];
            out.atb[j] += a[j] * e;
        }
    }
    for (int j = 0; j < columns; ++j)
        for (int l = 0; l < j; ++l) out.ata[j][l] = out.ata[l][j];
    out.sum = sum2 - sum * sum / count;
    out.mean = static_cast<double>((level + sum / count) / rows.c);
    return out;
}

// Damped Gauss-Newton from k; returns the sum of squares it ends on, with
// k.R the mean radius at the frame's origin.
long double levenberg(const View& w, Conic& k, std::size_t step, int iterations) {
    const double L = sampledextent(w, k.f, step);
    double level = k.R / std::sqrt(1 + k.s * k.s);
    Squares s = squares(w, k, L, level, step);
    k.R = s.mean;
    double lambda = 1e-6;
    for (int iteration = 0; iteration < iterations; ++iteration) {
        double a[columns * columns], b[columns];
        for (int j = 0; j < columns; ++j) {
            for (int l = 0; l < columns; ++l) a[j * columns + l] = s.ata[j][l];
            a[j * columns + j] *= 1 + lambda;
            b[j] = s.atb[j];
        }
        if (!solve(columns, a, b)) break;
        const Conic g = stepped(k, b, L);
        const double length =
            std::sqrt(b[1] * b[1] + b[2] * b[2] + b[3] * b[3] + b[4] * b[4] + b[5] * b[5]);
        if (!(std::fabs(g.s) < 1e6)) break;
        const double next = k.R / std::sqrt(1 + k.s * k.s) + b[0];
        const Squares trial = squares(w, g, L, next, step);
        if (!(trial.sum <= s.sum * (1 + 1e-12L))) {
            lambda *= 16;
            if (lambda > 1e12) break;
            continue;
        }
        lambda = std::max(lambda / 8, 1e-12);
        k = g;
        k.R = trial.mean;
        s = trial;
        if (length <= 1e-15 * (1 + std::fabs(k.R))) break;
    }
    return s.sum;
}

// The least-squares cone: from each moments' axis, the circle of the points
// projected along it and their distances' slope along it.
bool lsconic(const Moments& m, Conic& best, std::string& failure) {
    const View& w = m.view;
    const std::size_t step = std::max<std::size_t>(1, w.n / 4096);
    long double least = inf;
    for (int j = 0; j < 3; ++j) {
        Conic k{frameabout({0, 0, 0}, m.vectors[j])};
        double r = 0;
        if (!circlestart(w, k.f, r, step)) continue;
        double zz = 0, zr = 0, z = 0, rho = 0, count = 0;
        for (std::size_t i = 0; i < w.n; i += step) {
            const Vec q = k.f.local(w[i]);
            const double d = across(q[0], q[1]);
            z += q[2], rho += d, zz += q[2] * q[2], zr += q[2] * d, count += 1;
        }
        const double vz = zz - z * z / count;
        k.s = vz > 0 ? (zr - z * rho / count) / vz : 0;
        k.R = rho / count - k.s * z / count;
        widening(k);
        const long double sum = levenberg(w, k, step, 40);
        if (sum < least) least = sum, best = k;
    }
    if (std::isfinite(static_cast<double>(least))) {
        levenberg(w, best, 1, 200);
        widening(best);
    }
    if (!std::isfinite(static_cast<double>(least)) || !(std::fabs(best.R) < 1e6) ||
        !(best.s < 1e6) || !(norm(best.f.origin) < 1e6)) {
        failure = "the least-squares cone runs off to infinity: the points lie too close to a "
                  "plane";
        return false;
    }
    return true;
}

// The model about a cone, the zone of its distances there, and for large sets
// the farthest and nearest points, the first working set of its fit.
struct Model {
    Rows rows;
    Chebyshev<Rows> lp;
    double top = -inf, bottom = inf;
    std::vector<long> far;
    Model(const View& w, const Conic& k, double L, std::vector<double>& store)
        : rows{w, k.f, L, k.s}, lp(rows, w.n, columns, &store) {
        far = lp.levels(top, bottom);
    }
    double zone() const { return top - bottom; }
};

Found found(const Conic& k) {
    Found out;
    out.found = true;
    out.point = k.f.origin;
    out.direction = k.f.axis();
    out.radius = k.R;
    out.angle = std::atan(k.s);
    return out;
}

} // namespace

// The minimum zone from the cone k (zonedescent.h).
double mzconic(const View& w, Conic& k) {
    const double L = axialextent(w, k.f);
    const auto step = [L](const Conic& c, const double* y, double t) {
        double moves[columns];
        for (int j = 0; j < columns; ++j) moves[j] = t * y[j];
        return stepped(c, moves, L);
    };
    const auto d = zonedescent<Model, columns>(w, k, L, step,
                                               [](const Conic& c) -> const Frame& { return c.f; });
    k = d.state;
    k.R = (d.top + d.bottom) / 2 * std::sqrt(1 + k.s * k.s);
    return d.zone;
}

Found lscone(const Moments& m) {
    Conic k;
    std::string failure;
    if (!lsconic(m, k, failure)) return notfound(failure);
    return found(k);
}

Found mzcone(const Moments& m, const Options& options) {
    Conic k;
    std::string failure;
    if (!lsconic(m, k, failure)) return notfound(failure);
    double zone = mzconic(m.view, k);
    Certificate c;
    if (options.certificate) c = certifycone(m.view, k, zone, options.budget);
    widening(k);
    Found out = found(k);
    out.certificate = c;
    return out;
}

} // namespace formeval::pointset::kernel
