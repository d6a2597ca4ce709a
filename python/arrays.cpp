// Points in from numpy, arrays out.
#include "python/module.h"

#include <cmath>

namespace formeval::python {

PointArray pointarray(const py::handle& object, int dimension, const std::string& what) {
    py::array array = py::array::ensure(object);
    if (!array) throw py::type_error("points must be an array of numbers (n x 2 or n x 3)");
    const char kind = array.dtype().kind();
    if (kind != 'f' && kind != 'i' && kind != 'u')
        throw py::type_error("points must be real numbers, not of dtype " +
                             std::string(py::str(array.dtype())));
    if (array.ndim() != 2 || array.shape(1) != dimension)
        throw py::value_error(what + " needs an n x " + std::to_string(dimension) +
                              " array of points, not one of shape " +
                              std::string(py::str(py::tuple(py::cast(std::vector<py::ssize_t>(
                                  array.shape(), array.shape() + array.ndim()))))));
    // In place when each row's coordinates are adjacent doubles and the rows
    // are a whole number of doubles apart.
    const bool inplace = array.dtype().is(py::dtype::of<double>()) &&
                         array.strides(1) == sizeof(double) && array.strides(0) >= 0 &&
                         array.strides(0) % static_cast<py::ssize_t>(sizeof(double)) == 0 &&
                         (array.shape(0) < 2 || array.strides(0) >= dimension * 8);
    if (!inplace)
        array = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(array);
    PointArray p;
    p.count = static_cast<std::size_t>(array.shape(0));
    p.dimension = dimension;
    p.stride = p.count < 2 ? static_cast<std::size_t>(dimension)
                           : static_cast<std::size_t>(array.strides(0)) / sizeof(double);
    p.data = static_cast<const double*>(array.data());
    p.array = std::move(array);
    return p;
}

py::array_t<double> ownedarray(std::vector<double>&& values) {
    auto* owned = new std::vector<double>(std::move(values));
    py::capsule release(owned, [](void* v) { delete static_cast<std::vector<double>*>(v); });
    return py::array_t<double>(static_cast<py::ssize_t>(owned->size()), owned->data(), release);
}

py::object number(double value) {
    if (!std::isfinite(value)) return py::none();
    return py::float_(value);
}

} // namespace formeval::python
