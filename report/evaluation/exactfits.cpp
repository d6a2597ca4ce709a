// The exact references of a record, with the deviations of its points
// measured as formeval measures them for the same feature.
#include "report/evaluation/evaluation.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

std::vector<Point> points(const JobRecord& record, int dimension) {
    std::vector<Point> p(record.c[0].size(), Point{0, 0, 0});
    for (std::size_t i = 0; i < p.size(); ++i)
        for (int k = 0; k < dimension; ++k) p[i][k] = record.c[k][i];
    return p;
}

std::vector<double> radial(const std::vector<Point>& p, const Fit& r, int dimension) {
    std::vector<double> d;
    for (const Point& q : p) {
        double squares = (q[0] - r.x) * (q[0] - r.x) + (q[1] - r.y) * (q[1] - r.y);
        if (dimension == 3) squares += (q[2] - r.z) * (q[2] - r.z);
        d.push_back(std::sqrt(squares) - r.r);
    }
    return d;
}

// An exact reference of `method` with its certificate, its parameters to set.
Measured exact(Method method, const Certificate& certificate) {
    Measured m;
    m.reference.method = method;
    m.reference.source = Source::exact;
    m.reference.certificate = certificate;
    return m;
}

void linear(const JobRecord& record, Shape shape, FitSet& out) {
    std::vector<ModelRow> a;
    std::vector<double> f;
    const int n = linearmodel(record, shape, a, f);
    const LinearZone z = pointset::chebyshevzone(a, f, n);
    if (!z.found) {
        out.notes.push_back("no exact minimum zone: the points do not determine the model");
        return;
    }
    Measured m = exact(Method::minimumzone, z.certificate);
    linearparameters(shape, z.p.data(), m.reference);
    m.reference.error = z.zone;
    for (std::size_t i = 0; i < f.size(); ++i) {
        double r = f[i];
        for (int j = 0; j < n; ++j) r -= a[i][j] * z.p[j];
        m.deviations.push_back(r);
    }
    out.fits.push_back(std::move(m));
}

void radialzone(const JobRecord& record, int dimension, FitSet& out) {
    const std::vector<Point> p = points(record, dimension);
    const RadialZone z = pointset::minzone(p, dimension);
    if (!z.found) {
        out.notes.push_back("no exact minimum zone: the points determine no centre");
        return;
    }
    Measured m = exact(Method::minimumzone, z.certificate);
    m.reference.x = z.centre[0];
    m.reference.y = z.centre[1];
    if (dimension == 3) m.reference.z = z.centre[2];
    m.reference.r = z.radius;
    m.reference.error = z.zone;
    m.deviations = radial(p, m.reference, dimension);
    out.fits.push_back(std::move(m));
}

void extreme(const std::vector<Point>& p, Method method, FitSet& out) {
    const ExtremeCircle c = method == Method::circumscribing ? pointset::enclosingcircle(p)
                                                             : pointset::inscribedcircle(p);
    if (!c.found) {
        out.notes.push_back(std::string("no exact ") + methodname(method) + " circle");
        return;
    }
    Measured m = exact(method, c.certificate);
    m.reference.x = c.x;
    m.reference.y = c.y;
    m.reference.r = c.r;
    m.reference.onhull = c.onhull;
    m.deviations = radial(p, m.reference, 2);
    m.reference.error = isoparameters(m.deviations).t;
    out.fits.push_back(std::move(m));
}

} // namespace

FitSet exactfits(const JobRecord& record, Shape shape, const std::vector<Method>& methods) {
    FitSet out;
    const auto wanted = [&](Method m) {
        return std::find(methods.begin(), methods.end(), m) != methods.end();
    };
    if (wanted(Method::minimumzone)) switch (shape) {
        case Shape::circle:
            radialzone(record, 2, out);
            break;
        case Shape::sphere:
            radialzone(record, 3, out);
            break;
        default:
            linear(record, shape, out);
        }
    if (shape == Shape::circle)
        for (const Method m : {Method::circumscribing, Method::inscribing})
            if (wanted(m)) extreme(points(record, 2), m, out);
    return out;
}

} // namespace formeval::report
