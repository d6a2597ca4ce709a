// The quantities a statement shows and its decisions on the tolerances.
#include "report/statement/statement.h"

#include <algorithm>

namespace formeval::report {

const char* rulename(uncertainty::Rule rule) {
    return rule == uncertainty::Rule::guarded
               ? "ISO 14253-1: U as guard band; conformance proven when y - U and y + U lie "
                 "within the limits, non-conformance proven when both lie beyond one of them, "
                 "undecided otherwise"
               : "simple acceptance: accepted when y lies within the limits, rejected otherwise, "
                 "whatever U";
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
        if (d.quantity)
            d.verdict = uncertainty::decide(d.quantity->quoted.y, d.quantity->quoted.U,
                                            given.limits, o.rule);
        s.decisions.push_back(d);
    }
}

} // namespace formeval::report
