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

// A circle's fit (x y r error) or a sphere's (x y z r error) as the result,
// with the deviations from it.
void fitted(Result& r, const Columns& cols, int dimension, const double* fit) {
    r.evaluated = true;
    double* const centre[3] = {&r.x, &r.y, &r.z};
    for (int k = 0; k < dimension; ++k) *centre[k] = fit[k];
    r.r = fit[dimension];
    r.error = fit[dimension + 1];
    radialdeviations(cols, dimension, r);
    measure(r);
}

} // namespace

Result circle(const Points& points, Method method, double tolerance) {
    constexpr int jobs[4] = {2600, 2500, 2700, 2800};
    const int m = static_cast<int>(method);
    if (m < 0 || m > 3) return outcome(0, method, "no such circle method");
    const int job = jobs[m];
    static_assert(static_cast<int>(circlemethod::peak) == static_cast<int>(Method::peak) &&
                  static_cast<int>(circlemethod::valley) == static_cast<int>(Method::valley));
    const circlecomputation& computation = computationof(static_cast<circlemethod>(m));
    const Columns cols = columns(points, 2, computation.minpt);
    if (!cols.failure.empty()) return outcome(job, method, cols.failure);
    const double* u = cols.c[0].data();
    const double* v = cols.c[1].data();

    Quiet quiet(tolerance);
    if (!circledetermined(job, u, v, cols.numpt))
        return outcome(job, method, whyundetermined(feature::circle, pointform::xy));
    Circlefit ans;
    computecircle(computation, tolerance, u, v, cols.numpt, ans);
    Result r = outcome(job, method);
    r.notes = quiet.said();
    if (!circlefound(ans)) {
        r.failure = std::string("no ") + methodname(method) + " circle fits these points";
        return r;
    }
    fitted(r, cols, 2, ans.data());
    return r;
}

Result sphere(const Points& points, double tolerance) {
    constexpr int job = 4500;
    const Columns cols = columns(points, 3, minsphere);
    if (!cols.failure.empty()) return outcome(job, Method::minimumzone, cols.failure);
    const double* const c[3] = {cols.c[0].data(), cols.c[1].data(), cols.c[2].data()};

    Quiet quiet(tolerance);
    const char* undetermined = whyundetermined(feature::sphere, pointform::xyz);
    if (!determined(job, c, 3, cols.numpt, undetermined))
        return outcome(job, Method::minimumzone, undetermined);
    Spherefit ans;
    sphcocal(c[0], c[1], c[2], cols.numpt, ans);
    Result r = outcome(job, Method::minimumzone);
    r.notes = quiet.said();
    fitted(r, cols, 3, ans.data());
    return r;
}

} // namespace formeval::methods
