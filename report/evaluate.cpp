// Evaluates one circle record with the four circle computations of
// formeval_core, silently: trace level 0, console and run files bound to
// buffers, console input closed so that an operator prompt takes its safe
// way out at once instead of waiting; then finds the exact circles of the
// same points for the plot's legend.
#include "report/results.h"

#include "base/base.h"
#include "circles/circles.h"
#include "form/form.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <sstream>

namespace formeval::report {

namespace {

// The references are formeval's circle computations, in their order.
static_assert(static_cast<int>(circlemethod::leastsquares) == leastsquares &&
              static_cast<int>(circlemethod::minimumzone) == minimumzone &&
              static_cast<int>(circlemethod::peak) == circumscribing &&
              static_cast<int>(circlemethod::valley) == inscribing &&
              circlecomputations.size() == nreferences);
constexpr std::array<Method, nreferences> methods = {Method::leastsquares, Method::minimumzone,
                                                     Method::circumscribing, Method::inscribing};

// A circle's form error: the spread of the points' radial deviations, both
// extremes starting at 0.
double circleerror(const std::vector<Point>& p, double x, double y, double r) {
    std::vector<double> d;
    for (const Point& q : p) d.push_back(std::hypot(q[0] - x, q[1] - y) - r);
    return isoparameters(d).t;
}

// The exact minimum-zone, circumscribing and inscribing circles, and which
// of the computations' circles differ from them.
void exactcircles(const CircleRecord& record, Evaluation& e) {
    std::vector<Point> p;
    double scale = 0;
    for (std::size_t i = 0; i < record.x.size(); ++i) {
        p.push_back({record.x[i], record.y[i], 0});
        scale = std::max({scale, std::fabs(record.x[i]), std::fabs(record.y[i])});
    }
    std::array<Fit, nreferences> exact;
    const RadialZone z = minzone(p, 2);
    if (z.found) {
        e.exact[minimumzone] = {z.centre[0], z.centre[1], z.radius, z.zone};
        exact[minimumzone].certificate = z.certificate;
    }
    for (const int k : {circumscribing, inscribing}) {
        const ExtremeCircle c = k == circumscribing ? enclosingcircle(p) : inscribedcircle(p);
        if (!c.found) continue;
        e.exact[k] = {c.x, c.y, c.r, circleerror(p, c.x, c.y, c.r)};
        exact[k].certificate = c.certificate;
    }
    for (const int k : {minimumzone, circumscribing, inscribing}) {
        if (!(e.exact[k].r > 0)) continue;
        Fit ours;
        ours.method = exact[k].method = methods[k];
        ours.r = e.circles[k].r;
        ours.error = e.circles[k].error;
        exact[k].r = e.exact[k].r;
        exact[k].error = e.exact[k].error;
        e.inexact[k] = differs(ours, exact[k], scale);
        e.certified[k] = exact[k].certificate.certified;
    }
}

} // namespace

Evaluation evaluate(const CircleRecord& record) {
    Evaluation e;
    const int numpt = static_cast<int>(record.x.size());
    if (numpt < minplotpoints || numpt > nsz || record.y.size() != record.x.size()) {
        e.failure = "the record holds " + std::to_string(numpt) +
                    " points; the four circles need " + std::to_string(minplotpoints) + " to " +
                    std::to_string(nsz);
        return e;
    }
    {
        SilentConsole silent;
        // Points on one line make the fits singular and the exchange loop
        // until its prompt; formeval's circle jobs refuse them first too.
        if (!circledetermined(record.job, record.x.data(), record.y.data(), numpt)) {
            e.failure = "the points lie on one line (or all at one place); they determine no "
                        "circle";
            return e;
        }
        for (int k = 0; k < nreferences; ++k) {
            formeval::Circlefit ans;
            computecircle(circlecomputations[k], record.cri, record.x.data(), record.y.data(),
                          numpt, ans);
            e.circles[k] = {ans[0], ans[1], ans[2], ans[3]};
            e.said[k] = silent.said();
            if (!circlefound(ans) && e.failure.empty())
                e.failure = std::string("no ") + referencenames[k] +
                            " circle fits these points: are they on one line or all at one place?";
        }
        problem = false;
    }
    e.ok = e.failure.empty();
    if (e.ok) exactcircles(record, e);
    return e;
}

} // namespace formeval::report
