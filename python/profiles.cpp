// The profile analysis of a roundness profile: its harmonics and the Gaussian
// profile filter, about a circle the caller gives (usually a reference's);
// the Gaussian regression filter of an open profile.
#include "profile/profile.h"
#include "python/module.h"

#include <cmath>
#include <optional>
#include <stdexcept>

namespace formeval::python {

namespace {

// An angle in whole degrees, as formreport names an arc's span.
std::string degrees(double radians) {
    return std::to_string(std::lround(radians * 45 / std::atan(1.0))) + "\u00b0";
}

// The points' columns and the circle, checked, and the profile about the
// circle sorted by angle.
struct Profile {
    std::vector<double> x, y;
    profile::Circle about;
    std::vector<profile::PolarPoint> sorted;
};

// The profile of the points about the circle. Throws ValueError for a circle
// without a finite centre and a positive radius, a point not finite, and for
// points that form an arc about the centre (formreport's rule: the largest
// angle between neighbours beyond twice their median and 30 degrees), which
// the closed profile's filters and harmonics would take for a whole turn.
Profile profileof(const py::array& points, std::pair<double, double> centre, double radius) {
    const PointArray p = pointarray(points, 2);
    if (!std::isfinite(centre.first) || !std::isfinite(centre.second) || !std::isfinite(radius) ||
        radius <= 0)
        throw py::value_error("the circle needs a finite centre and a radius above 0");
    Profile out;
    out.about = {centre.first, centre.second, radius};
    out.x.reserve(p.count);
    out.y.reserve(p.count);
    for (std::size_t i = 0; i < p.count; ++i) {
        const double x = p.coordinates[2 * i], y = p.coordinates[2 * i + 1];
        if (!std::isfinite(x) || !std::isfinite(y))
            throw py::value_error("point " + std::to_string(i + 1) + " is not finite");
        out.x.push_back(x);
        out.y.push_back(y);
    }
    profile::ProfileExtent extent;
    {
        py::gil_scoped_release unlocked;
        out.sorted = profile::profileabout(out.x, out.y, out.about);
        extent = profile::profileextent(out.sorted);
    }
    if (!extent.closed)
        throw py::value_error("an arc of " + degrees(extent.span) +
                              " is no closed profile: filter an open profile along its length "
                              "with open_filter");
    return out;
}

// The profile's deviations from the circle at equal angles.
profile::EqualAngles samplesof(const Profile& p) {
    return profile::equalangles(p.sorted);
}

// The profile's deviations set off from the circle again as n x 2 points.
py::object pointsof(const profile::Circle& c, double start, const std::vector<double>& d) {
    const double twopi = 2 * std::acos(-1.0);
    std::vector<double> xy;
    xy.reserve(2 * d.size());
    const double n = static_cast<double>(d.size());
    for (std::size_t k = 0; k < d.size(); ++k) {
        const double t = start + twopi * static_cast<double>(k) / n;
        xy.insert(xy.end(), {c.x + (c.r + d[k]) * std::cos(t), c.y + (c.r + d[k]) * std::sin(t)});
    }
    return ownedarray(std::move(xy)).attr("reshape")(static_cast<py::ssize_t>(d.size()), 2);
}

} // namespace

void bindprofiles(py::module_& m) {
    m.def("spectral", &profile::spectral, "Whether the module was built with FFTW.");
    m.def(
        "require_spectral",
        [] {
            if (!profile::spectral()) throw py::value_error(profile::Unavailable().what());
        },
        "Raises ValueError, with the reason, when built without FFTW.");
    m.def(
        "harmonics",
        [](const py::array& points, std::pair<double, double> centre, double radius) {
            const Profile p = profileof(points, centre, radius);
            profile::Harmonics h;
            {
                py::gil_scoped_release unlocked;
                h = profile::harmonics(p.x, p.y, p.about);
            }
            return py::make_tuple(ownedarray(std::move(h.amplitude)), h.points, h.resampled);
        },
        py::arg("points"), py::arg("centre"), py::arg("radius"), "(amplitude, points, resampled)");
    m.def(
        "gaussian_filter",
        [](const py::array& points, std::pair<double, double> centre, double radius,
           double cutoff) {
            if (!(cutoff > 0) || !std::isfinite(cutoff))
                throw py::value_error(
                    "the cut-off must be a number of undulations per revolution above 0");
            const Profile p = profileof(points, centre, radius);
            profile::Filtered f;
            {
                py::gil_scoped_release unlocked;
                f = profile::filtered(p.x, p.y, p.about, cutoff);
            }
            std::vector<double> xy;
            xy.reserve(2 * f.x.size());
            for (std::size_t i = 0; i < f.x.size(); ++i) xy.insert(xy.end(), {f.x[i], f.y[i]});
            const auto n = static_cast<py::ssize_t>(f.x.size());
            return py::make_tuple(ownedarray(std::move(xy)).attr("reshape")(n, 2), f.resampled);
        },
        py::arg("points"), py::arg("centre"), py::arg("radius"), py::arg("cutoff"),
        "(points, resampled)");
    m.def(
        "harmonic_spectrum",
        [](const py::array& points, std::pair<double, double> centre, double radius, int first,
           std::optional<int> last) {
            const Profile p = profileof(points, centre, radius);
            std::vector<profile::Harmonic> h;
            bool resampled = false;
            {
                py::gil_scoped_release unlocked;
                const profile::EqualAngles e = samplesof(p);
                resampled = e.resampled;
                const int upto = last ? *last : static_cast<int>(e.deviation.size() / 2);
                try {
                    h = profile::harmonicspectrum(e.deviation, e.start, first, upto);
                } catch (const std::invalid_argument& error) {
                    py::gil_scoped_acquire locked;
                    throw py::value_error(error.what());
                }
            }
            std::vector<double> upr, amplitude, phase;
            for (const profile::Harmonic& k : h) {
                upr.push_back(k.upr);
                amplitude.push_back(k.amplitude);
                phase.push_back(k.phase);
            }
            return py::make_tuple(ownedarray(std::move(upr)).attr("astype")("int64"),
                                  ownedarray(std::move(amplitude)), ownedarray(std::move(phase)),
                                  resampled);
        },
        py::arg("points"), py::arg("centre"), py::arg("radius"), py::arg("first"), py::arg("last"),
        "(upr, amplitude, phase, resampled)");
    m.def(
        "band_pass_filter",
        [](const py::array& points, std::pair<double, double> centre, double radius,
           double longwave, double shortwave) {
            const Profile p = profileof(points, centre, radius);
            profile::EqualAngles e;
            std::vector<double> band;
            {
                py::gil_scoped_release unlocked;
                e = samplesof(p);
                try {
                    band = profile::bandpassfilter(e.deviation, longwave, shortwave);
                } catch (const std::invalid_argument& error) {
                    py::gil_scoped_acquire locked;
                    throw py::value_error(error.what());
                }
            }
            return py::make_tuple(pointsof(p.about, e.start, band), e.resampled);
        },
        py::arg("points"), py::arg("centre"), py::arg("radius"), py::arg("longwave"),
        py::arg("shortwave"), "(points, resampled)");
    m.def(
        "open_filter",
        [](const py::array& position, const py::array& value, double cutoff) {
            const std::vector<double> s = column(position);
            const std::vector<double> v = column(value);
            std::vector<double> mean;
            {
                py::gil_scoped_release unlocked;
                try {
                    mean = profile::openfilter(s, v, cutoff);
                } catch (const std::invalid_argument& error) {
                    py::gil_scoped_acquire locked;
                    throw py::value_error(error.what());
                }
            }
            return ownedarray(std::move(mean));
        },
        py::arg("position"), py::arg("value"), py::arg("cutoff"), "The mean line.");
}

} // namespace formeval::python
