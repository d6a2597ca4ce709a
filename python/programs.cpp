// formeval's own evaluations: the batch program's straightness, flatness,
// four circle computations and minimum-zone sphere on an array of points.
// The package's one binding of the methods library: only this file names it.
#include "methods/methods.h"
#include "python/module.h"
#include "report/rows/rows.h"

#include <cmath>

namespace formeval::python {

namespace {

using methods::Criterion;
using methods::Feature;

// An evaluation of the batch program's, as an object with named attributes.
struct Program {
    methods::Result r;
    py::object deviations;
    std::string feature;
};

constexpr int methodcount = static_cast<int>(pointset::criteria.size());

// The batch program's evaluation of the feature by the criterion of that
// index (least squares, minimum zone, peak, valley).
Program run(const py::array& points, Feature feature, int method, double tolerance) {
    if (method < 0 || method >= methodcount) throw py::value_error("no such method");
    const PointArray p = pointarray(points, pointset::traits(feature).dimension);
    methods::Result r;
    {
        py::gil_scoped_release unlocked;
        r = methods::evaluate(p.view(), feature, static_cast<Criterion>(method), tolerance);
    }
    if (!r.evaluated) throw py::value_error(r.failure);
    py::object deviations = ownedarray(std::move(r.deviations));
    return {std::move(r), std::move(deviations), pointset::featurename(feature)};
}

// The row of `formreport results --json` for this result of formeval's, but
// for what only a job stream has (file, line: None; job 1) and the exact
// reference it is not compared with.
py::dict todict(const Program& s) {
    methods::Result r = s.r;
    report::Evaluated e;
    e.feature = pointset::featurenamed(s.feature).value_or(Feature::circle);
    e.record.ordinal = 1;
    e.record.job = r.job;
    e.record.numpt = static_cast<long>(py::len(s.deviations));
    report::Fit f = report::measured(std::move(r)).reference;
    f.iso = {s.r.t, s.r.p, s.r.v, s.r.q};
    return rowdict(report::rowfields("", e, f, {}));
}

} // namespace

void bindprograms(py::module_& m) {
    py::list names;
    for (const pointset::CriterionTraits& c : pointset::criteria) names.append(c.formeval);
    m.attr("PROGRAM_METHODS") = py::tuple(names);
    m.attr("MAX_PROGRAM_POINTS") = methods::maxpoints;

    py::class_<Program>(m, "ProgramResult")
        .def_property_readonly("feature", [](const Program& s) { return s.feature; })
        .def_property_readonly(
            "method", [](const Program& s) { return pointset::traits(s.r.criterion).formeval; })
        .def_property_readonly("job", [](const Program& s) { return s.r.job; })
        .def_property_readonly("intercept", [](const Program& s) { return number(s.r.intercept); })
        .def_property_readonly("slope_x", [](const Program& s) { return number(s.r.slopex); })
        .def_property_readonly("slope_y", [](const Program& s) { return number(s.r.slopey); })
        .def_property_readonly("centre",
                               [](const Program& s) -> std::optional<Triple> {
                                   if (std::isnan(s.r.x)) return std::nullopt;
                                   return triple(s.r.x, s.r.y, s.r.z);
                               })
        .def_property_readonly("radius", [](const Program& s) { return number(s.r.r); })
        .def_property_readonly("error", [](const Program& s) { return s.r.error; })
        .def_property_readonly("t", [](const Program& s) { return s.r.t; })
        .def_property_readonly("p", [](const Program& s) { return s.r.p; })
        .def_property_readonly("v", [](const Program& s) { return s.r.v; })
        .def_property_readonly("q", [](const Program& s) { return s.r.q; })
        .def_property_readonly("fitted", [](const Program& s) { return s.r.fitted; })
        .def_property_readonly("notes", [](const Program& s) { return s.r.notes; })
        .def_property_readonly("deviations", [](const Program& s) { return s.deviations; })
        .def("to_dict", &todict);

    // Each computes without the GIL, one at a time (the methods library's lock).
    m.def(
        "straightness",
        [](const py::array& p, int method, double tolerance) {
            return run(p, Feature::line, method, tolerance);
        },
        py::arg("points"), py::arg("method"), py::arg("tolerance"));
    m.def(
        "flatness",
        [](const py::array& p, int method, double tolerance) {
            return run(p, Feature::plane, method, tolerance);
        },
        py::arg("points"), py::arg("method"), py::arg("tolerance"));
    m.def(
        "circle",
        [](const py::array& p, int method, double tolerance) {
            return run(p, Feature::circle, method, tolerance);
        },
        py::arg("points"), py::arg("method"), py::arg("tolerance"));
    m.def(
        "sphere",
        [](const py::array& p, double tolerance) {
            return run(p, Feature::sphere, static_cast<int>(Criterion::minimumzone), tolerance);
        },
        py::arg("points"), py::arg("tolerance"));
}

} // namespace formeval::python
