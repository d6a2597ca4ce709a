// Evaluates one circle record with the four circle computations of
// formeval_core, silently: trace level 0, console and run files bound to
// buffers, console input closed so that an operator prompt takes its safe
// way out at once instead of waiting; then finds the exact circles of the
// same points for the plot's legend.
#include "report/evaluation/evaluation.h"

#include "base/base.h"
#include "circles/circles.h"
#include "form/form.h"
#include "random/random.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <sstream>

namespace formeval::report {

namespace {

// The ISO parameters of the points' radial deviations from a circle.
IsoParameters radialparameters(const std::vector<Point>& p, double x, double y, double r) {
    std::vector<double> d;
    for (const Point& q : p) d.push_back(std::hypot(q[0] - x, q[1] - y) - r);
    return isoparameters(d);
}

// The exact minimum-zone, circumscribing and inscribing circles, and which
// of the computations' circles differ from them.
void exactcircles(const CircleRecord& record, Evaluated& e) {
    std::vector<Point> p;
    double scale = 0;
    for (std::size_t i = 0; i < record.x.size(); ++i) {
        p.push_back({record.x[i], record.y[i], 0});
        scale = std::max({scale, std::fabs(record.x[i]), std::fabs(record.y[i])});
    }
    const auto exact = [&e, &p](Method method, double x, double y, double r, double error,
                                const Certificate& certificate) {
        Fit f;
        f.iso = radialparameters(p, x, y, r);
        f.method = method;
        f.source = Source::exact;
        f.x = x;
        f.y = y;
        f.r = r;
        f.error = error;
        f.certificate = certificate;
        e.fits.push_back(f);
    };
    const RadialZone z = pointset::minzone(p, 2);
    if (z.found) exact(minimumzone, z.centre[0], z.centre[1], z.radius, z.zone, z.certificate);
    for (const Method k : {circumscribing, inscribing}) {
        const ExtremeCircle c =
            k == circumscribing ? pointset::enclosingcircle(p) : pointset::inscribedcircle(p);
        if (c.found) exact(k, c.x, c.y, c.r, radialparameters(p, c.x, c.y, c.r).t, c.certificate);
    }
    for (Fit& ours : e.fits)
        if (const Fit* x = e.find(ours.method, Source::exact);
            x && ours.source == Source::program && x->r > 0)
            ours.inexact = differs(ours, *x, scale);
}

} // namespace

Evaluated evaluate(const CircleRecord& record) {
    Evaluated e;
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
            // Points spread over too little are refused with formeval's reason.
            const std::string said = silent.said();
            const std::string mark = " not evaluated: the points spread over only";
            const std::size_t at = said.find(mark);
            e.failure = at != std::string::npos
                            ? said.substr(at + 16)
                            : "the points lie on one line (or all at one place); they determine "
                              "no circle";
            return e;
        }
        for (const circlecomputation& k : circlecomputations) {
            formeval::Circlefit ans;
            restartrandom(); // as the job of this computation starts
            computecircle(k, record.cri, record.x.data(), record.y.data(), numpt, ans);
            Fit f;
            f.method = methodof(k);
            f.x = ans[0];
            f.y = ans[1];
            f.r = ans[2];
            f.error = ans[3];
            f.said = silent.said();
            e.fits.push_back(f);
            if (!circlefound(ans) && e.failure.empty())
                e.failure = std::string("no ") + referencenames[f.method] +
                            " circle fits these points: are they on one line or all at one place?";
        }
        problem = false;
    }
    if (e.ok() && pointset::exactreferences()) exactcircles(record, e);
    return e;
}

} // namespace formeval::report
