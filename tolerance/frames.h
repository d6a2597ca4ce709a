// The characteristics' evaluations, one source each, for evaluate's
// dispatch; not installed. Each fills the value, its certificate and the
// zone in words of `v`, or its failure, for the toleranced feature `m`
// against the datum system v.system (found, with the datums the
// characteristic takes).
#pragma once

#include "tolerance/tolerance.h"

namespace formeval::tolerance::detail {

void form(const Frame& f, const Measured& m, FrameValue& v);
void orientation(const Frame& f, const Measured& m, FrameValue& v);
void position(const Frame& f, const Measured& m, FrameValue& v);
void coaxiality(const Frame& f, const Measured& m, FrameValue& v);
void runout(const Frame& f, const Measured& m, FrameValue& v);

// The diameter of the smallest circle holding the points xy (x, y pairs),
// certified.
void enclosingdiameter(const std::vector<double>& xy, FrameValue& v);

// A value that is a closed form on the datums: exact.
void exact(FrameValue& v, double value);

} // namespace formeval::tolerance::detail
