// The profile analysis of a roundness profile: its harmonics and the Gaussian
// profile filter, about a circle the caller gives (usually a reference's).
#include "profile/profile.h"
#include "python/module.h"

#include <cmath>

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
    m.def("spectral", &profile::spectral,
          "Whether the module was built with FFTW, and so has harmonics and the filter.");
}

} // namespace formeval::python
