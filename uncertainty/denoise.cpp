// A denoised copy of the points: each point's deviation from the reference
// replaced by a Gaussian-weighted average of the deviations of the points
// near it on the reference, the bandwidth chosen by the discrepancy
// principle (Morozov): the largest of a ladder at which what the smoothing
// removes is no more than the per-point noise of the model alone would
// leave. What remains is the form the noise cannot explain.
#include "uncertainty/engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace formeval::uncertainty {

namespace {

// Bandwidths grow by this factor; the ladder ends when a point has this many
// neighbours on average (the noise left is then a twentieth of the model's).
constexpr double ladderstep = 1.25;
constexpr double mostneighbours = 400;

// The points' feet on the reference, hashed into cubes of a side.
class Grid {
  public:
    Grid(const std::vector<double>& feet, int dimension, double side)
        : feet_(feet), d_(dimension), side_(side) {
        const std::size_t n = feet.size() / dimension;
        for (std::size_t i = 0; i < n; ++i) cells_[key(cell(&feet[i * d_]))].push_back(i);
    }
    // Calls f(j) for every point in the cubes around point i's.
    template <class F> void around(std::size_t i, F f) const {
        const std::array<long, 3> c = cell(&feet_[i * d_]);
        const long reach = d_ == 3 ? 1 : 0;
        for (long a = -1; a <= 1; ++a)
            for (long b = -1; b <= 1; ++b)
                for (long e = -reach; e <= reach; ++e) {
                    const auto found = cells_.find(key({c[0] + a, c[1] + b, c[2] + e}));
                    if (found == cells_.end()) continue;
                    for (const std::size_t j : found->second) f(j);
                }
    }

  private:
    std::array<long, 3> cell(const double* p) const {
        std::array<long, 3> c{};
        for (int k = 0; k < d_; ++k) c[k] = static_cast<long>(std::floor(p[k] / side_));
        return c;
    }
    static std::uint64_t key(const std::array<long, 3>& c) {
        std::uint64_t h = 1469598103934665603ULL;
        for (const long v : c) h = (h ^ static_cast<std::uint64_t>(v)) * 1099511628211ULL;
        return h;
    }
    const std::vector<double>& feet_;
    int d_;
    double side_;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells_;
};

// One smoothing at bandwidth h: the smoothed deviations, the mean square of
// what it removes, the mean square pure noise would lose, and the average
// number of neighbours.
struct Smoothing {
    std::vector<double> smoothed;
    double removed = 0;
    double noise = 0;
    double neighbours = 0;
    double left = 0; // the mean variance of the noise the smoothed deviations keep
};

// The tangent directions of the reference at a point of normal n: one for
// lines and circles (in the plane), two for surfaces.
int tangents(const double* n, int d, std::array<std::array<double, 3>, 2>& t) {
    if (d == 2) {
        t[0] = {-n[1], n[0], 0};
        return 1;
    }
    // A first tangent from the axis least along n, the second across both.
    int least = 0;
    for (int k = 1; k < 3; ++k)
        if (std::fabs(n[k]) < std::fabs(n[least])) least = k;
    std::array<double, 3> a{};
    a[least] = 1;
    double along = a[least] * n[least], length = 0;
    for (int k = 0; k < 3; ++k) {
        t[0][k] = a[k] - along * n[k];
        length += t[0][k] * t[0][k];
    }
    for (double& v : t[0]) v /= std::sqrt(length);
    t[1] = {n[1] * t[0][2] - n[2] * t[0][1], n[2] * t[0][0] - n[0] * t[0][2],
            n[0] * t[0][1] - n[1] * t[0][0]};
    return 2;
}

// Regressors of a local fit: 1, the tangent coordinates u (v) in units of
// the bandwidth, and their squares and product.
constexpr int mostregressors = 6;
using Regressors = std::array<double, mostregressors>;
using Normal = std::array<double, mostregressors * mostregressors>;

// Solves the symmetric m x m system a x = b by Cholesky, b given in x; false
// when it is not positive definite enough to trust.
bool solve(Normal a, int m, Regressors& x) {
    constexpr int w = mostregressors;
    const double scale = a[0];
    for (int j = 0; j < m; ++j) {
        for (int k = 0; k < j; ++k) a[j * w + j] -= a[j * w + k] * a[j * w + k];
        if (!(a[j * w + j] > 1e-9 * scale)) return false;
        a[j * w + j] = std::sqrt(a[j * w + j]);
        for (int i = j + 1; i < m; ++i) {
            for (int k = 0; k < j; ++k) a[i * w + j] -= a[i * w + k] * a[j * w + k];
            a[i * w + j] /= a[j * w + j];
        }
    }
    for (int i = 0; i < m; ++i) {
        for (int k = 0; k < i; ++k) x[i] -= a[i * w + k] * x[k];
        x[i] /= a[i * w + i];
    }
    for (int i = m - 1; i >= 0; --i) {
        for (int k = i + 1; k < m; ++k) x[i] -= a[k * w + i] * x[k];
        x[i] /= a[i * w + i];
    }
    return true;
}

// The weights e1' A^-1 of the local fit (the value at the point is their
// product with the neighbours' regressors and deviations): quadratic where
// the neighbourhood supports it, else linear, else the plain average.
int localweights(const Normal& a, int tangents, Regressors& e1) {
    for (const int m : {tangents == 1 ? 3 : 6, 1 + tangents}) {
        // The linear fit's normal matrix is the quadratic's leading block
        // when the regressors are ordered 1, u (v), then the squares.
        Normal lead{};
        for (int r = 0; r < m; ++r)
            for (int c = 0; c < m; ++c) lead[r * mostregressors + c] = a[r * mostregressors + c];
        e1 = {1, 0, 0, 0, 0, 0};
        if (solve(lead, m, e1)) return m;
    }
    e1 = {1 / a[0], 0, 0, 0, 0, 0};
    return 1;
}

// Local quadratic regression: at each point a quadratic in the tangent
// coordinates fitted to its neighbours' deviations by Gaussian weights, its
// value at the point the smoothed deviation. Unlike a plain kernel average
// it follows the slope and curvature of the form without flattening its
// peaks. Its weights l_j (value = sum l_j r_j) give what pure noise would
// lose.
Smoothing smooth(const std::vector<double>& feet, const std::vector<double>& normals, int d,
                 const std::vector<double>& deviations, const std::vector<double>& variances,
                 double h) {
    const std::size_t n = deviations.size();
    const Grid grid(feet, d, 3 * h);
    Smoothing s;
    s.smoothed.resize(n);
    const double reach2 = 9 * h * h, scale = -0.5 / (h * h);
    for (std::size_t i = 0; i < n; ++i) {
        std::array<std::array<double, 3>, 2> t{};
        const int m = tangents(&normals[i * d], d, t);
        const int full = m == 1 ? 3 : 6;
        // Neighbour j's regressors, and its weight (0 beyond the reach).
        const auto regressors = [&](std::size_t j, Regressors& x) {
            double d2 = 0, u = 0, v = 0;
            for (int k = 0; k < d; ++k) {
                const double e = feet[j * d + k] - feet[i * d + k];
                d2 += e * e;
                u += e * t[0][k] / h;
                v += e * t[1][k] / h;
            }
            x = m == 1 ? Regressors{1, u, u * u, 0, 0, 0}
                       : Regressors{1, u, v, u * u, u * v, v * v};
            return d2 > reach2 ? 0.0 : std::exp(scale * d2);
        };
        Normal a{};
        double count = 0;
        grid.around(i, [&](std::size_t j) {
            Regressors x;
            const double w = regressors(j, x);
            if (w == 0) return;
            for (int r = 0; r < full; ++r)
                for (int c = 0; c < full; ++c) a[r * mostregressors + c] += w * x[r] * x[c];
            ++count;
        });
        Regressors e1;
        const int used = localweights(a, m, e1);
        double value = 0, self = 0, squares = 0;
        grid.around(i, [&](std::size_t j) {
            Regressors x;
            const double w = regressors(j, x);
            if (w == 0) return;
            double l = 0;
            for (int c = 0; c < used; ++c) l += e1[c] * x[c];
            l *= w;
            value += l * deviations[j];
            if (j == i)
                self = l;
            else
                squares += l * l * variances[j];
        });
        s.smoothed[i] = value;
        const double r = deviations[i] - value;
        s.removed += r * r;
        s.noise += (1 - self) * (1 - self) * variances[i] + squares;
        s.left += self * self * variances[i] + squares;
        s.neighbours += count;
    }
    s.left /= static_cast<double>(n);
    s.removed /= static_cast<double>(n);
    s.noise /= static_cast<double>(n);
    s.neighbours /= static_cast<double>(n);
    return s;
}

} // namespace

std::vector<double> pointnoise(const Problem& p) {
    std::vector<double> v(p.count, 0.0);
    const int d = p.dimension;
    for (const Contribution& c : p.model) {
        if (systematic(c.acts)) continue;
        const double u = standarduncertainty(c.distribution, c.width);
        for (std::size_t i = 0; i < p.count; ++i) {
            double share = 1; // of the variance along the normal
            if (c.acts != Acts::coordinates && c.acts != Acts::normal) {
                const double n =
                    p.normals[i * d + static_cast<int>(c.acts) - static_cast<int>(Acts::x)];
                share = n * n;
            }
            v[i] += u * u * share;
        }
    }
    return v;
}

std::vector<double> deviationsabout(const Problem& p, const pointset::Reference& r,
                                    const std::vector<double>& points) {
    const int d = p.dimension;
    const bool round = pointset::traits(p.feature).radius;
    // Along a cone's normals its point lies radius cos(angle) inside the surface.
    const double level = !round                       ? 0.0
                         : p.feature == Feature::cone ? r.radius * std::cos(r.angle)
                                                      : r.radius;
    std::vector<double> out(p.count);
    for (std::size_t i = 0; i < p.count; ++i) {
        double along = -level;
        for (int k = 0; k < d; ++k)
            along += (points[i * d + k] - r.point[k]) * p.normals[i * d + k];
        out[i] = along;
    }
    return out;
}

Denoised denoise(const Problem& p, const std::vector<double>& points,
                 const std::vector<double>& deviations, const std::vector<double>& variances) {
    const int d = p.dimension;
    const std::size_t n = p.count;
    Denoised out{points, 0, 1};
    double noise = 0; // the mean variance
    for (const double v : variances) noise += v / static_cast<double>(n);
    if (n < 3 || !(noise > 0)) return out;
    std::vector<double> feet(points.size());
    std::array<double, 3> low{}, high{};
    low.fill(INFINITY);
    high.fill(-INFINITY);
    for (std::size_t i = 0; i < n; ++i)
        for (int k = 0; k < d; ++k) {
            feet[i * d + k] = points[i * d + k] - deviations[i] * p.normals[i * d + k];
            low[k] = std::min(low[k], feet[i * d + k]);
            high[k] = std::max(high[k], feet[i * d + k]);
        }
    double extent = 0;
    for (int k = 0; k < d; ++k) extent += (high[k] - low[k]) * (high[k] - low[k]);
    extent = std::sqrt(extent);
    if (!(extent > 0) || !std::isfinite(extent)) return out;
    // Lines and circles are curves, the others surfaces: the spacing of
    // their points is extent / n or extent / sqrt(n).
    const bool curve = p.feature == Feature::line || p.feature == Feature::circle;
    const double spacing = extent / (curve ? static_cast<double>(n) : std::sqrt(n));
    // What pure noise would remove scatters by about sqrt(2 / n) of itself:
    // three of those, lest a measurement whose noise happens to run high be
    // refused at every bandwidth and left undenoised.
    const double slack = 1 + 3 * std::sqrt(2.0 / static_cast<double>(n));
    std::vector<double> best;
    // A bandwidth the noise explains may follow one it seemed not to: the
    // ladder ends at the second refusal in a row.
    int refused = 0;
    for (double h = spacing / 2; h <= extent && refused < 2; h *= ladderstep) {
        Smoothing s = smooth(feet, p.normals, d, deviations, variances, h);
        // While the fits interpolate, both are rounding errors.
        if (s.removed > s.noise * slack + 1e-9 * noise) {
            // A rung that would keep most of the noise (the narrowest, whose
            // few neighbours make the local fit fall back to a line) says
            // nothing of the bandwidth sought: its refusal ends nothing.
            if (s.left < noise / 2) ++refused;
            continue;
        }
        refused = 0;
        best = std::move(s.smoothed);
        out.bandwidth = h;
        out.left = s.left / noise;
        if (s.neighbours > mostneighbours) break;
    }
    if (best.empty()) return out;
    for (std::size_t i = 0; i < n; ++i)
        for (int k = 0; k < d; ++k)
            out.points[i * d + k] += (best[i] - deviations[i]) * p.normals[i * d + k];
    return out;
}

} // namespace formeval::uncertainty
