// The jobs of one staged computation: the four circle computations of
// Cartesian points and the staged minimum-zone sphere.
#include "circles/circles.h"
#include "methods/quiet.h"

#include <cmath>

namespace formeval::methods {

namespace {

// A circle's fit (x y r error) or a sphere's (x y z r error) as the result,
// with each point's distance from the centre minus the radius.
void fitted(Result& r, const Columns& cols, int dimension, const double* fit) {
    r.evaluated = true;
    double* const centre[3] = {&r.x, &r.y, &r.z};
    for (int k = 0; k < dimension; ++k) *centre[k] = fit[k];
    r.r = fit[dimension];
    r.error = fit[dimension + 1];
    for (int i = 0; i < cols.numpt; ++i) {
        double sum = 0;
        for (int k = 0; k < dimension; ++k) {
            const double d =
                cols.c[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] - fit[k];
            sum += d * d;
        }
        r.deviations.push_back(std::sqrt(sum) - r.r);
    }
}

} // namespace

Result staged(const jobinfo& entry, const Columns& cols, double tolerance) {
    const double* c0 = cols.c[0].data();
    const double* c1 = cols.c[1].data();
    if (entry.shape == feature::sphere) {
        Spherefit ans;
        sphcocal(c0, c1, cols.c[2].data(), cols.numpt, ans);
        Result r = outcome(entry.code, Criterion::minimumzone);
        fitted(r, cols, 3, ans.data());
        return r;
    }
    const circlecomputation& computation = *entry.circle;
    Circlefit ans;
    computecircle(computation, tolerance, c0, c1, cols.numpt, ans);
    const Criterion criterion = evaluationjob(entry.code)->criteria.front();
    Result r = outcome(entry.code, criterion);
    if (!circlefound(ans)) {
        r.refusal = Refusal::nofit;
        r.failure =
            std::string("no ") + pointset::traits(criterion).formeval + " circle fits these points";
        return r;
    }
    fitted(r, cols, 2, ans.data());
    return r;
}

} // namespace formeval::methods
