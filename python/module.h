// The Python module's own: its parts' bindings and the conversions they share.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

namespace formeval::python {

namespace py = pybind11;

// Points passed in: an n x d array of float64 whose rows may be read in place
// (`array` the caller's own array when it was one, else its converted copy),
// and the view of it.
struct PointArray {
    py::array array;
    const double* data = nullptr;
    std::size_t count = 0;
    int dimension = 2;
    std::size_t stride = 2; // doubles from one row to the next
};

// The points of `object` (an array or anything numpy makes one of) for a
// feature of `dimension` coordinates: read in place when it is a float64
// array whose coordinates lie side by side, converted otherwise. Throws
// TypeError for values that are not real numbers, ValueError for another
// shape (`what` names the feature in the message).
PointArray pointarray(const py::handle& object, int dimension, const std::string& what);

// A vector's contents as a numpy array that owns them (no copy).
py::array_t<double> ownedarray(std::vector<double>&& values);

// None for a value that is not finite, else the float.
py::object number(double value);

// The module's parts.
void bindreferences(py::module_& m);
void bindprograms(py::module_& m);
void bindprofiles(py::module_& m);

} // namespace formeval::python
