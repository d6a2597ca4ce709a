// The areal Gaussian regression filter at scattered positions, the points
// found through a grid of cells one cut-off wide.
#include "profile/profile.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace formeval::profile {

namespace {

constexpr double pi = 3.14159265358979323846;

void checkareal(const std::vector<double>& u, const std::vector<double>& v,
                const std::vector<double>& z, double cutoff, double uperiod) {
    if (u.size() != v.size() || u.size() != z.size())
        throw std::invalid_argument("areal filter: as many positions as values are needed");
    if (!(cutoff > 0) || !std::isfinite(cutoff))
        throw std::invalid_argument("areal filter: the cut-off must be above 0");
    if (!(uperiod >= 0) || !std::isfinite(uperiod))
        throw std::invalid_argument("areal filter: the period must be 0 or above");
    for (std::size_t i = 0; i < u.size(); ++i)
        if (!std::isfinite(u[i]) || !std::isfinite(v[i]) || !std::isfinite(z[i]))
            throw std::invalid_argument("areal filter: a position or value is not finite");
}

using Cell = std::pair<long long, long long>;

// The points by cell: cells `width` wide in u (round the period when there
// is one) and `cutoff` in v.
struct Grid {
    double u0 = 0, v0 = 0, width = 0, cutoff = 0, period = 0;
    long long columns = 0; // round the period; 0 when not periodic
    std::vector<std::size_t> order;
    std::vector<Cell> cells; // of order[k]

    Cell cellof(double u, double v) const {
        const double du = period > 0 ? u - u0 - period * std::floor((u - u0) / period) : u - u0;
        long long cu = static_cast<long long>(std::floor(du / width));
        if (columns > 0) cu = std::min(cu, columns - 1);
        return {cu, static_cast<long long>(std::floor((v - v0) / cutoff))};
    }
};

Grid gridof(const std::vector<double>& u, const std::vector<double>& v, double cutoff,
            double period) {
    Grid g;
    g.u0 = *std::min_element(u.begin(), u.end());
    g.v0 = *std::min_element(v.begin(), v.end());
    g.cutoff = cutoff;
    g.period = period;
    g.width = cutoff;
    const double uspan = *std::max_element(u.begin(), u.end()) - g.u0;
    const double vspan = *std::max_element(v.begin(), v.end()) - g.v0;
    // Cell numbers must stay far inside a long long.
    if (std::max(period > 0 ? period : uspan, vspan) / cutoff > 1e12)
        throw std::invalid_argument("areal filter: the cut-off is too short for the extent");
    if (period > 0) {
        g.columns = std::max(1LL, static_cast<long long>(std::floor(period / cutoff)));
        g.width = period / static_cast<double>(g.columns);
    }
    std::vector<Cell> cell(u.size());
    for (std::size_t i = 0; i < u.size(); ++i) cell[i] = g.cellof(u[i], v[i]);
    g.order.resize(u.size());
    std::iota(g.order.begin(), g.order.end(), 0);
    std::sort(g.order.begin(), g.order.end(),
              [&cell](std::size_t a, std::size_t b) { return cell[a] < cell[b]; });
    for (const std::size_t k : g.order) g.cells.push_back(cell[k]);
    return g;
}

// The columns next to `cu` (itself and either side), each once round the
// period.
std::vector<long long> columnsnear(const Grid& g, long long cu) {
    std::vector<long long> out;
    for (long long d = -1; d <= 1; ++d) {
        long long c = cu + d;
        if (g.columns > 0) c = ((c % g.columns) + g.columns) % g.columns;
        if (std::find(out.begin(), out.end(), c) == out.end()) out.push_back(c);
    }
    return out;
}

} // namespace

double arealpairs(const std::vector<double>& u, const std::vector<double>& v, double cutoff,
                  double uperiod) {
    checkareal(u, v, u, cutoff, uperiod);
    if (u.empty()) return 0;
    const Grid g = gridof(u, v, cutoff, uperiod);
    double pairs = 0;
    for (auto home = g.cells.begin(); home != g.cells.end();) {
        const auto end = std::upper_bound(home, g.cells.end(), *home);
        double near = 0;
        for (const long long cu : columnsnear(g, home->first))
            for (long long cv = home->second - 1; cv <= home->second + 1; ++cv) {
                const auto range = std::equal_range(g.cells.begin(), g.cells.end(), Cell{cu, cv});
                near += static_cast<double>(range.second - range.first);
            }
        pairs += static_cast<double>(end - home) * near;
        home = end;
    }
    return pairs;
}

std::vector<double> arealfilter(const std::vector<double>& u, const std::vector<double>& v,
                                const std::vector<double>& z, double cutoff, double uperiod) {
    checkareal(u, v, z, cutoff, uperiod);
    if (z.empty()) return {};
    const Grid g = gridof(u, v, cutoff, uperiod);
    const double width = std::sqrt(std::log(2.0) / pi) * cutoff; // alpha * cut-off
    std::vector<double> out(z.size());
    for (std::size_t i = 0; i < z.size(); ++i) {
        const Cell home = g.cellof(u[i], v[i]);
        // Weighted sums about (u_i, v_i): the plane's value there is its
        // intercept a of a + b du + c dv.
        double s[3][3] = {}, t[3] = {};
        for (const long long cu : columnsnear(g, home.first))
            for (long long cv = home.second - 1; cv <= home.second + 1; ++cv) {
                const auto range = std::equal_range(g.cells.begin(), g.cells.end(), Cell{cu, cv});
                for (auto k = range.first; k != range.second; ++k) {
                    const std::size_t j = g.order[static_cast<std::size_t>(k - g.cells.begin())];
                    double du = u[j] - u[i];
                    if (uperiod > 0) du = std::remainder(du, uperiod);
                    const double dv = v[j] - v[i], d2 = du * du + dv * dv;
                    if (d2 > cutoff * cutoff) continue;
                    const double w = std::exp(-pi * d2 / (width * width));
                    const double r[3] = {1, du, dv};
                    for (int a = 0; a < 3; ++a) {
                        for (int b = 0; b < 3; ++b) s[a][b] += w * r[a] * r[b];
                        t[a] += w * r[a] * z[j];
                    }
                }
            }
        // Cramer's rule for a; a window too thin to tell a tilt has only its
        // level.
        const auto det3 = [](const double m[3][3]) {
            return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                   m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                   m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        };
        const double det = det3(s);
        if (det > 1e-12 * s[0][0] * s[1][1] * s[2][2]) {
            double m[3][3];
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b) m[a][b] = b == 0 ? t[a] : s[a][b];
            out[i] = det3(m) / det;
        } else {
            out[i] = t[0] / s[0][0];
        }
    }
    return out;
}

} // namespace formeval::profile
