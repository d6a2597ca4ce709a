// The compiled part of the Python package formeval, its private module
// formeval._core: the computations over numpy arrays, run without the GIL.
// The package's Python modules (python/formeval/) turn what callers pass into
// the arguments taken here and give the results their public form; these
// functions check only what their computations rely on.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "pointset/pointset.h"
#include "report/rows/rows.h"

#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace formeval::python {

namespace py = pybind11;

// The coordinates of an array of points, copied while the GIL is held: the
// computations read them without the GIL, when another thread may change
// the array (the copy keeps its changes from reaching a computation).
// `array` is the array they came from, kept for the caller.
struct PointArray {
    py::array array;
    std::vector<double> coordinates; // the points' coordinates, row by row
    std::size_t count = 0;
    int dimension = 2;

    pointset::Points view() const {
        return {coordinates.data(), count, dimension, static_cast<std::size_t>(dimension)};
    }
};

// The rows of `array`, an n x `dimension` float64 array whose rows hold their
// coordinates side by side, aligned, at a whole number of doubles apart (as
// formeval/_arrays.py hands them over), copied. Throws ValueError for any
// other array, so that nothing is read out of place.
PointArray pointarray(const py::array& array, int dimension);

// The values of a one-dimensional float64 array, copied. Throws ValueError
// for another shape or dtype.
std::vector<double> column(const py::array& array);

// A vector's contents as a numpy array that owns them (no copy).
py::array_t<double> ownedarray(std::vector<double>&& values);

// Nothing (None) for a value that is not finite, else the value.
std::optional<double> number(double value);

// Three coordinates, each as number() gives it.
using Triple = std::tuple<std::optional<double>, std::optional<double>, std::optional<double>>;
Triple triple(double x, double y, double z);

// A result row of formreport's as a dict: numbers as floats (None for NaN),
// whole numbers as ints, texts as strings (None for empty ones), truth values
// as bools.
py::dict rowdict(const std::vector<report::Field>& row);

// A reference evaluated with the options `o` of the points, as the object
// evaluate returns (formeval.Reference's core); its class is bound by
// bindreferences.
py::object referenceobject(pointset::Reference r, PointArray points, const pointset::Options& o);

// The module's parts.
void bindreferences(py::module_& m);
void bindprograms(py::module_& m);
void bindprofiles(py::module_& m);
void binduncertainty(py::module_& m);
void bindparts(py::module_& m);

} // namespace formeval::python
