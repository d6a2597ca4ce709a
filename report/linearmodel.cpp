// The linear models of formeval's line, plane and polar evaluations, built as
// formeval builds them, for the exact Chebyshev fit of the same model.
#include "report/results.h"

#include <cmath>

namespace formeval::report {

int linearmodel(const JobRecord& record, Shape shape, std::vector<ModelRow>& a,
                std::vector<double>& f) {
    const double degree = std::atan(1.0) / 45.0; // formeval's conversion to radians
    const std::vector<double>& u = record.c[0];
    const std::vector<double>& v = record.c[1];
    const std::vector<double>& w = record.c[2];
    a.clear();
    f.clear();
    for (std::size_t i = 0; i < u.size(); ++i) switch (shape) {
        case Shape::line:
            a.push_back({1, u[i], 0, 0, 0});
            f.push_back(v[i]);
            break;
        case Shape::plane:
            a.push_back({1, u[i], v[i], 0, 0});
            f.push_back(w[i]);
            break;
        case Shape::polarcircle:
            a.push_back({1, std::cos(v[i] * degree), std::sin(v[i] * degree), 0, 0});
            f.push_back(u[i]);
            break;
        case Shape::polarsphere:
            a.push_back({1, std::cos(v[i] * degree) * std::cos(w[i] * degree),
                         std::sin(v[i] * degree) * std::cos(w[i] * degree), std::sin(w[i] * degree),
                         0});
            f.push_back(u[i]);
            break;
        default:
            return 0;
        }
    switch (shape) {
    case Shape::line:
        return 2;
    case Shape::polarsphere:
        return 4;
    default:
        return 3;
    }
}

void linearparameters(Shape shape, const double* p, Fit& reference) {
    switch (shape) {
    case Shape::line:
        reference.intercept = p[0];
        reference.slopex = p[1];
        break;
    case Shape::plane:
        reference.intercept = p[0];
        reference.slopex = p[1];
        reference.slopey = p[2];
        break;
    case Shape::polarsphere:
        reference.z = p[3];
        [[fallthrough]];
    case Shape::polarcircle:
        reference.r = p[0];
        reference.x = p[1];
        reference.y = p[2];
        break;
    default:
        break;
    }
}

} // namespace formeval::report
