// The largest empty circle centred in the hull, as a CGAL user writes it.
#include "bench/peers.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <cmath>

namespace formeval::bench {

double delaunayinscribed(const std::vector<double>& xy) {
    using K = CGAL::Exact_predicates_inexact_constructions_kernel;
    using Delaunay = CGAL::Delaunay_triangulation_2<K>;
    std::vector<K::Point_2> q;
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) q.emplace_back(xy[i], xy[i + 1]);
    const Delaunay dt(q.begin(), q.end());
    double best = 0;
    for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
        const K::Point_2 c = dt.circumcenter(f);
        const double r2 = CGAL::squared_distance(c, f->vertex(0)->point());
        if (!(r2 > best)) continue;
        Delaunay::Locate_type type;
        int li = 0;
        dt.locate(c, type, li, f);
        if (type != Delaunay::OUTSIDE_CONVEX_HULL && type != Delaunay::OUTSIDE_AFFINE_HULL)
            best = r2;
    }
    return std::sqrt(best);
}

} // namespace formeval::bench
