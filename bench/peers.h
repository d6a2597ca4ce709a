// Peers of the pointset library written as their own users write them, in
// translation units of their own.
#pragma once

#include <vector>

namespace formeval::bench {

// The radius of the largest empty circle of points all round, the Delaunay
// way with CGAL: the largest circumcircle of a Delaunay triangle whose centre
// (a Voronoi vertex) lies in the hull. `xy` holds x y pairs.
double delaunayinscribed(const std::vector<double>& xy);

// The least-squares circle (`xy`: x y pairs) or sphere (x y z triples) as a
// textbook writes it: the algebraic fit, then Gauss-Newton's normal equations
// until the step is below 1e-12 of the radius; the deviations and their
// range. found is false when a system is singular.
struct GaussNewtonFit {
    bool found = false;
    double centre[3] = {0, 0, 0};
    double radius = 0;
    double form = 0;
    int iterations = 0;
    std::vector<double> deviations;
};
GaussNewtonFit gaussnewtoncircle(const std::vector<double>& xy);
GaussNewtonFit gaussnewtonsphere(const std::vector<double>& xyz);

// The least-squares cylinder (x y z triples) as a textbook writes it: the
// axis of the points' largest spread through their centroid, the algebraic
// circle of the points projected along it, then Gauss-Newton on the shift
// and tilt of the axis and the radius until the step is below 1e-12 of the
// radius; the deviations and their range.
struct CylinderFit {
    bool found = false;
    double point[3] = {0, 0, 0};
    double axis[3] = {0, 0, 0};
    double radius = 0;
    double form = 0;
    int iterations = 0;
    std::vector<double> deviations;
};
CylinderFit gaussnewtoncylinder(const std::vector<double>& xyz);

} // namespace formeval::bench
