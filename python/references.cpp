// The pointset library's reference feature of an array of points (formeval.evaluate),
// as an object with its numbers and the row formreport's JSON gives for it.
#include "pointset/pointset.h"
#include "python/module.h"
#include "report/rows/rows.h"

#include <cmath>
#include <optional>

namespace formeval::python {

namespace {

using pointset::Criterion;
using pointset::Feature;
using pointset::Reference;

constexpr int featurecount = static_cast<int>(pointset::features.size());
constexpr int criterioncount = static_cast<int>(pointset::criteria.size());

// A criterion's name in the package.
const char* methodname(Criterion c) {
    return pointset::traits(c).python;
}

// One evaluated reference, with the points it was evaluated on (their copy
// kept for the largest gap of a circle, found when first asked for).
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
        const pointset::Points view = points_.view();
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
            p[i] = {points_.coordinates[2 * i], points_.coordinates[2 * i + 1], 0};
        return pointset::largestgap(p, centre.point[0], centre.point[1]) * 45 / std::atan(1.0);
    }

    Reference r_;
    PointArray points_;
    py::object deviations_ = py::none();
    bool certificate_;
    std::optional<double> gap_;
};

Triple tripleof(const pointset::Point& p) {
    return triple(p[0], p[1], p[2]);
}

// The row of `formreport results --json` for this reference of a point file,
// but for what only a file has (file, line: None; job 1).
py::dict todict(Result& self, std::optional<double> tolerance, std::optional<std::string> unit) {
    const std::optional<double> gap = self.largestgap();
    const report::Evaluated e = report::pointsetreference(
        self.reference(), static_cast<std::size_t>(self.points().shape(0)),
        gap ? *gap : std::nan(""));
    report::RowOptions options{tolerance, unit.value_or(""), false, true};
    options.cones = self.reference().feature == Feature::cone;
    return rowdict(report::rowfields("", e, e.fits.front(), options));
}

Result evaluate(const py::array& points, int feature, int criterion, bool deviations,
                bool certificate, long budget) {
    if (feature < 0 || feature >= featurecount || criterion < 0 || criterion >= criterioncount)
        throw py::value_error("no such feature or criterion");
    const auto f = static_cast<Feature>(feature);
    const auto c = static_cast<Criterion>(criterion);
    PointArray p = pointarray(points, pointset::traits(f).dimension);
    pointset::Options o;
    o.deviations = deviations;
    o.certificate = certificate;
    o.budget = budget;
    Reference r;
    {
        py::gil_scoped_release unlocked;
        r = pointset::evaluate(p.view(), f, c, o);
    }
    if (!r.found) throw py::value_error(r.failure);
    return Result(std::move(r), std::move(p), o);
}

} // namespace

py::object referenceobject(pointset::Reference r, PointArray points, const pointset::Options& o) {
    return py::cast(Result(std::move(r), std::move(points), o));
}

void bindreferences(py::module_& m) {
    // The names the package accepts: each feature with its coordinate count,
    // each criterion's names (the package's own, formreport's, the pointset
    // library's), in the order of the library's enumerations.
    py::list features, criteria;
    for (const pointset::FeatureTraits& f : pointset::features)
        features.append(py::make_tuple(f.name, f.dimension));
    for (const pointset::CriterionTraits& c : pointset::criteria)
        criteria.append(py::make_tuple(c.python, c.reference, c.name));
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
        .def_property_readonly("angle", [](const Result& s) { return number(s.reference().angle); })
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
