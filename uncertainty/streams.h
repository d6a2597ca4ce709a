// The trials' random numbers: MRG32k3a held by value, its substreams reached
// by jump-ahead, and the variates of the input distributions.
#pragma once

#include "random/mrg32k3a.h"
#include "uncertainty/uncertainty.h"

#include <array>
#include <cstdint>

namespace formeval::uncertainty {

// MRG32k3a's state, transitions and jump-ahead are random/mrg32k3a.h's.
using mrg32k3a::a1;
using mrg32k3a::a2;
using mrg32k3a::m1;
using mrg32k3a::m2;
using mrg32k3a::Matrix;
using mrg32k3a::State;

// A stream of uniforms in (0, 1), and the variates built on them.
class Generator {
  public:
    explicit Generator(const State& s) : s_(s) {}
    // The next draw as the whole number k in [1, m1] whose uniform is
    // k / (m1 + 1).
    std::uint64_t next() { return mrg32k3a::next(s_); }
    double uniform() { return mrg32k3a::uniform(next()); }
    double gaussian(); // standard normal, by the ziggurat
    // A draw of the distribution of `width` about 0.
    double draw(Distribution d, double width);
    const State& state() const { return s_; }

  private:
    State s_;
};

// The substreams of stream `seed`: substream t starts 2^76 t draws after the
// stream's start, which is 2^127 seed draws after the state 12345 (six times).
class Substreams {
  public:
    explicit Substreams(std::uint64_t seed);
    State start(std::uint64_t substream) const;

  private:
    State stream_;
    // A^(2^(76 + j)) of each component, j = 0 .. 63.
    std::array<Matrix, 64> jump1_, jump2_;
};

} // namespace formeval::uncertainty
