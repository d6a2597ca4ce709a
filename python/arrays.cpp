// Arrays in, arrays out.
#include "python/module.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace formeval::python {

namespace {

constexpr auto doublesize = static_cast<py::ssize_t>(sizeof(double));

// Native float64 (by equivalence: an unpickled array has a dtype object of
// its own), aligned.
bool float64(const py::array& array) {
    return py::isinstance<py::array_t<double>>(array) &&
           reinterpret_cast<std::uintptr_t>(array.data()) % alignof(double) == 0;
}

} // namespace

PointArray pointarray(const py::array& array, int dimension) {
    const bool rows = float64(array) && array.ndim() == 2 && array.shape(1) == dimension;
    // Each row's coordinates adjacent, the rows a whole number of doubles
    // apart and not overlapping (any stride will do for fewer than two rows;
    // an array of no rows has none to read, whatever its strides, and the
    // evaluation says the points are too few).
    if (!rows ||
        (array.shape(0) > 0 && (array.strides(1) != doublesize || array.strides(0) < 0 ||
                                array.strides(0) % doublesize != 0 ||
                                (array.shape(0) > 1 && array.strides(0) < dimension * doublesize))))
        throw py::value_error("the points must be an n x " + std::to_string(dimension) +
                              " float64 array whose rows hold their coordinates side by side");
    PointArray p;
    p.count = static_cast<std::size_t>(array.shape(0));
    p.dimension = dimension;
    p.array = array;
    const std::size_t width = static_cast<std::size_t>(dimension);
    const std::size_t stride =
        p.count < 2 ? width : static_cast<std::size_t>(array.strides(0) / doublesize);
    const auto* data = static_cast<const double*>(array.data());
    p.coordinates.resize(p.count * width);
    for (std::size_t i = 0; i < p.count; ++i)
        std::copy(data + i * stride, data + i * stride + width, p.coordinates.begin() + i * width);
    return p;
}

std::vector<double> column(const py::array& array) {
    if (!float64(array) || array.ndim() != 1)
        throw py::value_error("the values must be a one-dimensional float64 array");
    const py::ssize_t n = array.shape(0), step = array.strides(0);
    std::vector<double> values(static_cast<std::size_t>(n));
    const auto* base = static_cast<const char*>(array.data());
    for (py::ssize_t i = 0; i < n; ++i)
        values[static_cast<std::size_t>(i)] = *reinterpret_cast<const double*>(base + i * step);
    return values;
}

py::array_t<double> ownedarray(std::vector<double>&& values) {
    auto* owned = new std::vector<double>(std::move(values));
    py::capsule release(owned, [](void* v) { delete static_cast<std::vector<double>*>(v); });
    return py::array_t<double>(static_cast<py::ssize_t>(owned->size()), owned->data(), release);
}

std::optional<double> number(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

Triple triple(double x, double y, double z) {
    return {number(x), number(y), number(z)};
}

py::dict rowdict(const std::vector<report::Field>& row) {
    py::dict d;
    for (const report::Field& f : row) {
        py::object value = py::none();
        switch (f.kind) {
        case report::Field::Kind::number:
            value = py::cast(number(f.number));
            break;
        case report::Field::Kind::whole:
            value = py::int_(f.whole);
            break;
        case report::Field::Kind::truth:
            value = py::bool_(f.truth);
            break;
        case report::Field::Kind::text:
            if (!f.text.empty()) value = py::str(f.text);
            break;
        }
        d[py::str(f.name)] = value;
    }
    return d;
}

} // namespace formeval::python
