// Evaluates one circle record for its chart with the four circle
// computations of formeval's Cartesian circle jobs (the methods library, which
// runs them silently), then finds the exact circles of the same points for the
// chart's legend.
#include "report/evaluation/evaluation.h"

#include "methods/methods.h"

#include <algorithm>
#include <cmath>

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
    if (numpt < minplotpoints || numpt > static_cast<int>(methods::maxpoints) || record.y.size() != record.x.size()) {
        e.failure = "the record holds " + std::to_string(numpt) +
                    " points; the four circles need " + std::to_string(minplotpoints) + " to " +
                    std::to_string(methods::maxpoints);
        return e;
    }
    std::vector<double> xy;
    for (int i = 0; i < numpt; ++i) xy.insert(xy.end(), {record.x[i], record.y[i]});
    const pointset::Points points{xy.data(), xy.size() / 2, 2, 2};
    for (const int code : methods::evaluationjobs(pointset::Feature::circle,
                                                  methods::Form::cartesian)) {
        methods::Result r = std::move(methods::evaluatejob(code, points, record.cri).front());
        if (r.refusal == methods::Refusal::undetermined) {
            // Points spread over too little are refused with formeval's reason.
            const std::string spread = "the points spread over only";
            e.failure = r.failure.compare(0, spread.size(), spread) == 0
                            ? r.failure
                            : "the points lie on one line (or all at one place); they determine "
                              "no circle";
            e.fits.clear();
            return e;
        }
        Fit f;
        f.method = static_cast<Method>(r.criterion);
        f.x = r.x;
        f.y = r.y;
        f.r = r.r;
        f.error = r.error;
        for (const std::string& line : r.notes) f.said += line + "\n";
        e.fits.push_back(f);
        if (r.refusal == methods::Refusal::nofit && e.failure.empty())
            e.failure = std::string("no ") + referencenames[f.method] +
                        " circle fits these points: are they on one line or all at one place?";
    }
    if (e.ok() && pointset::exactreferences()) exactcircles(record, e);
    return e;
}

} // namespace formeval::report
