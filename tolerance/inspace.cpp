// Circles measured in space: the least-squares plane of their points and the
// points seen in it, where the pointset library's circles are evaluated.
#include "tolerance/geometry.h"

namespace formeval::tolerance::detail {

bool inspace(const Measured& m) {
    return m.points.dimension == 3 &&
           (m.type == pointset::Feature::circle || m.type == pointset::Feature::line);
}

PlaneCircle inplane(const Measured& m) {
    PlaneCircle c;
    const pointset::Reference plane =
        reference(m.points, pointset::Feature::plane, pointset::Criterion::leastsquares, false);
    if (!plane.found) {
        c.failure = "its plane: " + plane.failure;
        return c;
    }
    c.origin = plane.point;
    c.normal = plane.direction;
    basis(c.normal, c.x, c.y);
    for (const Point& p : points(m.points)) {
        const Vector d = minus(p, c.origin);
        c.xy.push_back(dot(d, c.x));
        c.xy.push_back(dot(d, c.y));
    }
    c.found = true;
    return c;
}

pointset::Reference circlereference(const Measured& m, pointset::Criterion criterion,
                                    bool certified) {
    if (!inspace(m)) return reference(m.points, m.type, criterion, certified);
    const PlaneCircle c = inplane(m);
    if (!c.found) {
        pointset::Reference r;
        r.failure = c.failure;
        return r;
    }
    pointset::Reference r = reference({c.xy.data(), c.xy.size() / 2, 2, 2},
                                      pointset::Feature::circle, criterion, certified);
    if (r.found) {
        r.point = along(along(c.origin, r.point[0], c.x), r.point[1], c.y);
        r.direction = c.normal;
    }
    return r;
}

Point centre(const pointset::Reference& r, const Measured& m) {
    if (m.type == pointset::Feature::sphere || inspace(m)) return r.point;
    return {r.point[0], r.point[1], 0.0};
}

} // namespace formeval::tolerance::detail
