// The certificate of a minimum-zone cone: the neighbourhood the cone found
// proves, and elsewhere a branch and bound over the axis' directions, each
// cell bounded by the problem of its centres and half angles.
//
// About an axis and a half apex angle beta (negative where the cone narrows
// along the axis) a point's distance across the surface is, but for a level
// common to every point, g = rho cos(beta) - z sin(beta), rho and z its
// distance from the axis and its place along it; the zone is the range of g.
// A move is (c0, c1, L w0, L w1, L b): the axis' (cylinder.h) and a change b
// of beta, L the points' largest |z|.
//
// Neighbourhood. With O and I points at the outer and inner edge of the zone,
// g_O - g_I changes under a move of size s by its first-order part less at
// most E(s): the axis' own terms (turnterm, innerterm), (g_O - g_I)(1 - cos b)
// <= t b^2 / 2, |h_O - h_I| |b|^3 / 6 (h = rho sin beta + z cos beta, minus g's
// derivative in beta), the first-order moves of rho (at most sqrt 2 s) and of z
// (at most |p| s / L) times the change of cos and sin (at most |b|), and z's
// own second-order terms |p| (u^2 / 2 + u^3 / 6), u = s / L. With kappa the
// sharpness of the pairs' gradients in five dimensions the zone is at least
// h + kappa s - E(s), which is at least h within the radius where it holds.
//
// Search. Over a cell of axis directions within phi of its middle, the points
// projected along the middle move by at most |z| phi + rho phi^2 / 2 across
// the axis and rho phi + |z| phi^2 / 2 along it (up to a turn about it), so
// every zone by at most twice the larger. About a centre c, the zone at the
// best beta is the least width of the planar points (|q - c|, z) over the
// directions (cos beta, -sin beta): a hull and its edges' normals. Over a box
// of centres each |q - c| moves by at most its reach, and far off the points'
// differences by far less (their directions from it nearly agree). So the
// cell is bounded by a branch and bound over the centres of a subset of the
// points projected along its middle, less the cell's move; the betas the
// neighbourhood proves about each centre are left out, and beyond a distance
// the curvature's share leaves the subset's least width in space above the
// target. A cell not excluded is measured with every point about the
// subset's best centre and beta: a better cone is descended from, or the
// points at the edges of its zone join the subset.
#include "pointset/cylinder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace formeval::pointset::kernel {

namespace {

const double halfpi = std::acos(-1.0) / 2;

using V5 = std::array<double, 5>;

double dot5(const V5& a, const V5& b) {
    double s = 0;
    for (int k = 0; k < 5; ++k) s += a[k] * b[k];
    return s;
}

// The determinant of a 4 x 4 matrix, by elimination with partial pivoting.
double det4(std::array<std::array<double, 4>, 4> m) {
    double d = 1;
    for (int c = 0; c < 4; ++c) {
        int p = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[p][c])) p = r;
        if (m[p][c] == 0) return 0;
        if (p != c) std::swap(m[p], m[c]), d = -d;
        d *= m[c][c];
        for (int r = c + 1; r < 4; ++r) {
            const double f = m[r][c] / m[c][c];
            for (int k = c + 1; k < 4; ++k) m[r][k] -= f * m[c][k];
        }
    }
    return d;
}

// A vector normal to four in five dimensions (their generalised cross product).
V5 normal5(const std::array<V5, 4>& d) {
    V5 n{};
    for (int skip = 0; skip < 5; ++skip) {
        std::array<std::array<double, 4>, 4> m{};
        for (int r = 0; r < 4; ++r)
            for (int col = 0, j = 0; col < 5; ++col)
                if (col != skip) m[r][j++] = d[r][col];
        n[skip] = (skip % 2 == 0 ? 1 : -1) * det4(m);
    }
    return n;
}

// The distances across the surface about a frame and half angle (but for
// their common level): largest and smallest.
Spread conespread(const View& w, const Frame& f, double beta) {
    const double c = std::cos(beta), s = std::sin(beta);
    Spread out;
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = f.local(w[i]);
        const double g = across(q[0], q[1]) * c - q[2] * s;
        if (g > out.top) out.top = g, out.far = i;
        if (g < out.bottom) out.bottom = g, out.near = i;
    }
    return out;
}

// What a point at the edge of the zone gives the neighbourhood: the gradient
// of its g in the five move units, and its sizes.
struct Edge {
    V5 gradient;
    double rho, z, h;
};
Edge edge(const Vec& q, double beta, double L) {
    const double c = std::cos(beta), s = std::sin(beta);
    double a[4], rho;
    cylrow(q, L, a, rho); // rho moves by -a.theta
    Edge e{{-c * a[0], -c * a[1], -c * a[2] + s * q[1] / L, -c * a[3] - s * q[0] / L, 0},
           rho,
           q[2],
           rho * s + q[2] * c};
    e.gradient[4] = -e.h / L;
    return e;
}

// Up to `most` of the edges, each next the one whose gradient is farthest
// from those taken.
std::vector<Edge> spreadout(const std::vector<Edge>& p, std::size_t most) {
    if (p.size() <= most) return p;
    std::vector<std::size_t> out = {0};
    std::vector<double> nearest(p.size(), inf);
    while (out.size() < most) {
        std::size_t best = 0;
        for (std::size_t k = 0; k < p.size(); ++k) {
            V5 d;
            for (int c = 0; c < 5; ++c) d[c] = p[k].gradient[c] - p[out.back()].gradient[c];
            nearest[k] = std::min(nearest[k], dot5(d, d));
            if (nearest[k] > nearest[best]) best = k;
        }
        if (!(nearest[best] > 0)) break;
        out.push_back(best);
    }
    std::vector<Edge> chosen;
    for (const std::size_t k : out) chosen.push_back(p[k]);
    return chosen;
}

} // namespace

double sharpness5(const std::vector<V5>& w) {
    return hulldepth<5>(w, 36, normal5);
}

Ball coneball(const View& w, const Frame& f, double beta, double L, double gap) {
    Ball out;
    const Spread z = conespread(w, f, beta);
    const double c = std::cos(beta), s = std::sin(beta), near = gap / 4;
    std::vector<Edge> outer, inner;
    double lowestouter = inf, highestinner = -inf;
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = f.local(w[i]);
        const double g = across(q[0], q[1]) * c - q[2] * s;
        if (g >= z.top - near)
            outer.push_back(edge(q, beta, L)), out.active.push_back(i),
                lowestouter = std::min(lowestouter, g);
        if (g <= z.bottom + near)
            inner.push_back(edge(q, beta, L)), out.active.push_back(i),
                highestinner = std::max(highestinner, g);
    }
    outer = spreadout(outer, 6);
    inner = spreadout(inner, 6);
    std::vector<V5> v;
    double D = 0, Dinner = 0, nearest = inf, P = 0, hlow = inf, hhigh = -inf;
    for (const Edge& a : outer) {
        D = std::max(D, a.rho);
        for (const Edge& b : inner) {
            V5 d;
            for (int k = 0; k < 5; ++k) d[k] = a.gradient[k] - b.gradient[k];
            v.push_back(d);
        }
    }
    for (const Edge& b : inner)
        Dinner = std::max(Dinner, b.rho), nearest = std::min(nearest, b.rho);
    for (const std::vector<Edge>* set : {&outer, &inner})
        for (const Edge& e : *set)
            P = std::max(P, std::hypot(e.rho, e.z)), hlow = std::min(hlow, e.h),
            hhigh = std::max(hhigh, e.h);
    out.h = std::max(0.0, lowestouter - highestinner);
    const double kappa = sharpness5(v) * (1 - 1e-9);
    if (!(kappa > 0)) return out;
    const double t = z.zone(), H = hhigh - hlow;
    const auto E = [&](double m) {
        const double u = m / L;
        return t * u * u / 2 + H * u * u * u / 6 + turnterm(m, D, L) +
               innerterm(m, Dinner, nearest, L) + 2 * std::sqrt(2.0) * m * u +
               2 * P * (u * u / 2 + u * u * u / 6) + 2 * P * u * u;
    };
    double lo = 0, hi = 4 * (D + Dinner + L);
    for (int k = 0; k < 100; ++k) {
        const double mid = (lo + hi) / 2;
        (kappa * mid - E(mid) >= 0 ? lo : hi) = mid;
    }
    out.rho = lo * (1 - 1e-9);
    return out;
}

namespace {

// Twice the square root of the least variance of points in space along any
// direction: at most their width in every direction.
double leastwidth3(const std::vector<Vec>& p) {
    Vec m = {0, 0, 0};
    for (const Vec& q : p) m = add(m, q);
    m = mul(1 / static_cast<double>(p.size()), m);
    double a[9] = {};
    for (const Vec& q : p) {
        const Vec d = sub(q, m);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) a[3 * i + j] += d[i] * d[j] / static_cast<double>(p.size());
    }
    // The least eigenvalue of the symmetric 3 x 3 matrix, in closed form.
    const double q = (a[0] + a[4] + a[8]) / 3;
    const double p1 = a[1] * a[1] + a[2] * a[2] + a[5] * a[5];
    const double p2 =
        (a[0] - q) * (a[0] - q) + (a[4] - q) * (a[4] - q) + (a[8] - q) * (a[8] - q) + 2 * p1;
    const double pp = std::sqrt(p2 / 6);
    if (!(pp > 0)) return 2 * std::sqrt(std::max(0.0, q)) * (1 - 1e-9);
    double b[9];
    for (int k = 0; k < 9; ++k) b[k] = (a[k] - (k % 4 == 0 ? q : 0)) / pp;
    const double r = (b[0] * (b[4] * b[8] - b[5] * b[7]) - b[1] * (b[3] * b[8] - b[5] * b[6]) +
                      b[2] * (b[3] * b[7] - b[4] * b[6])) /
                     2;
    const double phi = std::acos(std::clamp(r, -1.0, 1.0)) / 3;
    const double least = q + 2 * pp * std::cos(phi + 4 * halfpi / 3);
    // The closed form's rounding: a part in 1e6 of the variance given away.
    return 2 * std::sqrt(std::max(0.0, least - 1e-6 * q)) * (1 - 1e-9);
}

// The least width of the planar points (rho, z) across the directions
// (cos beta, -sin beta), beta within pi / 2 of beta0 and outside (beta0 - bb,
// beta0 + bb), and the beta that gives it. Between the normals of the hull's
// edges the width is concave in beta, so its least is at one of them or at an
// end of the betas left.
struct Width {
    double value = inf;
    double beta = 0;
};

struct Planar {
    std::vector<std::array<double, 2>> points, hull;

    static double cross(const std::array<double, 2>& o, const std::array<double, 2>& a,
                        const std::array<double, 2>& b) {
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    }

    // The hull of `points`, given in increasing (z, rho), by the monotone chain.
    void enclose() {
        hull.clear();
        const std::size_t n = points.size();
        if (n < 3) {
            hull = points;
            return;
        }
        hull.resize(2 * n);
        std::size_t k = 0;
        for (std::size_t i = 0; i < n; ++i) {
            while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
            hull[k++] = points[i];
        }
        for (std::size_t i = n - 1, t = k + 1; i-- > 0;) {
            while (k >= t && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
            hull[k++] = points[i];
        }
        hull.resize(k - 1);
    }

    double across(double nr, double nz) const {
        double top = -inf, bottom = inf;
        for (const auto& v : hull) {
            const double x = nr * v[0] + nz * v[1];
            top = std::max(top, x), bottom = std::min(bottom, x);
        }
        return top - bottom;
    }

    // The direction (cos beta, -sin beta) of the normal (nr, nz), nr >= 0.
    static double betaof(double nr, double nz) { return std::atan2(-nz, nr); }

    Width least(double beta0, double bb) const {
        Width out;
        if (bb >= halfpi) return out;
        // A normal n is within bb of beta0's direction d0 (either way along
        // it) when (n.d0)^2 > cos^2 bb |n|^2.
        const double d0r = std::cos(beta0), d0z = -std::sin(beta0);
        const double cb = bb > 0 ? std::cos(bb) : 2;
        const auto forbidden = [&](double nr, double nz) {
            const double along = nr * d0r + nz * d0z;
            return along * along > cb * cb * (nr * nr + nz * nz);
        };
        const std::size_t h = hull.size();
        if (h < 3) {
            // A point or a segment: nothing across its own direction.
            const double nr = h == 2 ? hull[1][1] - hull[0][1] : 1;
            const double nz = h == 2 ? hull[0][0] - hull[1][0] : 0;
            if (!forbidden(nr, nz)) return {0, betaof(nr < 0 ? -nr : nr, nr < 0 ? -nz : nz)};
        }
        const auto consider = [&](double beta) {
            const double x = across(std::cos(beta), -std::sin(beta));
            if (x < out.value) out.value = x, out.beta = beta;
        };
        if (bb > 0) consider(beta0 - bb), consider(beta0 + bb);
        if (h < 3) return out;
        // Rotating calipers: the vertex farthest from each edge (the hull runs
        // counterclockwise) advances with the edges.
        std::size_t j = 1, at = h;
        double atr = 0, atz = 0;
        for (std::size_t k = 0; k < h; ++k) {
            const auto& a = hull[k];
            const auto& b = hull[(k + 1) % h];
            while (cross(a, b, hull[(j + 1) % h]) > cross(a, b, hull[j])) j = (j + 1) % h;
            const double nr = b[1] - a[1], nz = a[0] - b[0];
            const double length = std::sqrt(nr * nr + nz * nz);
            if (!(length > 0) || forbidden(nr, nz)) continue;
            const double x = cross(a, b, hull[j]) / length;
            if (x < out.value) out.value = x, at = k, atr = nr, atz = nz;
        }
        if (at < h) out.beta = atr < 0 ? betaof(-atr, -atz) : betaof(atr, atz);
        return out;
    }
};

// Best-first branch and bound over boxes of centres for one cell of
// directions: the least width of the points (|q - c|, z) over the betas the
// neighbourhood leaves each box, less twice the box's reach (each rho moves
// by at most that). It stops when every box is at least the target, soon
// after a centre below it is met, or when its budget runs out.
struct Centres {
    const std::vector<Vec>& q; // sorted by z
    const std::vector<double>& z;
    double reach2; // the neighbourhood's radius squared less the cell's distance squared
    double L, beta0;
    double far, target;
    long& work;
    Centres(const std::vector<Vec>& points, const std::vector<double>& along, double reach,
            double length, double beta, double beyond, double level, long& count)
        : q(points), z(along), reach2(reach), L(length), beta0(beta), far(beyond), target(level),
          work(count) {
        for (const Vec& p : q) middle = add(middle, p);
        middle = mul(1 / static_cast<double>(q.size()), middle);
        for (const Vec& p : q) disc = std::max(disc, norm(sub(p, middle)));
        disc *= 1 + 1e-12;
    }
    Planar planar;
    Vec best = {0, 0, 0};
    double bestvalue = inf, bestbeta = 0;
    long budget = 512;

    // The planar points about the centre c, and how much their distances can
    // differ in their moves over a box: the spread of the points' directions
    // from c and the nearest distance. Seen from a centre d beyond the
    // points' disc (about g, radius a), their directions lie within an angle
    // asin(a / d) of g's, so no two differ by more than pi a / d.
    Vec middle = {0, 0, 0};
    double disc = 0;
    double spread = 2, nearest = 0;

    void build(const Vec& c) {
        planar.points.clear();
        nearest = inf;
        for (std::size_t i = 0; i < q.size();) {
            std::size_t j = i;
            double lo = inf, hi = -inf;
            do {
                const double rho = across(q[j][0] - c[0], q[j][1] - c[1]);
                lo = std::min(lo, rho), hi = std::max(hi, rho);
            } while (++j < q.size() && z[j] == z[i]);
            nearest = std::min(nearest, lo);
            planar.points.push_back({lo, z[i]});
            if (hi > lo) planar.points.push_back({hi, z[i]});
            i = j;
        }
        planar.enclose();
        work += static_cast<long>(q.size() + planar.hull.size());
        const double d = across(c[0] - middle[0], c[1] - middle[1]);
        spread = d > disc ? std::min(2.0, 4 * halfpi * disc / d) : 2;
    }

    double bound(const Vec& mid, double half) {
        const double r = half * std::sqrt(2.0);
        const double d = across(mid[0], mid[1]);
        if (d - r >= far) return inf;
        build(mid);
        // The betas the neighbourhood leaves: at mid for the centre that did
        // best, and those of the box's farthest centre (the most) for its bound.
        const auto leaves = [&](double at) {
            const double left = reach2 - at * at;
            return planar.least(beta0, left > 0 ? std::sqrt(left) / L : 0);
        };
        const Width there = leaves(d);
        if (there.value < bestvalue) bestvalue = there.value, best = mid, bestbeta = there.beta;
        const Width box = reach2 > d * d ? leaves(d + r) : there;
        // Over the box each rho_i is rho_i(mid) - u_i.(c - mid) + e_i, 0 <= e_i
        // <= r^2 / (2 (rho_i - r)): the points' differences move by at most
        // the spread of their directions u_i times r, and e.
        double move = 2 * r;
        if (nearest > r) move = std::min(move, spread * r + r * r / (2 * (nearest - r)));
        return box.value - move - 16 * eps * (1 + d + L);
    }

    double run(double half) { return centresearch(*this, {0, 0, 0}, half, target, budget); }
};

struct ConeSearch {
    const View& w;
    Conic& best;
    double& zone;
    Frame F;
    double beta0 = 0;
    double L = 1;
    double gap = 0;
    double T = 0; // to prove: the zone is at least T
    Ball near;
    bool ballvalid = false;
    std::vector<std::size_t> subset;
    std::vector<Vec> local; // the subset's points in the frame
    std::vector<bool> taken;
    double width = 0; // the subset's least width in space
    std::size_t widthof = 0;
    bool restart = false;
    long work = 0;
    Vec lastmid = {inf, 0, 0};
    Vec lastcentre = {0, 0, 0};
    double lastbeta = 0, lastvalue = inf;

    ConeSearch(const View& view, Conic& incumbent, double& z)
        : w(view), best(incumbent), zone(z), F(incumbent.f), taken(view.n, false) {
        beta0 = std::atan(best.s);
        L = axialextent(w, F);
        gap = certifiedgap(zone, 1);
        T = zone - gap / 2;
        near = coneball(w, F, beta0, L, gap);
        // A neighbourhood narrower than a part in 1e7 of the points' length
        // (an optimum nearly flat along some move) is beyond the cells the
        // search can reach.
        ballvalid = near.rho > 1e-7 * L && near.h >= T;
        for (const std::size_t i : near.active) take(i);
        for (const std::size_t i : startingpoints(w, F)) take(i);
    }

    void take(std::size_t i) {
        if (taken[i]) return;
        taken[i] = true;
        subset.push_back(i);
        local.push_back(F.local(w[i]));
    }

    double threshold() const { return restart ? -inf : T; }

    double bound(const Vec& mid, double half) {
        const double phi = half * std::sqrt(2.0);
        const double a = L * (across(mid[0], mid[1]) + phi);
        const double reach2 = ballvalid ? near.rho * near.rho - a * a : 0;
        // The subset projected along the middle direction, in increasing z.
        const Turn r = turn(mid[0], mid[1]);
        std::vector<std::pair<double, Vec>> p;
        double most = 0, D = 0;
        for (const Vec& x : local) {
            const Vec u = unturned(r, x);
            const double rho = across(u[0], u[1]);
            p.push_back({u[2], {u[0], u[1], 0}});
            D = std::max(D, rho);
            const double m = std::fabs(u[2]) * phi + rho * phi * phi / 2;
            const double mz = rho * phi + std::fabs(u[2]) * phi * phi / 2;
            most = std::max(most, std::hypot(m, mz));
        }
        std::sort(p.begin(), p.end(),
                  [](const auto& x, const auto& y) { return x.first < y.first; });
        std::vector<Vec> q;
        std::vector<double> z;
        for (const auto& x : p) z.push_back(x.first), q.push_back(x.second);
        const double move = most * (1 + 1e-12) + 8 * eps;
        if (widthof != local.size()) width = leastwidth3(local), widthof = local.size();
        const double target = T + 2 * move;
        // Beyond `far` from the origin the distances' curvature costs less than
        // the width leaves above the target.
        const double far = width > target ? D + D * D / (2 * (width - target)) : inf;
        const double side = std::isfinite(far) ? far : 16 * (1 + D);
        Centres c(q, z, reach2, L, beta0, far, target, work);
        // Out of the neighbourhood's reach, a cell whose zone about the axis
        // found is below the target by more than its move cannot be excluded:
        // its quarters are bounded instead.
        if (reach2 <= 0) {
            c.build({0, 0, 0});
            const Width about = c.planar.least(beta0, 0);
            if (about.value < target) {
                lastmid = mid;
                lastcentre = {0, 0, 0};
                lastbeta = about.beta;
                lastvalue = about.value;
                return -inf;
            }
        }
        double lower = c.run(side);
        if (!std::isfinite(far)) lower = std::min(lower, width - D * D / (2 * (side - D)));
        lastmid = mid;
        lastcentre = c.best;
        lastbeta = c.bestbeta;
        lastvalue = c.bestvalue;
        // Proven at the target: the cell is, at T (T + 2 move - 2 move may round below it).
        return lower >= target ? T : lower - 2 * move;
    }

    bool settle(const Vec& mid, double) {
        if (restart || !(mid == lastmid) || lastvalue >= T) return false;
        const Frame g = moved(F, {lastcentre[0], lastcentre[1], L * mid[0], L * mid[1]}, L);
        const Spread there = conespread(w, g, lastbeta);
        // Nearly flat cones are left to the bounds: their slope runs away.
        if (there.zone() < zone - gap && std::fabs(lastbeta) < 1.5) {
            Conic k{g, std::tan(lastbeta), 0};
            const double z = mzconic(w, k);
            const double measured = conespread(w, k.f, std::atan(k.s)).zone();
            if (std::isfinite(z) && measured < zone - gap / 4) {
                best = k;
                zone = measured;
                restart = true;
                return true;
            }
        }
        const std::size_t before = subset.size();
        take(there.far);
        take(there.near);
        return subset.size() > before;
    }
};

} // namespace

Certificate certifycone(const View& w, Conic& best, double& zone, long budget) {
    zone = conespread(w, best.f, std::atan(best.s)).zone();
    if (zone <= certifiedgap(zone, 1)) return {true, 0, zone, ""}; // no zone is narrower
    Certificate c;
    if (budget <= 0) {
        c.upper = zone;
        c.why = "the global search ran out of its budget of 0 cells";
        return c;
    }
    long used = 0;
    for (int restarts = 0; restarts < 8; ++restarts) {
        ConeSearch s(w, best, zone);
        // Without a neighbourhood the search cannot close, but it may still
        // meet a better cone: a smaller budget.
        const long allowed = s.ballvalid ? budget : std::min(budget, 4000L);
        const double left = directionsearch(s, std::max(0L, allowed - used), used);
        if (s.restart) continue;
        c.upper = zone;
        c.lower = std::max(0.0, std::min(c.upper, std::min(s.T, left)));
        c.certified = !std::isfinite(left) && c.upper - c.lower <= s.gap;
        if (!c.certified)
            c.why = !s.ballvalid ? "the points at the edges of the zone do not hold the cone from "
                                   "every side (an optimum nearly flat along some move)"
                                 : "the global search ran out of its budget of " +
                                       std::to_string(budget) + " cells";
        return c;
    }
    c.upper = zone;
    c.lower = 0;
    c.why = "the global search kept meeting better cones";
    return c;
}

} // namespace formeval::pointset::kernel
