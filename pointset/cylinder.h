// Cylinders in working coordinates: the frame of an axis and its moves, the
// least-squares fit, the descents of the minimum zone, circumscribed and
// inscribed cylinders, and the certificate they share; cones on the same
// frames, their descent and their certificate (cone.cpp, conesearch.cpp).
//
// An axis is a frame: its origin on the axis, e[2] along it. A move of the
// frame is (c0, c1, L w0, L w1): the axis turned by the rotation vector
// (w0, w1, 0) about the origin (|w| radians about an axis in the plane e[0],
// e[1]) and then shifted to (c0, c1) in the turned plane. L, the largest
// distance of a point from the origin along the axis, makes the four numbers
// lengths. Each point's distance from the moved axis is
//   d(theta) = rho - a.theta, a = (n0, n1, -n1 Z / L, n0 Z / L)
// to first order (n the unit direction of the point from the axis, Z its
// coordinate along it).
//
// Certificate. Near the cylinder found, with O and I the points at the outer
// and inner edge of its zone, the objective (max - min distance, the largest
// distance, or minus the smallest) grows at least like h + kappa s - E(s) for
// a move of size s, kappa the sharpness of the active gradients in four
// dimensions and E a bound of the second-order terms: it is at least h within
// the radius rho of `Ball`. Elsewhere a branch and bound over axis directions
// (cylsearch.cpp) bounds the circle problem of the points projected along each
// cell of directions, the projections moving by at most |Z| angle + rho
// angle^2 / 2 over the cell.
#pragma once

#include "pointset/kernels.h"

#include <array>
#include <vector>

namespace formeval::pointset::kernel {

struct Frame {
    Vec origin = {0, 0, 0};
    std::array<Vec, 3> e = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    Vec local(const Vec& q) const {
        const Vec d = sub(q, origin);
        return {dot(d, e[0]), dot(d, e[1]), dot(d, e[2])};
    }
    const Vec& axis() const { return e[2]; }
};

// The frame of the axis through `origin` along `axis` (any length).
Frame frameabout(const Vec& origin, const Vec& axis);

// The rotation R of vector (w0, w1, 0) (|w| radians about (w0, w1, 0)), and
// R^T q: a frame's local coordinates of q, in the frame turned by w.
using Turn = std::array<Vec, 3>;
Turn turn(double w0, double w1);
inline Vec unturned(const Turn& r, const Vec& q) {
    return {r[0][0] * q[0] + r[1][0] * q[1] + r[2][0] * q[2],
            r[0][1] * q[0] + r[1][1] * q[1] + r[2][1] * q[2],
            r[0][2] * q[0] + r[1][2] * q[1] + r[2][2] * q[2]};
}
inline Vec unturned(const Vec& q, double w0, double w1) {
    return unturned(turn(w0, w1), q);
}

// The frame moved by theta (see above), its origin brought to the foot of the
// working origin (the points' centroid) on the new axis.
Frame moved(const Frame& f, const std::array<double, 4>& theta, double L);

// The largest |Z| of the points in the frame (at least a tiny length).
double axialextent(const View& w, const Frame& f);

// Where a search's subset of the points starts (besides the edges of the
// objective), in order: the ends along the frame's axis, an even spread of
// about 64, and a point in each quarter turn about the axis of each of 16
// slabs along it (the slabs' bounds far from the axis found need points all
// round each).
std::vector<std::size_t> startingpoints(const View& w, const Frame& f);

// Distances of the points from the frame's axis: largest and smallest, and
// the first point at each; four points at a time where the processor has
// AVX2 (the same distances, across(f.local(w[i])), and the same points).
Spread radial(const View& w, const Frame& f);

// The length of (x, y): working coordinates are of unit size, so no square
// overflows or underflows and a plain square root is exact enough.
inline double across(double x, double y) {
    return std::sqrt(x * x + y * y);
}

// One point's row of the linear model above: a (4 numbers), rho.
inline void cylrow(const Vec& local, double L, double* a, double& rho) {
    rho = across(local[0], local[1]);
    const double n0 = rho > 0 ? local[0] / rho : 0, n1 = rho > 0 ? local[1] / rho : 0;
    a[0] = n0;
    a[1] = n1;
    a[2] = -n1 * local[2] / L;
    a[3] = n0 * local[2] / L;
}

// cylrow() of the points first .. first + count - 1 about f, five numbers a
// point into rows (a, then rho): the bits of cylrow(f.local(w[i]), L, ...)
// point by point, four points at a time where the processor has AVX2.
void cylrows(const View& w, const Frame& f, double L, std::size_t first, std::size_t count,
             double* rows);

// min over unit v of R^4 of max over w of w.v: the depth of the origin in the
// convex hull of the vectors (at most 40); 0 or less when it is not inside.
double sharpness4(const std::vector<std::array<double, 4>>& w);
// The same in five dimensions (conesearch.cpp), for the first 36 vectors.
double sharpness5(const std::vector<std::array<double, 5>>& w);

// The points at the edges of the objective about a frame, and the radius
// within which they prove it. kind: 0 a zone (outer minus inner), 1 the
// largest distance (outer only), 2 the smallest (inner only).
struct Ball {
    double h = 0;   // the level the neighbourhood proves (minus it for the inscribed)
    double rho = 0; // in move units; 0 when the active points do not hold the axis
    std::vector<std::size_t> active;
};
Ball ball(const View& w, const Frame& f, double L, int kind, double gap);

// Results of the descents: the axis and the objective about it.
struct Cylinder {
    bool ok = false;
    Frame f;
    double value = inf; // zone, largest or minus the smallest distance
    double top = 0, bottom = 0;
    std::size_t far = 0, near = 0; // the points at top and bottom, where measured() found them
};

// What a descent and the global search work on: kind as for Ball; the
// inscribed cylinder's axis within `cone` radians of `along` and passing
// within `radius` of `through` (it runs along the points, through them).
struct Objective {
    int kind = 0;
    bool bounded = false;
    Vec along = {0, 0, 1}, through = {0, 0, 0};
    double cone = 0, radius = 0;
};
bool admissible(const Objective& o, const Frame& f);
Cylinder measured(const View& w, const Frame& f, int kind);

// Least squares: Gauss-Newton with Levenberg-Marquardt damping on the
// orthogonal distances, from the best of the three moments' axes.
Found lscylinder(const Moments& m);
// The algebraic circle of every step-th point projected along the frame's axis
// (the least-squares solution of x^2 + y^2 = 2 a x + 2 b y + k): the frame
// moved to its centre, and its radius; with extent, the largest |Z| of those
// points in the frame (at least a tiny length), which the move keeps.
bool circlestart(const View& w, Frame& f, double& r, std::size_t step, double* extent = nullptr);
// The largest |Z| of every step-th point in the frame (at least a tiny length).
double sampledextent(const View& w, const Frame& f, std::size_t step);
// Points for a first basis of a descent's linear program: the farthest along
// a few directions of (x, y, z) in the frame, both ends and all round.
std::vector<std::size_t> basiscandidates(const View& w, const Frame& f, double L);
bool lsaxis(const Moments& m, Frame& f, double& radius, std::string& failure);

// Descents from an axis, each step a linear program of the model above: the
// Chebyshev fit (zone), or the least largest (greatest smallest) distance.
Cylinder mzdescent(const View& w, const Frame& start);
Cylinder exdescent(const View& w, const Frame& start, const Objective& o);
Cylinder descend(const View& w, const Frame& start, const Objective& o);

// Lower bounds over the centres at least b from the origin of a cell's
// projections q (cylinner.cpp), with the centre that did best.
struct Inner {
    double lower = -inf;
    Vec centre = {0, 0, 0};
    double value = inf; // the subset's objective there
};
// `work` counts the distances they take.
Inner zoneinner(const std::vector<Vec>& q, double b, double target, long& work);
Inner largestinner(const std::vector<Vec>& q, double b, long& work);
Inner smallestinner(const std::vector<Vec>& q, double b, const Vec& m, double radius, double target,
                    long& work);

// Axis directions a search leaves out: those within `angle` radians of
// `axis` (inside) or those beyond (not inside); none for an angle of 0.
struct Cone {
    Vec axis = {0, 0, 1};
    double angle = 0;
    bool inside = false;
};

// Bounds on the optimum of the objective (the inscribed as minus its radius),
// certified or with the reason; `best` is replaced by any better axis met.
// Axes in `skip` are taken as proven no better (the caller's proof).
Certificate certifycylinder(const View& w, const Objective& o, Cylinder& best, long budget,
                            const Cone& skip = {});

// Whether every axis more than `angle` radians from best's leaves the points
// a zone of at least best.value + margin (working units), proven by the
// search of the certificate within `budget` cells.
bool zonebeyond(const View& w, const Cylinder& best, double margin, double angle, long budget);

Found mzcylinder(const Moments& m, const Options& options);
// Cones (cone.cpp): least squares by damped Gauss-Newton and the minimum zone
// by the descent above, both on the distances across the surface.
Found lscone(const Moments& m);
Found mzcone(const Moments& m, const Options& options);
// A cone about a frame: s the slope (the tangent of half its apex angle, negative
// where it narrows along the axis) and R its radius at the frame's origin.
struct Conic {
    Frame f;
    double s = 0;
    double R = 0;
};
// The minimum zone descended from k: k becomes the cone found, its R mid-way
// in the zone; returns the zone of the distances across the surface.
double mzconic(const View& w, Conic& k);
// The points at the edges of a cone's zone about the frame f and half angle
// beta, and the radius within which they prove it at least h, in the move
// units (c0, c1, L w0, L w1, L b), b the change of beta (conesearch.cpp).
Ball coneball(const View& w, const Frame& f, double beta, double L, double gap);
// Bounds on a cone's minimum zone (conesearch.cpp), `zone` the zone about
// `best` (both replaced by any better cone met), certified or with the
// reason, within `budget` cells of the global search (none: the bracket [0,
// zone] without a search).
Certificate certifycone(const View& w, Conic& best, double& zone, long budget);
// Bounds of the second-order terms of a move of size s (in move units) of an
// axis, for a point at distance rho from it (cylframe.cpp): how far its
// distance may fall below the first-order value (turnterm), and how far rise
// above it (innerterm, nearest the least such distance).
double turnterm(double s, double rho, double L);
double innerterm(double s, double rho, double nearest, double L);
// The minimum-zone cylinder from the axis of a reference in the caller's
// coordinates (Nearby), descended and measured, without a certificate.
Cylinder mzfrom(const View& w, const Reference& start);
Found pkcylinder(const Moments& m, const Options& options);
Found vacylinder(const Moments& m, const Options& options);

} // namespace formeval::pointset::kernel
