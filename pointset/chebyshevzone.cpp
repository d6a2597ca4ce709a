// Chebyshev (minimax) fit of a linear model, the zone of constant width along
// the observation that holds every point and is as narrow as possible.
//
// The linear program "minimise h with -h <= f_i - a_i.p <= h" is solved by
// GLPK's simplex on a working set of points, which grows by the points that
// the working set's fit leaves outside its zone until there are none. The
// problem is posed about the least-squares fit and scaled to unit size, so
// that the simplex tolerances are relative to the zone. The reference set of
// the final basis is then levelled in extended precision.
//
// The certificate needs no trust in the solver. With O the points at the top
// of the zone and I those at its bottom, every fit q has a zone at least
//   max_O r_a(q) - min_I r_b(q) >= min_O r_a(p) - max_I r_b(p) + g.(q - p),
// where g = b_b - b_a for some pair, b the rows without their constant
// column. When the origin lies in the convex hull of all those differences,
// some pair has g.(q - p) >= 0 whatever q is, so the zone of p less the
// spread within O and I is a lower bound on the optimum.
#include "pointset/pointset.h"

#include <algorithm>
#include <cmath>
#include <glpk.h>
#include <numeric>

namespace formeval::pointset {

namespace {

using Real = long double;
constexpr int mostparameters = 5;

struct Model {
    const std::vector<ModelRow>& a;
    const std::vector<double>& f;
    int n;
    int size() const { return static_cast<int>(f.size()); }
    Real residual(int i, const std::array<Real, mostparameters>& p) const {
        Real r = f[i];
        for (int j = 0; j < n; ++j) r -= static_cast<Real>(a[i][j]) * p[j];
        return r;
    }
};

// Solves the m x m system g (right-hand side in column m) by elimination
// with partial pivoting; false when it is singular.
bool solvesystem(std::array<std::array<Real, mostparameters + 2>, mostparameters + 1>& g, int m,
                 std::array<Real, mostparameters + 1>& x) {
    for (int k = 0; k < m; ++k) {
        int pivot = k;
        for (int i = k + 1; i < m; ++i)
            if (std::fabs(g[i][k]) > std::fabs(g[pivot][k])) pivot = i;
        if (!(std::fabs(g[pivot][k]) > 0)) return false;
        std::swap(g[k], g[pivot]);
        for (int i = k + 1; i < m; ++i) {
            const Real factor = g[i][k] / g[k][k];
            for (int j = k; j <= m; ++j) g[i][j] -= factor * g[k][j];
        }
    }
    for (int k = m - 1; k >= 0; --k) {
        Real s = g[k][m];
        for (int j = k + 1; j < m; ++j) s -= g[k][j] * x[j];
        x[k] = s / g[k][k];
        if (!std::isfinite(static_cast<double>(x[k]))) return false;
    }
    return true;
}

bool leastsquaresfit(const Model& m, std::array<Real, mostparameters>& p) {
    std::array<std::array<Real, mostparameters + 2>, mostparameters + 1> g{};
    for (int i = 0; i < m.size(); ++i)
        for (int j = 0; j < m.n; ++j) {
            for (int k = 0; k < m.n; ++k) g[j][k] += static_cast<Real>(m.a[i][j]) * m.a[i][k];
            g[j][m.n] += static_cast<Real>(m.a[i][j]) * m.f[i];
        }
    std::array<Real, mostparameters + 1> x{};
    if (!solvesystem(g, m.n, x)) return false;
    std::copy(x.begin(), x.begin() + m.n, p.begin());
    return true;
}

// The scaled problem: parameters y_j = (p_j - ls_j) column_j / size, rows
// a_ij / column_j, observations (f_i - a_i.ls) / size.
struct Scaling {
    std::array<Real, mostparameters> ls{};
    std::array<Real, mostparameters> column{};
    Real size = 1;
    std::vector<Real> r; // least-squares residuals
};

// min h subject to -h <= f'_i - a'_i.y <= h for the points of the working set.
class Program {
  public:
    Program(const Model& m, const Scaling& s) : m_(m), s_(s), lp_(glp_create_prob()) {
        glp_term_out(GLP_OFF);
        glp_set_obj_dir(lp_, GLP_MIN);
        glp_add_cols(lp_, m.n + 1);
        for (int j = 1; j <= m.n; ++j) glp_set_col_bnds(lp_, j, GLP_FR, 0, 0);
        glp_set_col_bnds(lp_, m.n + 1, GLP_LO, 0, 0);
        glp_set_obj_coef(lp_, m.n + 1, 1);
    }
    ~Program() { glp_delete_prob(lp_); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void add(int i) {
        const int first = glp_add_rows(lp_, 2);
        int index[mostparameters + 2];
        double value[mostparameters + 2];
        for (int j = 0; j < m_.n; ++j) {
            index[j + 1] = j + 1;
            value[j + 1] = static_cast<double>(m_.a[i][j] / s_.column[j]);
        }
        index[m_.n + 1] = m_.n + 1;
        const double f = static_cast<double>(s_.r[i] / s_.size);
        value[m_.n + 1] = 1; // a'.y + h >= f': the residual at most h
        glp_set_mat_row(lp_, first, m_.n + 1, index, value);
        glp_set_row_bnds(lp_, first, GLP_LO, f, 0);
        value[m_.n + 1] = -1; // a'.y - h <= f': the residual at least -h
        glp_set_mat_row(lp_, first + 1, m_.n + 1, index, value);
        glp_set_row_bnds(lp_, first + 1, GLP_UP, 0, f);
        points_.push_back(i);
    }

    bool solve() {
        glp_smcp parm;
        glp_init_smcp(&parm);
        parm.msg_lev = GLP_MSG_OFF;
        parm.meth = solved_ ? GLP_DUALP : GLP_PRIMAL;
        parm.tol_bnd = 1e-11;
        parm.tol_dj = 1e-11;
        int status = glp_simplex(lp_, &parm);
        if (status != 0) {
            glp_adv_basis(lp_, 0);
            parm.meth = GLP_PRIMAL;
            status = glp_simplex(lp_, &parm);
        }
        solved_ = true;
        return status == 0 && glp_get_status(lp_) == GLP_OPT;
    }

    Real y(int j) const { return glp_get_col_prim(lp_, j + 1); }
    Real h() const { return glp_get_col_prim(lp_, m_.n + 1); }

    // The constraints the basis holds tight: point and the sign of its
    // residual, +1 at the top of the zone, -1 at the bottom.
    std::vector<std::pair<int, int>> active() const {
        std::vector<std::pair<int, int>> out;
        for (std::size_t k = 0; k < points_.size(); ++k) {
            const int row = 2 * static_cast<int>(k) + 1;
            if (glp_get_row_stat(lp_, row) != GLP_BS) out.emplace_back(points_[k], +1);
            if (glp_get_row_stat(lp_, row + 1) != GLP_BS) out.emplace_back(points_[k], -1);
        }
        return out;
    }

  private:
    const Model& m_;
    const Scaling& s_;
    glp_prob* lp_;
    std::vector<int> points_;
    bool solved_ = false;
};

// Scaled residual of point i for the scaled parameters y.
Real scaledresidual(const Model& m, const Scaling& s, int i, const std::array<Real, 6>& y) {
    Real r = s.r[i] / s.size;
    for (int j = 0; j < m.n; ++j) r -= static_cast<Real>(m.a[i][j]) / s.column[j] * y[j];
    return r;
}

// The starting working set: the points of largest and smallest least-squares
// residual, and the points at both ends of every slope column.
std::vector<int> startset(const Model& m, const Scaling& s) {
    std::vector<int> order(m.size());
    std::iota(order.begin(), order.end(), 0);
    const auto byresidual = [&](int i, int k) { return s.r[i] < s.r[k]; };
    const int ends = std::min(m.n + 1, m.size());
    std::nth_element(order.begin(), order.begin() + ends - 1, order.end(), byresidual);
    std::nth_element(order.begin() + ends, order.end() - ends, order.end(), byresidual);
    std::vector<int> set(order.begin(), order.begin() + ends);
    set.insert(set.end(), order.end() - ends, order.end());
    for (int j = 1; j < m.n; ++j) {
        const auto column = [&](int i, int k) { return m.a[i][j] < m.a[k][j]; };
        set.push_back(*std::min_element(order.begin(), order.end(), column));
        set.push_back(*std::max_element(order.begin(), order.end(), column));
    }
    std::sort(set.begin(), set.end());
    set.erase(std::unique(set.begin(), set.end()), set.end());
    return set;
}

// The levelled solution of the reference set (n + 1 points with the signs of
// their residuals): a'_i.y + s_i h = f'_i. Kept when every point is within
// the zone it gives.
bool level(const Model& m, const Scaling& s, const std::vector<std::pair<int, int>>& reference,
           std::array<Real, 6>& y) {
    if (static_cast<int>(reference.size()) != m.n + 1) return false;
    std::array<std::array<Real, mostparameters + 2>, mostparameters + 1> g{};
    for (int k = 0; k <= m.n; ++k) {
        const int i = reference[k].first;
        for (int j = 0; j < m.n; ++j) g[k][j] = static_cast<Real>(m.a[i][j]) / s.column[j];
        g[k][m.n] = reference[k].second;
        g[k][m.n + 1] = s.r[i] / s.size;
    }
    std::array<Real, mostparameters + 1> x{};
    if (!solvesystem(g, m.n + 1, x) || x[m.n] < 0) return false;
    const Real h = x[m.n];
    for (int i = 0; i < m.size(); ++i)
        if (std::fabs(scaledresidual(m, s, i, x)) > h * (1 + 1e-12L) + 1e-18L) return false;
    y = x;
    return true;
}

// Points of a sorted activity list, at most `most`: the most active first,
// then the ones at the ends of each slope column, so that the subset keeps
// the spread that puts the origin inside the hull of the differences.
std::vector<int> spread(const Model& m, std::vector<int> points, std::size_t most) {
    if (points.size() <= most) return points;
    std::vector<int> out(points.begin(), points.begin() + most / 2);
    for (int j = 1; j < m.n; ++j)
        for (const bool high : {false, true}) {
            const auto column = [&](int i, int k) { return m.a[i][j] < m.a[k][j]; };
            const int end = high ? *std::max_element(points.begin(), points.end(), column)
                                 : *std::min_element(points.begin(), points.end(), column);
            if (std::find(out.begin(), out.end(), end) == out.end() && out.size() < most)
                out.push_back(end);
        }
    for (const int i : points)
        if (out.size() < most && std::find(out.begin(), out.end(), i) == out.end())
            out.push_back(i);
    return out;
}

Certificate certify(const Model& m, const std::array<Real, mostparameters>& p, double zone) {
    Certificate c;
    c.upper = zone;
    std::vector<Real> r(m.size());
    double scale = 0;
    for (int i = 0; i < m.size(); ++i) {
        r[i] = m.residual(i, p);
        scale = std::max(scale, std::fabs(m.f[i]));
    }
    const Real top = *std::max_element(r.begin(), r.end());
    const Real bottom = *std::min_element(r.begin(), r.end());
    // Points this close to an edge count as on it: a quarter of the gap the
    // certificate may leave.
    const Real near = certifiedgap(zone, scale) / 4;
    std::vector<int> high, low;
    for (int i = 0; i < m.size(); ++i) {
        if (r[i] >= top - near) high.push_back(i);
        if (r[i] <= bottom + near) low.push_back(i);
    }
    const auto byactivity = [&](std::vector<int>& v, bool up) {
        std::sort(v.begin(), v.end(), [&](int i, int k) { return up ? r[i] > r[k] : r[i] < r[k]; });
    };
    byactivity(high, true);
    byactivity(low, false);
    const int dimension = m.n - 1;
    const std::size_t most = dimension == 3 ? 6 : 12;
    high = spread(m, high, most);
    low = spread(m, low, most);
    std::vector<Vector> w;
    Real lowesttop = top;
    Real highestbottom = bottom;
    for (const int a : high) lowesttop = std::min(lowesttop, r[a]);
    for (const int b : low) highestbottom = std::max(highestbottom, r[b]);
    for (const int a : high)
        for (const int b : low) {
            Vector v = {0, 0, 0};
            for (int j = 1; j < m.n; ++j) v[j - 1] = m.a[b][j] - m.a[a][j];
            w.push_back(v);
        }
    double size = 0;
    for (const Vector& v : w)
        size = std::max(size, std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    const double depth = dimension == 0 ? 0 : inradius(w, dimension);
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
    if (n < 1 || n > mostparameters || a.size() != f.size() || m.size() < n) return out;

    Scaling s;
    if (!leastsquaresfit(m, s.ls)) return out;
    s.r.resize(m.size());
    Real largest = 0;
    for (int i = 0; i < m.size(); ++i) {
        s.r[i] = m.residual(i, s.ls);
        largest = std::max(largest, std::fabs(s.r[i]));
    }
    for (int j = 0; j < n; ++j) {
        Real c = 0;
        for (int i = 0; i < m.size(); ++i) c = std::max(c, std::fabs(static_cast<Real>(a[i][j])));
        s.column[j] = c > 0 ? c : 1;
    }

    std::array<Real, 6> y{};
    if (largest > 0 && m.size() > n) {
        s.size = largest;
        Program lp(m, s);
        std::vector<bool> inset(m.size(), false);
        for (const int i : startset(m, s)) {
            lp.add(i);
            inset[i] = true;
        }
        for (int round = 0;; ++round) {
            if (round > m.size() || !lp.solve()) return out;
            for (int j = 0; j < n; ++j) y[j] = lp.y(j);
            const Real h = lp.h();
            // The points farthest outside the zone on each side join the set.
            std::vector<std::pair<Real, int>> outside;
            for (int i = 0; i < m.size(); ++i) {
                const Real excess = std::fabs(scaledresidual(m, s, i, y)) - h;
                if (!inset[i] && excess > 1e-13L) outside.emplace_back(-excess, i);
            }
            if (outside.empty()) break;
            const std::size_t take = std::min<std::size_t>(outside.size(), 2 * (n + 1));
            std::partial_sort(outside.begin(), outside.begin() + take, outside.end());
            for (std::size_t k = 0; k < take; ++k) {
                lp.add(outside[k].second);
                inset[outside[k].second] = true;
            }
        }
        level(m, s, lp.active(), y);
    }

    std::array<Real, mostparameters> p{};
    for (int j = 0; j < n; ++j) p[j] = s.ls[j] + y[j] * s.size / s.column[j];
    Real top = -INFINITY;
    Real bottom = INFINITY;
    for (int i = 0; i < m.size(); ++i) {
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
    double largest = 0;
    for (const double v : f) largest = std::max(largest, std::fabs(v));
    const int ef = unitexponent(largest);
    std::array<int, mostparameters> ea{};
    for (int j = 1; j < n && j < mostparameters; ++j) {
        double column = 0;
        for (const ModelRow& row : a) column = std::max(column, std::fabs(row[j]));
        ea[j] = unitexponent(column);
    }
    std::vector<ModelRow> as = a;
    for (ModelRow& row : as)
        for (int j = 1; j < n && j < mostparameters; ++j) row[j] = std::ldexp(row[j], -ea[j]);
    std::vector<double> fs = f;
    for (double& v : fs) v = std::ldexp(v, -ef);
    LinearZone out = chebyshevunit(as, fs, n);
    for (int j = 0; j < n && j < mostparameters; ++j) out.p[j] = std::ldexp(out.p[j], ef - ea[j]);
    out.zone = std::ldexp(out.zone, ef);
    out.certificate.lower = std::ldexp(out.certificate.lower, ef);
    out.certificate.upper = std::ldexp(out.certificate.upper, ef);
    return out;
}

} // namespace formeval::pointset
