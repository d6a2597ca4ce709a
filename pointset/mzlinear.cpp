// Minimum-zone plane: the narrowest pair of parallel planes holding every
// point, the zone measured orthogonally (the line's is calipers.cpp's).
//
// In the least-squares frame (x and y in the plane, z along the
// least-squares normal), the Chebyshev fit z ~ z0 + a.x by the dual simplex
// minimises the zone W(a) measured along z; the orthogonal zone of the normal
// m = (-a, 1) is W(a) / |m|. W is convex and piecewise linear: where the
// points at the top and bottom of the zone hold the fit from every side, with
// levels apart by h and sharpness kappa (the least growth of W per unit change
// of a), W(a') >= h + kappa |a' - a| for every a', so the orthogonal zone of
// any normal is at least (h + kappa s) / (|m| + s) >= min(h / |m|, kappa): the
// fit is the orthogonal minimum zone whenever kappa >= h / |m|, which holds
// for any set longer than its zone is wide.
#include "pointset/kernels.h"

#include <cmath>

namespace formeval::pointset::kernel {

namespace {

// The points in the frame: rows (1, x[, y]) and observation z.
struct Frame {
    const View& w;
    int m;      // parameters: 2 for a line, 3 for a plane
    Vec ex, ey; // in-feature axes
    Vec ez;     // the least-squares normal
    void operator()(std::size_t i, double* a, double& f) const {
        const Vec q = w[i];
        a[0] = 1;
        a[1] = dot(q, ex);
        if (m == 3) a[2] = dot(q, ey);
        f = dot(q, ez);
    }
};

// In one pass: candidates for the first basis (the points at the corners of
// the set) and the first working set (the points farthest above and below the
// frame's plane).
std::vector<std::size_t> corners(const Chebyshev<Frame>& fr, std::vector<long>& set) {
    constexpr int count = 8;
    std::array<std::size_t, count> pick{};
    std::array<double, count> value;
    value.fill(-inf);
    Extremes far{96, {}, {}};
    for (std::size_t i = 0; i < fr.n; ++i) {
        double a[3] = {}, f = 0;
        fr.at(i, a, f);
        const double y = fr.m == 3 ? a[2] : f;
        const double v[count] = {a[1] + y, -a[1] - y, a[1] - y, -a[1] + y, a[1], -a[1], y, -y};
        for (int c = 0; c < count; ++c)
            if (v[c] > value[c]) value[c] = v[c], pick[c] = i;
        if (fr.size() > wholeset) far.take(f, i);
    }
    set = far.ids();
    std::vector<std::size_t> out(pick.begin(), pick.end());
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

// When the corners coincide (a strip, a few points) and give no first basis:
// up to 24 points spread over the set, every point of a small one.
std::vector<std::size_t> spreadcandidates(const Chebyshev<Frame>& fr) {
    constexpr std::size_t most = 24;
    std::vector<std::size_t> out;
    const std::size_t step = std::max<std::size_t>(1, (fr.n + most - 1) / most);
    for (std::size_t i = 0; i < fr.n; i += step) out.push_back(i);
    return out;
}

// The Chebyshev fit in the frame whose z axis is `ez`, with what its
// residuals prove: W(a') >= h + kappa |a' - a| for every a'.
struct Fit {
    bool ok = false;
    Vec normal = {0, 0, 0};
    double offset = 0; // the zone's middle, along the unit normal from the centroid
    double length = 1; // |m| = |(-a, 1)|
    double zone = 0;   // orthogonal: W / |m|
    double h = 0;      // the active levels' gap along ez
    double kappa = 0;
    double across = 0; // the pairs' sharpness across the unit normal (see acrossnormal)
    std::vector<std::size_t> active;
};

Frame framefor(const View& w, const Vec& ez) {
    if (w.dim == 2) return {w, 2, {ez[1], -ez[0], 0}, {0, 0, 0}, ez};
    int k = 0;
    for (int j = 1; j < 3; ++j)
        if (std::fabs(ez[j]) < std::fabs(ez[k])) k = j;
    Vec axis = {0, 0, 0};
    axis[k] = 1;
    Vec ex = cross(ez, axis);
    ex = mul(1 / norm(ex), ex);
    return {w, 3, ex, cross(ez, ex), ez};
}

// Within angle phi of the unit normal n, the width along u = cos(phi) n +
// sin(phi) e is at least max over the pairs (top i, bottom j) of (p_i -
// p_j).u >= (h / |m|) cos(phi) + sigma sin(phi), sigma the least over unit e
// across n of the largest (p_i - p_j).e. Where the fit's slope a is not
// zero, kappa (measured across ez, per unit of slope) is not that sigma.
double acrossnormal(const View& w, const std::vector<std::size_t>& high,
                    const std::vector<std::size_t>& low, const Vec& n) {
    if (w.dim == 2) return -inf; // the line's zone is the calipers'
    const Frame fr = framefor(w, n);
    std::vector<Vec> diffs;
    for (const std::size_t i : high)
        for (const std::size_t j : low) {
            const Vec d = sub(w[i], w[j]);
            diffs.push_back({dot(d, fr.ex), dot(d, fr.ey), 0});
        }
    return sharpness(diffs, {}, 2);
}

Fit fitabout(const View& w, const Vec& ez) {
    Fit out;
    const Frame fr = framefor(w, ez);
    std::array<long, mostk> basis{};
    std::vector<long> set;
    const Chebyshev<Frame> lp(fr, w.n, fr.m);
    if (!startbasis(fr, fr.m, corners(lp, set), basis) &&
        !startbasis(fr, fr.m, spreadcandidates(lp), basis))
        return out;
    double e[mostk] = {};
    e[fr.m] = 1;
    const Simplex s = dualsimplexset(lp, e, basis, 8 * eps, 2000, set);
    if (!s.ok) return out;
    const double a = s.y[1], b = fr.m == 3 ? s.y[2] : 0;
    const Vec m = sub(fr.ez, add(mul(a, fr.ex), mul(b, fr.ey)));
    out.length = norm(m);
    out.normal = mul(1 / out.length, m);
    double top = -inf, bottom = inf;
    std::vector<double> r(w.n);
    for (std::size_t i = 0; i < w.n; ++i) {
        double row[3], f;
        lp.at(i, row, f);
        r[i] = f - row[1] * a - (fr.m == 3 ? row[2] * b : 0.0);
        top = std::max(top, r[i]);
        bottom = std::min(bottom, r[i]);
    }
    out.offset = (top + bottom) / 2 / out.length; // along the unit normal
    out.zone = (top - bottom) / out.length;
    const double near = certifiedgap(out.zone, 1) / 4;
    std::vector<std::size_t> high, low;
    double lowesttop = top, highestbottom = bottom;
    for (std::size_t i = 0; i < w.n; ++i) {
        if (r[i] >= top - near && high.size() < 8)
            high.push_back(i), lowesttop = std::min(lowesttop, r[i]);
        if (r[i] <= bottom + near && low.size() < 8)
            low.push_back(i), highestbottom = std::max(highestbottom, r[i]);
    }
    std::vector<Vec> grads;
    for (const std::size_t i : high)
        for (const std::size_t j : low) {
            double ai[3] = {}, aj[3] = {}, f = 0;
            lp.at(i, ai, f);
            lp.at(j, aj, f);
            grads.push_back({aj[1] - ai[1], fr.m == 3 ? aj[2] - ai[2] : 0.0, 0});
        }
    out.kappa = sharpness(grads, {}, fr.m - 1);
    out.across = acrossnormal(w, high, low, out.normal);
    out.h = std::max(0.0, lowesttop - highestbottom);
    out.active = high;
    out.active.insert(out.active.end(), low.begin(), low.end());
    out.ok = true;
    return out;
}

// The fit about its own normal, so that the frame's z is the normal found.
Fit settled(const View& w, const Vec& start) {
    Fit f = fitabout(w, start);
    for (int k = 0; k < 2 && f.ok; ++k) {
        const Fit g = fitabout(w, f.normal);
        if (!g.ok) break;
        f = g;
    }
    return f;
}

// The width of points (or a subset) along the unit direction u, and which
// points are at its two ends.
struct Along {
    double width;
    std::size_t high, low;
};
template <class Each> Along along(const View& w, const Vec& u, Each each) {
    double top = -inf, bottom = inf;
    std::size_t hi = 0, lo = 0;
    each([&](std::size_t i) {
        const double v = dot(w[i], u);
        if (v > top) top = v, hi = i;
        if (v < bottom) bottom = v, lo = i;
    });
    return {top - bottom, hi, lo};
}

// The branch and bound over normal directions on one face of the cube of
// directions: u = e_f + s e_(f+1) + t e_(f+2), normalised, s and t in [-1, 1].
// The width is 2R-Lipschitz on the sphere of directions (R the largest
// distance from the centroid), and the map from (s, t) to u shortens lengths.
struct Directions {
    const View& w;
    int face = 0;
    double R = 1;
    Fit best;
    double T = inf;
    struct Cone {
        Vec u;
        double angle;
    };
    std::vector<Cone> cones; // width >= T within these
    std::vector<std::size_t> subset;

    double threshold() const { return T; }

    Vec direction(const Vec& st) const {
        Vec u = {0, 0, 0};
        u[face] = 1;
        u[(face + 1) % w.dim] = st[0];
        if (w.dim == 3) u[(face + 2) % 3] = st[1];
        return mul(1 / norm(u), u);
    }

    void adopt(const Fit& f) {
        best = f;
        // Within the cone, the width is at least h / |m| (see acrossnormal):
        // cos(phi) h + sin(phi) sigma >= h for phi up to 2 atan(sigma / h).
        const double h = f.h / f.length, sigma = f.across;
        T = std::min(T, h);
        double angle = 2 * std::atan(1.0); // every direction: sigma >= h
        if (sigma < h) angle = sigma > 0 ? std::atan(2 * h * sigma / (h * h - sigma * sigma)) : 0;
        cones.push_back({f.normal, angle * (1 - 1e-9)});
        subset.insert(subset.end(), f.active.begin(), f.active.end());
    }

    double bound(const Vec& mid, double half) const {
        const Vec u = direction(mid);
        const double reach = half * std::sqrt(static_cast<double>(w.dim - 1));
        for (const Cone& c : cones) {
            const double angle = std::acos(std::min(1.0, std::fabs(dot(u, c.u))));
            if (angle + reach <= c.angle) return inf;
        }
        const Along a = along(w, u, [&](auto f) {
            for (const std::size_t i : subset) f(i);
        });
        return a.width - 2 * R * reach - 8 * eps;
    }

    bool settle(const Vec& mid, double) {
        const Vec u = direction(mid);
        const Along s = along(w, u, [&](auto f) {
            for (const std::size_t i : subset) f(i);
        });
        if (s.width >= T) return false;
        const Along all = along(w, u, [&](auto f) {
            for (std::size_t i = 0; i < w.n; ++i) f(i);
        });
        if (all.width < best.zone - certifiedgap(best.zone, 1)) {
            const Fit f = settled(w, u);
            if (f.ok && f.zone < best.zone) {
                adopt(f);
                return true;
            }
        }
        subset.push_back(all.high);
        subset.push_back(all.low);
        return true;
    }
};

// Sets this small, or thick for their extent, take their minimum zone from
// their hull, when it has at most `mostedges` edges.
constexpr std::size_t fewpoints = 64;
constexpr std::size_t mostedges = 1500;

// The zone along the hull's narrowest normal, or the fit's where it is as
// narrow, proven by the hull's width.
Found fromhull(const View& w, const Fit& f, const Vec& normal, double width) {
    const Along a = along(w, normal, [&](auto each) {
        for (std::size_t i = 0; i < w.n; ++i) each(i);
    });
    Found out;
    out.found = true;
    Vec n = normal;
    double zone = a.width, offset = (dot(w[a.high], n) + dot(w[a.low], n)) / 2;
    if (f.zone <= zone) n = f.normal, zone = f.zone, offset = f.offset;
    out.point = mul(offset, n);
    out.direction = n;
    Certificate& c = out.certificate;
    c.upper = zone;
    // The hull's corners and its normals are rounded to a few units.
    c.lower = std::min(zone, std::max(0.0, width - 16 * eps));
    c.certified = c.upper - c.lower <= certifiedgap(c.upper, 1);
    if (!c.certified) c.why = "the hull's narrowest width and the zone found disagree";
    return out;
}

// No m + 1 points in general position: the points fit the feature exactly,
// as two points a line.
Found exactfit(const Moments& mo) {
    Found out = lslinear(mo);
    out.certificate = {true, 0, 0, ""};
    return out;
}

// The exchange's fit `f` and its own proof: for a thin set its sharpness, for
// a thick one the branch and bound over normal directions.
Found exchange(const Moments& mo, const Options& options, Fit f) {
    Found out;
    const View& w = mo.view;
    Certificate& c = out.certificate;
    double lower = inf;
    if (options.certificate && f.kappa < f.h / f.length) {
        // Thick for its extent: the fit, about its own normal, proves itself
        // only near it.
        const Fit g = settled(w, f.normal);
        if (g.ok && g.zone <= f.zone) f = g;
        Directions d{w, 0, 0, {}, inf, {}, {}};
        for (std::size_t i = 0; i < w.n; ++i) d.R = std::max(d.R, norm(w[i]));
        d.adopt(f);
        for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 32))
            d.subset.push_back(i);
        long used = 0;
        for (d.face = 0; d.face < w.dim; ++d.face)
            lower = std::min(lower, branchbound(d, {0, 0, 0}, 1, w.dim - 1, options.budget, used));
        if (std::isfinite(lower))
            c.why = "the global search ran out of its budget of " + std::to_string(options.budget) +
                    " cells";
        f = d.best;
        lower = std::min(lower, d.T);
    } else {
        lower = std::min(f.h / f.length, f.kappa);
    }
    out.found = true;
    out.point = mul(f.offset, f.normal);
    out.direction = f.normal;
    if (!options.certificate) return out;
    c.upper = f.zone;
    // A zone is never narrower than twice the spread of the points along its normal.
    c.lower = std::min(c.upper, std::max(lower, 2 * std::sqrt(mo.values[0]) * (1 - 1e-12)));
    c.certified = c.upper - c.lower <= certifiedgap(c.upper, 1);
    if (!c.certified && c.why.empty())
        c.why = "the points at the top and bottom of the zone do not hold it from every side";
    return out;
}

} // namespace

Found mzlinear(const Moments& mo, const Options& options) {
    const View& w = mo.view;
    if (w.dim == 2) return mzline(mo, options);
    const Fit f = fitabout(w, mo.vectors[0]);
    if (!f.ok) return exactfit(mo);
    const bool thick = f.kappa < f.h / f.length;
    Vec normal;
    double width = inf;
    if (options.certificate && (thick || w.n <= fewpoints) &&
        hullwidth(w, mostedges, normal, width))
        return fromhull(w, f, normal, width);
    return exchange(mo, options, f);
}

Found mzexchange(const Moments& mo, const Options& options) {
    if (mo.view.dim == 2) return mzline(mo, options);
    const Fit f = fitabout(mo.view, mo.vectors[0]);
    return f.ok ? exchange(mo, options, f) : exactfit(mo);
}

} // namespace formeval::pointset::kernel
