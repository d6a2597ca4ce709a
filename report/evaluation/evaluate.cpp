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

// The exact minimum-zone, circumscribing and inscribing circles, and which
// of the computations' circles differ from them.
void exactcircles(const CircleRecord& record, Evaluated& e) {
    std::vector<double> c;
    double scale = 0;
    for (std::size_t i = 0; i < record.x.size(); ++i) {
        c.insert(c.end(), {record.x[i], record.y[i]});
        scale = std::max({scale, std::fabs(record.x[i]), std::fabs(record.y[i])});
    }
    const pointset::Points points{c.data(), record.x.size(), 2, 2};
    for (const Method k : {minimumzone, circumscribing, inscribing})
        if (std::optional<Measured> m = exactradial(points, k)) e.fits.push_back(m->reference);
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
