// The points of a call checked as the batch program reads a record, and
// copied into its columns.
#include "methods/quiet.h"

#include <cmath>
#include <sstream>

namespace formeval::methods {

namespace {

// Words as the batch program writes them: numbers at the precision its jobs
// set.
template <class... Items> std::string words(const Items&... items) {
    std::ostringstream out;
    out.precision(12);
    (out << ... << items);
    return out.str();
}

} // namespace

Columns columns(const Points& points, int dimension, int fewest) {
    Columns out;
    out.refusal = Refusal::points;
    if (points.dimension != dimension || points.stride < static_cast<std::size_t>(dimension)) {
        out.failure = words("the evaluation needs points of ", dimension,
                            " coordinates in rows of at least as many numbers, not ",
                            points.dimension, " coordinates in rows of ", points.stride);
        return out;
    }
    if (points.count > maxpoints) {
        out.failure = words(points.count, " points exceed the limit of ", nsz);
        return out;
    }
    if (points.count > 0 && !points.data) {
        out.failure = "no coordinates given for the points";
        return out;
    }
    const int numpt = static_cast<int>(points.count);
    for (int i = 0; i < numpt; ++i)
        for (int k = 0; k < dimension; ++k) {
            const double value = points.data[static_cast<std::size_t>(i) * points.stride +
                                             static_cast<std::size_t>(k)];
            if (!std::isfinite(value)) {
                out.failure =
                    words("coordinate ", k + 1, " of point ", i + 1, " is not a finite number");
                return out;
            }
            if (std::fabs(value) > maxcoordinate) {
                out.failure = words("coordinate ", k + 1, " of point ", i + 1, " is ", value,
                                    "; coordinates beyond +-", maxcoordinate,
                                    " are outside the range the evaluations can handle");
                return out;
            }
        }
    if (numpt < fewest) {
        out.refusal = Refusal::toofew;
        out.failure = words(numpt, " points are too few; the evaluation needs at least ", fewest);
        return out;
    }
    out.refusal = Refusal::none;
    for (int k = 0; k < dimension; ++k) {
        std::vector<double>& column = out.c[static_cast<std::size_t>(k)];
        column.assign(nsz, 0.0);
        for (int i = 0; i < numpt; ++i)
            column[static_cast<std::size_t>(i)] =
                points.data[static_cast<std::size_t>(i) * points.stride +
                            static_cast<std::size_t>(k)];
    }
    out.numpt = numpt;
    return out;
}

Result outcome(int job, Criterion criterion, Refusal refusal, std::string why) {
    Result r;
    r.job = job;
    r.criterion = criterion;
    r.refusal = refusal;
    r.failure = std::move(why);
    return r;
}

} // namespace formeval::methods
