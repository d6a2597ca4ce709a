// Helpers the tests share: reading output back as lines and numbers, the
// study parameters they write to instructions.txt, and the circle record the
// study tests evaluate.
#pragma once

#include <cmath>
#include <string>
#include <vector>

namespace formeval::test {

inline const double pi = std::acos(-1.0);

// The lines of text, without their line breaks: every line, or only those
// that hold something.
std::vector<std::string> lines(const std::string& text);
std::vector<std::string> nonblanklines(const std::string& text);

// The numbers a line holds, up to the first item that is not a number.
std::vector<double> numbersin(const std::string& line);

// Whether text holds a number that is not finite: "nan" or "inf", in any
// case and with or without a sign, with no letter right before or after it.
// A linear scan: the studies' outputs run to megabytes.
bool hasnonfinite(const std::string& text);

// instructions.txt with the given stratangle, sampno and stdun; lobeno 3,
// form and alpha 0.
std::string params(double stratangle, int sampno, double stdun = 0.001);

// The record (point count, tolerance 1e-6, x y per point, one line) of n
// points at equal angles about (100, 20), radii alternating 10.01 and 9.99
// (n even): the minimum-zone circle has centre (100, 20), radius 10 and a
// circularity error of 0.02.
std::string alternatingcircle(int n);

} // namespace formeval::test
