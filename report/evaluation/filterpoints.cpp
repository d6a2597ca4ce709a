// The profile of a circle or line, or the surface of a plane or cylinder,
// filtered and set off from its reference again, so that every criterion can
// be evaluated on the filtered points.
#include "profile/profile.h"
#include "report/evaluation/evaluation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace formeval::report {

namespace {

using pointset::Feature;

constexpr double twopi = 2 * 3.14159265358979323846;

std::string number(double v) {
    return formatnumber(v, 6);
}

pointset::Reference leastsquaresof(const pointset::Points& points, Feature feature) {
    pointset::Options options;
    options.deviations = false;
    options.certificate = false;
    return pointset::evaluate(points, feature, pointset::Criterion::leastsquares, options);
}

// Positions along an open profile with their values, in order of position.
struct OpenProfile {
    std::vector<double> position;
    std::vector<double> value;
};

// Sorts the profile by position; false when two points share one.
bool sortprofile(OpenProfile& p) {
    std::vector<std::size_t> order(p.position.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&p](std::size_t a, std::size_t b) { return p.position[a] < p.position[b]; });
    OpenProfile sorted;
    for (const std::size_t k : order) {
        if (!sorted.position.empty() && !(p.position[k] > sorted.position.back())) return false;
        sorted.position.push_back(p.position[k]);
        sorted.value.push_back(p.value[k]);
    }
    p = std::move(sorted);
    return true;
}

// Why a low-pass cut-off wavelength cannot filter a profile `length` long, or
// "": a mean line longer than the profile follows its form, and the
// filtered profile keeps almost none of it.
std::string longerthan(double wavelength, double length) {
    if (wavelength <= length) return "";
    return "the cut-off wavelength " + number(wavelength) + " is longer than the profile (" +
           number(length) + "), so the filter would take the form away: give one at most the " +
           "profile's length";
}

// What the filter of `type` does with a cut-off finer than its points
// resolve: the spline filter takes two steps, the others filter at it.
std::string unresolveddone(FilterType type, const std::string& twosteps) {
    if (type == FilterType::spline) return ": the spline filter takes it as " + twosteps;
    return ": filtered at it as given, every wave they hold being longer than it";
}

// Why the cut-off wavelength `wavelength` is shorter than two steps of the
// open profile `p` (its mean step), or "".
std::string unresolvedopen(const OpenProfile& p, const ProfileFilter& f, double wavelength) {
    const std::size_t n = p.position.size();
    if (f.morphological() || n < 2) return "";
    const double twosteps =
        2 * (p.position.back() - p.position.front()) / static_cast<double>(n - 1);
    if (!(wavelength < twosteps)) return "";
    return "the cut-off wavelength " + number(wavelength) + " is shorter than the " +
           std::to_string(n) + " points resolve (two of their mean steps, " + number(twosteps) +
           ")" + unresolveddone(f.type, number(twosteps));
}

// The low-pass mean line of the filter's type at `longer` (closing and
// opening: with its disk), or the Gaussian band between the mean lines at
// the wavelengths `shorter` and `longer`.
std::vector<double> filteropen(const OpenProfile& p, const ProfileFilter& f, double shorter,
                               double longer) {
    switch (f.type) {
    case FilterType::robust:
        return profile::robustopenfilter(p.position, p.value, longer);
    case FilterType::spline:
        return profile::splineopenfilter(p.position, p.value, longer);
    case FilterType::rc:
        return profile::rcopenfilter(p.position, p.value, longer);
    case FilterType::closing:
        return profile::closingfilter(p.position, p.value, f.diskradius);
    case FilterType::opening:
        return profile::openingfilter(p.position, p.value, f.diskradius);
    case FilterType::gaussian:
        break;
    }
    std::vector<double> out = profile::openfilter(p.position, p.value, longer);
    if (shorter <= 0) return out;
    const std::vector<double> fine = profile::openfilter(p.position, p.value, shorter);
    for (std::size_t k = 0; k < out.size(); ++k) out[k] = fine[k] - out[k];
    return out;
}

FilteredPoints filterline(const pointset::Points& points, const ProfileFilter& f) {
    FilteredPoints out;
    if (f.wavelength <= 0 && !f.morphological()) {
        out.failure = "a line is filtered at a cut-off wavelength, not in UPR";
        return out;
    }
    const pointset::Reference ls = leastsquaresof(points, Feature::line);
    if (!ls.found) {
        out.failure = ls.failure;
        return out;
    }
    const double dx = ls.direction[0], dy = ls.direction[1];
    OpenProfile p;
    for (std::size_t i = 0; i < points.count; ++i) {
        const double u = points.data[i * points.stride] - ls.point[0];
        const double w = points.data[i * points.stride + 1] - ls.point[1];
        p.position.push_back(dx * u + dy * w);
        p.value.push_back(-dy * u + dx * w);
    }
    if (!sortprofile(p)) {
        out.failure = "two points lie at one position along the line";
        return out;
    }
    if (!f.morphological())
        out.failure = longerthan(f.wavelength, p.position.back() - p.position.front());
    if (!out.failure.empty()) return out;
    out.unresolved = unresolvedopen(p, f, f.wavelength);
    const std::vector<double> v = filteropen(p, f, 0, f.wavelength);
    for (std::size_t k = 0; k < v.size(); ++k) {
        out.coordinates.push_back(ls.point[0] + p.position[k] * dx - v[k] * dy);
        out.coordinates.push_back(ls.point[1] + p.position[k] * dy + v[k] * dx);
    }
    return out;
}

void setoff(FilteredPoints& out, const profile::Circle& c, double angle, double deviation) {
    out.coordinates.push_back(c.x + (c.r + deviation) * std::cos(angle));
    out.coordinates.push_back(c.y + (c.r + deviation) * std::sin(angle));
}

FilteredPoints filterarc(const std::vector<profile::PolarPoint>& sorted,
                         const profile::ProfileExtent& extent, const profile::Circle& c,
                         const ProfileFilter& f) {
    FilteredPoints out;
    OpenProfile p;
    for (const profile::PolarPoint& q : sorted) {
        const double turned = std::fmod(q.angle - extent.start + 2 * twopi, twopi);
        p.position.push_back(c.r * turned);
        p.value.push_back(q.deviation);
    }
    if (!sortprofile(p)) {
        out.failure = "two points lie at one angle about the least-squares centre";
        return out;
    }
    if (f.morphological()) {
        out.how = "an arc, the disk rolled along its length";
        const std::vector<double> v = filteropen(p, f, 0, 0);
        for (std::size_t k = 0; k < v.size(); ++k)
            setoff(out, c, extent.start + p.position[k] / c.r, v[k]);
        return out;
    }
    const double circumference = twopi * c.r;
    double shorter = 0, longer = f.wavelength;
    if (f.band()) {
        shorter = circumference / f.shortwave;
        longer = circumference / f.longwave;
    } else if (longer <= 0) {
        longer = circumference / f.cutoff;
    }
    out.failure =
        longerthan(shorter > 0 ? shorter : longer, p.position.back() - p.position.front());
    if (!out.failure.empty()) return out;
    out.how = "an arc, filtered along its length at the cut-off wavelength " + number(longer);
    if (shorter > 0) out.how += " less the one at " + number(shorter);
    out.unresolved = unresolvedopen(p, f, shorter > 0 ? shorter : longer);
    const std::vector<double> v = filteropen(p, f, shorter, longer);
    for (std::size_t k = 0; k < v.size(); ++k)
        setoff(out, c, extent.start + p.position[k] / c.r, v[k]);
    return out;
}

FilteredPoints filterclosed(const std::vector<profile::PolarPoint>& sorted,
                            const profile::Circle& c, const ProfileFilter& f) {
    FilteredPoints out;
    const bool spectral = !f.morphological() && f.type != FilterType::spline;
    if (spectral && !profile::spectral()) {
        out.failure = profile::Unavailable().what();
        return out;
    }
    const profile::EqualAngles samples = profile::equalangles(sorted);
    const std::size_t n = samples.deviation.size();
    std::vector<double> v;
    if (f.band()) {
        out.unresolved = unresolvedclosed(n, f, f.shortwave);
        v = profile::bandpassfilter(samples.deviation, f.longwave, f.shortwave);
    } else if (f.morphological()) {
        v = filterclosedsamples(samples.deviation, twopi * c.r, f, 0);
    } else {
        const double cutoff = f.cutoff > 0 ? f.cutoff : twopi * c.r / f.wavelength;
        if (cutoff < 1) {
            out.failure = longerthan(f.wavelength, twopi * c.r);
            return out;
        }
        if (f.cutoff <= 0) out.how = "the cut-off wavelength is " + number(cutoff) + " UPR";
        out.unresolved = unresolvedclosed(n, f, cutoff);
        std::string firstpass;
        v = filterclosedsamples(samples.deviation, twopi * c.r, f, cutoff, &firstpass);
        if (!firstpass.empty()) out.how += std::string(out.how.empty() ? "" : "; ") + firstpass;
    }
    if (samples.resampled)
        out.how += std::string(out.how.empty() ? "" : "; ") + "resampled at " + std::to_string(n) +
                   " equal angles";
    for (std::size_t k = 0; k < n; ++k)
        setoff(out, c, samples.start + twopi * static_cast<double>(k) / static_cast<double>(n),
               v[k]);
    return out;
}

FilteredPoints filtercircle(const pointset::Points& points, const ProfileFilter& f) {
    const pointset::Reference ls = leastsquaresof(points, Feature::circle);
    if (!ls.found) return {{}, "", ls.failure, ""};
    std::vector<double> x(points.count), y(points.count);
    for (std::size_t i = 0; i < points.count; ++i) {
        x[i] = points.data[i * points.stride];
        y[i] = points.data[i * points.stride + 1];
    }
    const profile::Circle c{ls.point[0], ls.point[1], ls.radius};
    const std::vector<profile::PolarPoint> sorted = profile::profileabout(x, y, c);
    const profile::ProfileExtent extent = profile::profileextent(sorted);
    return extent.closed ? filterclosed(sorted, c, f) : filterarc(sorted, extent, c, f);
}

// Two unit vectors across `n` (a unit vector), with n a right-handed frame.
std::array<std::array<double, 3>, 2> across(const pointset::Vector& n) {
    // Start from the axis n leans on least, for the sharpest cross product.
    std::array<double, 3> a = {0, 0, 0};
    int least = 0;
    for (int k = 1; k < 3; ++k)
        if (std::abs(n[k]) < std::abs(n[least])) least = k;
    a[least] = 1;
    std::array<double, 3> e1 = {n[1] * a[2] - n[2] * a[1], n[2] * a[0] - n[0] * a[2],
                                n[0] * a[1] - n[1] * a[0]};
    const double norm = std::sqrt(e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2]);
    for (double& c : e1) c /= norm;
    const std::array<double, 3> e2 = {n[1] * e1[2] - n[2] * e1[1], n[2] * e1[0] - n[0] * e1[2],
                                      n[0] * e1[1] - n[1] * e1[0]};
    return {e1, e2};
}

double dot3(const std::array<double, 3>& a, const double* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// The largest distance between two of the points (u, v): a surface's extent
// in its widest direction, the same however its frame is turned in it. The
// hull by Andrew's monotone chain, then its corners pair by pair, or where
// they are many each of its edges against the corner farthest from it (the
// rotating calipers).
double widestextent(const std::vector<double>& u, const std::vector<double>& v) {
    using Place = std::array<double, 2>;
    std::vector<Place> p(u.size());
    for (std::size_t i = 0; i < p.size(); ++i) p[i] = {u[i], v[i]};
    std::sort(p.begin(), p.end());
    p.erase(std::unique(p.begin(), p.end()), p.end());
    const auto apart = [](const Place& a, const Place& b) {
        return std::hypot(b[0] - a[0], b[1] - a[1]);
    };
    if (p.size() < 3) return p.size() == 2 ? apart(p[0], p[1]) : 0;
    const auto turn = [](const Place& a, const Place& b, const Place& c) {
        return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
    };
    std::vector<Place> h(2 * p.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && turn(h[k - 2], h[k - 1], p[i]) <= 0) --k;
        h[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && turn(h[k - 2], h[k - 1], p[i]) <= 0) --k;
        h[k++] = p[i];
    }
    h.resize(k - 1);
    const std::size_t m = h.size();
    if (m < 3) return apart(h[0], h[m - 1]);
    double widest = 0;
    // Every pair of a hull of a few thousand corners: the calipers' turns
    // are rounding alone on a hull all but flat, and may stop short there.
    if (m <= 4096) {
        for (std::size_t i = 0; i < m; ++i)
            for (std::size_t j = i + 1; j < m; ++j) widest = std::max(widest, apart(h[i], h[j]));
        return widest;
    }
    for (std::size_t i = 0, j = 1; i < m; ++i) {
        const Place& a = h[i];
        const Place& b = h[(i + 1) % m];
        for (std::size_t steps = 0; steps < m && turn(a, b, h[(j + 1) % m]) > turn(a, b, h[j % m]);
             ++steps)
            ++j;
        widest = std::max({widest, apart(a, h[j % m]), apart(b, h[j % m])});
    }
    return widest;
}

// A plane's or cylinder's surface filtered by the areal Gaussian filter:
// the deviations normal to the least-squares plane at the points' places in
// its frame, or from the least-squares cylinder at their arc length round
// the axis (periodic) and position along it, filtered and set off again.
FilteredPoints filtersurface(const pointset::Points& points, Feature feature,
                             const ProfileFilter& f) {
    FilteredPoints out;
    const std::string name = pointset::featurename(feature);
    if (f.type != FilterType::gaussian || f.cutoff > 0 || f.band() || !(f.wavelength > 0)) {
        out.failure = "a " + name + " is filtered by the areal Gaussian filter at a cut-off " +
                      "wavelength, not in UPR nor by another filter";
        return out;
    }
    const pointset::Reference ls = leastsquaresof(points, feature);
    if (!ls.found) {
        out.failure = ls.failure;
        return out;
    }
    const bool cylinder = feature == Feature::cylinder;
    const auto [e1, e2] = across(ls.direction);
    const std::array<double, 3> d = {ls.direction[0], ls.direction[1], ls.direction[2]};
    std::vector<double> u, v, z;
    for (std::size_t i = 0; i < points.count; ++i) {
        const double* p = points.data + i * points.stride;
        const double r[3] = {p[0] - ls.point[0], p[1] - ls.point[1], p[2] - ls.point[2]};
        if (cylinder) {
            const double angle = std::atan2(dot3(e2, r), dot3(e1, r));
            u.push_back(ls.radius * angle);
            v.push_back(dot3(d, r));
            z.push_back(std::hypot(dot3(e1, r), dot3(e2, r)) - ls.radius);
        } else {
            u.push_back(dot3(e1, r));
            v.push_back(dot3(e2, r));
            z.push_back(dot3(d, r));
        }
    }
    const double period = cylinder ? twopi * ls.radius : 0;
    const double vspan =
        *std::max_element(v.begin(), v.end()) - *std::min_element(v.begin(), v.end());
    // Why the cut-off is longer than `extent`, `what` it is: the filter would
    // take the form that way away.
    const auto longer = [&](double extent, const std::string& what, const std::string& away,
                            const std::string& most) {
        return "the cut-off wavelength " + number(f.wavelength) + " is longer than " + what + " (" +
               number(extent) + "), so the filter would take " + away + " away: give one at most " +
               most;
    };
    // A plane's extent in its widest direction: its frame in the plane is
    // arbitrary, and the spans along it would depend on that.
    const double extent = cylinder ? std::max(period, vspan) : widestextent(u, v);
    if (f.wavelength > extent) {
        out.failure = longer(extent, "the surface", "the form", "its extent");
        return out;
    }
    // A cylinder is a closed profile round its axis and an open one along
    // it: as for a circle and a line, a cut-off longer than either would
    // take that way's form away (a barrel's or a taper's along the axis).
    if (cylinder && f.wavelength > vspan) {
        out.failure =
            longer(vspan, "the cylinder along its axis", "its form along the axis", "its length");
        return out;
    }
    if (cylinder && f.wavelength > period) {
        out.failure = longer(period, "the cylinder's circumference", "its form round the axis",
                             "its circumference");
        return out;
    }
    // About 10 ns a pair: 2e10 pairs take some three minutes, and the
    // work grows with the cut-off squared; an unattended batch should not
    // sit for hours on one file.
    if (const double pairs = profile::arealpairs(u, v, f.wavelength, period);
        pairs > arealmostpairs) {
        out.failure = "the areal filter at the cut-off wavelength " + number(f.wavelength) +
                      " would weigh " + formatnumber(pairs, 2) + " pairs of points, more than " +
                      formatnumber(arealmostpairs, 2) +
                      " (some minutes): give a shorter cut-off, or fewer points";
        return out;
    }
    const std::vector<double> mean = profile::arealfilter(u, v, z, f.wavelength, period);
    for (std::size_t i = 0; i < mean.size(); ++i)
        for (int k = 0; k < 3; ++k) {
            const double place = cylinder ? v[i] * d[k] + (ls.radius + mean[i]) *
                                                              (std::cos(u[i] / ls.radius) * e1[k] +
                                                               std::sin(u[i] / ls.radius) * e2[k])
                                          : u[i] * e1[k] + v[i] * e2[k] + mean[i] * d[k];
            out.coordinates.push_back(ls.point[k] + place);
        }
    return out;
}

} // namespace

std::string unresolvedclosed(std::size_t n, const ProfileFilter& f, double cutoff) {
    const double most = static_cast<double>(n) / 2;
    if (f.morphological() || !(cutoff > most)) return "";
    return "the cut-off " + number(cutoff) + " UPR is finer than the " + std::to_string(n) +
           " samples resolve (" + number(most) + " UPR at most, two samples a wavelength)" +
           unresolveddone(f.type, number(most) + " UPR");
}

std::string filterkind(FilterType type) {
    switch (type) {
    case FilterType::robust:
        return "robust Gaussian (ISO 16610-31)";
    case FilterType::spline:
        return "spline (ISO 16610-22)";
    case FilterType::rc:
        return "2RC";
    case FilterType::closing:
        return "morphological closing";
    case FilterType::opening:
        return "morphological opening";
    case FilterType::gaussian:
        break;
    }
    return "Gaussian";
}

std::vector<double> filterclosedsamples(const std::vector<double>& deviation, double circumference,
                                        const ProfileFilter& f, double cutoff, std::string* note) {
    if (note) note->clear();
    switch (f.type) {
    case FilterType::robust: {
        bool firstpass = false;
        std::vector<double> mean = profile::robustfilter(deviation, cutoff, &firstpass);
        if (firstpass && note)
            *note = "the robust mean line is its first reweighted pass's: the profile has too "
                    "little roughness to weigh, and further passes left it";
        return mean;
    }
    case FilterType::spline:
        return profile::splinefilter(deviation, cutoff);
    case FilterType::rc:
        return profile::rcfilter(deviation, cutoff);
    case FilterType::closing:
    case FilterType::opening: {
        std::vector<double> position(deviation.size());
        for (std::size_t k = 0; k < position.size(); ++k)
            position[k] =
                circumference * static_cast<double>(k) / static_cast<double>(position.size());
        return f.type == FilterType::closing
                   ? profile::closingfilter(position, deviation, f.diskradius, circumference)
                   : profile::openingfilter(position, deviation, f.diskradius, circumference);
    }
    case FilterType::gaussian:
        break;
    }
    return profile::gaussianfilter(deviation, cutoff);
}

std::string filtername(const ProfileFilter& f, const std::string& unit) {
    const std::string unitname = unit == defaultunit ? "" : " " + unit;
    if (f.areal && f.wavelength > 0)
        return "areal Gaussian (ISO 16610-61), cut-off wavelength " + number(f.wavelength) +
               unitname;
    if (f.morphological())
        return filterkind(f.type) + ", disk radius " + number(f.diskradius) + unitname;
    if (f.type != FilterType::gaussian && f.any()) {
        std::string text = filterkind(f.type) + ", cut-off ";
        if (f.cutoff > 0) text += number(f.cutoff) + " UPR";
        if (f.wavelength > 0)
            text += std::string(f.cutoff > 0 ? ", open profiles at the cut-off wavelength "
                                             : "wavelength ") +
                    number(f.wavelength) + unitname;
        return text;
    }
    std::string text;
    if (f.band())
        text = "Gaussian band-pass, " + number(f.longwave) + " to " + number(f.shortwave) + " UPR";
    else if (f.cutoff > 0)
        text = "Gaussian, cut-off " + number(f.cutoff) + " UPR";
    if (f.wavelength > 0)
        text += (text.empty() ? "Gaussian, cut-off wavelength "
                 : f.band()   ? ", lines at the cut-off wavelength "
                              : ", open profiles at the cut-off wavelength ") +
                number(f.wavelength) + (unit == defaultunit ? "" : " " + unit);
    return text.empty() ? "none" : text;
}

FilteredPoints filterpoints(const pointset::Points& points, Feature feature,
                            const ProfileFilter& filter) {
    if (feature == Feature::line) return filterline(points, filter);
    if (feature == Feature::circle) return filtercircle(points, filter);
    if (feature == Feature::plane || feature == Feature::cylinder)
        return filtersurface(points, feature, filter);
    return {{}, "", std::string("a ") + pointset::featurename(feature) + " is not filtered", ""};
}

} // namespace formeval::report
