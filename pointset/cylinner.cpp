// The circle problems that bound a cell of axis directions: for the points of
// a subset projected along the cell's middle direction (in the plane, z = 0),
// a lower bound of the objective over every centre at least `b` from the
// origin (the axis found projects there; nearer centres the neighbourhood of
// the axis found proves), and the centre that did best.
#include "pointset/cylinder.h"
#include "pointset/pairbound.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace formeval::pointset::kernel {

namespace {

double planar(const Vec& a) {
    return across(a[0], a[1]);
}

// The largest and smallest distance of the points from c.
Spread about(const std::vector<Vec>& q, const Vec& c) {
    Spread s;
    for (std::size_t i = 0; i < q.size(); ++i) {
        const double d = across(q[i][0] - c[0], q[i][1] - c[1]);
        if (d > s.top) s.top = d, s.far = i;
        if (d < s.bottom) s.bottom = d, s.near = i;
    }
    return s;
}

// Twice the square root of the least variance of the points along any
// direction: at most their width in every direction.
double leastwidth(const std::vector<Vec>& q) {
    double mx = 0, my = 0;
    for (const Vec& p : q) mx += p[0], my += p[1];
    mx /= static_cast<double>(q.size());
    my /= static_cast<double>(q.size());
    double xx = 0, xy = 0, yy = 0;
    for (const Vec& p : q) {
        const double x = p[0] - mx, y = p[1] - my;
        xx += x * x, xy += x * y, yy += y * y;
    }
    xx /= static_cast<double>(q.size());
    xy /= static_cast<double>(q.size());
    yy /= static_cast<double>(q.size());
    const double least = (xx + yy) / 2 - across((xx - yy) / 2, xy);
    return 2 * std::sqrt(std::max(0.0, least)) * (1 - 1e-9);
}

// Best-first branch and bound over boxes of centres, each bounded from its
// middle (the objective is Lipschitz in the centre). It stops when every box
// is at least the target, or soon after a centre below the target is met (the
// cell is not excluded then, but the least bound of the boxes left is still a
// lower bound), or when its budget runs out.
struct Centres {
    const std::vector<Vec>& q;
    int kind;      // 0 the zone, 2 minus the smallest distance
    double b;      // centres nearer the origin are excluded
    Vec disc;      // kind 2: centres within `radius` of this point
    double radius; // inf for none
    double far;    // kind 0: centres farther than this do not go below the target
    double target;
    long& work;
    Vec best = {0, 0, 0};
    double bestvalue = inf;

    double bound(const Vec& mid, double half) {
        const double r = half * std::sqrt(2.0);
        const double d = planar(mid);
        if (d + r <= b || d - r >= far) return inf;
        if (across(mid[0] - disc[0], mid[1] - disc[1]) - r >= radius) return inf;
        work += static_cast<long>(q.size());
        double pairs = -inf, value = inf, top = 0;
        if (kind == 0) {
            // One pass gives the pairs' bound and the zone at mid.
            double bottom = 0;
            pairs = pairbound<4>(
                q.size(), [&](std::size_t k) { return q[k]; }, mid, r, &top, &bottom);
            value = top - bottom;
        } else {
            const Spread s = about(q, mid);
            value = -s.bottom;
            top = s.top;
        }
        if (value < bestvalue && d >= b) bestvalue = value, best = mid;
        const double rounding = 8 * eps * (1 + d + top);
        return std::max(pairs, value - (kind == 0 ? 2 : 1) * r) - rounding;
    }

    long budget = 4096; // boxes

    double run(const Vec& mid, double half) {
        return centresearch(*this, mid, half, target, budget);
    }
};

constexpr std::size_t fewpoints = 32;

// About fewpoints of the points: those farthest along 16 directions about
// their centroid (the ends of a smeared projection), those nearest it, and an
// even spread of the rest.
std::vector<Vec> fewof(const std::vector<Vec>& q) {
    constexpr int directions = 16;
    Vec m = {0, 0, 0};
    for (const Vec& p : q) m = add(m, p);
    m = mul(1 / static_cast<double>(q.size()), m);
    std::array<double, directions> c, sn;
    for (int k = 0; k < directions; ++k) {
        const double a = std::acos(-1.0) * k / (directions / 2);
        c[k] = std::cos(a);
        sn[k] = std::sin(a);
    }
    std::array<std::size_t, directions + 1> pick{};
    std::array<double, directions + 1> value;
    value.fill(-inf);
    for (std::size_t i = 0; i < q.size(); ++i) {
        const double x = q[i][0] - m[0], y = q[i][1] - m[1];
        for (int k = 0; k < directions; ++k) {
            const double s = x * c[k] + y * sn[k];
            if (s > value[k]) value[k] = s, pick[k] = i;
        }
        const double near = -across(x, y);
        if (near > value[directions]) value[directions] = near, pick[directions] = i;
    }
    std::vector<std::size_t> chosen(pick.begin(), pick.end());
    const std::size_t step = q.size() / (fewpoints - chosen.size()) + 1;
    for (std::size_t i = step / 2; i < q.size(); i += step) chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    std::vector<Vec> out;
    for (const std::size_t i : chosen) out.push_back(q[i]);
    return out;
}

} // namespace

Inner zoneinner(const std::vector<Vec>& q, double b, double target, long& work) {
    double D = 0, d = inf;
    for (const Vec& p : q) D = std::max(D, planar(p)), d = std::min(d, planar(p));
    const double W = leastwidth(q);
    // Along the direction v of a centre s from the origin, the two points
    // farthest apart along v give the zone at least (2 s W - (D^2 - d^2)) /
    // (2 (s + D)), which grows with s.
    const double k = (D - d) * (D + d);
    const auto farbound = [&](double s) { return (2 * s * W - k) / (2 * (s + D)); };
    const double far = W > target ? (2 * target * D + k) / (2 * (W - target)) : inf;
    const double half = std::isfinite(far) ? far : 16 * (1 + D);
    Inner out;
    // A few of the points bound the zone from below too, and far from the
    // axis found (a projection smeared by the tilt) they usually reach the
    // target at a fraction of the cost; the far bound above is the whole
    // set's and holds for them as well.
    if (q.size() > 4 * fewpoints) {
        const std::vector<Vec> few = fewof(q);
        Centres c{few, 0, b, {0, 0, 0}, inf, far, target, work};
        c.budget = 1024;
        out.lower = c.run({0, 0, 0}, half);
        if (out.lower >= target) {
            out.centre = c.best;
            out.value = c.bestvalue;
            return out;
        }
    }
    Centres c{q, 0, b, {0, 0, 0}, inf, far, target, work};
    out.lower = c.run({0, 0, 0}, half);
    if (!std::isfinite(far)) out.lower = std::min(out.lower, farbound(half));
    out.centre = c.best;
    out.value = c.bestvalue;
    return out;
}

Inner smallestinner(const std::vector<Vec>& q, double b, const Vec& m, double radius, double target,
                    long& work) {
    Centres c{q, 2, b, m, radius, inf, target, work};
    const double lower = c.run(m, radius);
    return {lower, c.best, c.bestvalue};
}

// The smallest circle holding the points (move-to-front, in floating point);
// the radius it proves from below: the distance of the points on it from its
// centre when they surround the centre (the distance from them grows at
// least like kappa times the distance from the centre), else half the
// distance of two points.
Inner largestinner(const std::vector<Vec>& q, double b, long& work) {
    work += 4 * static_cast<long>(q.size());
    Vec c = q[0];
    double r = 0;
    const auto out = [&](const Vec& p) { return planar(sub(p, c)) > r * (1 + 1e-14); };
    for (std::size_t i = 1; i < q.size(); ++i) {
        if (!out(q[i])) continue;
        c = q[i], r = 0;
        for (std::size_t j = 0; j < i; ++j) {
            if (!out(q[j])) continue;
            c = mul(0.5, add(q[i], q[j]));
            r = planar(sub(q[i], c));
            for (std::size_t k = 0; k < j; ++k) {
                if (!out(q[k])) continue;
                const Vec u = sub(q[j], q[i]), v = sub(q[k], q[i]);
                const double det = 2 * (u[0] * v[1] - u[1] * v[0]);
                if (det == 0) continue;
                const double uu = u[0] * u[0] + u[1] * u[1], vv = v[0] * v[0] + v[1] * v[1];
                c = {q[i][0] + (v[1] * uu - u[1] * vv) / det,
                     q[i][1] + (u[0] * vv - v[0] * uu) / det, 0};
                r = planar(sub(q[i], c));
            }
        }
    }
    std::vector<Vec> n;
    double nearest = inf, top = 0;
    for (const Vec& p : q) top = std::max(top, planar(sub(p, c)));
    for (const Vec& p : q) {
        const double d = planar(sub(p, c));
        if (d < top * (1 - 1e-9)) continue;
        nearest = std::min(nearest, d);
        n.push_back(mul(-1 / d, sub(p, c)));
    }
    const double kappa = n.size() >= 2 ? sharpness(n, {}, 2) : -1;
    Inner result;
    if (kappa >= 0) {
        result.lower = nearest + kappa * std::max(0.0, b - planar(c));
    } else {
        double diameter = 0;
        for (const Vec& p : q) diameter = std::max(diameter, planar(sub(p, q[0])));
        result.lower = diameter / 2;
    }
    result.lower -= 8 * eps * (1 + top + planar(c));
    const double at = planar(c);
    result.centre = at >= b ? c : at > 0 ? mul(b / at, c) : Vec{b, 0, 0};
    result.value = about(q, result.centre).top;
    return result;
}

} // namespace formeval::pointset::kernel
