// Chebyshev (minimax) fit of a linear model, the zone of constant width along
// the observation that holds every point and is as narrow as possible.
//
// The linear program "minimise h with -h <= f_i - a_i.p <= h" is solved by
// the library's dual simplex, posed about the least-squares fit with every
// column and the residuals scaled to unit size, so that its tolerances are
// relative to the zone. The parameters are then carried back and the
// residuals recomputed in extended precision.
//
// The certificate needs no trust in the solver. With O the points at the top
// of the zone and I those at its bottom, every fit q has a zone at least
//   max_O r_a(q) - min_I r_b(q) >= min_O r_a(p) - max_I r_b(p) + g.(q - p),
// where g = b_b - b_a for some pair, b the rows without their constant
// column. When the origin lies in the convex hull of all those differences,
// some pair has g.(q - p) >= 0 whatever q is, so the zone of p less the
// spread within O and I is a lower bound on the optimum.
#include "pointset/kernels.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace formeval::pointset {

namespace {

using Real = long double;
constexpr int mostparameters = 4;
using Parameters = std::array<Real, mostparameters>;

struct Model {
    const std::vector<ModelRow>& a;
    const std::vector<double>& f;
    int n;
    std::size_t size() const { return f.size(); }
    Real residual(std::size_t i, const Parameters& p) const {
        Real r = f[i];
        for (int j = 0; j < n; ++j) r -= static_cast<Real>(a[i][j]) * p[j];
        return r;
    }
};

// Solves the n x n system g (right-hand side in column n) by elimination
// with partial pivoting; false when it is singular.
bool solvesystem(std::array<std::array<Real, mostparameters + 1>, mostparameters>& g, int n,
                 Parameters& x) {
    for (int k = 0; k < n; ++k) {
        int pivot = k;
        for (int i = k + 1; i < n; ++i)
            if (std::fabs(g[i][k]) > std::fabs(g[pivot][k])) pivot = i;
        if (!(std::fabs(g[pivot][k]) > 0)) return false;
        std::swap(g[k], g[pivot]);
        for (int i = k + 1; i < n; ++i) {
            const Real factor = g[i][k] / g[k][k];
            for (int j = k; j <= n; ++j) g[i][j] -= factor * g[k][j];
        }
    }
    for (int k = n - 1; k >= 0; --k) {
        Real s = g[k][n];
        for (int j = k + 1; j < n; ++j) s -= g[k][j] * x[j];
        x[k] = s / g[k][k];
        if (!std::isfinite(static_cast<double>(x[k]))) return false;
    }
    return true;
}

bool leastsquaresfit(const Model& m, Parameters& p) {
    std::array<std::array<Real, mostparameters + 1>, mostparameters> g{};
    for (std::size_t i = 0; i < m.size(); ++i)
        for (int j = 0; j < m.n; ++j) {
            for (int k = 0; k < m.n; ++k) g[j][k] += static_cast<Real>(m.a[i][j]) * m.a[i][k];
            g[j][m.n] += static_cast<Real>(m.a[i][j]) * m.f[i];
        }
    return solvesystem(g, m.n, p);
}

// The scaled problem the simplex solves: the slope columns about their
// middle, (a_ij - middle_j) / column_j, and observations (f_i - a_i.ls) /
// size. Columns far from the origin would be nearly parallel to the constant
// one and leave the simplex's systems near singular.
struct Scaled {
    const Model& m;
    Parameters ls{};
    std::array<double, mostparameters> middle{};
    std::array<double, mostparameters> column{};
    double size = 1;
    std::vector<double> r; // least-squares residuals
    void operator()(std::size_t i, double* a, double& f) const {
        a[0] = 1;
        for (int j = 1; j < m.n; ++j) a[j] = (m.a[i][j] - middle[j]) / column[j];
        f = r[i] / size;
    }
    // The change of the model's parameters for the scaled ones y.
    Parameters change(const std::array<double, kernel::mostk>& y) const {
        Parameters d{};
        d[0] = static_cast<Real>(y[0]) * size;
        for (int j = 1; j < m.n; ++j) {
            d[j] = static_cast<Real>(y[j]) * size / column[j];
            d[0] -= middle[j] * d[j];
        }
        return d;
    }
};

// Candidates for the first basis: the points of largest and smallest
// least-squares residual and the points at both ends of every slope column.
std::vector<std::size_t> candidates(const Scaled& s) {
    const Model& m = s.m;
    std::vector<std::size_t> order(m.size());
    std::iota(order.begin(), order.end(), 0);
    const auto byresidual = [&](std::size_t i, std::size_t k) { return s.r[i] < s.r[k]; };
    const std::size_t ends = std::min<std::size_t>(m.n + 1, m.size());
    std::nth_element(order.begin(), order.begin() + ends - 1, order.end(), byresidual);
    std::nth_element(order.begin() + ends, order.end() - ends, order.end(), byresidual);
    std::vector<std::size_t> set(order.begin(), order.begin() + ends);
    set.insert(set.end(), order.end() - ends, order.end());
    for (int j = 1; j < m.n; ++j) {
        const auto bycolumn = [&](std::size_t i, std::size_t k) { return m.a[i][j] < m.a[k][j]; };
        set.push_back(*std::min_element(order.begin(), order.end(), bycolumn));
        set.push_back(*std::max_element(order.begin(), order.end(), bycolumn));
    }
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    return set;
}

// The scaled parameters of the Chebyshev fit, or false when the simplex
// finds none.
bool minimax(const Scaled& s, std::array<double, kernel::mostk>& y) {
    const int k = s.m.n;
    const kernel::Chebyshev<Scaled> lp(s, s.m.size(), k);
    std::array<long, kernel::mostk> basis{};
    const std::vector<std::size_t> first = candidates(s);
    if (!kernel::startbasis(s, k, first, basis) && !kernel::startbasis(s, k, first, basis, true))
        return false;
    double e[kernel::mostk] = {};
    e[k] = 1;
    std::vector<long> set;
    double top = 0, bottom = 0;
    set = lp.levels(top, bottom);
    const kernel::Simplex r = kernel::dualsimplexset(lp, e, basis, 8 * kernel::eps, 2000, set);
    if (!r.ok) return false;
    y = r.y;
    return true;
}

// Points of a sorted activity list, at most `most`: the most active first,
// then the ones at the ends of each slope column, so that the subset keeps
// the spread that puts the origin inside the hull of the differences.
std::vector<std::size_t> spreadout(const Model& m, std::vector<std::size_t> points,
                                   std::size_t most) {
    if (points.size() <= most) return points;
    std::vector<std::size_t> out(points.begin(), points.begin() + most / 2);
    for (int j = 1; j < m.n; ++j)
        for (const bool high : {false, true}) {
            const auto bycolumn = [&](std::size_t i, std::size_t k) {
                return m.a[i][j] < m.a[k][j];
            };
            const std::size_t end = high
                                        ? *std::max_element(points.begin(), points.end(), bycolumn)
                                        : *std::min_element(points.begin(), points.end(), bycolumn);
            if (std::find(out.begin(), out.end(), end) == out.end() && out.size() < most)
                out.push_back(end);
        }
    for (const std::size_t i : points)
        if (out.size() < most && std::find(out.begin(), out.end(), i) == out.end())
            out.push_back(i);
    return out;
}

Certificate certify(const Model& m, const Parameters& p, double zone) {
    Certificate c;
    c.upper = zone;
    std::vector<Real> r(m.size());
    double scale = 0;
    for (std::size_t i = 0; i < m.size(); ++i) {
        r[i] = m.residual(i, p);
        scale = std::max(scale, std::fabs(m.f[i]));
    }
    const Real top = *std::max_element(r.begin(), r.end());
    const Real bottom = *std::min_element(r.begin(), r.end());
    // Points this close to an edge count as on it: a quarter of the gap the
    // certificate may leave.
    const Real near = certifiedgap(zone, scale) / 4;
    std::vector<std::size_t> high, low;
    for (std::size_t i = 0; i < m.size(); ++i) {
        if (r[i] >= top - near) high.push_back(i);
        if (r[i] <= bottom + near) low.push_back(i);
    }
    std::sort(high.begin(), high.end(), [&](std::size_t i, std::size_t k) { return r[i] > r[k]; });
    std::sort(low.begin(), low.end(), [&](std::size_t i, std::size_t k) { return r[i] < r[k]; });
    const int dimension = m.n - 1;
    const std::size_t most = dimension == 3 ? 6 : 12;
    high = spreadout(m, high, most);
    low = spreadout(m, low, most);
    Real lowesttop = top;
    Real highestbottom = bottom;
    for (const std::size_t a : high) lowesttop = std::min(lowesttop, r[a]);
    for (const std::size_t b : low) highestbottom = std::max(highestbottom, r[b]);
    std::vector<kernel::Vec> w;
    double size = 0;
    for (const std::size_t a : high)
        for (const std::size_t b : low) {
            kernel::Vec v = {0, 0, 0};
            for (int j = 1; j < m.n; ++j) v[j - 1] = m.a[b][j] - m.a[a][j];
            w.push_back(v);
            size = std::max(size, kernel::norm(v));
        }
    const double depth = dimension == 0 ? 0 : kernel::sharpness(w, {}, dimension);
    c.lower = std::max(0.0, static_cast<double>(lowesttop - highestbottom));
    if (depth < -1e-12 * size) {
        c.why = "the points at the top and bottom of the zone do not hold the fit from every side";
        c.lower = 0;
        return c;
    }
    judge(c, zone, scale, "the bounds on the zone width differ by more than 1e-9 of it");
    return c;
}

LinearZone chebyshevunit(const std::vector<ModelRow>& a, const std::vector<double>& f, int n) {
    LinearZone out;
    const Model m{a, f, n};
    Scaled s{m, {}, {}, {}, 1, {}};
    if (!leastsquaresfit(m, s.ls)) return out;
    s.r.resize(m.size());
    double largest = 0;
    for (std::size_t i = 0; i < m.size(); ++i) {
        s.r[i] = static_cast<double>(m.residual(i, s.ls));
        largest = std::max(largest, std::fabs(s.r[i]));
    }
    for (int j = 1; j < n; ++j) {
        double low = a[0][j], high = a[0][j];
        for (const ModelRow& row : a) low = std::min(low, row[j]), high = std::max(high, row[j]);
        s.middle[j] = low + (high - low) / 2;
        s.column[j] = high > low ? (high - low) / 2 : 1;
    }
    Parameters p = s.ls;
    if (largest > 0 && m.size() > static_cast<std::size_t>(n)) {
        s.size = largest;
        std::array<double, kernel::mostk> y{};
        if (!minimax(s, y)) return out;
        const Parameters d = s.change(y);
        for (int j = 0; j < n; ++j) p[j] += d[j];
    }
    Real top = -INFINITY;
    Real bottom = INFINITY;
    for (std::size_t i = 0; i < m.size(); ++i) {
        const Real r = m.residual(i, p);
        top = std::max(top, r);
        bottom = std::min(bottom, r);
    }
    p[0] += (top + bottom) / 2; // the constant column is all ones
    for (int j = 0; j < n; ++j) out.p[j] = static_cast<double>(p[j]);
    out.zone = static_cast<double>(top - bottom);
    out.found = std::isfinite(out.zone);
    if (out.found) out.certificate = certify(m, p, out.zone);
    return out;
}

} // namespace

// The observations and each slope column scaled to unit size by powers of
// two, which is exact; the parameters, zone and bounds scaled back.
LinearZone chebyshevzone(const std::vector<ModelRow>& a, const std::vector<double>& f, int n) {
    if (n < 1 || n > mostparameters || a.size() != f.size() || f.size() < std::size_t(n) ||
        f.empty())
        return {};
    const auto exponent = [](double largest) {
        int e = 0;
        if (std::isfinite(largest) && largest > 0) std::frexp(largest, &e);
        return e;
    };
    double largest = 0;
    for (const double v : f) largest = std::max(largest, std::fabs(v));
    const int ef = exponent(largest);
    std::array<int, mostparameters> ea{};
    for (int j = 1; j < n; ++j) {
        double column = 0;
        for (const ModelRow& row : a) column = std::max(column, std::fabs(row[j]));
        ea[j] = exponent(column);
    }
    std::vector<ModelRow> as = a;
    for (ModelRow& row : as)
        for (int j = 1; j < n; ++j) row[j] = std::ldexp(row[j], -ea[j]);
    std::vector<double> fs = f;
    for (double& v : fs) v = std::ldexp(v, -ef);
    LinearZone out = chebyshevunit(as, fs, n);
    for (int j = 0; j < n; ++j) out.p[j] = std::ldexp(out.p[j], ef - ea[j]);
    out.zone = std::ldexp(out.zone, ef);
    out.certificate.lower = std::ldexp(out.certificate.lower, ef);
    out.certificate.upper = std::ldexp(out.certificate.upper, ef);
    return out;
}

} // namespace formeval::pointset
