// Minimum-zone circle or sphere: the centre c that minimises
// F(c) = max_i d_i(c) - min_i d_i(c), d_i(c) = |p_i - c|.
//
// Sequential linear programming: about the current centre the distances are
// replaced by their tangents d_i - u_i.delta (u_i the unit vector from c to
// p_i), the Chebyshev fit of that linear model (chebyshevzone) gives a step,
// and a step that does not lower F as the model promised is halved. At a
// strict minimum the steps shrink quadratically. Where the model sees no step
// but the active points leave a direction of no first-order growth, steps of
// every size along that direction are tried before giving up.
//
// The certificate bounds F from below everywhere. Let O and I be the points
// at the outer and inner edge of the zone found, h = min_O d - max_I d,
// kappa = min over unit v of max over a in O, b in I of (u_b - u_a).v, and
// s = |delta| the distance from the centre found. Since |p - c| lies between
// e = d - u.delta and e + s^2 / (2 e),
//   F(c) >= h + kappa s - s^2 / (2 (min_I d - s)),
// which is at least h for s <= rho = 2 kappa d_I / (1 + 2 kappa). Farther
// out, any two points j, k give F(c) >= (d_k(c)^2 - d_j(c)^2) / (d_k(c) +
// d_j(c)) >= (2 s W(v) - (D^2 - d^2)) / (2 (s + D)) with W(v) the width of
// the points along the direction v of delta, D and d the largest and
// smallest distance; that grows with s, so it is at least h when every
// width is at least (2 h (rho + D) + D^2 - d^2) / (2 rho), which is checked
// over all directions with the widths' Lipschitz bound.
#include "pointset/pointset.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace formeval::pointset {

namespace {

using Real = long double;
constexpr int mostiterations = 200;
constexpr int mosthalvings = 60;

struct Distances {
    std::vector<Real> d;
    std::vector<Vector> u;
    Real top = 0;
    Real bottom = 0;
    Real zone() const { return top - bottom; }
};

Distances distances(const std::vector<Point>& p, const Point& c, int dimension) {
    Distances out;
    out.d.resize(p.size());
    out.u.resize(p.size());
    out.top = -std::numeric_limits<Real>::infinity();
    out.bottom = std::numeric_limits<Real>::infinity();
    for (std::size_t i = 0; i < p.size(); ++i) {
        Real squares = 0;
        Real q[3] = {0, 0, 0};
        for (int k = 0; k < dimension; ++k) {
            q[k] = static_cast<Real>(p[i][k]) - c[k];
            squares += q[k] * q[k];
        }
        const Real d = std::sqrt(squares);
        out.d[i] = d;
        for (int k = 0; k < 3; ++k) out.u[i][k] = d > 0 ? static_cast<double>(q[k] / d) : 0.0;
        out.top = std::max(out.top, d);
        out.bottom = std::min(out.bottom, d);
    }
    return out;
}

Real zoneat(const std::vector<Point>& p, const Point& c, int dimension) {
    Real top = -std::numeric_limits<Real>::infinity();
    Real bottom = std::numeric_limits<Real>::infinity();
    for (const Point& q : p) {
        Real squares = 0;
        for (int k = 0; k < dimension; ++k) {
            const Real e = static_cast<Real>(q[k]) - c[k];
            squares += e * e;
        }
        const Real d = std::sqrt(squares);
        top = std::max(top, d);
        bottom = std::min(bottom, d);
    }
    return top - bottom;
}

// The algebraic start: the Chebyshev fit of |q|^2 = k + 2 c.q about the
// centroid, an exact linear program whatever the spread of the points.
bool start(const std::vector<Point>& p, int dimension, Point& c) {
    Point m = {0, 0, 0};
    for (const Point& q : p)
        for (int k = 0; k < dimension; ++k) m[k] += q[k] / static_cast<double>(p.size());
    std::vector<ModelRow> a(p.size());
    std::vector<double> f(p.size());
    for (std::size_t i = 0; i < p.size(); ++i) {
        a[i] = {1, 0, 0, 0, 0};
        f[i] = 0;
        for (int k = 0; k < dimension; ++k) {
            const double e = p[i][k] - m[k];
            a[i][k + 1] = 2 * e;
            f[i] += e * e;
        }
    }
    const LinearZone z = chebyshevzone(a, f, dimension + 1);
    if (!z.found) return false;
    for (int k = 0; k < dimension; ++k) c[k] = m[k] + z.p[k + 1];
    return std::isfinite(c[0]) && std::isfinite(c[1]) && std::isfinite(c[2]);
}

// Up to `most` of the points, the most active first, then each next the one
// whose direction is farthest from the directions already taken.
std::vector<int> spread(std::vector<int> points, const Distances& z, std::size_t most) {
    if (points.size() <= most) return points;
    std::vector<int> out = {points.front()};
    std::vector<double> nearest(points.size(), std::numeric_limits<double>::infinity());
    while (out.size() < most) {
        const Vector& last = z.u[out.back()];
        std::size_t best = 0;
        for (std::size_t k = 0; k < points.size(); ++k) {
            const Vector& u = z.u[points[k]];
            const double e = std::hypot(u[0] - last[0], u[1] - last[1], u[2] - last[2]);
            nearest[k] = std::min(nearest[k], e);
            if (nearest[k] > nearest[best]) best = k;
        }
        if (!(nearest[best] > 0)) break;
        out.push_back(points[best]);
    }
    return out;
}

// Width of the points along the unit direction v.
double width(const std::vector<Point>& p, const Vector& v) {
    double high = -std::numeric_limits<double>::infinity();
    double low = std::numeric_limits<double>::infinity();
    for (const Point& q : p) {
        const double e = q[0] * v[0] + q[1] * v[1] + q[2] * v[2];
        high = std::max(high, e);
        low = std::min(low, e);
    }
    return high - low;
}

// Whether the width along every direction is at least `need`. W(v) changes
// by at most 2 D |v - v'|, so a cell of directions within `reach` of its
// middle direction passes when W there is need + 2 D reach; cells that fail
// are split, down to a limit.
class WidthCheck {
  public:
    WidthCheck(const std::vector<Point>& p, double D, double need) : p_(p), D_(D), need_(need) {}

    bool plane() {
        const double pi = std::acos(-1.0);
        constexpr int cells = 16;
        for (int k = 0; k < cells; ++k)
            if (!arc(pi * (k + 0.5) / cells, pi / cells / 2, 0)) return false;
        return true;
    }

    bool space() {
        constexpr int cells = 4;
        for (int face = 0; face < 3; ++face)
            for (int a = 0; a < cells; ++a)
                for (int b = 0; b < cells; ++b)
                    if (!square(face, -1 + (2 * a + 1.0) / cells, -1 + (2 * b + 1.0) / cells,
                                1.0 / cells, 0))
                        return false;
        return true;
    }

  private:
    static constexpr int deepest = 24;
    static constexpr long mostcells = 200000;

    bool passes(const Vector& v, double reach) {
        ++cells_;
        return width(p_, v) - 2 * D_ * reach >= need_;
    }

    bool arc(double angle, double half, int depth) {
        if (passes({std::cos(angle), std::sin(angle), 0}, half)) return true;
        if (depth >= deepest || cells_ > mostcells) return false;
        return arc(angle - half / 2, half / 2, depth + 1) &&
               arc(angle + half / 2, half / 2, depth + 1);
    }

    // Directions (1, s, t) normalised, with the axes rotated by `face`; a
    // square cell of half-size h lies within h sqrt 2 of its middle.
    bool square(int face, double s, double t, double h, int depth) {
        Vector v = {1, s, t};
        const double length = std::sqrt(1 + s * s + t * t);
        for (double& e : v) e /= length;
        std::rotate(v.begin(), v.begin() + face, v.end());
        if (passes(v, h * std::sqrt(2.0))) return true;
        if (depth >= deepest || cells_ > mostcells) return false;
        const double q = h / 2;
        return square(face, s - q, t - q, q, depth + 1) &&
               square(face, s + q, t - q, q, depth + 1) &&
               square(face, s - q, t + q, q, depth + 1) && square(face, s + q, t + q, q, depth + 1);
    }

    const std::vector<Point>& p_;
    double D_;
    double need_;
    long cells_ = 0;
};

// Whether the zone about c + delta is at least `target` for every delta with
// rho <= |delta| <= far. The zone changes by at most twice the distance the
// centre moves, so a box passes when the zone at its middle exceeds target by
// twice its half-diagonal; boxes that fail are split, within a budget.
class ShellCheck {
  public:
    ShellCheck(const std::vector<Point>& p, const Point& c, int dimension, double target,
               double rho, double far)
        : p_(p), c_(c), dimension_(dimension), target_(target), rho_(rho), far_(far),
          budget_(std::max<long>(4000, 20000000 / static_cast<long>(p.size()))) {}

    bool run() {
        constexpr int cells = 4;
        const double h = far_ / cells;
        const int last = dimension_ == 3 ? cells : 1;
        for (int a = 0; a < 2 * cells; ++a)
            for (int b = 0; b < 2 * cells; ++b)
                for (int k = 0; k < (dimension_ == 3 ? 2 * last : 1); ++k) {
                    const Point q = {-far_ + (2 * a + 1) * h, -far_ + (2 * b + 1) * h,
                                     dimension_ == 3 ? -far_ + (2 * k + 1) * h : 0};
                    if (!box(q, h, 0)) return false;
                }
        return true;
    }

  private:
    static constexpr int deepest = 40;

    bool box(const Point& q, double h, int depth) {
        const double half = h * std::sqrt(static_cast<double>(dimension_));
        const double distance = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
        if (distance + half <= rho_ || distance - half >= far_) return true;
        if (++evaluations_ > budget_) return false;
        Point at = c_;
        for (int k = 0; k < dimension_; ++k) at[k] += q[k];
        if (static_cast<double>(zoneat(p_, at, dimension_)) - 2 * half >= target_) return true;
        if (depth >= deepest) return false;
        const double g = h / 2;
        for (int corner = 0; corner < (1 << dimension_); ++corner) {
            Point child = q;
            for (int k = 0; k < dimension_; ++k) child[k] += (corner >> k & 1) ? g : -g;
            if (!box(child, g, depth + 1)) return false;
        }
        return true;
    }

    const std::vector<Point>& p_;
    const Point& c_;
    int dimension_;
    double target_;
    double rho_;
    double far_;
    long budget_;
    long evaluations_ = 0;
};

// The points at the outer and inner edge of the zone about c (a spread-out
// few of each), the lower bound h they give near c, and kappa, how steeply
// the zone grows away from c, with the direction of least growth.
struct Activity {
    Distances z;
    double h = 0;
    double kappa = 0;
    Vector flattest = {0, 0, 0};
};

Activity activity(const std::vector<Point>& p, const Point& c, int dimension, double scale) {
    Activity a;
    a.z = distances(p, c, dimension);
    const Distances& z = a.z;
    // Points this close to an edge count as on it: a quarter of the gap the
    // certificate may leave.
    const Real near = certifiedgap(static_cast<double>(z.zone()), scale) / 4;
    std::vector<int> outer, inner;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (z.d[i] >= z.top - near) outer.push_back(static_cast<int>(i));
        if (z.d[i] <= z.bottom + near) inner.push_back(static_cast<int>(i));
    }
    std::sort(outer.begin(), outer.end(), [&](int i, int k) { return z.d[i] > z.d[k]; });
    std::sort(inner.begin(), inner.end(), [&](int i, int k) { return z.d[i] < z.d[k]; });
    const std::size_t most = dimension == 3 ? 6 : 12;
    outer = spread(outer, z, most);
    inner = spread(inner, z, most);
    Real h = z.top;
    Real inside = z.bottom;
    for (const int o : outer) h = std::min(h, z.d[o]);
    for (const int i : inner) inside = std::max(inside, z.d[i]);
    a.h = std::max(0.0, static_cast<double>(h - inside));
    std::vector<Vector> w;
    for (const int o : outer)
        for (const int i : inner)
            w.push_back({z.u[i][0] - z.u[o][0], z.u[i][1] - z.u[o][1], z.u[i][2] - z.u[o][2]});
    a.kappa = inradius(w, dimension, &a.flattest);
    return a;
}

Certificate certify(const std::vector<Point>& p, const Point& c, int dimension, double scale) {
    const Activity a = activity(p, c, dimension, scale);
    Certificate out;
    out.upper = static_cast<double>(a.z.zone());
    if (!(a.kappa > 0)) {
        out.why = "the points at the edges of the zone do not hold the centre from every side";
        return out;
    }
    const double dI = static_cast<double>(a.z.bottom);
    const double D = static_cast<double>(a.z.top);
    const double rho = 2 * a.kappa * dI / (1 + 2 * a.kappa);
    std::vector<Point> relative = p;
    for (Point& q : relative)
        for (int k = 0; k < 3; ++k) q[k] = k < dimension ? q[k] - c[k] : 0;
    // Beyond `far`, two points along the direction of the move bound the
    // zone by (2 s W - (D^2 - dI^2)) / (2 (s + D)), at least `target` when
    // every width W is at least this.
    const auto need = [&](double target, double far) {
        return (2 * target * (far + D) + (D - dI) * (D + dI)) / (2 * far);
    };
    const auto wide = [&](double target, double far) {
        WidthCheck check(relative, D, need(target, far));
        return dimension == 2 ? check.plane() : check.space();
    };
    const double gap = certifiedgap(out.upper, scale);
    if (!(rho > 0)) {
        out.why = "the points at the edges of the zone do not hold the centre from every side";
        return out;
    }
    if (wide(a.h, rho)) {
        out.lower = a.h;
    } else {
        // Between rho and a farther radius, boxes of centres are checked.
        const double target = std::min(a.h, out.upper - gap / 2);
        double far = 2 * rho;
        while (far < 64 * D && !wide(target, far)) far *= 2;
        if (!(far < 64 * D)) {
            out.why = "the points are too narrow (a short arc or a shallow cap) to exclude a "
                      "distant centre";
            return out;
        }
        if (!ShellCheck(p, c, dimension, target, rho, far).run()) {
            out.why = "no centre near the one found could be excluded from doing better";
            return out;
        }
        out.lower = target;
    }
    out.certified = out.upper - out.lower <= gap;
    if (!out.certified) out.why = "the bounds on the zone width differ by more than 1e-9 of it";
    return out;
}

// Sequential linear programming from c until the linear model promises no
// more; returns the zone at the centre it ends on.
Real descend(const std::vector<Point>& p, int dimension, Point& c) {
    std::vector<ModelRow> a(p.size());
    std::vector<double> f(p.size());
    Real F = zoneat(p, c, dimension);
    for (int iteration = 0; iteration < mostiterations; ++iteration) {
        const Distances z = distances(p, c, dimension);
        for (std::size_t i = 0; i < p.size(); ++i) {
            a[i] = {1, z.u[i][0], z.u[i][1], z.u[i][2], 0};
            f[i] = static_cast<double>(z.d[i]);
        }
        const LinearZone model = chebyshevzone(a, f, dimension + 1);
        if (!model.found) break;
        const Real promised = F - model.zone;
        if (!(promised > 1e-15L * F)) break;
        bool moved = false;
        Real t = 1;
        for (int k = 0; k < mosthalvings && !moved; ++k, t /= 2) {
            Point next = c;
            for (int j = 0; j < dimension; ++j)
                next[j] = c[j] + static_cast<double>(t * model.p[j + 1]);
            const Real G = zoneat(p, next, dimension);
            if (G < F - 0.1L * t * promised) {
                c = next;
                F = G;
                moved = true;
            }
        }
        if (!moved) break;
    }
    return F;
}

// Where the active points leave a direction in which the zone grows only to
// second order (kappa about 0), the linear model sees no step although the
// zone may still fall along it: tries steps of every size along it.
bool escape(const std::vector<Point>& p, int dimension, double scale, Point& c, Real& F) {
    const Activity a = activity(p, c, dimension, scale);
    if (a.kappa > 1e-6) return false;
    Point best = c;
    Real lowest = F;
    for (double t = static_cast<double>(a.z.top); t > 1e-15 * scale; t /= 2) {
        Point next = c;
        for (int j = 0; j < dimension; ++j) next[j] = c[j] + t * a.flattest[j];
        const Real G = zoneat(p, next, dimension);
        if (G < lowest) {
            lowest = G;
            best = next;
        }
    }
    if (!(lowest < F)) return false;
    c = best;
    F = lowest;
    return true;
}

RadialZone minzoneunit(const std::vector<Point>& p, int dimension) {
    RadialZone out;
    if ((dimension != 2 && dimension != 3) || static_cast<int>(p.size()) < dimension + 2)
        return out;
    Point c = {0, 0, 0};
    if (!start(p, dimension, c)) return out;

    double scale = 0;
    for (const Point& q : p)
        for (int k = 0; k < dimension; ++k) scale = std::max(scale, std::fabs(q[k]));
    constexpr int mostescapes = 20;
    Real F = descend(p, dimension, c);
    for (int k = 0; k < mostescapes && escape(p, dimension, scale, c, F); ++k)
        F = descend(p, dimension, c);

    const Distances z = distances(p, c, dimension);
    out.centre = c;
    out.radius = static_cast<double>((z.top + z.bottom) / 2);
    out.zone = static_cast<double>(z.zone());
    out.found = std::isfinite(out.zone) && std::isfinite(out.radius);
    if (!out.found) return out;
    out.certificate = certify(p, c, dimension, scale);
    return out;
}

} // namespace

RadialZone minzone(const std::vector<Point>& p, int dimension) {
    const int e = unitexponent(largestcoordinate(p));
    RadialZone out = minzoneunit(unitscaled(p, e), dimension);
    for (double& c : out.centre) c = std::ldexp(c, e);
    out.radius = std::ldexp(out.radius, e);
    out.zone = std::ldexp(out.zone, e);
    out.certificate.lower = std::ldexp(out.certificate.lower, e);
    out.certificate.upper = std::ldexp(out.certificate.upper, e);
    return out;
}

} // namespace formeval::pointset
