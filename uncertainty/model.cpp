// The input model: what each contribution moves, the normals it moves the
// points along, a trial's points, and the quantities read off a reference.
#include "uncertainty/engine.h"

#include <algorithm>

#include <cmath>

namespace formeval::uncertainty {

namespace {

using pointset::Reference;

bool alongz(Acts a) {
    return a == Acts::z || a == Acts::scalez || a == Acts::offsetz || a == Acts::squarenessxz ||
           a == Acts::squarenessyz;
}

// Calls out(name, value, measure) for every quantity of the feature by the
// criterion, with the values of `r` (NaN without one).
template <class Out> void quantities(Feature f, Criterion c, const Reference* r, Out out) {
    constexpr Measure length = Measure::length, ratio = Measure::ratio;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto field = [&](double Reference::*member) { return r ? r->*member : nan; };
    const auto point = [&](int k) { return r ? r->point[k] : nan; };
    const auto direction = [&](int k) { return r ? r->direction[k] : nan; };
    static const char* const centres[] = {"centre_x", "centre_y", "centre_z"};
    static const char* const points[] = {"point_x", "point_y", "point_z"};
    static const char* const directions[] = {"direction_x", "direction_y"};
    static const char* const normals[] = {"normal_x", "normal_y", "normal_z"};
    static const char* const axes[] = {"axis_x", "axis_y", "axis_z"};
    const pointset::FeatureTraits& t = pointset::traits(f);
    const int dim = t.dimension;
    for (int k = 0; k < dim; ++k) out(t.centre ? centres[k] : points[k], point(k), length);
    if (t.direction != pointset::Direction::none) {
        // A line's direction in the plane, a plane's normal, an axis in space.
        const char* const* names = t.direction == pointset::Direction::normal ? normals
                                   : dim == 2                                 ? directions
                                                                              : axes;
        for (int k = 0; k < dim; ++k) out(names[k], direction(k), ratio);
    }
    if (t.radius) {
        out("radius", field(&Reference::radius), length);
        out("diameter", 2 * field(&Reference::radius), length);
        if (f == Feature::cone) out("apex_angle", 2 * field(&Reference::angle), Measure::angle);
    } else if (dim == 2) {
        out("slope", direction(1) / direction(0), ratio);
        out("offset", point(1) * direction(0) - point(0) * direction(1), length);
    } else {
        double offset = 0;
        for (int k = 0; k < 3; ++k) offset += point(k) * direction(k);
        out("offset", offset, length);
    }
    out("t", field(&Reference::t), length);
    if (c != Criterion::minimumzone && c != Criterion::circumscribed)
        out("p", field(&Reference::p), length);
    if (c != Criterion::minimumzone && c != Criterion::inscribed)
        out("v", field(&Reference::v), length);
    out("q", field(&Reference::q), length);
}

} // namespace

bool systematic(Acts a) {
    return a != Acts::coordinates && a != Acts::x && a != Acts::y && a != Acts::z &&
           a != Acts::normal;
}

bool lengthwidth(Acts a) {
    return !systematic(a) || a == Acts::offsetx || a == Acts::offsety || a == Acts::offsetz;
}

std::vector<std::string> quantitynames(Feature feature, Criterion criterion) {
    std::vector<std::string> names;
    quantities(feature, criterion, nullptr,
               [&](const char* name, double, Measure) { names.emplace_back(name); });
    return names;
}

std::vector<Measure> quantitymeasures(Feature feature, Criterion criterion) {
    std::vector<Measure> measures;
    quantities(feature, criterion, nullptr,
               [&](const char*, double, Measure m) { measures.push_back(m); });
    return measures;
}

std::vector<double> quantityvalues(const Reference& r) {
    std::vector<double> values;
    quantities(r.feature, r.criterion, &r,
               [&](const char*, double v, Measure) { values.push_back(v); });
    return values;
}

void addsystematic(Acts a, double e, Systematic& s) {
    switch (a) {
    case Acts::scale:
        s[0] += e, s[1] += e, s[2] += e;
        break;
    case Acts::scalex:
    case Acts::scaley:
    case Acts::scalez:
        s[static_cast<int>(a) - static_cast<int>(Acts::scalex)] += e;
        break;
    case Acts::squarenessxy:
    case Acts::squarenessxz:
    case Acts::squarenessyz:
        s[3 + static_cast<int>(a) - static_cast<int>(Acts::squarenessxy)] += e;
        break;
    case Acts::offsetx:
    case Acts::offsety:
    case Acts::offsetz:
        s[6 + static_cast<int>(a) - static_cast<int>(Acts::offsetx)] += e;
        break;
    default:
        break;
    }
}

std::string refusemodel(const std::vector<Contribution>& model, int dimension) {
    bool any = false;
    for (const Contribution& c : model) {
        if (!std::isfinite(c.width) || c.width < 0)
            return "the contribution '" + c.name +
                   "' has a width that is not a finite number of at least 0";
        if (dimension == 2 && alongz(c.acts))
            return "the contribution '" + c.name +
                   "' acts along z, which points in the plane do not have";
        any = any || c.width > 0;
    }
    return any ? "" : "no contribution of a width above 0: nothing is uncertain";
}

std::vector<double> normalsof(const Reference& r, const std::vector<double>& points,
                              int dimension) {
    const std::size_t n = points.size() / dimension;
    std::vector<double> out(points.size(), 0.0);
    const pointset::FeatureTraits& t = pointset::traits(r.feature);
    const bool radial = t.centre;
    // A cone's normal leans back from the radial direction by its half angle.
    const bool cone = r.feature == Feature::cone;
    const double outward = cone ? std::cos(r.angle) : 1, back = cone ? std::sin(r.angle) : 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double* p = &points[i * dimension];
        double* q = &out[i * dimension];
        if (!t.radius && dimension == 2) { // a line: its direction turned counterclockwise
            q[0] = -r.direction[1];
            q[1] = r.direction[0];
            continue;
        }
        if (!t.radius) { // a plane: its normal
            for (int k = 0; k < 3; ++k) q[k] = r.direction[k];
            continue;
        }
        // Radial: from the centre, or from the axis of a cylinder or cone.
        double along = 0;
        for (int k = 0; k < dimension; ++k) {
            q[k] = p[k] - r.point[k];
            if (!radial) along += q[k] * r.direction[k];
        }
        double length = 0;
        for (int k = 0; k < dimension; ++k) {
            if (!radial) q[k] -= along * r.direction[k];
            length += q[k] * q[k];
        }
        length = std::sqrt(length);
        for (int k = 0; k < dimension; ++k) q[k] = length > 0 ? q[k] / length : 0.0;
        if (cone && length > 0)
            for (int k = 0; k < dimension; ++k) q[k] = outward * q[k] - back * r.direction[k];
    }
    return out;
}

void transform(const Systematic& s, int dimension, std::vector<double>& points) {
    for (std::size_t i = 0; i < points.size(); i += dimension) {
        double* q = &points[i];
        const double z = dimension == 3 ? q[2] : 0.0;
        const double x = (1 + s[0]) * q[0] + s[3] * q[1] + s[4] * z + s[6];
        const double y = (1 + s[1]) * q[1] + s[5] * z + s[7];
        q[0] = x;
        q[1] = y;
        if (dimension == 3) q[2] = (1 + s[2]) * z + s[8];
    }
}

namespace {

bool perpoint(const Contribution& c) {
    return !systematic(c.acts) && c.width > 0;
}

// Moves point q (its normal n) by contribution c, each draw from `next`.
template <class Next>
void movepoint(const Contribution& c, int d, const double* n, double* q, Next&& next) {
    switch (c.acts) {
    case Acts::coordinates:
        for (int k = 0; k < d; ++k) q[k] += next();
        break;
    case Acts::normal: {
        const double e = next();
        for (int k = 0; k < d; ++k) q[k] += e * n[k];
        break;
    }
    default:
        q[static_cast<int>(c.acts) - static_cast<int>(Acts::x)] += next();
        break;
    }
}

// The per-point contributions when all are Gaussian, else none.
std::vector<const Contribution*> gaussianperpoint(const std::vector<Contribution>& model) {
    std::vector<const Contribution*> out;
    for (const Contribution& c : model)
        if (perpoint(c)) {
            if (c.distribution != Distribution::gaussian) return {};
            out.push_back(&c);
        }
    return out;
}

} // namespace

void trialpoints(const Problem& p, Generator& g, std::vector<double>& out) {
    Systematic s{};
    bool moved = false;
    for (const Contribution& c : p.model)
        if (systematic(c.acts) && c.width > 0) {
            addsystematic(c.acts, g.draw(c.distribution, c.width), s);
            moved = true;
        }
    out.assign(p.points.begin(), p.points.end());
    const int d = p.dimension;
    const std::vector<const Contribution*> gaussian = gaussianperpoint(p.model);
    if (!gaussian.empty()) {
        // Every draw of the trial at once, in the order the points take them.
        std::size_t draws = 0;
        for (const Contribution* c : gaussian) draws += c->acts == Acts::coordinates ? d : 1;
        thread_local std::vector<double> normal;
        normal.resize(draws * p.count);
        g.gaussians(normal.data(), normal.size());
        const double* z = normal.data();
        if (gaussian.size() == 1 && gaussian[0]->acts == Acts::coordinates) {
            const double width = gaussian[0]->width;
            for (std::size_t j = 0; j < out.size(); ++j) out[j] += width * z[j];
        } else {
            for (std::size_t i = 0; i < p.count; ++i)
                for (const Contribution* c : gaussian)
                    movepoint(*c, d, &p.normals[i * d], &out[i * d],
                              [&] { return c->width * *z++; });
        }
    } else {
        for (std::size_t i = 0; i < p.count; ++i)
            for (const Contribution& c : p.model)
                if (perpoint(c))
                    movepoint(c, d, &p.normals[i * d], &out[i * d],
                              [&] { return g.draw(c.distribution, c.width); });
    }
    if (moved) transform(s, d, out);
}

void startnear(Problem& p, const pointset::Reference& reference) {
    const pointset::Points points{p.points.data(), p.count, p.dimension,
                                  static_cast<std::size_t>(p.dimension)};
    if (p.margin == 0 && p.feature == Feature::cylinder && p.criterion == Criterion::minimumzone) {
        // Moves of a stream of its own: the margin depends on the model alone.
        constexpr long pilot = 16;
        const Substreams streams(0);
        double most = 0;
        std::vector<double> moved;
        for (long t = 0; t < pilot; ++t) {
            Generator g(streams.start(static_cast<std::uint64_t>(t)));
            trialpoints(p, g, moved);
            most = std::max(most, pointset::displacement({moved.data(), p.count, p.dimension,
                                                          static_cast<std::size_t>(p.dimension)},
                                                         points));
        }
        p.margin = std::isfinite(most) ? 6 * most : 0;
    }
    // The proof is made once for all the trials: the measured reference's budget.
    pointset::Options proof = p.evaluation;
    proof.budget = std::max(proof.budget, pointset::Options{}.budget);
    proof.nearby = nullptr;
    p.nearby = std::make_shared<const pointset::Nearby>(
        pointset::nearby(points, reference, p.margin, proof));
    p.evaluation.nearby = p.nearby.get();
}

bool evaluateinto(const Problem& p, const std::vector<double>& points, double* values,
                  bool& certified) {
    const pointset::Points view{points.data(), p.count, p.dimension,
                                static_cast<std::size_t>(p.dimension)};
    Reference r = pointset::evaluate(view, p.feature, p.criterion, p.evaluation);
    if (!r.found) return false;
    certified = p.criterion == Criterion::leastsquares || !p.evaluation.certificate ||
                r.certificate.certified;
    // A direction is turned to its largest component: near a diagonal that
    // flips it from trial to trial, which the measured one's way prevents.
    // A cone's points the way it widens; turned, the same cone narrows that
    // way: its angle negated.
    double along = 0;
    for (int k = 0; k < p.dimension; ++k) along += r.direction[k] * p.orientation[k];
    if (along < 0) {
        for (double& d : r.direction) d = -d;
        if (r.feature == Feature::cone) r.angle = -r.angle;
    }
    const std::vector<double> all = quantityvalues(r);
    for (std::size_t k = 0; k < p.kept.size(); ++k) {
        values[k] = all[p.kept[k]];
        if (!std::isfinite(values[k])) return false;
    }
    return true;
}

} // namespace formeval::uncertainty
