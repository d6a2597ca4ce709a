// The quantities a statement shows and its decisions on the tolerances, and
// the y and U every decision takes.
#include "report/statement/statement.h"

#include <algorithm>
#include <limits>
#include <new>

namespace formeval::report {

Decided guarded(const uncertainty::Quantity& q) {
    return {q.quoted.y, q.quoted.U};
}

void decide(Statement& s, const UncertaintyOptions& o) {
    s.shown.clear();
    s.decisions.clear();
    for (const uncertainty::Quantity& q : s.result.quantities)
        if (o.quantities.empty() ||
            std::find(o.quantities.begin(), o.quantities.end(), q.name) != o.quantities.end())
            s.shown.push_back(&q);
    for (const ToleranceLimits& given : o.tolerances) {
        Decision d;
        d.tolerance = given;
        for (const uncertainty::Quantity& q : s.result.quantities)
            if (q.name == given.quantity) d.quantity = &q;
        if (d.quantity) {
            const Decided on = guarded(*d.quantity);
            // A form error or a size is never below 0, as its interval is
            // not: a lower limit at or below 0 holds whatever y - U says.
            uncertainty::Limits limits = given.limits;
            if (uncertainty::nonnegative(d.quantity->name) && limits.low <= 0)
                limits.low = -std::numeric_limits<double>::infinity();
            d.verdict = uncertainty::decide(on.y, on.U, limits, o.rule);
        }
        s.decisions.push_back(d);
    }
}

Evaluated::Uncertain uncertainform(const pointset::Points& points, pointset::Feature feature,
                                   pointset::Criterion criterion,
                                   const std::vector<uncertainty::Contribution>& model,
                                   const uncertainty::Options& engine) {
    Evaluated::Uncertain out;
    uncertainty::Result r;
    try {
        r = uncertainty::propagate(points, feature, criterion, model, engine);
    } catch (const std::bad_alloc&) {
        out.failure = "the trials' values need more memory than there is: ask for fewer trials";
        return out;
    }
    if (!r.ok) {
        out.failure = r.failure;
        return out;
    }
    for (const uncertainty::Quantity& q : r.quantities)
        if (q.name == "t") {
            const Decided on = guarded(q);
            out.y = on.y;
            out.U = on.U;
            return out;
        }
    out.failure = "the reference has no form error t";
    return out;
}

} // namespace formeval::report
