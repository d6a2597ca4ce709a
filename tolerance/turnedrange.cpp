// The narrowest zone of two parallel planes whose normal makes a given angle
// with an axis, turned freely about it: a one-dimensional minimax over the
// turn, solved by branch and bound. On each interval of turns the spread is
// at least the larger of the spreads of the two extreme pairs at its ends,
// each a sinusoid of the turn, whose least is found in closed form; where the
// pairs stay the extremes that bound is the spread itself, so the search
// closes in on a kink or a pair's own minimum in few steps.
#include "tolerance/geometry.h"

#include <algorithm>
#include <cmath>
#include <queue>
#include <vector>

namespace formeval::tolerance {

namespace {

using detail::dot;

constexpr double pi = 3.141592653589793;
constexpr long budget = 20000; // spreads evaluated at most

// A point's height along m(phi) = a + b cos(phi) + c sin(phi).
struct Heights {
    std::vector<double> a, b, c;
};

// The spread at phi and the pair that makes it: heights of the highest less
// the lowest point, as A + B cos(phi) + C sin(phi).
struct Sinusoid {
    double A = 0, B = 0, C = 0;
    double at(double phi) const { return A + B * std::cos(phi) + C * std::sin(phi); }
};

struct Sample {
    double phi = 0;
    double spread = 0;
    Sinusoid pair;
};

Sample sample(const Heights& h, double phi) {
    const double cs = std::cos(phi), sn = std::sin(phi);
    std::size_t hi = 0, lo = 0;
    double top = -std::numeric_limits<double>::infinity(), bottom = -top;
    for (std::size_t i = 0; i < h.a.size(); ++i) {
        const double v = h.a[i] + h.b[i] * cs + h.c[i] * sn;
        if (v > top) top = v, hi = i;
        if (v < bottom) bottom = v, lo = i;
    }
    return {phi, top - bottom, {h.a[hi] - h.a[lo], h.b[hi] - h.b[lo], h.c[hi] - h.c[lo]}};
}

// The turns in [l, r] where A + B cos + C sin = 0.
void zeros(const Sinusoid& s, double l, double r, std::vector<double>& out) {
    const double R = std::hypot(s.B, s.C);
    if (!(R > 0) || std::fabs(s.A) > R) return;
    const double psi = std::atan2(s.C, s.B), d = std::acos(-s.A / R);
    for (double phi : {psi + d, psi - d}) {
        phi = l + std::remainder(phi - l - pi, 2 * pi) + pi; // into [l, l + 2 pi)
        if (phi >= l && phi <= r) out.push_back(phi);
    }
}

// The turn in [l, r] of a sinusoid's least value, if there.
void least(const Sinusoid& s, double l, double r, std::vector<double>& out) {
    if (std::hypot(s.B, s.C) == 0) return;
    double phi = std::atan2(s.C, s.B) + pi;
    phi = l + std::remainder(phi - l - pi, 2 * pi) + pi;
    if (phi >= l && phi <= r) out.push_back(phi);
}

struct Interval {
    Sample left, right;
    double lower = 0; // proven: no spread on the interval below it
    double at = 0;    // the turn where that bound is reached
    bool operator<(const Interval& o) const { return lower > o.lower; } // least on top
};

// The least over [l, r] of max(left pair, right pair), and where.
Interval bounded(const Sample& left, const Sample& right) {
    Interval iv{left, right, 0, left.phi};
    std::vector<double> turns = {left.phi, right.phi};
    const Sinusoid& f = left.pair;
    const Sinusoid& g = right.pair;
    zeros({f.A - g.A, f.B - g.B, f.C - g.C}, left.phi, right.phi, turns);
    least(f, left.phi, right.phi, turns);
    least(g, left.phi, right.phi, turns);
    iv.lower = std::numeric_limits<double>::infinity();
    for (double phi : turns) {
        const double v = std::max(f.at(phi), g.at(phi));
        if (v < iv.lower) iv.lower = v, iv.at = phi;
    }
    return iv;
}

} // namespace

TurnedRange turnedrange(const std::vector<Point>& points, const Vector& axis, double angle) {
    TurnedRange out;
    const Vector z = detail::unit(axis);
    out.direction = z;
    const double theta = angle * pi / 180;
    const double ct = std::cos(theta), st = std::sin(theta);
    const double scale = detail::scale(points);
    if (points.empty()) {
        out.certificate.certified = true;
        return out;
    }
    // Heights from the centroid: the spread is the same, the sums smaller.
    Point c = {0, 0, 0};
    for (const Point& p : points)
        for (int k = 0; k < 3; ++k) c[k] += p[k] / static_cast<double>(points.size());
    Vector x, y;
    detail::basis(z, x, y);
    Heights h;
    for (const Point& p : points) {
        const Vector d = detail::minus(p, c);
        h.a.push_back(ct * dot(d, z));
        h.b.push_back(st * dot(d, x));
        h.c.push_back(st * dot(d, y));
    }
    // At 0 or 180 degrees the turn changes nothing; at 90 half a turn gives the same planes.
    const bool turns = std::fabs(st) > 1e-15;
    const double period = std::fabs(ct) < 1e-15 ? pi : 2 * pi;
    const int pieces = turns ? 32 : 1;
    std::vector<Sample> ends;
    for (int k = 0; k <= pieces; ++k) ends.push_back(sample(h, period * k / pieces));
    Sample best = ends[0];
    for (const Sample& s : ends)
        if (s.spread < best.spread) best = s;
    std::priority_queue<Interval> open;
    if (turns)
        for (int k = 0; k < pieces; ++k) open.push(bounded(ends[k], ends[k + 1]));
    long evaluated = pieces + 1;
    double lower = best.spread;
    while (!open.empty()) {
        const Interval iv = open.top();
        const double gap = pointset::certifiedgap(best.spread, scale);
        if (iv.lower >= best.spread - gap) {
            lower = std::min(best.spread, iv.lower);
            break;
        }
        if (evaluated >= budget) {
            lower = iv.lower;
            break;
        }
        open.pop();
        // Split where the bound is least, or in the middle where that is an end.
        double at = iv.at;
        const double width = iv.right.phi - iv.left.phi;
        if (!(at > iv.left.phi + 1e-3 * width && at < iv.right.phi - 1e-3 * width))
            at = iv.left.phi + width / 2;
        const Sample mid = sample(h, at);
        ++evaluated;
        if (mid.spread < best.spread) best = mid;
        if (width > 1e-15) {
            open.push(bounded(iv.left, mid));
            open.push(bounded(mid, iv.right));
        }
        if (open.empty()) lower = best.spread;
    }
    out.value = best.spread;
    out.direction =
        detail::unit({ct * z[0] + st * (std::cos(best.phi) * x[0] + std::sin(best.phi) * y[0]),
                      ct * z[1] + st * (std::cos(best.phi) * x[1] + std::sin(best.phi) * y[1]),
                      ct * z[2] + st * (std::cos(best.phi) * x[2] + std::sin(best.phi) * y[2])});
    out.certificate.lower = std::max(0.0, lower);
    out.certificate.upper = best.spread;
    pointset::judge(out.certificate, best.spread, scale,
                    "the search over the turns ran out of its budget before its bounds met");
    return out;
}

} // namespace formeval::tolerance
