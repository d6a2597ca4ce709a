#include "tests/pointset/support.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace formeval::pointset::test {

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
const double pi = std::acos(-1.0);

P3 sub(const P3& a, const P3& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double dot(const P3& a, const P3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
P3 cross(const P3& a, const P3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double dist(const P3& a, const P3& b, int dim) {
    double s = 0;
    for (int k = 0; k < dim; ++k) s += (a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(s);
}

// Solves the 3 x 3 system (Cramer); false when singular.
bool solve3(const std::array<P3, 3>& a, const P3& b, P3& x) {
    const double d = dot(a[0], cross(a[1], a[2]));
    if (!(std::fabs(d) > 1e-300)) return false;
    // Columns of the inverse times b through the rows' cross products.
    const P3 c0 = cross(a[1], a[2]), c1 = cross(a[2], a[0]), c2 = cross(a[0], a[1]);
    for (int k = 0; k < 3; ++k) x[k] = (c0[k] * b[0] + c1[k] * b[1] + c2[k] * b[2]) / d;
    return std::isfinite(x[0] + x[1] + x[2]);
}

// The bisector of p and q as n.c = b: 2 (q - p).c = |q|^2 - |p|^2.
std::pair<P3, double> bisector(const P3& p, const P3& q) {
    const P3 n = {2 * (q[0] - p[0]), 2 * (q[1] - p[1]), 2 * (q[2] - p[2])};
    return {n, dot(q, q) - dot(p, p)};
}

// Centre equidistant from the points of each group (2D: two bisectors).
bool centre2(const std::vector<std::pair<P3, double>>& planes, P3& c) {
    const P3 a = planes[0].first, b = planes[1].first;
    const double d = a[0] * b[1] - a[1] * b[0];
    if (!(std::fabs(d) > 1e-300)) return false;
    c = {(planes[0].second * b[1] - planes[1].second * a[1]) / d,
         (a[0] * planes[1].second - b[0] * planes[0].second) / d, 0};
    return std::isfinite(c[0] + c[1]);
}

bool centre3(const std::vector<std::pair<P3, double>>& planes, P3& c) {
    return solve3({planes[0].first, planes[1].first, planes[2].first},
                  {planes[0].second, planes[1].second, planes[2].second}, c);
}

// Every centre equidistant from the points of each of one or two groups of
// chosen points, with `planes` bisectors in all: each group's first point
// paired with the others of its group.
template <class Visit> void groups(const std::vector<P3>& p, int planes, Visit visit) {
    const int n = static_cast<int>(p.size());
    for (int size = planes + 1; size <= planes + 2 && size <= n; ++size) {
        std::vector<int> idx(size);
        std::iota(idx.begin(), idx.end(), 0);
        while (true) {
            // Point idx[0] always in group A; bit k of mask puts idx[k] in B.
            for (int mask = 0; mask < (1 << (size - 1)); ++mask) {
                std::vector<int> a = {idx[0]}, b;
                for (int k = 1; k < size; ++k) (mask >> (k - 1) & 1 ? b : a).push_back(idx[k]);
                std::vector<std::pair<P3, double>> planesof;
                for (std::size_t k = 1; k < a.size(); ++k)
                    planesof.push_back(bisector(p[a[0]], p[a[k]]));
                for (std::size_t k = 1; k < b.size(); ++k)
                    planesof.push_back(bisector(p[b[0]], p[b[k]]));
                if (static_cast<int>(planesof.size()) == planes) visit(planesof);
            }
            int j = size - 1;
            while (j >= 0 && idx[j] == n - size + j) --j;
            if (j < 0) break;
            ++idx[j];
            for (int l = j + 1; l < size; ++l) idx[l] = idx[l - 1] + 1;
        }
    }
}

// The hull edges of points in the plane, counterclockwise, by brute force.
std::vector<std::pair<P3, P3>> hulledges(const std::vector<P3>& p) {
    std::vector<std::pair<P3, P3>> out;
    for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t j = 0; j < p.size(); ++j) {
            if (i == j) continue;
            bool left = true;
            for (std::size_t k = 0; k < p.size() && left; ++k) {
                const double turn = (p[j][0] - p[i][0]) * (p[k][1] - p[i][1]) -
                                    (p[j][1] - p[i][1]) * (p[k][0] - p[i][0]);
                left = turn >= 0;
            }
            if (left) out.emplace_back(p[i], p[j]);
        }
    return out;
}

bool inside(const std::vector<std::pair<P3, P3>>& edges, const P3& c, double slack) {
    for (const auto& [a, b] : edges) {
        const double turn = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
        if (turn < -slack * std::hypot(b[0] - a[0], b[1] - a[1])) return false;
    }
    return true;
}

} // namespace

Points Cloud::view() {
    flat.clear();
    for (const P3& q : p)
        for (int k = 0; k < dim; ++k) flat.push_back(q[k]);
    return {flat.data(), p.size(), dim, static_cast<std::size_t>(dim)};
}

Cloud circle(int n, double r, double cx, double cy, double amp, double degrees,
             std::uint32_t seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    Cloud c;
    for (int i = 0; i < n; ++i) {
        const double a = degrees / 180 * pi * i / (degrees >= 360 ? n : n - 1);
        const double radius = r + amp * (0.5 * u(g) + 0.25 * std::cos(3 * a));
        c.p.push_back({cx + radius * std::cos(a), cy + radius * std::sin(a), 0});
    }
    return c;
}

Cloud sphere(int n, double r, const P3& c, double amp, double capdegrees, std::uint32_t seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    Cloud out;
    out.dim = 3;
    const double lowest = std::cos(capdegrees / 180 * pi);
    for (int i = 0; i < n; ++i) {
        const double z = lowest + (1 - lowest) * (u(g) + 1) / 2, a = pi * u(g);
        const double s = std::sqrt(1 - z * z), radius = r + amp * u(g) / 2;
        out.p.push_back(
            {c[0] + radius * s * std::cos(a), c[1] + radius * s * std::sin(a), c[2] + radius * z});
    }
    return out;
}

Cloud line(int n, double length, double amp, std::uint32_t seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    Cloud c;
    for (int i = 0; i < n; ++i) {
        const double x = length * i / (n - 1);
        c.p.push_back({x, amp * (0.5 * u(g) + 0.25 * std::sin(6 * x / length)), 0});
    }
    return c;
}

Cloud plane(int n, double side, double amp, std::uint32_t seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    Cloud c;
    c.dim = 3;
    for (int i = 0; i < n; ++i) {
        const double x = side * u(g) / 2, y = side * u(g) / 2;
        c.p.push_back({x, y, amp * (0.5 * u(g) + 0.25 * std::cos(4 * x / side))});
    }
    return c;
}

Cloud cylinder(int sections, int per, double r, double length, double amp, double noise,
               double degrees, std::uint32_t seed, bool helix) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    Cloud c;
    c.dim = 3;
    const int total = sections * per;
    for (int k = 0; k < total; ++k) {
        const int i = k / per, j = k % per;
        double a = degrees / 180 * pi * j / (degrees >= 360 ? per : per - 1);
        double z = sections > 1 ? -length / 2 + length * i / (sections - 1) : 0;
        if (helix) {
            a = 2 * pi * k / per;
            z = -length / 2 + length * k / (total - 1);
        }
        const double radius = r + amp * std::cos(3 * a) + noise * u(g);
        c.p.push_back({radius * std::cos(a), radius * std::sin(a), z});
    }
    return c;
}

Cloud cone(int sections, int per, double r, double half, double length, double amp, double noise,
           std::uint32_t seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    const double alpha = half / 180 * pi;
    Cloud c;
    c.dim = 3;
    for (int i = 0; i < sections; ++i) {
        const double z = -length / 2 + length * i / (sections - 1);
        for (int j = 0; j < per; ++j) {
            const double a = 2 * pi * j / per;
            // Across the surface: outward along (cos alpha, -sin alpha) in (rho, z).
            const double e = amp * std::cos(3 * a) + noise * u(g);
            const double rho = r + z * std::tan(alpha) + e * std::cos(alpha);
            c.p.push_back({rho * std::cos(a), rho * std::sin(a), z - e * std::sin(alpha)});
        }
    }
    return c;
}

Cloud turned(Cloud c, double angle, const P3& axis) {
    const double len = std::sqrt(dot(axis, axis));
    const P3 k = {axis[0] / len, axis[1] / len, axis[2] / len};
    const double cs = std::cos(angle), sn = std::sin(angle);
    for (P3& q : c.p) {
        const P3 kq = cross(k, q);
        const double kd = dot(k, q);
        for (int j = 0; j < 3; ++j) q[j] = q[j] * cs + kq[j] * sn + k[j] * kd * (1 - cs);
    }
    return c;
}

Cloud moved(Cloud c, const P3& by) {
    for (P3& q : c.p)
        for (int k = 0; k < 3; ++k) q[k] += k < c.dim ? by[k] : 0;
    return c;
}

Cloud scaled(Cloud c, double factor) {
    for (P3& q : c.p)
        for (double& x : q) x *= factor;
    return c;
}

Cloud shuffled(Cloud c, std::uint32_t seed) {
    std::shuffle(c.p.begin(), c.p.end(), std::mt19937(seed));
    return c;
}

std::vector<double> deviations(const Cloud& c, const Reference& r) {
    std::vector<double> out;
    for (const P3& q : c.p) {
        const P3 d = sub(q, {r.point[0], r.point[1], c.dim == 3 ? r.point[2] : 0});
        if (r.feature == Feature::cylinder) {
            const P3 x = cross(d, {r.direction[0], r.direction[1], r.direction[2]});
            out.push_back(std::sqrt(dot(x, x)) - r.radius);
        } else if (r.feature == Feature::cone) {
            const P3 u = {r.direction[0], r.direction[1], r.direction[2]};
            const P3 x = cross(d, u);
            const double rho = std::sqrt(dot(x, x)), h = dot(d, u);
            out.push_back((rho - r.radius - h * std::tan(r.angle)) * std::cos(r.angle));
        } else if (r.feature == Feature::circle || r.feature == Feature::sphere) {
            out.push_back(std::sqrt(dot(d, d)) - r.radius);
        } else if (r.feature == Feature::line) {
            out.push_back(-r.direction[1] * d[0] + r.direction[0] * d[1]);
        } else {
            out.push_back(dot(d, {r.direction[0], r.direction[1], r.direction[2]}));
        }
    }
    return out;
}

Span axialspread(const std::vector<P3>& p, const P3& c, const P3& u) {
    Span s{-inf, inf};
    for (const P3& q : p) {
        const P3 x = cross(sub(q, c), u);
        const double d = std::sqrt(dot(x, x));
        s.top = std::max(s.top, d);
        s.bottom = std::min(s.bottom, d);
    }
    return s;
}

double zoneabout(const std::vector<P3>& p, const P3& c, int dim) {
    double top = -inf, bottom = inf;
    for (const P3& q : p) {
        const double d = dist(q, c, dim);
        top = std::max(top, d);
        bottom = std::min(bottom, d);
    }
    return top - bottom;
}

double nearest(const std::vector<P3>& p, const P3& c, int dim) {
    double bottom = inf;
    for (const P3& q : p) bottom = std::min(bottom, dist(q, c, dim));
    return bottom;
}

double mzcircle(const std::vector<P3>& p) {
    double best = inf;
    groups(p, 2, [&](const std::vector<std::pair<P3, double>>& b) {
        P3 c;
        if (centre2(b, c)) best = std::min(best, zoneabout(p, c, 2));
    });
    return best;
}

double mzsphere(const std::vector<P3>& p) {
    double best = inf;
    groups(p, 3, [&](const std::vector<std::pair<P3, double>>& b) {
        P3 c;
        if (centre3(b, c)) best = std::min(best, zoneabout(p, c, 3));
    });
    return best;
}

namespace {

// Smallest ball through the points of `on` holding every point, over every
// choice of up to `most` points.
double enclosing(const std::vector<P3>& p, int dim) {
    double best = inf;
    const std::size_t n = p.size();
    const auto tryc = [&](const P3& c, double r) {
        for (const P3& q : p)
            if (dist(q, c, dim) > r * (1 + 1e-12)) return;
        best = std::min(best, r);
    };
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const P3 c = {(p[i][0] + p[j][0]) / 2, (p[i][1] + p[j][1]) / 2,
                          (p[i][2] + p[j][2]) / 2};
            tryc(c, dist(p[i], c, dim));
            for (std::size_t k = j + 1; k < n; ++k) {
                // Circumcentre in the plane of the three.
                const P3 a = sub(p[j], p[i]), b = sub(p[k], p[i]), nn = cross(a, b);
                const std::array<P3, 3> m = {a, b, nn};
                P3 x;
                if (solve3(m, {dot(a, a) / 2, dot(b, b) / 2, 0}, x)) {
                    const P3 cc = {p[i][0] + x[0], p[i][1] + x[1], p[i][2] + x[2]};
                    tryc(cc, dist(p[i], cc, dim));
                }
                for (std::size_t l = k + 1; dim == 3 && l < n; ++l) {
                    const P3 d = sub(p[l], p[i]);
                    if (solve3({a, b, d}, {dot(a, a) / 2, dot(b, b) / 2, dot(d, d) / 2}, x)) {
                        const P3 cc = {p[i][0] + x[0], p[i][1] + x[1], p[i][2] + x[2]};
                        tryc(cc, dist(p[i], cc, dim));
                    }
                }
            }
        }
    return best;
}

} // namespace

double mccircle(const std::vector<P3>& p) {
    return enclosing(p, 2);
}
double mcsphere(const std::vector<P3>& p) {
    return enclosing(p, 3);
}

double miccircle(const std::vector<P3>& p) {
    const auto edges = hulledges(p);
    double best = 0;
    const auto tryc = [&](const P3& c) {
        if (inside(edges, c, 1e-12)) best = std::max(best, nearest(p, c, 2));
    };
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const auto bij = bisector(p[i], p[j]);
            for (std::size_t k = j + 1; k < n; ++k) {
                P3 c;
                if (centre2({bij, bisector(p[i], p[k])}, c)) tryc(c);
            }
            // Where the bisector crosses each hull edge a + t (b - a).
            for (const auto& [a, b] : edges) {
                const P3 e = sub(b, a);
                const double den = dot(bij.first, e);
                if (den == 0) continue;
                const double t = (bij.second - dot(bij.first, a)) / den;
                if (t >= 0 && t <= 1) tryc({a[0] + t * e[0], a[1] + t * e[1], 0});
            }
        }
    return best;
}

namespace {

// The width of the points along n; inf for no direction.
double widthalong(const std::vector<P3>& p, const P3& n) {
    const double len = std::sqrt(dot(n, n));
    if (!(len > 0)) return inf;
    double top = -inf, bottom = inf;
    for (const P3& q : p) {
        const double v = dot(q, n) / len;
        top = std::max(top, v);
        bottom = std::min(bottom, v);
    }
    return top - bottom;
}

} // namespace

double mzwidth(const std::vector<P3>& p, int dim) {
    double best = inf;
    const auto along = [&](const P3& n) { best = std::min(best, widthalong(p, n)); };
    const std::size_t n = p.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const P3 e = sub(p[j], p[i]);
            if (dim == 2) {
                along({-e[1], e[0], 0});
                continue;
            }
            for (std::size_t k = 0; k < n; ++k)
                for (std::size_t l = k + 1; l < n; ++l) along(cross(e, sub(p[l], p[k])));
        }
    return best;
}

double widthnear(const std::vector<P3>& p, const P3& normal, std::size_t k) {
    std::vector<std::size_t> order(p.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return dot(p[a], normal) < dot(p[b], normal); });
    std::vector<P3> ends;
    for (std::size_t r = 0; r < order.size(); ++r)
        if (r < k || r + k >= order.size()) ends.push_back(p[order[r]]);
    double best = inf;
    const auto along = [&](const P3& n) { best = std::min(best, widthalong(p, n)); };
    const std::size_t m = ends.size();
    for (std::size_t i = 0; i < m; ++i)
        for (std::size_t j = i + 1; j < m; ++j) {
            const P3 e = sub(ends[j], ends[i]);
            for (std::size_t l = j + 1; l < m; ++l) along(cross(e, sub(ends[l], ends[i])));
            for (std::size_t a = i; a < m; ++a)
                for (std::size_t b = a + 1; b < m; ++b)
                    if (a > i || b > j) along(cross(e, sub(ends[b], ends[a])));
        }
    return best;
}

} // namespace formeval::pointset::test
