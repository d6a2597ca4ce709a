// The linear models of formeval's line, plane and polar evaluations, their
// rows built by formeval's own routines, for the exact Chebyshev fit of the
// same model and the deviations from each fit.
#include "report/evaluation/evaluation.h"

#include "form/form.h"

namespace formeval::report {

int linearmodel(const JobRecord& record, Shape shape, std::vector<ModelRow>& a,
                std::vector<double>& f) {
    const std::vector<double>& c0 = record.c[0];
    const std::vector<double>& c1 = record.c[1];
    const std::vector<double>& c2 = record.c[2];
    const int numpt = static_cast<int>(c0.size());
    a.assign(numpt, ModelRow{});
    std::vector<double> x(numpt), y(numpt), z(numpt);
    switch (shape) {
    case Shape::line:
        strows(c0.data(), numpt, a.data());
        f = c1;
        return 2;
    case Shape::plane:
        fltrows(c0.data(), c1.data(), numpt, a.data());
        f = c2;
        return 3;
    case Shape::polarcircle:
        polarcirclerows(c1.data(), numpt, x.data(), y.data(), a.data());
        f = c0;
        return 3;
    case Shape::polarsphere:
        polarsphererows(c1.data(), c2.data(), numpt, x.data(), y.data(), z.data(), a.data());
        f = c0;
        return 4;
    default:
        a.clear();
        f.clear();
        return 0;
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
