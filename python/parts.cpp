// A part's tolerance frames (formeval.part): the part file's JSON read and
// its frames evaluated by the part-file library exactly as `formreport part`
// does, the result the same JSON document.
#include "python/module.h"
#include "report/partfile/partfile.h"

#include <fstream>
#include <string>
#include <vector>

namespace formeval::python {

namespace {

// A file fault as formreport words it: "file:line:column: why".
std::string said(const report::FileError& e) {
    return e.place() + ": " + e.what();
}

// The points of a feature's file, read as formreport reads them.
report::PointFile readfeature(const report::PartFeature& f) {
    std::ifstream in(f.path, std::ios::binary);
    if (!in) throw py::value_error(f.path + ": cannot be opened");
    try {
        return report::readpointfile(in, f.path, f.columns);
    } catch (const report::FileError& e) { throw py::value_error(said(e)); }
}

// The part file `text` (named `file`, its point files' paths from its
// directory), the features named in `given` with the points of their
// arrays: the document of `formreport part --json`.
std::string part(const std::string& text, const std::string& file, const py::dict& given) {
    std::vector<std::string> names;
    for (const auto& item : given) names.push_back(py::cast<std::string>(item.first));
    report::PartFile p;
    try {
        p = report::readpartfile(text, file, names);
    } catch (const report::FileError& e) { throw py::value_error(said(e)); }
    std::vector<PointArray> arrays;
    std::vector<report::PointFile> files;
    arrays.reserve(p.features.size());
    files.reserve(p.features.size());
    for (report::PartFeature& f : p.features) {
        arrays.emplace_back();
        files.emplace_back();
        if (given.contains(f.name)) {
            const py::array a = given[py::str(f.name)];
            const int dimension = pointset::traits(f.type).dimension;
            // A line or circle of three coordinates was measured in space.
            const bool space = dimension == 2 && a.ndim() == 2 && a.shape(1) == 3;
            arrays.back() = pointarray(a, space ? 3 : dimension);
        } else {
            files.back() = readfeature(f);
        }
    }
    std::vector<pointset::Points> points;
    for (std::size_t k = 0; k < p.features.size(); ++k)
        points.push_back(given.contains(p.features[k].name) ? arrays[k].view() : files[k].points());
    py::gil_scoped_release free;
    return report::partjson(p, report::evaluateframes(p, report::partof(p, points)));
}

} // namespace

void bindparts(py::module_& m) {
    m.def("part", &part, py::arg("text"), py::arg("file"), py::arg("given"),
          "The JSON of formreport part --json for the part file's text (named file), the "
          "features named in given with those arrays' points; evaluated without the GIL.");
}

} // namespace formeval::python
