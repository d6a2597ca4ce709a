// The private module formeval._core.
#include "python/module.h"
#include "pointset/pointset.h"

PYBIND11_MODULE(_core, m) {
    using namespace formeval::python;
    m.doc() = "The compiled computations of the package formeval; use formeval itself.";
    m.attr("VERSION") = FORMEVAL_VERSION;
    m.def("exact_references", &formeval::pointset::exactreferences,
          "Whether the module was built with CGAL and GLPK.");
    bindreferences(m);
    bindprograms(m);
    bindprofiles(m);
    binduncertainty(m);
    bindparts(m);
}
