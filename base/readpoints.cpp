// The rules of a job record, once: what formeval evaluates, refuses or finds
// broken, and where. formeval's readrecord and formreport's reader both read
// through it and only word the outcome.
#include "base/record.h"

#include <cmath>

namespace formeval {

namespace {

// The next item as a number, or the outcome of a stream broken at it. A
// decimal word too large for a double is a number beyond every range (its
// sign's infinity), refused like 1e101 rather than breaking the stream;
// `word` then keeps it for the message.
bool number(wordsource& words, double& value, recordoutcome& out, std::string* word = nullptr) {
    const std::string_view text = words.next();
    const std::optional<double> parsed = realvalue(text);
    if (!parsed && !overflows(text)) {
        out.status = recordstatus::broken;
        out.word = text;
        return false;
    }
    value = parsed ? *parsed : std::copysign(HUGE_VAL, text[0] == '-' ? -1.0 : 1.0);
    if (word && !parsed) *word = text;
    return true;
}

bool coordinate(wordsource& words, int i, int d, double& value, recordoutcome& out,
                std::string& word) {
    out.item = recorditem::coordinate;
    out.point = i;
    out.coordinate = d;
    return number(words, value, out, &word);
}

// The first coordinate beyond +-maxcoordinate, in record order, or none.
bool outofrange(double* const* c, int dim, recordoutcome& out) {
    for (int i = 0; i < out.numpt; ++i)
        for (int d = 0; d < dim; ++d)
            if (std::fabs(c[d][i]) > maxcoordinate) {
                out.status = recordstatus::outofrange;
                out.item = recorditem::coordinate;
                out.point = i;
                out.coordinate = d;
                out.value = c[d][i];
                return true;
            }
    return false;
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
    std::string toleranceword;
    if (!number(words, out.tolerance, out, &toleranceword)) return out;
    out.tolerance += 0.0; // -0 is 0
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
    // The words of coordinates too large for a double, to say what they were.
    std::string overflowed;
    std::string firstoverflowed;
    int overflowpoint = -1;
    for (int i = 0; i < out.numpt; ++i)
        for (int d = 0; d < dim; ++d) {
            if (!coordinate(words, i, d, kept ? c[d][i] : skipped, out, overflowed)) return out;
            if (!overflowed.empty() && overflowpoint < 0) {
                overflowpoint = i * dim + d;
                firstoverflowed = overflowed;
            }
        }
    if (!kept) {
        out.status = recordstatus::toomany;
        return out;
    }
    if (!(out.tolerance >= 0 && out.tolerance <= maxcoordinate)) {
        // A negative tolerance has no meaning; one beyond the coordinates'
        // range squares to infinity in the pivot test.
        out.status = recordstatus::tolerance;
        out.item = recorditem::tolerance;
        out.word = toleranceword;
        return out;
    }
    if (outofrange(c, dim, out)) {
        if (out.point * dim + out.coordinate == overflowpoint) out.word = firstoverflowed;
        return out;
    }
    if (out.numpt < minpt) out.status = recordstatus::toofew;
    return out;
}

} // namespace formeval
