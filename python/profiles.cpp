// The profile analysis of a roundness profile: its harmonics and the Gaussian
// profile filter, about a circle the caller gives (usually a reference's).
#include "profile/profile.h"
#include "python/module.h"

#include <cmath>
#include <optional>
#include <pybind11/stl.h>
#include <stdexcept>

namespace formeval::python {

namespace {

// The points' columns and the circle, checked.
struct Profile {
    std::vector<double> x, y;
    profile::Circle about;
};

Profile profileof(const py::handle& points, std::pair<double, double> centre, double radius) {
    const PointArray p = pointarray(points, 2, "a profile");
    if (!std::isfinite(centre.first) || !std::isfinite(centre.second) || !std::isfinite(radius) ||
        radius <= 0)
        throw py::value_error("the circle needs a finite centre and a radius above 0");
    Profile out;
    out.about = {centre.first, centre.second, radius};
    out.x.reserve(p.count);
    out.y.reserve(p.count);
    for (std::size_t i = 0; i < p.count; ++i) {
        const double x = p.data[i * p.stride], y = p.data[i * p.stride + 1];
        if (!std::isfinite(x) || !std::isfinite(y))
            throw py::value_error("point " + std::to_string(i + 1) + " is not finite");
        out.x.push_back(x);
        out.y.push_back(y);
    }
    return out;
}

py::object names(py::dict items) {
    return py::module_::import("types").attr("SimpleNamespace")(**items);
}

void spectralneeded() {
    if (!profile::spectral()) throw py::value_error(profile::Unavailable().what());
}

// The profile's deviations from the circle at equal angles.
profile::EqualAngles samplesof(const Profile& p) {
    return profile::equalangles(profile::profileabout(p.x, p.y, p.about));
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

// A one-dimensional array of real numbers, copied.
std::vector<double> column(const py::handle& values, const std::string& what) {
    const py::array array = py::array::ensure(values);
    if (!array ||
        (array.dtype().kind() != 'f' && array.dtype().kind() != 'i' && array.dtype().kind() != 'u'))
        throw py::type_error(what + " must be real numbers");
    if (array.ndim() != 1) throw py::value_error(what + " must be a one-dimensional array");
    const auto doubles =
        py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(array);
    return {doubles.data(), doubles.data() + doubles.size()};
}

} // namespace

void bindprofiles(py::module_& m) {
    m.def(
        "harmonics",
        [](const py::handle& points, std::pair<double, double> centre, double radius) {
            spectralneeded();
            const Profile p = profileof(points, centre, radius);
            profile::Harmonics h;
            {
                py::gil_scoped_release unlocked;
                h = profile::harmonics(p.x, p.y, p.about);
            }
            py::dict d;
            d["amplitude"] = ownedarray(std::move(h.amplitude));
            d["points"] = h.points;
            d["resampled"] = h.resampled;
            return names(d);
        },
        py::arg("points"), py::arg("centre"), py::arg("radius"),
        R"(Harmonic amplitudes of the closed profile of the points (n x 2) about the circle (centre (x, y), radius).

Returns an object with `amplitude` (numpy array indexed by undulations per
revolution, 0 to 50 where the points resolve them; k = 0 the mean deviation),
`points` (samples used) and `resampled` (whether the points were interpolated
to equal angles). Raises ValueError for a circle without a positive radius,
points that are not finite, or a module built without FFTW.)");
    m.def(
        "gaussian_filter",
        [](const py::handle& points, std::pair<double, double> centre, double radius,
           double cutoff) {
            spectralneeded();
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
            py::dict d;
            d["points"] = ownedarray(std::move(xy)).attr("reshape")(n, 2);
            d["resampled"] = f.resampled;
            return names(d);
        },
        py::arg("points"), py::arg("centre"), py::arg("radius"), py::arg("cutoff"),
        R"(The closed profile of the points (n x 2) about the circle, at equal angles and filtered by the Gaussian profile filter (ISO 16610-21) at `cutoff` undulations per revolution (15, 50, 150 or 500 are usual).

Returns an object with `points` (the filtered profile as an n x 2 array) and
`resampled`.)");
    m.def(
        "harmonic_spectrum",
        [](const py::handle& points, std::pair<double, double> centre, double radius, int first,
           std::optional<int> last) {
            spectralneeded();
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
            py::dict d;
            d["upr"] = ownedarray(std::move(upr)).attr("astype")("int64");
            d["amplitude"] = ownedarray(std::move(amplitude));
            d["phase"] = ownedarray(std::move(phase));
            d["resampled"] = resampled;
            return names(d);
        },
        py::arg("points"), py::arg("centre"), py::arg("radius"), py::arg("first") = 1,
        py::arg("last") = py::none(),
        R"(Harmonics `first` to `last` (undulations per revolution; by default 1 to half the points) of the closed profile of the points (n x 2) about the circle, with their phases.

Each harmonic is amplitude * cos(upr * theta - phase), theta the angle about
the centre counterclockwise from +x; its first crest lies at phase / upr.
Returns an object with `upr` (int64 array), `amplitude` (half the harmonic's
peak to valley, in the points' unit), `phase` (radians, in (-pi, pi]) and
`resampled`. Raises ValueError where `harmonics` does, and for first > last.)");
    m.def(
        "band_pass_filter",
        [](const py::handle& points, std::pair<double, double> centre, double radius,
           double longwave, double shortwave) {
            spectralneeded();
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
            py::dict d;
            d["points"] = pointsof(p.about, e.start, band);
            d["resampled"] = e.resampled;
            return names(d);
        },
        py::arg("points"), py::arg("centre"), py::arg("radius"), py::arg("longwave"),
        py::arg("shortwave"),
        R"(The band of the closed profile between the long-wave and short-wave cut-offs (undulations per revolution, 0 < longwave < shortwave): the Gaussian mean line at `shortwave` less the one at `longwave`, set off from the circle at equal angles.

Returns an object with `points` (n x 2) and `resampled`. Raises ValueError
for cut-offs not so ordered, and where `gaussian_filter` does.)");
    m.def(
        "open_filter",
        [](const py::handle& position, const py::handle& value, double cutoff) {
            const std::vector<double> s = column(position, "the positions");
            const std::vector<double> v = column(value, "the values");
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
        py::arg("position"), py::arg("value"), py::arg("cutoff"),
        R"(The mean line of an open profile (straightness, an arc): `value` at `position` along it (strictly increasing, any spacing) filtered by the first-order Gaussian regression filter at the cut-off wavelength `cutoff` (the positions' unit, above 0).

Away from the ends this is the Gaussian filter of ISO 16610-21 (50 %
transmission at the cut-off); near the ends the fitted slope keeps a sloping
profile's mean line on it. Needs no FFTW. Returns a numpy array of the mean
line at each position. Raises ValueError for positions that are not finite
or not increasing, sizes that differ, or a cut-off not above 0.)");
    m.def("spectral", &profile::spectral,
          "Whether the module was built with FFTW, and so has harmonics and the filter.");
}

} // namespace formeval::python
