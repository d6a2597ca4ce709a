// The trials' random numbers: MRG32k3a held by value, its substreams reached
// by jump-ahead, and the variates of the input distributions.
#pragma once

#include "random/mrg32k3a.h"
#include "uncertainty/uncertainty.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace formeval::uncertainty {

// MRG32k3a's state, transitions and jump-ahead are random/mrg32k3a.h's.
using mrg32k3a::a1;
using mrg32k3a::a2;
using mrg32k3a::m1;
using mrg32k3a::m2;
using mrg32k3a::Matrix;
using mrg32k3a::State;

// Fills out[0 .. n) with the next n draws of `s`, as n calls of
// mrg32k3a::next give them, and advances `s` past them. With `vectors` and n
// a multiple of 8, eight draws at a time where the processor has AVX2; the
// same draws either way.
void drawblock(State& s, std::uint64_t* out, int n, bool vectors = true);

// A stream of uniforms in (0, 1), and the variates built on them. The draws
// are made a block at a time (drawblock) and handed out in order: the stream
// is the same as step by step.
class Generator {
  public:
    explicit Generator(const State& s) : s_(s), start_(s) {}
    // The next draw as the whole number k in [1, m1] whose uniform is
    // k / (m1 + 1).
    std::uint64_t next() {
        if (taken_ == block) refill();
        return drawn_[taken_++];
    }
    double uniform() { return mrg32k3a::uniform(next()); }
    double gaussian(); // standard normal, by the ziggurat
    // `n` standard normal draws into `out`, as n calls of gaussian() give.
    void gaussians(double* out, std::size_t n);
    // A draw of the distribution of `width` about 0.
    double draw(Distribution d, double width);
    // The state after the draws taken so far.
    State state() const;

  private:
    static constexpr int block = 64;
    void refill() {
        start_ = s_;
        drawblock(s_, drawn_.data(), block);
        taken_ = 0;
    }
    State s_;     // after the block's draws
    State start_; // before them
    std::array<std::uint64_t, block> drawn_{};
    int taken_ = block;
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
