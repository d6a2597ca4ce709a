// The pointset library's reference feature of an array of points (formeval.evaluate),
// as an object with its numbers and the row formreport's JSON gives for it.
#include "pointset/pointset.h"
#include "python/module.h"

#include <cmath>
#include <optional>

namespace formeval::python {

namespace {

using pointset::Criterion;
using pointset::Feature;
using pointset::Reference;

constexpr int featurecount = static_cast<int>(Feature::cylinder) + 1;
constexpr int criterioncount = static_cast<int>(Criterion::inscribed) + 1;

// The methods' names in the package, then as formreport's tables name them,
// then as the pointset library does.
constexpr const char* methodnames[criterioncount][3] = {
    {"least squares", "least squares", "least squares"},
    {"minimum zone", "minimum zone", "minimum zone"},
    {"minimum circumscribed", "minimum circumscribing", "circumscribed"},
    {"maximum inscribed", "maximum inscribing", "inscribed"}};

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

Triple tripleof(const pointset::Point& p) {
    return triple(p[0], p[1], p[2]);
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

Result evaluate(const py::array& points, int feature, int criterion, bool deviations,
                bool certificate, long budget) {
    if (feature < 0 || feature >= featurecount || criterion < 0 || criterion >= criterioncount)
        throw py::value_error("no such feature or criterion");
    const auto f = static_cast<Feature>(feature);
    const auto c = static_cast<Criterion>(criterion);
    PointArray p = pointarray(points, dimensionof(f));
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
    // The names the package accepts: each feature with its coordinate count,
    // each criterion's names (the package's own, formreport's, the pointset
    // library's), in the order of the library's enumerations.
    py::list features, criteria;
    for (int f = 0; f < featurecount; ++f)
        features.append(py::make_tuple(pointset::featurename(static_cast<Feature>(f)),
                                       dimensionof(static_cast<Feature>(f))));
    for (const auto& names : methodnames)
        criteria.append(py::make_tuple(names[0], names[1], names[2]));
    m.attr("FEATURES") = py::tuple(features);
    m.attr("CRITERIA") = py::tuple(criteria);

    py::class_<Result>(m, "Reference")
        .def_property_readonly(
            "feature", [](const Result& s) { return pointset::featurename(s.reference().feature); })
        .def_property_readonly("method",
                               [](const Result& s) { return methodname(s.reference().criterion); })
        .def_property_readonly("point",
                               [](const Result& s) { return tripleof(s.reference().point); })
        .def_property_readonly("direction",
                               [](const Result& s) { return tripleof(s.reference().direction); })
        .def_property_readonly("radius",
                               [](const Result& s) { return number(s.reference().radius); })
        .def_property_readonly("t", [](const Result& s) { return s.reference().t; })
        .def_property_readonly("p", [](const Result& s) { return s.reference().p; })
        .def_property_readonly("v", [](const Result& s) { return s.reference().v; })
        .def_property_readonly("q", [](const Result& s) { return s.reference().q; })
        .def_property_readonly("deviations", &Result::deviations)
        .def_property_readonly("certified",
                               [](const Result& s) { return s.reference().certificate.certified; })
        .def_property_readonly(
            "lower_bound", [](const Result& s) { return number(s.reference().certificate.lower); })
        .def_property_readonly(
            "upper_bound", [](const Result& s) { return number(s.reference().certificate.upper); })
        .def_property_readonly("why", [](const Result& s) { return s.reference().certificate.why; })
        .def_property_readonly("largest_gap_degrees", [](Result& s) { return s.largestgap(); })
        .def_property_readonly("arc", [](Result& s) { return s.arc(); })
        .def_property_readonly("points", &Result::points)
        .def("to_dict", &todict, py::arg("tolerance"), py::arg("unit"));

    m.def("evaluate", &evaluate, py::arg("points"), py::arg("feature"), py::arg("criterion"),
          py::arg("deviations"), py::arg("certificate"), py::arg("budget"),
          "The reference feature of the points (feature and criterion by their index in "
          "FEATURES and CRITERIA), computed without the GIL.");
}

} // namespace formeval::python
