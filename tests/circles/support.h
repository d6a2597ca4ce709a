// Support for the peak and valley tests: independent reference circles (the
// minimum enclosing circle by Welzl's algorithm, the maximum inscribed circle
// by brute force over point triples), the point sets the tests measure, and
// reading numbers back from the trace.
#pragma once

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace formeval::test {

struct Circle {
    double x = 0, y = 0, r = -1; // r < 0: no circle
};

struct Points {
    std::vector<double> u, v;
    int size() const { return static_cast<int>(u.size()); }
};

inline double dist(double ax, double ay, double bx, double by) {
    return std::hypot(ax - bx, ay - by);
}

// Circle through three points by the perpendicular bisectors, in coordinates
// relative to the first point; no circle for a collinear triple.
inline Circle circumcircle(double ax, double ay, double bx, double by, double cx, double cy) {
    const double px = bx - ax, py = by - ay, qx = cx - ax, qy = cy - ay;
    const double d = 2 * (px * qy - py * qx);
    const double scale = (px * px + py * py) * (qx * qx + qy * qy);
    if (d == 0 || d * d < 1e-24 * scale) return {};
    const double p2 = px * px + py * py, q2 = qx * qx + qy * qy;
    const double ox = (qy * p2 - py * q2) / d, oy = (px * q2 - qx * p2) / d;
    return {ax + ox, ay + oy, std::hypot(ox, oy)};
}

// Minimum enclosing circle (Welzl's algorithm in its iterative form, on the
// points in a shuffled order). `slack` is the distance within which a point
// counts as on the circle.
inline Circle mec(const Points& pts, double slack) {
    std::vector<int> order(pts.size());
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(12345));
    const auto& u = pts.u;
    const auto& v = pts.v;
    const auto outside = [&](const Circle& c, int i) {
        return dist(u[i], v[i], c.x, c.y) > c.r + slack;
    };
    Circle c{u[order[0]], v[order[0]], 0};
    for (size_t a = 1; a < order.size(); ++a) {
        const int i = order[a];
        if (!outside(c, i)) continue;
        c = {u[i], v[i], 0};
        for (size_t b = 0; b < a; ++b) {
            const int j = order[b];
            if (!outside(c, j)) continue;
            c = {(u[i] + u[j]) / 2, (v[i] + v[j]) / 2, dist(u[i], v[i], u[j], v[j]) / 2};
            for (size_t k = 0; k < b; ++k) {
                const int m = order[k];
                if (!outside(c, m)) continue;
                const Circle t = circumcircle(u[i], v[i], u[j], v[j], u[m], v[m]);
                if (t.r >= 0) c = t;
            }
        }
    }
    return c;
}

// Whether (x, y) lies inside the closed polygon through the points in order.
inline bool inpolygon(const Points& pts, double x, double y) {
    bool in = false;
    const int n = pts.size();
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const double xi = pts.u[i], yi = pts.v[i], xj = pts.u[j], yj = pts.v[j];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
}

// Maximum inscribed circle of a profile whose points run round it in order:
// the largest circle through three points with no point more than `slack`
// inside and its centre inside the profile. Brute force, for small sets.
inline Circle mic(const Points& pts, double slack) {
    const int n = pts.size();
    const auto& u = pts.u;
    const auto& v = pts.v;
    Circle best;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            for (int k = j + 1; k < n; ++k) {
                const Circle c = circumcircle(u[i], v[i], u[j], v[j], u[k], v[k]);
                if (c.r < 0 || c.r <= best.r || !inpolygon(pts, c.x, c.y)) continue;
                bool empty = true;
                for (int m = 0; m < n && empty; ++m)
                    empty = dist(u[m], v[m], c.x, c.y) >= c.r - slack;
                if (empty) best = c;
            }
    return best;
}

// numpt points in angular order round a circle of radius r about (cx, cy),
// at jittered angles, with radial noise of the given standard deviation.
inline Points noisycircle(std::mt19937& gen, int numpt, double cx, double cy, double r,
                          double noise) {
    std::normal_distribution<double> radial(0, noise);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    const double step = 2 * std::acos(-1.0) / numpt;
    Points p;
    for (int i = 0; i < numpt; ++i) {
        const double t = (i + jitter(gen)) * step;
        const double ri = r + radial(gen);
        p.u.push_back(cx + ri * std::cos(t));
        p.v.push_back(cy + ri * std::sin(t));
    }
    return p;
}

// Twelve points at 30 degree steps round the origin, point k at angle 30 k
// degrees, on radius 10 except for the (k, radius) pairs given; coordinates
// rounded to 1e-6 as a measuring machine would report them.
inline Points ring(std::initializer_list<std::pair<int, double>> radii) {
    double r[12];
    std::fill(r, r + 12, 10.0);
    for (const auto& [k, radius] : radii) r[k] = radius;
    Points p;
    for (int k = 0; k < 12; ++k) {
        const double t = k * std::acos(-1.0) / 6;
        p.u.push_back(std::round(1e6 * r[k] * std::cos(t)) / 1e6);
        p.v.push_back(std::round(1e6 * r[k] * std::sin(t)) / 1e6);
    }
    return p;
}

// Points from a flat list x0 y0 x1 y1 ...
inline Points pairs(std::initializer_list<double> xy) {
    Points p;
    for (auto it = xy.begin(); it != xy.end(); it += 2) {
        p.u.push_back(it[0]);
        p.v.push_back(it[1]);
    }
    return p;
}

// Largest and smallest distance of the points from (x, y).
inline double farthest(const Points& p, double x, double y) {
    double d = 0;
    for (int i = 0; i < p.size(); ++i) d = std::max(d, dist(p.u[i], p.v[i], x, y));
    return d;
}
inline double nearest(const Points& p, double x, double y) {
    double d = INFINITY;
    for (int i = 0; i < p.size(); ++i) d = std::min(d, dist(p.u[i], p.v[i], x, y));
    return d;
}

// 24 points about (40, -15) on radius 25, radial deviations +d and -d in turn.
inline Points alternating(double d) {
    Points p;
    for (int i = 0; i < 24; ++i) {
        const double t = i * std::acos(-1.0) / 12;
        const double r = 25 + (i % 2 ? -d : d);
        p.u.push_back(40 + r * std::cos(t));
        p.v.push_back(-15 + r * std::sin(t));
    }
    return p;
}

// A short, noisy arc (17 degrees of radius 10) whose centre wanders.
inline Points shortarc() {
    return pairs({10.049, 0.000, 10.060, 0.505, 9.976, 1.004, 9.851, 1.493, 9.885, 2.009, 9.681,
                  2.479, 9.601, 2.978});
}

inline int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The numbers that follow `label` in a trace, in order.
inline std::vector<double> numbers(const std::string& text, const std::string& label) {
    std::vector<double> found;
    const std::regex item(label + "([-+0-9.e]+)");
    for (auto m = std::sregex_iterator(text.begin(), text.end(), item); m != std::sregex_iterator();
         ++m)
        found.push_back(std::stod((*m)[1]));
    return found;
}

// The three point numbers that follow `label`, as in "Peak points7,3,1".
inline std::vector<int> triple(const std::string& text, const std::string& label) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(label + "(\\d+),(\\d+),(\\d+)"))) return {};
    return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
}

// A number as result.txt writes it.
inline std::string twelve(double x) {
    std::ostringstream text;
    text.precision(12);
    text << x;
    return text.str();
}

// Whether `text` ends with `tail`.
inline bool endswith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace formeval::test
