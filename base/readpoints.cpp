// The rules of a job record, once: what formeval evaluates, refuses or finds
// broken, and where. formeval's readrecord and formreport's reader both read
// through it and only word the outcome.
#include "base/record.h"

#include <cmath>

namespace formeval {

namespace {

// The next item as a number, or the outcome of a stream broken at it.
bool number(wordsource& words, double& value, recordoutcome& out) {
    const std::string_view word = words.next();
    const std::optional<double> parsed = realvalue(word);
    if (!parsed) {
        out.status = recordstatus::broken;
        out.word = word;
        return false;
    }
    value = *parsed;
    return true;
}

bool coordinate(wordsource& words, int i, int d, double& value, recordoutcome& out) {
    out.item = recorditem::coordinate;
    out.point = i;
    out.coordinate = d;
    return number(words, value, out);
}

} // namespace

recordoutcome readpoints(wordsource& words, pointform points, int minpt, double* const* c) {
    const int dim = coordinates(points);
    recordoutcome out;
    const std::string_view countword = words.next();
    const std::optional<int> count = intvalue(countword);
    if (!count) {
        // "4.0" would read as 4 and leave ".0" to be the tolerance.
        out.status = countword.empty() ? recordstatus::broken : recordstatus::notwhole;
        out.word = countword;
        return out;
    }
    out.numpt = *count;
    out.item = recorditem::tolerance;
    if (!number(words, out.tolerance, out)) return out;
    out.hastolerance = true;
    if (out.numpt < 0) {
        // The record's length is unknown: its coordinates would be read as
        // job codes.
        out.status = recordstatus::negative;
        out.item = recorditem::count;
        return out;
    }
    const bool kept = out.numpt <= nsz;
    double skipped = 0;
    for (int i = 0; i < out.numpt; ++i)
        for (int d = 0; d < dim; ++d)
            if (!coordinate(words, i, d, kept ? c[d][i] : skipped, out)) return out;
    if (!kept) {
        out.status = recordstatus::toomany;
        return out;
    }
    for (int i = 0; i < out.numpt; ++i)
        for (int d = 0; d < dim; ++d)
            if (std::fabs(c[d][i]) > maxcoordinate) {
                out.status = recordstatus::outofrange;
                out.item = recorditem::coordinate;
                out.point = i;
                out.coordinate = d;
                out.value = c[d][i];
                return out;
            }
    if (out.numpt < minpt) out.status = recordstatus::toofew;
    return out;
}

} // namespace formeval
