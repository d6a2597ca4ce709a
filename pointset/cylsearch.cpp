// The global search of a cylinder's certificate: a branch and bound over axis
// directions, the rotation vectors w of the square [-pi/2, pi/2]^2 about the
// frame of the axis found (the half of the directions within pi/2 of it, which
// with their opposites are all of them).
//
// A cell of directions within phi of its middle w_m: the directions of its
// axes lie within phi of w_m's, so the points projected along any of them are,
// up to a turn in the plane, those projected along w_m each moved by at most
// |Z| phi + rho phi^2 / 2 (Z and rho the point's coordinates along and across
// w_m). The objective of a subset of the points, projected along w_m, bounds
// the cell from below less that move (twice for a zone); of the centres, those
// within the neighbourhood the axis found proves (a ball of radius rho in move
// units about it) need no bound. A cell the subset cannot exclude is measured
// with every point about the subset's best centre: either a better axis is
// found (and descended from, and the search begins again about it), or the
// points that fix the objective there join the subset.
#include "pointset/cylinder.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace formeval::pointset::kernel {

namespace {

struct Search {
    const View& w;
    const Objective& o;
    Cylinder& best;
    Frame F;
    double L = 1;
    double gap = 0;
    double T = 0; // to prove: the objective is at least T
    Ball near;
    bool ballvalid = false;
    std::vector<std::size_t> subset;
    std::vector<Vec> local; // the subset's points in the frame
    std::vector<bool> taken;
    Vec along, through; // the inscribed cylinder's bounds, in the frame
    bool restart = false;
    long work = 0; // distances measured in the circle problems
    // The subset projected along the last cell's middle: kept between cells
    // so that their buffers are not made again for each.
    std::vector<Vec> q;
    std::vector<double> z;
    Vec lastmid = {inf, 0, 0};
    Vec lastcentre = {0, 0, 0};
    double lastvalue = inf;

    Cone skip;
    Vec skipaxis = {0, 0, 1}; // in the frame

    Search(const View& view, const Objective& objective, Cylinder& incumbent, const Cone& cone,
           double target)
        : w(view), o(objective), best(incumbent), F(incumbent.f), taken(view.n, false), skip(cone) {
        L = axialextent(w, F);
        gap = certifiedgap(best.top - best.bottom, 1);
        T = std::isnan(target) ? best.value - gap / 2 : target;
        const Vec k = F.local(add(F.origin, skip.axis));
        skipaxis = mul(1 / norm(k), k);
        near = ball(w, F, L, o.kind, gap);
        ballvalid = near.rho > 0 && near.h >= T;
        for (const std::size_t i : near.active) take(i);
        for (const std::size_t i : startingpoints(w, F)) take(i);
        const Vec a = F.local(add(F.origin, o.along));
        along = mul(1 / norm(a), a);
        through = F.local(o.through);
    }

    void take(std::size_t i) {
        if (taken[i]) return;
        taken[i] = true;
        subset.push_back(i);
        local.push_back(F.local(w[i]));
    }

    double threshold() const { return restart ? -inf : T; }

    // The angle between the cell's middle direction and `axis` (in the
    // frame), either way along it; the cell's directions lie within phi of it.
    static double angleto(const Vec& mid, const Vec& axis) {
        const Vec u = unturned({0, 0, 1}, -mid[0], -mid[1]);
        return std::acos(std::min(1.0, std::fabs(dot(u, axis))));
    }

    // The inscribed axis runs within the cone about `along`: no direction of
    // the cell does when its middle is farther than the cone and the cell.
    // Cells the caller's cone leaves out are done with too.
    bool outside(const Vec& mid, double phi) const {
        if (skip.angle > 0) {
            const double angle = angleto(mid, skipaxis);
            if (skip.inside ? angle + phi <= skip.angle : angle - phi > skip.angle) return true;
        }
        return o.bounded && angleto(mid, along) - phi > o.cone;
    }

    // The subset projected along the cell's middle, and the most any of them
    // moves over the cell.
    double project(const Vec& mid, double phi, std::vector<Vec>& q, std::vector<double>& z) const {
        double most = 0;
        q.clear();
        z.clear();
        const Turn r = turn(mid[0], mid[1]);
        for (const Vec& p : local) {
            const Vec u = unturned(r, p);
            const double out = across(u[0], u[1]);
            q.push_back({u[0], u[1], 0});
            z.push_back(u[2]);
            most = std::max(most, std::fabs(u[2]) * phi + out * phi * phi / 2);
        }
        return most * (1 + 1e-12) + 8 * eps;
    }

    // Far from the axis found the zone of a long subset is about its diameter,
    // while its points move by up to its length times the angle. A slab of it,
    // points close along the axis, moves as one up to a shift the zone does
    // not see: about its middle Z and centroid, each of its points by |Z -
    // Zmid| phi + |q - centroid| phi^2 / 2. Its zone less twice that bounds the
    // cell too (for a cell with no centre excluded). Slabs of half the
    // subset's length and less are tried.
    double slabs(const std::vector<Vec>& q, const std::vector<double>& z, double phi) {
        std::vector<std::size_t> order(q.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](std::size_t i, std::size_t k) { return z[i] < z[k]; });
        const double length = z[order.back()] - z[order.front()];
        double best = -inf;
        std::vector<Vec> g;
        for (double tau = length / 2; tau > length / 64; tau /= 2)
            for (std::size_t first = 0; first < order.size();) {
                std::size_t last = first;
                while (last < order.size() && z[order[last]] <= z[order[first]] + tau) ++last;
                if (last - first >= 6) {
                    const double mid = (z[order[first]] + z[order[last - 1]]) / 2;
                    Vec c = {0, 0, 0};
                    for (std::size_t k = first; k < last; ++k) c = add(c, q[order[k]]);
                    c = mul(1.0 / static_cast<double>(last - first), c);
                    g.clear();
                    double most = 0;
                    for (std::size_t k = first; k < last; ++k) {
                        const Vec p = sub(q[order[k]], c);
                        g.push_back(p);
                        most = std::max(most, std::fabs(z[order[k]] - mid) * phi +
                                                  across(p[0], p[1]) * phi * phi / 2);
                    }
                    const double move = most * (1 + 1e-12) + 8 * eps;
                    best = std::max(best, zoneinner(g, 0, T + 2 * move, work).lower - 2 * move);
                    if (best >= T) return best;
                }
                first = last;
            }
        return best;
    }

    double bound(const Vec& mid, double half) {
        const double phi = half * std::sqrt(2.0);
        if (outside(mid, phi)) return inf;
        // A cell wider than the caller's cone that reaches into it holds
        // directions about as good as the axis found and others far worse:
        // no bound of it proves anything, its quarters may.
        if (skip.angle > 0 && phi > skip.angle && angleto(mid, skipaxis) - phi <= skip.angle)
            return -inf;
        const double a = L * (across(mid[0], mid[1]) + phi);
        const double b = ballvalid && a < near.rho ? std::sqrt(near.rho * near.rho - a * a) : 0;
        const double move = project(mid, phi, q, z);
        Inner in;
        if (o.kind == 0) {
            in = zoneinner(q, b, T + 2 * move, work);
            in.lower -= 2 * move;
            if (in.lower < T && b == 0) in.lower = std::max(in.lower, slabs(q, z, phi));
        } else if (o.kind == 1) {
            in = largestinner(q, b, work);
            in.lower -= move;
        } else {
            const Vec m = unturned(through, mid[0], mid[1]);
            const double mm = std::fabs(m[2]) * phi + across(m[0], m[1]) * phi * phi / 2;
            in = smallestinner(q, b, {m[0], m[1], 0}, o.radius + mm * (1 + 1e-12), T + move, work);
            in.lower -= move;
        }
        lastmid = mid;
        lastcentre = in.centre;
        lastvalue = in.value;
        return in.lower;
    }

    bool settle(const Vec& mid, double) {
        // Where the subset does worse than the incumbent, only a smaller cell helps.
        if (restart || !(mid == lastmid) || lastvalue >= T) return false;
        const Frame g = moved(F, {lastcentre[0], lastcentre[1], L * mid[0], L * mid[1]}, L);
        const Cylinder there = measured(w, g, o.kind);
        if (there.value < best.value - gap && admissible(o, g)) {
            const Cylinder d = descend(w, g, o);
            if (d.ok && d.value < best.value - gap / 4) {
                best = d;
                restart = true;
                return true;
            }
        }
        const std::size_t before = subset.size();
        if (o.kind != 2) take(there.far);
        if (o.kind != 1) take(there.near);
        return subset.size() > before;
    }
};

} // namespace

// Why a neighbourhood proves nothing, by kind.
const char* const unheld[3] = {
    "the points at the edges of the zone do not hold the axis from every side",
    "the points on the circumscribed cylinder do not hold its axis from every side",
    ("the points on the inscribed cylinder do not hold its axis from every side (points not all "
     "round, or an axis at the limit of where it may run)")};

Certificate certifycylinder(const View& w, const Objective& o, Cylinder& best, long budget,
                            const Cone& skip) {
    Certificate c;
    if (o.kind == 0 && best.value <= certifiedgap(best.value, 1)) {
        // A zone within rounding of nothing: no zone is narrower.
        c = {true, 0, best.value, ""};
        return c;
    }
    long used = 0;
    for (int restarts = 0; restarts < 8; ++restarts) {
        Search s(w, o, best, skip, std::numeric_limits<double>::quiet_NaN());
        // Without a neighbourhood the search cannot close, but it may still
        // meet a better axis: a smaller budget.
        const long allowed = s.ballvalid ? budget : std::min(budget, 4000L);
        const double left = directionsearch(s, std::max(0L, allowed - used), used);
        if (s.restart) continue;
        c.upper = best.value;
        c.lower = std::min(c.upper, std::min(s.T, left));
        if (o.kind != 2) c.lower = std::max(0.0, c.lower); // a zone or a radius
        c.certified = !std::isfinite(left) && c.upper - c.lower <= s.gap;
        if (!c.certified)
            c.why = !s.ballvalid ? unheld[o.kind]
                                 : "the global search ran out of its budget of " +
                                       std::to_string(budget) + " cells";
        return c;
    }
    c.upper = best.value;
    c.lower = o.kind == 2 ? -inf : 0;
    c.why = "the global search kept meeting better axes";
    return c;
}

bool zonebeyond(const View& w, const Cylinder& best, double margin, double angle, long budget) {
    // Above the optimum the neighbourhood proves nothing: the search alone,
    // over the directions outside the cone.
    const Objective zone;
    Cylinder incumbent = best;
    Search s(w, zone, incumbent, {best.f.axis(), angle, true}, best.value + margin);
    s.ballvalid = false;
    long used = 0;
    return !std::isfinite(directionsearch(s, budget, used)) && !s.restart;
}

} // namespace formeval::pointset::kernel
