// Reads one job record and decides whether it can be evaluated. A record that
// cannot be is reported on the console and in result.txt; one that breaks the
// job stream is also reported on standard error, where the run's exit status
// is decided.
#include "base/record.h"

#include <cmath>
#include <istream>
#include <string>

namespace formeval {

namespace {

template <class... Items> void reject(int job, const Items&... why) {
    both("\n", "Job ", job, " not evaluated: ", why...);
}

// Says on standard error where the job stream broke and leaves the stream
// failed, so that the run ends there.
template <class... Items> bool brokenat(int job, const Items&... where) {
    data.setstate(std::ios::failbit);
    std::cerr << "formeval: job stream broken in job " << job << " at ";
    (std::cerr << ... << where);
    std::cerr << '\n';
    return false;
}

// The item was missing or is not a number.
template <class... Items> bool broken(int job, const Items&... where) {
    reject(job, "the record ends early or holds an item that is not a number, at ", where...);
    return brokenat(job, where...);
}

// The next item as a number; false when it is missing or is not one.
bool readreal(std::string& word, double& value) {
    if (!readword(word)) return false;
    const std::optional<double> number = realvalue(word);
    if (!number) {
        data.setstate(std::ios::failbit);
        return false;
    }
    value = *number;
    return true;
}

} // namespace

bool readrecord(const jobinfo& entry, int& numpt, double* c0, double* c1, double* c2) {
    const int job = entry.code;
    const int dim = coordinates(entry.points);
    const int minpt = entry.minpt;
    double* const c[3] = {c0, c1, c2};

    numpt = 0;
    std::string word;
    if (!readword(word)) return broken(job, "the point count");
    const std::optional<int> count = intvalue(word);
    if (!count) {
        // "4.0" would read as 4 and leave ".0" to be the tolerance.
        reject(job, "the point count ", shownword(word), " is not a whole number");
        return brokenat(job, "the point count ", shownword(word));
    }
    numpt = *count;
    double tolerance = 0;
    if (!readreal(word, tolerance)) return broken(job, "the tolerance");
    cri = tolerance;

    if (numpt < 0) {
        // The record's length is unknown: its coordinates would be read as job
        // codes.
        reject(job, "the point count ", numpt, " is negative");
        return brokenat(job, "the point count ", numpt, ": the length of the record is unknown");
    }
    if (numpt > nsz) {
        // Read past the coordinates so that the following jobs still run.
        reject(job, numpt, " points exceed the limit of ", nsz);
        double skipped = 0;
        for (long long k = 0; k < static_cast<long long>(numpt) * dim; ++k)
            if (!readreal(word, skipped))
                return broken(job, "coordinate ", k % dim + 1, " of point ", k / dim + 1, " of ",
                              numpt);
        return false;
    }
    for (int i = 0; i < numpt; ++i)
        for (int d = 0; d < dim; ++d)
            if (!readreal(word, c[d][i]))
                return broken(job, "coordinate ", d + 1, " of point ", i + 1, " of ", numpt);
    for (int i = 0; i < numpt; ++i)
        for (int d = 0; d < dim; ++d)
            if (std::fabs(c[d][i]) > maxcoordinate) {
                reject(job, "coordinate ", d + 1, " of point ", i + 1, " is ", c[d][i],
                       "; coordinates beyond +-", maxcoordinate,
                       " are outside the range the evaluations can handle");
                return false;
            }
    if (numpt < minpt) {
        reject(job, numpt, " points are too few; the evaluation needs at least ", minpt);
        return false;
    }
    return true;
}

} // namespace formeval
