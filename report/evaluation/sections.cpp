// A stack of sections: the points grouped into sections by their z (or a
// column's value), each section's roundness, the cylinder of them all, the
// taper of the sections' radii, the straightness of the axis through their
// centres and of the generatrices along z.
#include "report/evaluation/evaluation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <utility>

namespace formeval::report {

namespace {

constexpr double pi = 3.141592653589793238462643383279502884;

using Vector3 = std::array<double, 3>;

// The points' indices, section by section in order of z: a new section where
// the key (z, or the section column's value) changes by more than `gap`.
std::vector<std::vector<std::size_t>> groups(const pointset::Points& points,
                                             const std::vector<double>& key, double gap) {
    std::vector<std::size_t> order(points.count);
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return key[a] < key[b]; });
    std::vector<std::vector<std::size_t>> out;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k == 0 || key[order[k]] - key[order[k - 1]] > gap) out.emplace_back();
        out.back().push_back(order[k]);
    }
    return out;
}

double coordinate(const pointset::Points& p, std::size_t i, int k) {
    return p.data[i * p.stride + static_cast<std::size_t>(k)];
}

// The slope of the least-squares line of v against u.
double slope(const std::vector<double>& u, const std::vector<double>& v) {
    const double n = static_cast<double>(u.size());
    const double mu = std::accumulate(u.begin(), u.end(), 0.0) / n;
    const double mv = std::accumulate(v.begin(), v.end(), 0.0) / n;
    double suv = 0, suu = 0;
    for (std::size_t k = 0; k < u.size(); ++k) {
        suv += (u[k] - mu) * (v[k] - mv);
        suu += (u[k] - mu) * (u[k] - mu);
    }
    return suv / suu;
}

// The largest distance of the centres from their least-squares line in
// space (through their centroid, along the principal direction of their
// scatter, found by power iteration from z, along which a stack runs).
double axisdistance(const std::vector<Vector3>& c) {
    Vector3 m{};
    for (const Vector3& p : c)
        for (int k = 0; k < 3; ++k) m[k] += p[k] / static_cast<double>(c.size());
    std::array<Vector3, 3> s{};
    for (const Vector3& p : c)
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) s[i][j] += (p[i] - m[i]) * (p[j] - m[j]);
    Vector3 d{0, 0, 1};
    for (int iteration = 0; iteration < 200; ++iteration) {
        Vector3 next{};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) next[i] += s[i][j] * d[j];
        const double norm = std::hypot(next[0], next[1], next[2]);
        if (!(norm > 0)) break;
        for (int k = 0; k < 3; ++k) d[k] = next[k] / norm;
    }
    double largest = 0;
    for (const Vector3& p : c) {
        const Vector3 w{p[0] - m[0], p[1] - m[1], p[2] - m[2]};
        const Vector3 cross{w[1] * d[2] - w[2] * d[1], w[2] * d[0] - w[0] * d[2],
                            w[0] * d[1] - w[1] * d[0]};
        largest = std::max(largest, std::hypot(cross[0], cross[1], cross[2]));
    }
    return largest;
}

// A section's profile as radii about its least-squares centre, by angle
// from 0 to 2 pi; `reach` the widest step between neighbouring points that
// still interpolates (three times the median step): an arc's gap, or a
// stretch a section left unmeasured, holds no radius.
struct Profile {
    std::vector<double> angle, radius;
    double reach = 2 * pi;

    // The radius at angle a, linearly between the neighbouring points
    // (across 0 where a lies before the first or after the last); NaN where
    // they lie further apart than `reach`.
    double at(double a) const {
        const std::size_t n = angle.size();
        const std::size_t hi = static_cast<std::size_t>(
            std::upper_bound(angle.begin(), angle.end(), a) - angle.begin());
        const std::size_t i1 = hi % n, i0 = (hi + n - 1) % n;
        double a0 = angle[i0], a1 = angle[i1];
        if (hi == 0) a0 -= 2 * pi;
        if (hi == n) a1 += 2 * pi;
        if (!(a1 > a0)) return radius[i0];
        if (a1 - a0 > reach) return std::nan("");
        const double w = (a - a0) / (a1 - a0);
        return radius[i0] + w * (radius[i1] - radius[i0]);
    }
};

Profile profileof(const std::vector<double>& xy, double cx, double cy) {
    const std::size_t n = xy.size() / 2;
    std::vector<std::pair<double, double>> p(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = xy[2 * i] - cx, dy = xy[2 * i + 1] - cy;
        double a = std::atan2(dy, dx);
        if (a < 0) a += 2 * pi;
        p[i] = {a, std::hypot(dx, dy)};
    }
    std::sort(p.begin(), p.end());
    Profile out;
    for (const auto& [a, r] : p) {
        out.angle.push_back(a);
        out.radius.push_back(r);
    }
    std::vector<double> steps(n);
    for (std::size_t i = 0; i < n; ++i)
        steps[i] =
            i + 1 < n ? out.angle[i + 1] - out.angle[i] : out.angle[0] + 2 * pi - out.angle[i];
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(n / 2),
                     steps.end());
    out.reach = 3 * steps[n / 2];
    return out;
}

// The minimum-zone straightness of the profile (z, radius) along z: 0 for
// two sections, whose line holds them both (not the rounding of a zone).
double straightness(const std::vector<double>& z, const std::vector<double>& r) {
    if (z.size() == 2) return 0;
    std::vector<double> zr;
    for (std::size_t k = 0; k < z.size(); ++k) zr.insert(zr.end(), {z[k], r[k]});
    pointset::Options quick;
    quick.deviations = false;
    const pointset::Reference line = pointset::evaluate({zr.data(), z.size(), 2, 2}, Feature::line,
                                                        Criterion::minimumzone, quick);
    return line.found ? line.t : notapplicable;
}

std::string said(double v) {
    return formatnumber(v, 6);
}

} // namespace

Sections stacksections(const pointset::Points& points, const std::vector<double>* column) {
    Sections out;
    std::vector<double> z(points.count);
    for (std::size_t i = 0; i < points.count; ++i) z[i] = coordinate(points, i, 2);
    const std::vector<double>& key = column ? *column : z;
    const auto [lo, hi] = std::minmax_element(key.begin(), key.end());
    const double gap = column ? 0 : sectiongap * (*hi - *lo);
    out.members = groups(points, key, gap);
    // The mean as the first point's z and the others' offsets from it, so that
    // a section whose points share one z is at that z exactly, not off by the
    // rounding of a sum of thousands of terms.
    const auto meanz = [&](const std::vector<std::size_t>& g) {
        const double first = z[g.front()];
        double offset = 0;
        for (const std::size_t i : g) offset += z[i] - first;
        return first + offset / static_cast<double>(g.size());
    };
    if (column) // the sections of a column in order of z, as those of z come
        std::stable_sort(out.members.begin(), out.members.end(),
                         [&](const auto& a, const auto& b) { return meanz(a) < meanz(b); });
    for (const std::vector<std::size_t>& g : out.members) {
        const double mean = meanz(g);
        if (g.size() < 3) {
            out.failure = "the section at z = " + said(mean) + " holds " +
                          std::to_string(g.size()) + (g.size() == 1 ? " point" : " points") +
                          ": a section needs 3 at least";
            return out;
        }
        out.z.push_back(mean);
    }
    if (out.members.size() < 2)
        out.failure = "the points lie in one section (z = " + said(out.z.front()) +
                      "): a stack needs 2 sections at least";
    return out;
}

std::vector<double> sectionxy(const pointset::Points& points,
                              const std::vector<std::size_t>& members) {
    std::vector<double> xy;
    xy.reserve(2 * members.size());
    for (const std::size_t i : members)
        xy.insert(xy.end(), {coordinate(points, i, 0), coordinate(points, i, 1)});
    return xy;
}

StackOutliers cutstackoutliers(const pointset::Points& points, const std::vector<double>* column,
                               double k) {
    StackOutliers out;
    const Sections sections = stacksections(points, column);
    std::vector<std::pair<std::size_t, double>> removed; // file index, deviation
    if (sections.failure.empty()) {
        out.sections.resize(points.count);
        for (std::size_t g = 0; g < sections.members.size(); ++g) {
            const std::vector<std::size_t>& members = sections.members[g];
            for (const std::size_t i : members) out.sections[i] = static_cast<double>(g + 1);
            const std::vector<double> xy = sectionxy(points, members);
            Outliers cut = cutoutliers({xy.data(), members.size(), 2, 2}, Feature::circle, k);
            const std::string name =
                "section " + std::to_string(g + 1) + ", z " + said(sections.z[g]) + ": ";
            if (!cut.failure.empty()) {
                out.cut.failure = name + cut.failure;
                return out;
            }
            if (cut.removed.empty()) continue;
            // The section's points numbered as in the file, in file order.
            std::vector<std::pair<std::size_t, double>> own;
            for (std::size_t j = 0; j < cut.removed.size(); ++j)
                own.emplace_back(members[cut.removed[j]], cut.deviations[j]);
            std::sort(own.begin(), own.end());
            for (std::size_t j = 0; j < own.size(); ++j) {
                cut.removed[j] = own[j].first;
                cut.deviations[j] = own[j].second;
            }
            out.notes.push_back(name + outliernote(cut, members.size(), Feature::circle, k, 6));
            removed.insert(removed.end(), own.begin(), own.end());
        }
    }
    std::sort(removed.begin(), removed.end());
    std::size_t next = 0;
    for (std::size_t i = 0; i < points.count; ++i) {
        if (next < removed.size() && removed[next].first == i) {
            out.cut.removed.push_back(i);
            out.cut.deviations.push_back(removed[next++].second);
            continue;
        }
        const double* p = points.data + i * points.stride;
        out.cut.kept.insert(out.cut.kept.end(), p, p + points.dimension);
    }
    if (!sections.failure.empty()) return out; // judged nothing: no summary
    out.summary = std::to_string(removed.size()) + " of " + std::to_string(points.count) +
                  " points removed as outliers, each section's judged about its least-squares "
                  "circle (deviation from the section's median beyond " +
                  formatnumber(k, 6) + " robust standard deviations)";
    return out;
}

Stack evaluatestack(const pointset::Points& points, const std::vector<double>* column) {
    Stack s;
    const Sections sections = stacksections(points, column);
    if (!sections.failure.empty()) {
        s.failure = sections.failure;
        return s;
    }
    // Sections of a column may share one z: their radii have no slope
    // against z and their centres no line along it.
    if (sections.z.front() == sections.z.back()) {
        s.failure = "the " + std::to_string(sections.z.size()) +
                    " sections lie at one z (z = " + said(sections.z.front()) +
                    "): a stack needs sections at 2 z at least";
        return s;
    }
    std::vector<double> zs, radii;
    std::vector<Vector3> centres;
    std::vector<Profile> profiles;
    for (std::size_t k = 0; k < sections.members.size(); ++k) {
        const std::vector<std::size_t>& g = sections.members[k];
        std::vector<double> xy = sectionxy(points, g);
        const double mean = sections.z[k];
        Evaluated e = evaluatepoints({xy.data(), g.size(), 2, 2}, Feature::circle);
        e.record.numpt = static_cast<long>(g.size());
        e.section = static_cast<int>(s.sections.size()) + 1;
        e.sectionz = mean;
        const Fit* ls = e.find(Criterion::leastsquares, Source::pointset);
        if (!e.ok() || !ls) {
            s.failure = "no circle evaluated in the section at z = " + said(mean) + ": " +
                        (e.ok() ? "no least-squares circle" : e.failure);
            return s;
        }
        zs.push_back(mean);
        radii.push_back(ls->r);
        centres.push_back({ls->x, ls->y, mean});
        profiles.push_back(profileof(xy, ls->x, ls->y));
        s.sections.push_back(std::move(e));
        s.points.push_back(std::move(xy));
    }
    s.cylinder = evaluatepoints(points, Feature::cylinder);
    s.cylinder.record.numpt = static_cast<long>(points.count);
    StackMeasures& m = s.measures;
    m.zlow = zs.front();
    m.zhigh = zs.back();
    m.taper = slope(zs, radii);
    m.diameterchange = 2 * m.taper * (m.zhigh - m.zlow);
    m.axis = 2 * axisdistance(centres);
    m.generatrix = -1;
    for (int j = 0; j < generatrices; ++j) {
        // The sections measured at the angle: a generatrix needs two.
        const double a = 2 * pi * j / generatrices;
        std::vector<double> z, r;
        for (std::size_t k = 0; k < profiles.size(); ++k)
            if (const double at = profiles[k].at(a); !std::isnan(at)) {
                z.push_back(zs[k]);
                r.push_back(at);
            }
        if (z.size() < 2) continue;
        const double t = straightness(z, r);
        if (t > m.generatrix) {
            m.generatrix = t;
            m.generatrixangle = 360.0 * j / generatrices;
        }
    }
    if (m.generatrix < 0) m.generatrix = notapplicable;
    return s;
}

} // namespace formeval::report
