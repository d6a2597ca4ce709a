// formeval.evaluate: the pointset library's reference feature of an array of
// points, as an object with named attributes and the row formreport's JSON
// gives for it.
#include "pointset/pointset.h"
#include "python/module.h"

#include <cmath>
#include <optional>

namespace formeval::python {

namespace {

using pointset::Criterion;
using pointset::Feature;
using pointset::Reference;

Feature featurenamed(const std::string& name) {
    std::string known;
    for (const Feature f :
         {Feature::line, Feature::plane, Feature::circle, Feature::sphere, Feature::cylinder}) {
        if (name == pointset::featurename(f)) return f;
        known += std::string(known.empty() ? "\"" : ", \"") + pointset::featurename(f) + "\"";
    }
    throw py::value_error("unknown feature \"" + name + "\"; one of " + known);
}

// The methods' names in this module, then as formreport's tables name them,
// then as the pointset library does.
constexpr const char* methodnames[4][3] = {
    {"least squares", "least squares", "least squares"},
    {"minimum zone", "minimum zone", "minimum zone"},
    {"minimum circumscribed", "minimum circumscribing", "circumscribed"},
    {"maximum inscribed", "maximum inscribing", "inscribed"}};

Criterion criterionnamed(const std::string& name) {
    for (int c = 0; c < 4; ++c)
        for (const char* text : methodnames[c])
            if (name == text) return static_cast<Criterion>(c);
    throw py::value_error("unknown method \"" + name +
                          "\"; one of \"least squares\", \"minimum zone\", \"minimum "
                          "circumscribed\", \"maximum inscribed\"");
}

const char* methodname(Criterion c, int as = 0) {
    return methodnames[static_cast<int>(c)][as];
}

int dimensionof(Feature f) {
    return f == Feature::line || f == Feature::circle ? 2 : 3;
}

// One evaluated reference, with the points it was evaluated on (kept for the
// largest gap of a circle, found when first asked for).
class Result {
  public:
    Result(Reference r, PointArray points, const pointset::Options& o)
        : r_(std::move(r)), points_(std::move(points)), certificate_(o.certificate) {
        if (o.deviations) deviations_ = ownedarray(std::move(r_.deviations));
    }

    const Reference& reference() const { return r_; }
    py::object deviations() const { return deviations_; }
    py::array points() const { return points_.array; }

    // Largest angle between neighbouring points about the minimum-zone centre
    // (the least-squares one when there is none), in degrees; circles only.
    std::optional<double> largestgap() {
        if (r_.feature != Feature::circle) return std::nullopt;
        if (!gap_) {
            // Computed without the GIL, kept with it (another thread may ask
            // for it meanwhile).
            double gap;
            {
                py::gil_scoped_release unlocked;
                gap = gapdegrees();
            }
            gap_ = gap;
        }
        return gap_;
    }

    // A circumscribed or inscribed circle of points that leave a gap of 180
    // degrees or more: no circle holds them all round. None for other rows.
    std::optional<bool> arc() {
        if (r_.feature != Feature::circle || r_.criterion == Criterion::leastsquares ||
            r_.criterion == Criterion::minimumzone)
            return std::nullopt;
        return *largestgap() >= 180;
    }

  private:
    double gapdegrees() const {
        const pointset::Points view{points_.data, points_.count, 2, points_.stride};
        pointset::Options o;
        o.deviations = false;
        Reference centre = r_;
        if (r_.criterion != Criterion::minimumzone || !certificate_) {
            Reference mz = pointset::evaluate(view, Feature::circle, Criterion::minimumzone, o);
            centre = mz.found
                         ? mz
                         : pointset::evaluate(view, Feature::circle, Criterion::leastsquares, o);
        }
        std::vector<pointset::Point> p(points_.count);
        for (std::size_t i = 0; i < points_.count; ++i)
            p[i] = {points_.data[i * points_.stride], points_.data[i * points_.stride + 1], 0};
        return pointset::largestgap(p, centre.point[0], centre.point[1]) * 45 / std::atan(1.0);
    }

    Reference r_;
    PointArray points_;
    py::object deviations_ = py::none();
    bool certificate_;
    std::optional<double> gap_;
};

py::object optional(const std::optional<bool>& b) {
    return b ? py::object(py::bool_(*b)) : py::object(py::none());
}

py::tuple triple(const pointset::Point& p) {
    return py::make_tuple(number(p[0]), number(p[1]), number(p[2]));
}

// The row of `formreport results --json` for this reference of a point file,
// but for what only a file has (file, line, unit: None; job 1).
py::dict todict(Result& self, std::optional<double> tolerance, std::optional<std::string> unit) {
    const Reference& r = self.reference();
    const bool radial = r.feature == Feature::circle || r.feature == Feature::sphere;
    const bool certified = r.criterion != Criterion::leastsquares;
    const std::optional<double> gap = self.largestgap();
    const double none = std::nan("");
    py::dict d;
    d["file"] = py::none();
    d["job"] = 1;
    d["code"] = py::none();
    d["line"] = py::none();
    d["points"] = self.points().shape(0);
    d["shape"] = pointset::featurename(r.feature);
    d["largest_gap_degrees"] = number(gap ? *gap : none);
    d["method"] = methodname(r.criterion, 1);
    d["computed_by"] = "pointset";
    d["centre_x"] = number(radial ? r.point[0] : none);
    d["centre_y"] = number(radial ? r.point[1] : none);
    d["centre_z"] = number(radial ? r.point[2] : none);
    d["radius"] = number(r.radius);
    for (const char* key : {"intercept", "slope_x", "slope_y"}) d[key] = py::none();
    d["error"] = number(r.t);
    d["t"] = number(r.t);
    d["p"] = number(r.p);
    d["v"] = number(r.v);
    d["q"] = number(r.q);
    for (const char* key : {"exact_error", "minus_exact", "inexact", "fitted"}) d[key] = py::none();
    d["arc"] = optional(self.arc());
    d["on_hull"] = py::none();
    d["certified"] = certified ? py::object(py::bool_(r.certificate.certified)) : py::none();
    d["lower_bound"] = number(certified ? r.certificate.lower : none);
    d["upper_bound"] = number(certified ? r.certificate.upper : none);
    d["not_certified_because"] = certified && !r.certificate.why.empty()
                                     ? py::object(py::str(r.certificate.why))
                                     : py::none();
    d["tolerance"] = number(tolerance ? *tolerance : none);
    d["pass"] = tolerance ? py::object(py::bool_(r.t <= *tolerance)) : py::none();
    d["unit"] = unit ? py::object(py::str(*unit)) : py::none();
    d["feature"] = pointset::featurename(r.feature);
    const char* const axes[] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k) d[py::str(std::string("point_") + axes[k])] = number(r.point[k]);
    for (int k = 0; k < 3; ++k)
        d[py::str(std::string("direction_") + axes[k])] = number(r.direction[k]);
    return d;
}

Result evaluate(const py::handle& points, const std::string& feature, const std::string& method,
                bool deviations, bool certificate, long budget) {
    const Feature f = featurenamed(feature);
    const Criterion c = criterionnamed(method);
    PointArray p = pointarray(points, dimensionof(f), "a " + feature);
    pointset::Options o;
    o.deviations = deviations;
    o.certificate = certificate;
    o.budget = budget;
    Reference r;
    {
        py::gil_scoped_release unlocked;
        r = pointset::evaluate({p.data, p.count, p.dimension, p.stride}, f, c, o);
    }
    if (!r.found) throw py::value_error(r.failure);
    return Result(std::move(r), std::move(p), o);
}

} // namespace

void bindreferences(py::module_& m) {
    py::class_<Result>(m, "Reference",
                       R"(A reference feature of points, evaluated by formeval.evaluate.

Lengths are in the unit of the coordinates. Deviations are normal to the
feature: n.(p - point) for lines and planes, |p - centre| - radius for circles
and spheres, distance from the axis - radius for cylinders.)")
        .def_property_readonly(
            "feature", [](const Result& s) { return pointset::featurename(s.reference().feature); },
            "\"line\", \"plane\", \"circle\", \"sphere\" or \"cylinder\".")
        .def_property_readonly(
            "method", [](const Result& s) { return methodname(s.reference().criterion); },
            "\"least squares\", \"minimum zone\", \"minimum circumscribed\" or \"maximum "
            "inscribed\".")
        .def_property_readonly(
            "point", [](const Result& s) { return triple(s.reference().point); },
            "(x, y, z): a circle's or sphere's centre; for a line, plane or cylinder the foot of "
            "the points' centroid on it (on its axis); None for z of a line or circle.")
        .def_property_readonly(
            "centre",
            [](const Result& s) -> py::object {
                const Feature f = s.reference().feature;
                if (f != Feature::circle && f != Feature::sphere) return py::none();
                return triple(s.reference().point);
            },
            "A circle's or sphere's centre (x, y, z; z None for a circle); None for other "
            "features.")
        .def_property_readonly(
            "direction", [](const Result& s) { return triple(s.reference().direction); },
            "Unit direction of a line or cylinder axis, unit normal of a plane; Nones for circles "
            "and spheres.")
        .def_property_readonly(
            "radius", [](const Result& s) { return number(s.reference().radius); },
            "Radius of a circle, sphere or cylinder; None for lines and planes.")
        .def_property_readonly(
            "t", [](const Result& s) { return s.reference().t; }, "Form error: p + v.")
        .def_property_readonly(
            "p", [](const Result& s) { return s.reference().p; },
            "Highest deviation (0 when none is positive).")
        .def_property_readonly(
            "v", [](const Result& s) { return s.reference().v; }, "Depth of the lowest deviation.")
        .def_property_readonly(
            "q", [](const Result& s) { return s.reference().q; },
            "Root mean square of the deviations.")
        .def_property_readonly(
            "error", [](const Result& s) { return s.reference().t; }, "The form error t.")
        .def_property_readonly("deviations", &Result::deviations,
                               "Each point's deviation, in the given order (numpy array); None "
                               "when evaluated with deviations=False.")
        .def_property_readonly(
            "certified",
            [](const Result& s) -> py::object {
                if (s.reference().criterion == Criterion::leastsquares) return py::none();
                return py::bool_(s.reference().certificate.certified);
            },
            "Whether the bounds on the optimum agree to 1e-9 relative; None for least squares.")
        .def_property_readonly(
            "lower_bound", [](const Result& s) { return number(s.reference().certificate.lower); },
            "Lower bound on the optimum of the criterion (zone width t, or radius); None for least "
            "squares.")
        .def_property_readonly(
            "upper_bound", [](const Result& s) { return number(s.reference().certificate.upper); },
            "Upper bound on the optimum; None for least squares.")
        .def_property_readonly(
            "not_certified_because",
            [](const Result& s) -> py::object {
                const Reference& r = s.reference();
                if (r.criterion == Criterion::leastsquares || r.certificate.why.empty())
                    return py::none();
                return py::str(r.certificate.why);
            },
            "Why the bounds do not agree; None when certified.")
        .def_property_readonly(
            "largest_gap_degrees", [](Result& s) { return s.largestgap(); },
            "Circles: the largest angle between neighbouring points about the minimum-zone centre, "
            "in degrees (below 180: all round); None for other features.")
        .def_property_readonly(
            "arc", [](Result& s) { return s.arc(); },
            "Circumscribed and inscribed circles: whether the points leave a gap of 180 degrees or "
            "more; None otherwise.")
        .def_property_readonly(
            "notes",
            [](Result& s) {
                py::list notes;
                if (s.arc().value_or(false)) notes.append("arc: the points do not go all round");
                const Reference& r = s.reference();
                if (r.criterion != Criterion::leastsquares && !r.certificate.certified)
                    notes.append("not certified: " + r.certificate.why);
                return notes;
            },
            "What to know before trusting the result: an arc, a certificate not reached.")
        .def_property_readonly("points", &Result::points,
                               "The array the points were read from: the caller's own when it was "
                               "a float64 array read in place, else its converted copy.")
        .def(
            "to_dict", &todict, py::arg("tolerance") = py::none(), py::arg("unit") = py::none(),
            R"(The row `formreport results --json` gives for this reference of a point file, with the same keys: file and line None, job 1; tolerance and pass when a tolerance is given, unit when named.)")
        .def("__repr__", [](const Result& s) {
            const Reference& r = s.reference();
            return "<formeval.Reference " + std::string(methodname(r.criterion)) + " " +
                   pointset::featurename(r.feature) +
                   " t=" + std::string(py::str(py::float_(r.t))) + ">";
        });

    m.def("evaluate", &evaluate, py::arg("points"), py::arg("feature"), py::arg("method"),
          py::kw_only(), py::arg("deviations") = true, py::arg("certificate") = true,
          py::arg("budget") = 100000,
          R"(The reference feature of the points by the method.

points: an n x 2 array (line, circle) or n x 3 array (plane, sphere, cylinder)
of any real dtype; a float64 array whose rows hold their coordinates side by
side is read in place, anything else converted once.
feature: "line", "plane", "circle", "sphere" or "cylinder".
method: "least squares", "minimum zone", "minimum circumscribed" or
"maximum inscribed" (the last two for circles, spheres and cylinders).
deviations: keep each point's deviation; certificate: prove bounds on the
optimum; budget: most cells the global search examines.

Raises TypeError for points that are not real numbers, ValueError for another
shape, an unknown feature or method, and for points the method cannot
evaluate (with the reason: too few points, a coordinate not finite, points
that determine no feature). The computation runs without the GIL.)");
}

} // namespace formeval::python
