// formeval's reading of one job record: the rules are readpoints'; this says,
// on the console and in result.txt, why a record cannot be evaluated, and on
// standard error where a record broke the job stream, where the run's exit
// status is decided.
#include "base/record.h"

#include <cmath>
#include <istream>
#include <ostream>
#include <string>

namespace formeval {

namespace {

// The words of the job stream `data`.
class streamwords : public wordsource {
  public:
    std::string_view next() override {
        if (!readword(word_)) word_.clear();
        return word_;
    }

  private:
    std::string word_;
};

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

// The item `word` was missing (empty) or is not a number; standard error
// quotes it.
template <class... Items> bool broken(int job, const std::string& word, const Items&... where) {
    reject(job, "the record ends early or holds an item that is not a number, at ", where...);
    return brokenat(job, where..., ": ",
                    word.empty() ? std::string("the job stream ends there") : shownword(word));
}

bool brokenitem(int job, const recordoutcome& r) {
    switch (r.item) {
    case recorditem::count:
        return broken(job, r.word, "the point count");
    case recorditem::tolerance:
        return broken(job, r.word, "the tolerance");
    default:
        return broken(job, r.word, "coordinate ", r.coordinate + 1, " of point ", r.point + 1,
                      " of ", r.numpt);
    }
}

// A number as the record gave it: its value, or the word of one too large
// for a double.
struct asgiven {
    double value;
    const std::string& word;
};

std::ostream& operator<<(std::ostream& out, const asgiven& n) {
    if (std::isfinite(n.value) || n.word.empty()) return out << n.value;
    return out << shownword(n.word);
}

} // namespace

bool readrecord(const jobinfo& entry, recordpoints& points) {
    const int job = entry.code;
    double* const c[3] = {points.c0, points.c1, points.c2};
    streamwords words;
    const recordoutcome r = readpoints(words, entry.points, entry.minpt, c);
    points.numpt = r.numpt;
    if (r.hastolerance) cri = r.tolerance;
    // A count beyond the capacity is said before the points are read past.
    if (r.numpt > nsz && (r.status == recordstatus::toomany || r.item == recorditem::coordinate))
        reject(job, r.numpt, " points exceed the limit of ", nsz);
    switch (r.status) {
    case recordstatus::evaluable:
        return true;
    case recordstatus::notwhole:
        reject(job, "the point count ", shownword(r.word), " is not a whole number");
        return brokenat(job, "the point count ", shownword(r.word));
    case recordstatus::negative:
        reject(job, "the point count ", r.numpt, " is negative");
        return brokenat(job, "the point count ", r.numpt, ": the length of the record is unknown");
    case recordstatus::broken:
        return brokenitem(job, r);
    case recordstatus::outofrange:
        reject(job, "coordinate ", r.coordinate + 1, " of point ", r.point + 1, " is ",
               asgiven{r.value, r.word}, "; coordinates beyond +-", maxcoordinate,
               " are outside the range the evaluations can handle");
        return false;
    case recordstatus::tolerance:
        if (r.tolerance < 0)
            reject(job, "the tolerance ", asgiven{r.tolerance, r.word},
                   " is negative; a tolerance is 0 or more");
        else
            reject(job, "the tolerance ", asgiven{r.tolerance, r.word}, " is beyond +-",
                   maxcoordinate, ", outside the range the evaluations can handle");
        return false;
    case recordstatus::toofew:
        reject(job, r.numpt, " points are too few; the evaluation needs at least ", entry.minpt);
        return false;
    default:
        return false;
    }
}

bool startjob(const jobinfo& job, std::string_view start, recordpoints& points) {
    std::cout << start;
    return readrecord(job, points);
}

} // namespace formeval
