// Evaluates one circle record with the four circle computations of
// formeval_core, silently: trace level 0, console and run files bound to
// buffers, console input closed so that an operator prompt takes its safe
// way out at once instead of waiting.
#include "report/report.h"

#include "circles/circles.h"
#include "driver/dispatch.h"
#include "driver/driver.h"
#include "form/form.h"

#include <iostream>
#include <sstream>

namespace formeval::report {

namespace {

constexpr std::array<circcal, nreferences> computations = {lscircocal, mzcircocal, pkcircocal,
                                                           vacircocal};

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
            oqt = 0;
            cri = record.cri;
            problem = false;
            formeval::Circlefit ans;
            computations[k](record.x.data(), record.y.data(), numpt, ans);
            e.circles[k] = {ans[0], ans[1], ans[2], ans[3]};
            e.said[k] = silent.said();
            if (!circlefound(ans) && e.failure.empty())
                e.failure = std::string("no ") + referencenames[k] +
                            " circle fits these points: are they on one line or all at one place?";
        }
        problem = false;
    }
    e.ok = e.failure.empty();
    return e;
}

} // namespace formeval::report
