// A circle's points evaluated for its chart with the four circle
// computations of formeval's Cartesian circle jobs (the methods library,
// which runs them silently), then the exact circles of the same points for
// the chart's legend.
#include "report/evaluation/evaluation.h"

#include <algorithm>
#include <cmath>

namespace formeval::report {

namespace {

// The exact minimum-zone, circumscribing and inscribing circles, and which
// of the computations' circles differ from them.
void exactcircles(const pointset::Points& points, double cri, Evaluated& e) {
    double scale = 0;
    for (std::size_t i = 0; i < 2 * points.count; ++i)
        scale = std::max(scale, std::fabs(points.data[i]));
    for (const Criterion k :
         {Criterion::minimumzone, Criterion::circumscribed, Criterion::inscribed})
        if (std::optional<Measured> m = exactradial(points, k)) e.fits.push_back(m->reference);
    for (Fit& ours : e.fits)
        if (const Fit* x = e.find(ours.criterion, Source::exact);
            x && ours.source == Source::program && x->r > 0)
            ours.inexact = differs(ours, *x, scale, cri);
}

} // namespace

XY planepoints(const JobRecord& record) {
    const std::vector<double> xy = cartesian(record);
    XY out;
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
        out.x.push_back(xy[i]);
        out.y.push_back(xy[i + 1]);
    }
    return out;
}

Evaluated evaluatecircle(const XY& p, double tolerance) {
    Evaluated e;
    const std::size_t numpt = p.x.size();
    if (numpt < static_cast<std::size_t>(minplotpoints) || numpt > methods::maxpoints ||
        p.y.size() != numpt) {
        e.failure = "the record holds " + std::to_string(numpt) +
                    " points; the four circles need " + std::to_string(minplotpoints) + " to " +
                    std::to_string(methods::maxpoints);
        return e;
    }
    std::vector<double> xy;
    for (std::size_t i = 0; i < numpt; ++i) xy.insert(xy.end(), {p.x[i], p.y[i]});
    const pointset::Points points{xy.data(), numpt, 2, 2};
    for (const int code : methods::evaluationjobs(Feature::circle, Form::cartesian)) {
        methods::Result r = std::move(methods::evaluatejob(code, points, tolerance).front());
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
        const bool nofit = r.refusal == methods::Refusal::nofit;
        Fit f = measured(std::move(r)).reference;
        e.fits.push_back(f);
        if (nofit && e.failure.empty())
            e.failure = "no " + legendname(f.criterion) +
                        " circle fits these points: are they on one line or all at one place?";
    }
    if (e.ok() && pointset::exactreferences()) exactcircles(points, tolerance, e);
    return e;
}

} // namespace formeval::report
