// The input model of an uncertainty evaluation as the user writes it: a
// contribution as one line of text with its value and unit, a model file of
// such lines. formreport's uncertainty command and the Python package read
// contributions here, so that the same text means the same model in both.
#pragma once

#include "report/common/common.h"
#include "uncertainty/uncertainty.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace formeval::report {

// What a contribution's value is (see ValueKind).
ValueKind kindof(uncertainty::Acts acts);

// "ACTS DISTRIBUTION VALUE [NAME...]": where it acts (uncertainty::actsname:
// coordinates, x, normal, scale, offset-x, squareness-xy ...), the
// distribution (gaussian: VALUE its standard deviation; rectangular,
// triangular, arcsine: VALUE its half-width) and its name in the budget
// (ACTS by default). Returns why not, or "".
std::string parsecontribution(std::string_view text, const std::string& unit,
                              uncertainty::Contribution& c);

// A model file: one contribution a line as above; `#` starts a comment; blank
// lines are passed over. Throws FileError with the line of a bad one.
std::vector<uncertainty::Contribution> readmodel(std::istream& in, const std::string& file,
                                                 const std::string& unit);

} // namespace formeval::report
