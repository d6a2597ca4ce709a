// Reading a job's record from the job stream: the point count, the tolerance
// and the coordinates of the points, as the job table describes them. The
// rules of a record are readpoints', which says nothing; formeval's
// readrecord and formreport's reader each word its outcome their own way.
#pragma once

#include "base/job.h"

#include <optional>
#include <string>
#include <string_view>

namespace formeval {

// Largest coordinate magnitude a record may hold. The minimum-zone fit of a
// plane forms products of three coordinates, which must stay finite.
constexpr double maxcoordinate = 1e100;

// Longest word the job stream may hold: no number needs more than a few
// hundred characters, and a longer word is not one, however it goes on.
constexpr std::size_t maxword = 512;

// A source of the job stream's words (see readword below for what a word is).
class wordsource {
  public:
    // The next word, or an empty view at the end of the stream. The view
    // stays valid until the next call.
    virtual std::string_view next() = 0;

  protected:
    ~wordsource() = default;
};

// What reading one record found.
enum class recordstatus {
    evaluable,  // the points can be evaluated
    toomany,    // more than nsz points: read past, not kept
    outofrange, // a coordinate beyond +-maxcoordinate
    tolerance,  // the tolerance is negative, or beyond +-maxcoordinate
    toofew,     // fewer points than the job's fewest
    notwhole,   // the point count is not a whole number: the stream is broken
    negative,   // the point count is negative, so the record's length is unknown
    broken      // an item is missing or is not a number: the stream is broken
};

// The items of a record, for saying where it broke.
enum class recorditem { count, tolerance, coordinate };

// The outcome of readpoints: the points (in the caller's arrays), or why they
// cannot be evaluated, or where the stream broke.
struct recordoutcome {
    recordstatus status = recordstatus::evaluable;
    int numpt = 0;                       // the point count, once read
    bool hastolerance = false;           // whether the tolerance was read
    double tolerance = 0;                // the tolerance, when read
    recorditem item = recorditem::count; // broken: the item; outofrange: a coordinate
    int point = 0;                       // coordinate items: the point, from 0
    int coordinate = 0;                  // coordinate items: which coordinate, from 0
    // broken, notwhole: the word, empty at the end of the stream; outofrange:
    // the coordinate's word
    std::string word;
    double value = 0; // outofrange: the coordinate (infinite when its word overflows)
    // Whether the job stream is broken there, so that nothing after it can be
    // read as the next job.
    bool breaks() const {
        return status == recordstatus::notwhole || status == recordstatus::negative ||
               status == recordstatus::broken;
    }
};

// Reads one record from `words`: the point count (a whole word), the
// tolerance, then numpt points of coordinates(points) numbers each, into
// c[0..coordinates-1] (arrays of nsz) when numpt <= nsz. A tolerance of -0
// reads as 0. The refusals, in this order: more than nsz points (their
// numbers are read past), a negative tolerance or one beyond
// +-maxcoordinate, a coordinate beyond +-maxcoordinate (the first in record
// order; a decimal word too large for a double counts as one), fewer than
// minpt points. Reading stops where the stream breaks: a count that is not a
// whole number, a negative count (after the tolerance), an item that is
// missing or is not a number. Writes nothing.
recordoutcome readpoints(wordsource& words, pointform points, int minpt, double* const* c);

// The points of one record: numpt points, whose first, second and third
// coordinates are in c0, c1 and c2 (the order a job binds them in:
// `const auto& [x, y, z, numpt] = points;`).
struct recordpoints {
    double c0[nsz];
    double c1[nsz];
    double c2[nsz];
    int numpt = 0;
};

// Reads the record of job `job`: the point count, the tolerance into `cri`,
// then the points, with the coordinates its table entry gives. Returns true
// when the points can be evaluated (at least the job's fewest points, every
// coordinate within +-maxcoordinate). Otherwise it has said why on the
// console and in result.txt, has read past the points where it could, and
// has reported a broken job stream on standard error (and left `data`
// failed).
bool readrecord(const jobinfo& job, recordpoints& points);

// A job's start: writes `start` to the console, then reads the job's record
// (readrecord).
bool startjob(const jobinfo& job, std::string_view start, recordpoints& points);

// The items of the job stream are whitespace-separated words, each a number
// as a whole, as formatted stream extraction reads a word that holds nothing
// else.

// Reads the next word of the job stream into `word`. At the end of the stream
// (nothing but blanks left) returns false and leaves the stream failed. A
// word longer than maxword is not read to its end: `word` holds its first
// maxword + 1 characters, which no number is, and the stream is left failed,
// so that nothing after it is read as an item.
bool readword(std::string& word);

// The word as a whole number within int (a sign allowed), or nothing.
std::optional<int> intvalue(std::string_view word);

// The word as a decimal number (no overflow; an underflow reads as 0 or a
// subnormal), or nothing.
std::optional<double> realvalue(std::string_view word);

// Whether the word is written as a decimal number but is too large for a
// double (1e400): a number out of every range, not a broken item.
bool overflows(std::string_view word);

// The word as it may be shown in a message: unprintable bytes escaped, cut
// after 40 characters (then followed by "...").
std::string shownword(std::string_view word);

} // namespace formeval
