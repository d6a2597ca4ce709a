// The trials' random numbers: MRG32k3a held by value, its substreams reached
// by jump-ahead, and the variates of the input distributions.
#pragma once

#include "uncertainty/uncertainty.h"

#include <array>
#include <cstdint>

namespace formeval::uncertainty {

// One component's 3 x 3 transition over its state (oldest, middle, newest),
// and a state: s10 s11 s12 (below m1), then s20 s21 s22 (below m2).
using Matrix = std::array<std::array<std::uint64_t, 3>, 3>;
using State = std::array<std::uint64_t, 6>;

// The moduli and the one-step matrices of the two components.
constexpr std::uint64_t m1 = 4294967087, m2 = 4294944443;
constexpr Matrix a1 = {{{0, 1, 0}, {0, 0, 1}, {m1 - 810728, 1403580, 0}}};
constexpr Matrix a2 = {{{0, 1, 0}, {0, 0, 1}, {m2 - 1370589, 0, 527612}}};
constexpr double norm = 2.328306549295728e-10; // 1 / (m1 + 1)

// a b mod m, and a^(2^e) mod m by e squarings.
Matrix multiply(const Matrix& a, const Matrix& b, std::uint64_t m);
Matrix powerof2(Matrix a, int e, std::uint64_t m);

// The state advanced by the pair of matrices (one per component).
State advance(const Matrix& j1, const Matrix& j2, const State& s);

// A stream of uniforms in (0, 1), and the variates built on them.
class Generator {
  public:
    explicit Generator(const State& s) : s_(s) {}
    // The next draw as the whole number k in [1, m1] whose uniform is
    // k / (m1 + 1).
    std::uint64_t next();
    double uniform() { return static_cast<double>(static_cast<std::int64_t>(next())) * norm; }
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
