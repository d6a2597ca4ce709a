// formeval's own evaluations: the batch program's straightness, flatness,
// four circle computations and minimum-zone sphere on an array of points.
#include "methods/methods.h"
#include "python/module.h"

#include <cmath>

namespace formeval::python {

namespace {

using methods::Method;

Method methodnamed(const std::string& name, bool circle) {
    const std::pair<const char*, Method> names[] = {{"least squares", Method::leastsquares},
                                                    {"minimum zone", Method::minimumzone},
                                                    {"peak", Method::peak},
                                                    {"minimum circumscribed", Method::peak},
                                                    {"valley", Method::valley},
                                                    {"maximum inscribed", Method::valley}};
    for (const auto& [text, method] : names)
        if (name == text &&
            (circle || method == Method::leastsquares || method == Method::minimumzone))
            return method;
    throw py::value_error("unknown method \"" + name +
                          "\"; one of \"least squares\", "
                          "\"minimum zone\"" +
                          (circle ? ", \"peak\" (\"minimum circumscribed\"), \"valley\" "
                                    "(\"maximum inscribed\")"
                                  : ""));
}

// An evaluation of the batch program's, as an object with named attributes.
struct Program {
    methods::Result r;
    py::object deviations;
    std::string feature;
};

using Function = methods::Result (*)(const methods::Points&, Method, double);

Program run(const py::handle& points, const std::string& feature, int dimension, Function f,
            Method method, double tolerance) {
    const PointArray p = pointarray(points, dimension, "a " + feature);
    methods::Result r;
    {
        py::gil_scoped_release unlocked;
        r = f({p.data, p.count, p.dimension, p.stride}, method, tolerance);
    }
    if (!r.evaluated) throw py::value_error(r.failure);
    py::object deviations = ownedarray(std::move(r.deviations));
    return {std::move(r), std::move(deviations), feature};
}

methods::Result spherefunction(const methods::Points& p, Method, double tolerance) {
    return methods::sphere(p, tolerance);
}

// The keys of formreport's JSON rows; the numbers formeval prints for the
// job, the comparison with the exact reference left None.
py::dict todict(const Program& s) {
    const methods::Result& r = s.r;
    py::dict d;
    d["file"] = py::none();
    d["job"] = 1;
    d["code"] = r.job;
    d["line"] = py::none();
    d["points"] = py::len(s.deviations);
    d["shape"] = s.feature;
    d["largest_gap_degrees"] = py::none();
    const char* const names[] = {"least squares", "minimum zone", "minimum circumscribing",
                                 "maximum inscribing"};
    d["method"] = names[static_cast<int>(r.method)];
    d["computed_by"] = "formeval";
    d["centre_x"] = number(r.x);
    d["centre_y"] = number(r.y);
    d["centre_z"] = number(r.z);
    d["radius"] = number(r.r);
    d["intercept"] = number(r.intercept);
    d["slope_x"] = number(r.slopex);
    d["slope_y"] = number(r.slopey);
    d["error"] = number(r.error);
    d["t"] = number(r.t);
    d["p"] = number(r.p);
    d["v"] = number(r.v);
    d["q"] = number(r.q);
    for (const char* key : {"exact_error", "minus_exact", "inexact"}) d[key] = py::none();
    d["fitted"] = r.fitted;
    for (const char* key : {"arc", "on_hull", "certified", "lower_bound", "upper_bound",
                            "not_certified_because", "tolerance", "pass", "unit"})
        d[key] = py::none();
    return d;
}

} // namespace

void bindprograms(py::module_& m) {
    py::class_<Program>(m, "ProgramResult",
                        R"(An evaluation by the batch program formeval's own routines.

The numbers are those formeval prints for the same record (job given by
`job`). Parameters the feature does not have are None: a line
y = intercept + slope_x x, a plane z = intercept + slope_x x + slope_y y, a
circle's or sphere's centre and radius.)")
        .def_property_readonly("feature", [](const Program& s) { return s.feature; })
        .def_property_readonly("method",
                               [](const Program& s) { return methods::methodname(s.r.method); })
        .def_property_readonly(
            "job", [](const Program& s) { return s.r.job; },
            "The job code that prints these numbers.")
        .def_property_readonly("intercept", [](const Program& s) { return number(s.r.intercept); })
        .def_property_readonly("slope_x", [](const Program& s) { return number(s.r.slopex); })
        .def_property_readonly("slope_y", [](const Program& s) { return number(s.r.slopey); })
        .def_property_readonly(
            "centre",
            [](const Program& s) -> py::object {
                if (std::isnan(s.r.x)) return py::none();
                return py::make_tuple(number(s.r.x), number(s.r.y), number(s.r.z));
            },
            "(x, y, z) of a circle or sphere, z None for a circle.")
        .def_property_readonly("radius", [](const Program& s) { return number(s.r.r); })
        .def_property_readonly(
            "error", [](const Program& s) { return s.r.error; }, "The form error formeval prints.")
        .def_property_readonly("t", [](const Program& s) { return s.r.t; })
        .def_property_readonly("p", [](const Program& s) { return s.r.p; })
        .def_property_readonly("v", [](const Program& s) { return s.r.v; })
        .def_property_readonly("q", [](const Program& s) { return s.r.q; })
        .def_property_readonly(
            "fitted", [](const Program& s) { return s.r.fitted; },
            "Lines and planes: False when the fit met a singular system or its exchange was "
            "stopped (the numbers are not a fit).")
        .def_property_readonly(
            "notes", [](const Program& s) { return s.r.notes; },
            "What formeval wrote on its console while computing: the notes of a result that is not "
            "a fit.")
        .def_property_readonly(
            "deviations", [](const Program& s) { return s.deviations; },
            "Each point's deviation as formeval measures it: lines along y, planes along z "
            "(observation minus fit), circles and spheres radially.")
        .def("to_dict", &todict,
             "The keys of formreport's JSON row; the comparison with the exact reference is None.")
        .def("__repr__", [](const Program& s) {
            return "<formeval.ProgramResult job " + std::to_string(s.r.job) + " " +
                   methods::methodname(s.r.method) + " " + s.feature +
                   " error=" + std::string(py::str(py::float_(s.r.error))) + ">";
        });

    const char* tolerancedoc =
        "tolerance: the record's tolerance (formeval's cri, in the unit of the coordinates).";
    m.attr("MAX_PROGRAM_POINTS") = methods::maxpoints;
    m.def(
        "straightness",
        [](const py::handle& p, const std::string& method, double tolerance) {
            return run(p, "line", 2, methods::straightness, methodnamed(method, false), tolerance);
        },
        py::arg("points"), py::arg("method") = "minimum zone", py::arg("tolerance") = 1e-6,
        (std::string("formeval's job 1000: the line y = intercept + slope_x x by least squares or "
                     "minimum zone, deviations in y, of an n x 2 array (n from 3 to 2048). ") +
         tolerancedoc + " Raises ValueError with formeval's reason for a record it refuses.")
            .c_str());
    m.def(
        "flatness",
        [](const py::handle& p, const std::string& method, double tolerance) {
            return run(p, "plane", 3, methods::flatness, methodnamed(method, false), tolerance);
        },
        py::arg("points"), py::arg("method") = "minimum zone", py::arg("tolerance") = 1e-6,
        (std::string(
             "formeval's job 3000: the plane z = intercept + slope_x x + slope_y y by least "
             "squares or minimum zone, deviations in z, of an n x 3 array (n from 4 to 2048). ") +
         tolerancedoc)
            .c_str());
    m.def(
        "circle",
        [](const py::handle& p, const std::string& method, double tolerance) {
            return run(p, "circle", 2, methods::circle, methodnamed(method, true), tolerance);
        },
        py::arg("points"), py::arg("method") = "minimum zone", py::arg("tolerance") = 1e-6,
        (std::string("formeval's jobs 2600, 2500, 2700, 2800: the least-squares, minimum-zone, "
                     "peak (minimum circumscribed) or valley (maximum inscribed) circle of an n x "
                     "2 array (n up to 2048). ") +
         tolerancedoc)
            .c_str());
    m.def(
        "sphere",
        [](const py::handle& p, double tolerance) {
            return run(p, "sphere", 3, spherefunction, Method::minimumzone, tolerance);
        },
        py::arg("points"), py::arg("tolerance") = 1e-6,
        (std::string("formeval's job 4500: the minimum-zone sphere of an n x 3 array (n from 5 to "
                     "2048). ") +
         tolerancedoc)
            .c_str());
}

} // namespace formeval::python
