// Reading a job's record from the job stream: the point count, the tolerance
// and the coordinates of the points, as the job table describes them.
#pragma once

#include "base/job.h"

#include <optional>
#include <string>
#include <string_view>

namespace formeval {

// Largest coordinate magnitude a record may hold. The minimum-zone fit of a
// plane forms products of three coordinates, which must stay finite.
constexpr double maxcoordinate = 1e100;

// Reads the record of job `job`: the point count, the tolerance into `cri`,
// then `numpt` points of the coordinates its table entry gives, into c0, c1
// and (for three coordinates) c2. Returns true when the points can be
// evaluated (at least the job's fewest points, every coordinate within
// +-maxcoordinate). Otherwise it has said why on the console and in
// result.txt, has read past the points where it could, and has reported a
// broken job stream on standard error.
bool readrecord(const jobinfo& job, int& numpt, double* c0, double* c1, double* c2 = nullptr);

// The items of the job stream are whitespace-separated words, each a number
// as a whole, as formatted stream extraction reads a word that holds nothing
// else.

// Reads the next word of the job stream into `word`. At the end of the stream
// (nothing but blanks left) returns false and leaves the stream failed.
bool readword(std::string& word);

// The word as a whole number within int (a sign allowed), or nothing.
std::optional<int> intvalue(std::string_view word);

// The word as a decimal number (no overflow; an underflow reads as 0 or a
// subnormal), or nothing.
std::optional<double> realvalue(std::string_view word);

// The word as it may be shown in a message: unprintable bytes escaped, cut
// after 40 characters.
std::string shownword(std::string_view word);

} // namespace formeval
