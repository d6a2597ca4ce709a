// Jobs 2600, 2500, 2700, 2800 and 4500 as functions: the four circle
// computations and the staged minimum-zone sphere.
#include "circles/circles.h"
#include "methods/quiet.h"

#include <cmath>

namespace formeval::methods {

namespace {

// Distance from the centre minus the radius, for each point of the columns.
void radialdeviations(const Columns& cols, int dimension, Result& r) {
    const double centre[3] = {r.x, r.y, r.z};
    for (int i = 0; i < cols.numpt; ++i) {
        double sum = 0;
        for (int k = 0; k < dimension; ++k) {
            const double d =
                cols.c[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] - centre[k];
            sum += d * d;
        }
        r.deviations.push_back(std::sqrt(sum) - r.r);
    }
}

} // namespace

Result circle(const Points& points, Method method, double tolerance) {
    constexpr int jobs[4] = {2600, 2500, 2700, 2800};
    const int m = static_cast<int>(method);
    if (m < 0 || m > 3) return refused(0, method, "no such circle method");
    const int job = jobs[m];
    static_assert(static_cast<int>(circlemethod::peak) == static_cast<int>(Method::peak) &&
                  static_cast<int>(circlemethod::valley) == static_cast<int>(Method::valley));
    const circlecomputation& computation = computationof(static_cast<circlemethod>(m));
    const Columns cols = columns(points, 2, computation.minpt);
    if (!cols.failure.empty()) return refused(job, method, cols.failure);
    const double* u = cols.c[0].data();
    const double* v = cols.c[1].data();

    Quiet quiet(tolerance);
    if (!circledetermined(job, u, v, cols.numpt))
        return refused(job, method, whyundetermined(feature::circle, pointform::xy));
    Circlefit ans;
    computecircle(computation, tolerance, u, v, cols.numpt, ans);
    Result r = refused(job, method, "");
    r.notes = quiet.said();
    if (!circlefound(ans)) {
        r.failure = std::string("no ") + methodname(method) + " circle fits these points";
        return r;
    }
    r.evaluated = true;
    r.x = ans[0];
    r.y = ans[1];
    r.r = ans[2];
    r.error = ans[3];
    radialdeviations(cols, 2, r);
    measure(r);
    return r;
}

Result sphere(const Points& points, double tolerance) {
    constexpr int job = 4500;
    const Columns cols = columns(points, 3, minsphere);
    if (!cols.failure.empty()) return refused(job, Method::minimumzone, cols.failure);
    const double* const c[3] = {cols.c[0].data(), cols.c[1].data(), cols.c[2].data()};

    Quiet quiet(tolerance);
    const char* undetermined = whyundetermined(feature::sphere, pointform::xyz);
    if (!determined(job, c, 3, cols.numpt, undetermined))
        return refused(job, Method::minimumzone, undetermined);
    Spherefit ans;
    sphcocal(c[0], c[1], c[2], cols.numpt, ans);
    Result r = refused(job, Method::minimumzone, "");
    r.notes = quiet.said();
    r.evaluated = true;
    r.x = ans[0];
    r.y = ans[1];
    r.z = ans[2];
    r.r = ans[3];
    r.error = ans[4];
    radialdeviations(cols, 3, r);
    measure(r);
    return r;
}

} // namespace formeval::methods
