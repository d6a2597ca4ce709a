// formeval.part where the package was built without the part files
// (nlohmann-json): it says so.
#include "python/module.h"

namespace formeval::python {

void bindparts(py::module_& m) {
    m.def(
        "part",
        [](const std::string&, const std::string&, const py::dict&) -> std::string {
            throw std::runtime_error("formeval.part needs nlohmann-json (nlohmann-json3-dev), "
                                     "which this formeval was built without");
        },
        py::arg("text"), py::arg("file"), py::arg("given"),
        "Unavailable: the package was built without nlohmann-json.");
}

} // namespace formeval::python
