// Maximum inscribed circle: the largest circle with no point inside and its
// centre within the points' convex hull. Its centre is either a vertex of the
// points' Voronoi diagram (the circumcentre of a Delaunay triangle) inside
// the hull, or a point where a Voronoi edge crosses the hull boundary. The
// Delaunay triangulation is CGAL's, on exact predicates.
//
// The crossings are found by walking along each hull edge through the
// Voronoi cells it meets: from one end, the nearest point changes where the
// edge crosses the bisector with one of the current point's Delaunay
// neighbours. A circle centred on a hull edge of length L is at most L / 2
// across, so only edges longer than twice the best radius are walked; for
// points all round a circle there are none.
#include "pointset/pointset.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <algorithm>
#include <cmath>
#include <limits>

namespace formeval::pointset {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Vertexbase = CGAL::Triangulation_vertex_base_with_info_2<int, Kernel>;
using Structure =
    CGAL::Triangulation_data_structure_2<Vertexbase, CGAL::Triangulation_face_base_2<Kernel>>;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, Structure>;
using Point2 = Kernel::Point_2;
using Vertex = Delaunay::Vertex_handle;

struct Candidate {
    double x = 0;
    double y = 0;
    double r = -1;
    bool onhull = false;
    std::vector<int> support;
};

// The best circumcentre of a Delaunay triangle that lies in the hull.
Candidate interior(const Delaunay& dt) {
    Candidate best;
    for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
        const Point2 c = dt.circumcenter(f);
        const double r = std::sqrt(CGAL::squared_distance(c, f->vertex(0)->point()));
        if (!(r > best.r)) continue;
        Delaunay::Locate_type type;
        int li = 0;
        const auto at = dt.locate(c, type, li, f);
        if (type == Delaunay::OUTSIDE_CONVEX_HULL || type == Delaunay::OUTSIDE_AFFINE_HULL)
            continue;
        best.x = c.x();
        best.y = c.y();
        best.r = r;
        best.support = {f->vertex(0)->info(), f->vertex(1)->info(), f->vertex(2)->info()};
        best.onhull =
            type == Delaunay::EDGE && (dt.is_infinite(at) || dt.is_infinite(at->neighbor(li)));
    }
    return best;
}

// Distance from (x, y) to the nearest point.
double nearest(const std::vector<Point>& p, double x, double y) {
    double d = std::numeric_limits<double>::infinity();
    for (const Point& q : p) d = std::min(d, std::hypot(q[0] - x, q[1] - y));
    return d;
}

// Walks the hull edge from a to b through the Voronoi cells it crosses and
// keeps the crossing farthest from its nearest points. Where the edge passes
// through a Voronoi vertex the walk goes on from the next cell at the same
// place; a crossing that would beat the best is measured against every
// point, so a misstep there cannot report a circle with a point inside.
void walk(const Delaunay& dt, const std::vector<Point>& p, Vertex a, Vertex b, Candidate& best) {
    const Point2& pa = a->point();
    const double ex = b->point().x() - pa.x();
    const double ey = b->point().y() - pa.y();
    Vertex s = a;
    Vertex previous;
    double t = 0;
    for (std::size_t step = 0; step <= dt.number_of_vertices() && s != b; ++step) {
        const double sx = s->point().x() - pa.x();
        const double sy = s->point().y() - pa.y();
        double along = 1;
        Vertex next;
        auto q = dt.incident_vertices(s);
        const auto first = q;
        do {
            if (dt.is_infinite(q) || q == previous) continue;
            const double qx = q->point().x() - pa.x();
            const double qy = q->point().y() - pa.y();
            const double towards = 2 * (ex * (qx - sx) + ey * (qy - sy));
            if (!(towards > 0)) continue;
            // |t e - q| = |t e - s| where the edge meets the bisector of s and q.
            const double tq = (qx * qx + qy * qy - sx * sx - sy * sy) / towards;
            if (tq >= t && tq < along) {
                along = tq;
                next = q;
            }
        } while (++q != first);
        if (next == Vertex()) break;
        const double cx = pa.x() + along * ex;
        const double cy = pa.y() + along * ey;
        if (std::hypot(cx - s->point().x(), cy - s->point().y()) > best.r) {
            const double r = nearest(p, cx, cy);
            if (r > best.r) best = {cx, cy, r, true, {s->info(), next->info()}};
        }
        previous = s;
        s = next;
        t = along;
    }
}

void boundary(const Delaunay& dt, const std::vector<Point>& p, Candidate& best) {
    std::vector<Vertex> hull;
    auto v = dt.incident_vertices(dt.infinite_vertex());
    const auto first = v;
    do hull.push_back(v);
    while (++v != first);
    for (std::size_t k = 0; k < hull.size(); ++k) {
        const Vertex a = hull[k];
        const Vertex b = hull[(k + 1) % hull.size()];
        const double length = std::sqrt(CGAL::squared_distance(a->point(), b->point()));
        if (length / 2 > best.r) walk(dt, p, a, b, best);
    }
}

ExtremeCircle inscribedcircleunit(const std::vector<Point>& p) {
    ExtremeCircle out;
    std::vector<std::pair<Point2, int>> points;
    for (std::size_t i = 0; i < p.size(); ++i)
        points.emplace_back(Point2(p[i][0], p[i][1]), static_cast<int>(i));
    const Delaunay dt(points.begin(), points.end());
    if (dt.dimension() < 2) return out;

    Candidate best = interior(dt);
    boundary(dt, p, best);
    if (!(best.r > 0)) return out;

    double near = std::numeric_limits<double>::infinity();
    double far = 0;
    for (const Point& q : p) {
        const double d = std::hypot(q[0] - best.x, q[1] - best.y);
        near = std::min(near, d);
        far = std::max(far, d);
    }
    out.found = std::isfinite(near) && near > 0;
    if (!out.found) return out;
    out.x = best.x;
    out.y = best.y;
    out.r = near;
    out.onhull = best.onhull;
    out.support = best.support;
    std::sort(out.support.begin(), out.support.end());
    // Every candidate centre was examined; what remains is the rounding of
    // the one found: the radius it reaches against the radius it was found at.
    Certificate& c = out.certificate;
    c.lower = near;
    c.upper = std::max(near, best.r);
    const double scale = std::max({far, std::fabs(best.x), std::fabs(best.y)});
    judge(c, far - near, scale, "the radius found and the radius reached differ by more than 1e-9");
    return out;
}

} // namespace

ExtremeCircle inscribedcircle(const std::vector<Point>& p) {
    return atunitsize(p, inscribedcircleunit);
}

} // namespace formeval::pointset
