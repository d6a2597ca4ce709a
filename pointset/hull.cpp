// The points' convex hull as half-spaces: in the plane by Andrew's monotone
// chain, in space by CGAL's quickhull; both decide every turn by exact
// orientation predicates on the points' own coordinates.
#include "pointset/kernels.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Surface_mesh.h>
#include <CGAL/convex_hull_3.h>
#include <algorithm>
#include <array>
#include <numeric>
#include <optional>

namespace formeval::pointset::kernel {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;

// The hull's corners counterclockwise by index, the first repeated at the
// end; fewer than four entries when the points span no area.
std::vector<std::size_t> corners2(const View& w) {
    std::vector<std::size_t> order(w.n);
    std::iota(order.begin(), order.end(), 0);
    const auto x = [&](std::size_t i) { return w.data[i * w.stride]; };
    const auto y = [&](std::size_t i) { return w.data[i * w.stride + 1]; };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return x(a) < x(b) || (x(a) == x(b) && y(a) < y(b));
    });
    const auto left = [&](std::size_t o, std::size_t a, std::size_t b) {
        return CGAL::orientation(Kernel::Point_2(x(o), y(o)), Kernel::Point_2(x(a), y(a)),
                                 Kernel::Point_2(x(b), y(b))) == CGAL::LEFT_TURN;
    };
    std::vector<std::size_t> h(2 * w.n + 1);
    std::size_t k = 0;
    for (std::size_t i = 0; i < w.n; ++i) {
        while (k >= 2 && !left(h[k - 2], h[k - 1], order[i])) --k;
        h[k++] = order[i];
    }
    for (std::size_t i = w.n - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && !left(h[k - 2], h[k - 1], order[i])) --k;
        h[k++] = order[i];
    }
    h.resize(k);
    return h;
}

std::vector<Facet> hull2(const View& w) {
    const std::vector<std::size_t> h = corners2(w);
    std::vector<Facet> out;
    if (h.size() < 4) return out; // fewer than three corners
    for (std::size_t j = 0; j + 1 < h.size(); ++j) {
        const Vec a = w[h[j]], b = w[h[j + 1]];
        Vec n = {b[1] - a[1], a[0] - b[0], 0}; // outward for a counterclockwise hull
        n = mul(1 / norm(n), n);
        out.push_back({n, dot(n, a)});
    }
    return out;
}

using Mesh = CGAL::Surface_mesh<Kernel::Point_3>;

// The hull of the points as they are given, without the working frame.
Mesh rawmesh(const View& w) {
    std::vector<Kernel::Point_3> p(w.n);
    for (std::size_t i = 0; i < w.n; ++i) {
        const double* q = w.data + i * w.stride;
        p[i] = {q[0], q[1], q[2]};
    }
    Mesh mesh;
    CGAL::convex_hull_3(p.begin(), p.end(), mesh);
    return mesh;
}

// The hull's faces, each as its first three corners counterclockwise seen
// from outside, starting at the least of them in the order of coordinates,
// and sorted: the same whatever order the hull was built in (that may follow
// where the points lie in memory), so that the normals come out the same to
// the last bit.
std::vector<std::array<Kernel::Point_3, 3>> canonicalfaces(const Mesh& mesh) {
    std::vector<std::array<Kernel::Point_3, 3>> faces;
    for (const auto f : mesh.faces()) {
        std::array<Kernel::Point_3, 3> v;
        int j = 0;
        for (const auto vertex : CGAL::vertices_around_face(mesh.halfedge(f), mesh))
            if (j < 3) v[j++] = mesh.point(vertex);
        if (j < 3) continue;
        std::rotate(v.begin(), std::min_element(v.begin(), v.end()), v.end());
        faces.push_back(v);
    }
    std::sort(faces.begin(), faces.end());
    return faces;
}

std::vector<Facet> hull3(const View& w) {
    std::vector<Facet> out;
    for (const auto& face : canonicalfaces(rawmesh(w))) {
        std::array<Vec, 3> v{};
        for (int j = 0; j < 3; ++j) {
            const Kernel::Point_3& q = face[j];
            v[j] = {(q.x() - w.origin[0]) * w.scale, (q.y() - w.origin[1]) * w.scale,
                    (q.z() - w.origin[2]) * w.scale};
        }
        Vec n = cross(sub(v[1], v[0]), sub(v[2], v[0]));
        const double length = norm(n);
        if (!(length > 0)) continue;
        n = mul(1 / length, n);
        out.push_back({n, dot(n, v[0])});
    }
    return out;
}

Mesh mesh3(const View& w) {
    std::vector<Kernel::Point_3> p(w.n);
    for (std::size_t i = 0; i < w.n; ++i) {
        const Vec q = w[i];
        p[i] = {q[0], q[1], q[2]};
    }
    Mesh mesh;
    CGAL::convex_hull_3(p.begin(), p.end(), mesh);
    return mesh;
}

Vec vec(const Kernel::Point_3& q) {
    return {q.x(), q.y(), q.z()};
}

// The corners' width along u, given up as soon as it reaches `enough`.
double widthalong(const std::vector<Vec>& corners, const Vec& u, double enough) {
    double top = -inf, bottom = inf;
    for (const Vec& c : corners) {
        const double v = dot(c, u);
        top = std::max(top, v);
        bottom = std::min(bottom, v);
        if (top - bottom >= enough) break;
    }
    return top - bottom;
}

bool surrounds2(const View& w, const Point& centre) {
    const std::vector<std::size_t> h = corners2(w);
    if (h.size() < 4) return false;
    const auto point = [&](std::size_t i) {
        return Kernel::Point_2(w.data[i * w.stride], w.data[i * w.stride + 1]);
    };
    const Kernel::Point_2 c(centre[0], centre[1]);
    for (std::size_t j = 0; j + 1 < h.size(); ++j)
        if (CGAL::orientation(point(h[j]), point(h[j + 1]), c) != CGAL::LEFT_TURN) return false;
    return true;
}

// Inside a solid hull every face sees the centre on the same side, the inner
// one; outside it or on it some face sees it on the other side, or on its plane.
bool surrounds3(const View& w, const Point& centre) {
    const Mesh mesh = rawmesh(w);
    const Kernel::Point_3 c(centre[0], centre[1], centre[2]);
    std::optional<CGAL::Orientation> inner;
    bool solid = false;
    for (const auto f : mesh.faces()) {
        std::array<Kernel::Point_3, 3> v;
        int j = 0;
        for (const auto vertex : CGAL::vertices_around_face(mesh.halfedge(f), mesh))
            if (j < 3) v[j++] = mesh.point(vertex);
        if (j < 3) return false;
        const CGAL::Orientation side = CGAL::orientation(v[0], v[1], v[2], c);
        if (side == CGAL::COPLANAR || side != inner.value_or(side)) return false;
        inner = side;
        // Points all on one plane make faces with nothing beyond them.
        if (!solid)
            for (const auto vertex : mesh.vertices())
                if (CGAL::orientation(v[0], v[1], v[2], mesh.point(vertex)) != CGAL::COPLANAR) {
                    solid = true;
                    break;
                }
    }
    return inner && solid;
}

} // namespace

bool surrounds(const View& w, const Point& centre) {
    return w.dim == 2 ? surrounds2(w, centre) : surrounds3(w, centre);
}

std::vector<Facet> hull(const View& w) {
    return w.dim == 2 ? hull2(w) : hull3(w);
}

bool hullwidth(const View& w, std::size_t mostedges, Vec& normal, double& width) {
    if (w.dim != 3) return false;
    const Mesh mesh = mesh3(w);
    if (mesh.number_of_faces() < 4 || mesh.number_of_edges() > mostedges) return false;
    // The corners' order decides only where a width already too wide stops.
    std::vector<Vec> corners;
    for (const auto v : mesh.vertices()) corners.push_back(vec(mesh.point(v)));
    width = inf;
    const auto along = [&](const Vec& c) {
        const double length = norm(c);
        if (!(length > 0)) return; // parallel edges: their faces' normals are tried
        const Vec u = mul(1 / length, c);
        const double d = widthalong(corners, u, width);
        if (d < width) width = d, normal = u;
    };
    for (const auto& face : canonicalfaces(mesh)) {
        const Vec v0 = vec(face[0]);
        along(cross(sub(vec(face[1]), v0), sub(vec(face[2]), v0)));
    }
    // Each edge from its lesser end, in order, as the faces are.
    std::vector<std::array<Kernel::Point_3, 2>> ends;
    for (const auto e : mesh.edges()) {
        std::array<Kernel::Point_3, 2> a = {mesh.point(mesh.vertex(e, 0)),
                                            mesh.point(mesh.vertex(e, 1))};
        if (a[1] < a[0]) std::swap(a[0], a[1]);
        ends.push_back(a);
    }
    std::sort(ends.begin(), ends.end());
    std::vector<Vec> edges;
    for (const auto& a : ends) edges.push_back(sub(vec(a[1]), vec(a[0])));
    for (std::size_t i = 0; i < edges.size(); ++i)
        for (std::size_t j = i + 1; j < edges.size(); ++j) along(cross(edges[i], edges[j]));
    return std::isfinite(width);
}

} // namespace formeval::pointset::kernel
