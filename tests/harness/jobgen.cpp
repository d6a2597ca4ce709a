#include "tests/harness/jobgen.h"

#include "driver/dispatch.h"

#include <cmath>
#include <sstream>

namespace formeval::test {

namespace {

constexpr double tolerances[] = {1e-9, 0, 1e-6, 1e-3, 1, -1e-6, 1e300, 1e-300};
constexpr int ntolerances = sizeof tolerances / sizeof tolerances[0];

int dims(Shape shape) {
    return shape == Shape::plane2 || shape == Shape::polar2 ? 2 : 3;
}

// Point i of numpt of the feature a job expects, in the job's own
// coordinates: over the full circle, or over a quarter of it (arc).
void feature(Shape shape, int i, int numpt, double noise, double scale, bool arc, double* c) {
    const double turn = arc ? 0.25 : 1.0;
    const double t = 2 * std::acos(-1.0) * turn * i / (numpt > 0 ? numpt : 1);
    switch (shape) {
    case Shape::plane2:
        c[0] = scale * (3 + std::cos(t) * (1 + noise));
        c[1] = scale * (-2 + std::sin(t) * (1 + noise));
        break;
    case Shape::polar2:
        c[0] = scale * (1 + noise);
        c[1] = 360.0 * turn * i / (numpt > 0 ? numpt : 1);
        break;
    case Shape::cartesian3:
        c[0] = scale * (5 + std::cos(t) * std::cos(3 * t) * (1 + noise));
        c[1] = scale * (1 + std::sin(t) * std::cos(3 * t) * (1 + noise));
        c[2] = scale * (-4 + std::sin(3 * t) * (1 + noise));
        break;
    case Shape::polar3:
        c[0] = scale * (1 + noise);
        c[1] = 360.0 * turn * i / (numpt > 0 ? numpt : 1);
        c[2] = 80.0 * std::sin(5 * t);
        break;
    }
}

} // namespace

Shape shapeof(int code) {
    const jobinfo* job = findjob(code);
    switch (job ? job->points : pointform::none) {
    case pointform::rtheta:
        return Shape::polar2;
    case pointform::xyz:
        return Shape::cartesian3;
    case pointform::rthetabeta:
        return Shape::polar3;
    default:
        return Shape::plane2;
    }
}

void record(Bytes& in, int code, std::ostream& out) {
    const Shape shape = shapeof(code);
    const std::uint8_t countbyte = in.next();
    const int numpt = countbyte == 255 ? 2049 : countbyte == 254 ? -3 : countbyte % 24;
    out << numpt << ' ' << tolerances[in.next() % ntolerances] << '\n';
    const int dim = dims(shape);
    // Bits 4 and 5 scale the coordinates; bit 6 moves a Cartesian feature far
    // from the origin; bit 7 measures only an arc of it.
    const std::uint8_t kind = in.next();
    const double scale = kind & 16 ? 1e150 : kind & 32 ? 1e-150 : 1;
    const bool cartesian = shape == Shape::plane2 || shape == Shape::cartesian3;
    const double offset = kind & 64 && cartesian ? 1e6 : 0;
    const bool arc = kind & 128;
    for (int i = 0; i < numpt; ++i) {
        double c[3];
        const double noise = (static_cast<int>(in.next()) - 128) * 1e-4;
        switch (kind % 6) {
        case 0:
            feature(shape, i, numpt, noise, scale, arc, c);
            break;
        case 1:
            feature(shape, 0, numpt, 0, scale, arc, c);
            break; // all equal
        case 2:
            feature(shape, i % 2, numpt, 0, scale, arc, c);
            break; // repeated
        case 3:
            for (int d = 0; d < dim; ++d) c[d] = scale * i * (d + 1);
            break; // collinear
        case 4:    // one at the centre
            feature(shape, i, numpt - 1, noise, scale, arc, c);
            if (i == numpt - 1)
                for (int d = 0; d < dim; ++d)
                    c[d] = shape == Shape::plane2 ? scale * (d ? -2 : 3) : 0;
            break;
        default:
            for (int d = 0; d < dim; ++d) c[d] = scale * (static_cast<int>(in.next()) - 128);
        }
        if (cartesian)
            for (int d = 0; d < dim; ++d) c[d] += offset;
        for (int d = 0; d < dim; ++d) out << c[d] << ' ';
        out << '\n';
    }
}

std::string instructions(std::uint8_t b) {
    constexpr double angles[] = {0, 10, 90, 180, 200, 400, -5, 1e9};
    constexpr int sizes[] = {4, 1, 0, -3, 6, 12, 100, 3};
    constexpr double noises[] = {0, 1e-3, 1, 1e6};
    std::ostringstream text;
    text << angles[b % 8] << ' ' << sizes[(b >> 3) % 8] << ' ' << noises[(b >> 6) % 4]
         << " 3 0 0\n";
    return text.str();
}

} // namespace formeval::test
