// formeval's own evaluations as functions: the straightness of a line and the
// flatness of a plane (least squares and minimum zone), the four circle
// computations (least squares, minimum zone, the peak or minimum
// circumscribing and the valley or maximum inscribing circle) and the staged
// minimum-zone sphere, computed by the batch program's own routines on the
// points and tolerance given, with the numbers its jobs 1000, 3000, 2600,
// 2500, 2700, 2800 and 4500 print for the same record, to the last digit.
//
// Coordinates in any one unit; every length returned is in that unit. The
// batch program keeps its state in program-wide variables and writes to the
// console: each call here holds a lock for its duration, binds the console
// and result.txt's stream to a buffer of its own, closes the console's input
// (an operator prompt takes its way out at once), sets the tolerance and the
// trace level 0 as a job of its own would start, and restores the console and
// those variables afterwards. So the functions are safe to call from several
// threads (one computes at a time) and write nothing, provided no other code
// of the calling program writes to std::cout during a call.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace formeval::methods {

// Most points an evaluation takes, as the batch program's point arrays hold.
constexpr std::size_t maxpoints = 2048;

// Largest coordinate magnitude the evaluations take, as the batch program
// reads its records.
constexpr double maxcoordinate = 1e100;

// A view of `count` points of `dimension` coordinates: coordinate k of point
// i is data[i * stride + k]; read during the call, never changed.
struct Points {
    const double* data = nullptr;
    std::size_t count = 0;
    int dimension = 2;
    std::size_t stride = 2; // doubles from one point to the next
};

// The criterion. peak and valley are circles only.
enum class Method { leastsquares, minimumzone, peak, valley };

// What one evaluation gives. Parameters the feature does not have are NaN:
// a line y = intercept + slopex x and a plane z = intercept + slopex x +
// slopey y (the batch program's y0 l0, z0 l0 m0), a circle's or sphere's
// centre (x, y, z) and radius r (r0 xo y0 z0).
struct Result {
    bool evaluated = false;
    // Why not evaluated, in the words of the batch program's refusal of the
    // record ("12 points are too few; the evaluation needs at least 4", "the
    // points lie on one line; they determine no circle", ...), or that no
    // circle fits the points.
    std::string failure;
    int job = 0; // the job code that prints these numbers
    Method method = Method::leastsquares;
    static constexpr double none = std::numeric_limits<double>::quiet_NaN();
    double intercept = none, slopex = none, slopey = none;
    double x = none, y = none, z = none, r = none;
    double error = none; // the form error the batch program prints
    // Lines and planes: false when the fit met a singular system or its
    // exchange was stopped, so the numbers are not a fit.
    bool fitted = true;
    // What the batch program wrote on its console during the computation,
    // line by line: the notes of a result that is not a fit ("The centre did
    // not settle within ..."), a search's reasons for giving way.
    std::vector<std::string> notes;
    // Each point's deviation in the given order, as the batch program measures
    // it: lines along y and planes along z (observation minus the fit),
    // circles and spheres radially (distance from the centre minus the
    // radius). And its ISO parameters: the highest deviation (p, 0 when none is
    // positive), the depth of the lowest (v), t = p + v, the root mean square q.
    std::vector<double> deviations;
    double t = 0, p = 0, v = 0, q = 0;
};

// `tolerance` is the record's tolerance (the batch program's cri, in the
// coordinates' unit): the solver's pivot threshold, the exchange's zero
// multiplier, the peak and valley searches' stop; 1e-6 is usual.
//
// Refused (evaluated false, failure says why), in this order: points of
// another dimension than the feature's (2 for lines and circles, 3 for planes
// and spheres) or a stride below it, no data; more than maxpoints points; a
// coordinate that is not finite or beyond +-maxcoordinate; too few points
// (a line 3, a least-squares circle 3, another circle or a plane 4, a sphere
// 5); points that determine no feature (a line's all at one x, a circle's on
// one line, a plane's or sphere's too flat in some direction); a method the
// feature does not have.

// Job 1000: the line's least-squares or minimum-zone fit, deviations in y.
Result straightness(const Points& points, Method method, double tolerance);

// Job 3000: the plane's least-squares or minimum-zone fit, deviations in z.
Result flatness(const Points& points, Method method, double tolerance);

// Jobs 2600, 2500, 2700, 2800: the circle of that method by stages from the
// centroid (the peak and valley circles from the minimum-zone centre).
// Not evaluated also when no circle fits the points (a fit that is not
// finite).
Result circle(const Points& points, Method method, double tolerance);

// Job 4500: the minimum-zone sphere by stages from the centroid.
Result sphere(const Points& points, double tolerance);

// "least squares", "minimum zone", "peak", "valley".
const char* methodname(Method method);

} // namespace formeval::methods
