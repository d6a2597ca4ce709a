// The Python module formeval.
#include "python/module.h"
#include "pointset/pointset.h"

PYBIND11_MODULE(formeval, m) {
    namespace py = pybind11;
    using namespace formeval::python;
    using formeval::pointset::exactreferences;
    m.doc() = R"(Form error evaluation for coordinate metrology over numpy arrays.

evaluate(points, feature, method): the reference feature of any number of
points (line, plane, circle, sphere, cylinder by least squares, minimum zone,
minimum circumscribed, maximum inscribed), certified; deviations normal to the
feature. straightness, flatness, circle, sphere: the batch program formeval's
own evaluations (at most 2048 points), with the numbers it prints.
harmonics, gaussian_filter: the analysis of a roundness profile.)";
    m.attr("FEATURES") = py::make_tuple("line", "plane", "circle", "sphere", "cylinder");
    m.attr("METHODS") = py::make_tuple("least squares", "minimum zone", "minimum circumscribed",
                                       "maximum inscribed");
    m.def("exact_references", &exactreferences,
          "Whether the module was built with CGAL and GLPK, and so with the circumscribed "
          "features and the certificates.");
    bindreferences(m);
    bindprograms(m);
    bindprofiles(m);
}
