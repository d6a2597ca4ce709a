// The characteristics' evaluations, one source each, for evaluate's
// dispatch; not installed. Each fills the value, its certificate and the
// zone in words of `v`, or its failure, for the toleranced feature `m`
// against the datum system v.system (found, with the datums the
// characteristic takes).
#pragma once

#include "tolerance/tolerance.h"

#include <array>
#include <vector>

namespace formeval::tolerance::detail {

void form(const Frame& f, const Measured& m, FrameValue& v);
void orientation(const Frame& f, const Measured& m, FrameValue& v);
void position(const Frame& f, const Measured& m, FrameValue& v);
void coaxiality(const Frame& f, const Measured& m, FrameValue& v);
void runout(const Frame& f, const Measured& m, FrameValue& v);

// The diameter of the smallest circle holding the points xy (x, y pairs),
// certified; returns its centre.
std::array<double, 2> enclosingdiameter(const std::vector<double>& xy, FrameValue& v);

// The zone's points (FrameValue::zonepoints) of two parallel planes with
// the unit normal n, heights from `floor` along it (by default from the
// lowest point); of a round zone about the line through o along the unit
// vector d.
void planeszone(FrameValue& v, const std::vector<Point>& p, const Vector& n);
void planeszone(FrameValue& v, const std::vector<Point>& p, const Vector& n, double floor);
void roundzone(FrameValue& v, const std::vector<Point>& p, const Point& o, const Vector& d);

// A value that is a closed form on the datums: exact.
void exact(FrameValue& v, double value);

} // namespace formeval::tolerance::detail
