// Peers of the pointset library written as their own users write them, in
// translation units of their own.
#pragma once

#include <vector>

namespace formeval::bench {

// The radius of the largest empty circle of points all round, the Delaunay
// way with CGAL: the largest circumcircle of a Delaunay triangle whose centre
// (a Voronoi vertex) lies in the hull. `xy` holds x y pairs.
double delaunayinscribed(const std::vector<double>& xy);

} // namespace formeval::bench
