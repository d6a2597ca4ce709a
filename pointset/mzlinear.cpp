// Minimum-zone line and plane: the narrowest pair of parallel lines (planes)
// holding every point, the zone measured orthogonally.
//
// In the least-squares frame (x along the line or in the plane, z along the
// least-squares normal), the Chebyshev fit z ~ z0 + a.x by the dual simplex
// minimises the zone W(a) measured along z; the orthogonal zone of the normal
// m = (-a, 1) is W(a) / |m|. W is convex and piecewise linear: where the
// points at the top and bottom of the zone hold the fit from every side, with
// levels apart by h and sharpness kappa (the least growth of W per unit change
// of a), W(a') >= h + kappa |a' - a| for every a', so the orthogonal zone of
// any normal is at least (h + kappa s) / (|m| + s) >= min(h / |m|, kappa): the
// fit is the orthogonal minimum zone whenever kappa >= h / |m|, which holds
// for any set longer than its zone is wide.
#include "pointset/kernels.h"

#include <cmath>

namespace formeval::pointset::kernel {

namespace {

// The points in the frame: rows (1, x[, y]) and observation z.
struct Frame {
    const View& w;
    int m;      // parameters: 2 for a line, 3 for a plane
    Vec ex, ey; // in-feature axes
    Vec ez;     // the least-squares normal
    void operator()(std::size_t i, double* a, double& f) const {
        const Vec q = w[i];
        a[0] = 1;
        a[1] = dot(q, ex);
        if (m == 3) a[2] = dot(q, ey);
        f = dot(q, ez);
    }
};

// Candidates for the first basis: the points at the corners of the set.
std::vector<std::size_t> corners(const Frame& fr) {
    constexpr int count = 8;
    std::array<std::size_t, count> pick{};
    std::array<double, count> value;
    value.fill(-inf);
    for (std::size_t i = 0; i < fr.w.n; ++i) {
        double a[3], f;
        fr(i, a, f);
        const double y = fr.m == 3 ? a[2] : f;
        const double v[count] = {a[1] + y, -a[1] - y, a[1] - y, -a[1] + y, a[1], -a[1], y, -y};
        for (int c = 0; c < count; ++c)
            if (v[c] > value[c]) value[c] = v[c], pick[c] = i;
    }
    std::vector<std::size_t> out(pick.begin(), pick.end());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

} // namespace

Found mzlinear(const Moments& mo, const Options& options) {
    Found out;
    const View& w = mo.view;
    const bool line = w.dim == 2;
    Frame fr{w, line ? 2 : 3, line ? mo.vectors[1] : mo.vectors[2], mo.vectors[1], mo.vectors[0]};
    std::array<long, mostk> basis{};
    if (!startbasis(fr, fr.m, corners(fr), basis)) {
        // No m + 1 points in general position: the points fit the feature
        // exactly, as two points a line.
        out = lslinear(mo);
        out.certificate = {true, 0, 0, ""};
        return out;
    }
    const Chebyshev<Frame> lp{fr, w.n, fr.m};
    double e[mostk] = {};
    e[fr.m] = 1;
    const Simplex s = dualsimplex(lp, e, basis, 8 * eps, 2000 + 4 * static_cast<int>(w.n / 64));
    if (!s.ok) {
        out.failure = "the minimum-zone fit did not converge";
        return out;
    }
    const double a = s.y[1], b = fr.m == 3 ? s.y[2] : 0;
    Vec normal = sub(fr.ez, add(mul(a, fr.ex), mul(b, fr.ey)));
    const double length = norm(normal);
    normal = mul(1 / length, normal);
    out.found = true;
    out.point = mul(s.y[0], fr.ez);
    out.direction = line ? Vec{-normal[1], normal[0], 0} : normal;
    if (!options.certificate) return out;

    // The certificate from the residuals of the fit.
    std::vector<double> r(w.n);
    double top = -inf, bottom = inf;
    for (std::size_t i = 0; i < w.n; ++i) {
        double row[3], f;
        fr(i, row, f);
        r[i] = f - row[1] * a - (fr.m == 3 ? row[2] * b : 0.0);
        top = std::max(top, r[i]);
        bottom = std::min(bottom, r[i]);
    }
    const double W = top - bottom;
    const double near = allowedgap(W / length, 1) / 4;
    std::vector<std::size_t> high, low;
    double lowesttop = top, highestbottom = bottom;
    for (std::size_t i = 0; i < w.n; ++i) {
        if (r[i] >= top - near && high.size() < 8)
            high.push_back(i), lowesttop = std::min(lowesttop, r[i]);
        if (r[i] <= bottom + near && low.size() < 8)
            low.push_back(i), highestbottom = std::max(highestbottom, r[i]);
    }
    std::vector<Vec> grads;
    for (const std::size_t i : high)
        for (const std::size_t j : low) {
            double ai[3], aj[3], f;
            fr(i, ai, f);
            fr(j, aj, f);
            grads.push_back({aj[1] - ai[1], fr.m == 3 ? aj[2] - ai[2] : 0.0, 0});
        }
    const double kappa = sharpness(grads, {}, fr.m - 1);
    const double h = std::max(0.0, lowesttop - highestbottom);
    Certificate& c = out.certificate;
    c.upper = W / length;
    // A zone never narrower than twice the spread of the points along its normal.
    const double spread = 2 * std::sqrt(mo.values[0]);
    c.lower = std::max(spread * (1 - 1e-12), kappa > 0 ? std::min(h / length, kappa) : 0.0);
    c.lower = std::min(c.lower, c.upper);
    c.certified = c.upper - c.lower <= allowedgap(c.upper, 1);
    if (!c.certified)
        c.why = kappa >= h / length
                    ? "the bounds on the zone width differ by more than 1e-9 of it"
                    : "the points are too thick for their extent to prove the zone minimal";
    return out;
}

} // namespace formeval::pointset::kernel
