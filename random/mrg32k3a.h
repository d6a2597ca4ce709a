// MRG32k3a, L'Ecuyer's combined multiple recursive generator, as pure
// functions over a state held by value: the recurrence, the uniform of a
// draw, and jump-ahead by powers of the components' transition matrices.
// The program's streams (random.h) keep their table of such states; the
// uncertainty library keeps one in each trial. Nothing here has state.
//
// Two components of order 3, of moduli m1 = 2^32 - 209 and m2 = 2^32 - 22853:
// component 1 takes a12 of s11 less a13n of s10, component 2 a21 of s22 less
// a23n of s20, and a draw is their difference mod m1.
#pragma once

#include <array>
#include <cstdint>

namespace formeval::mrg32k3a {

// A state: s10, s11, s12 (whole numbers below m1), then s20, s21, s22 (below
// m2), oldest first.
using State = std::array<std::uint64_t, 6>;

// One component's 3 x 3 transition over its state (oldest, middle, newest).
using Matrix = std::array<std::array<std::uint64_t, 3>, 3>;

constexpr std::uint64_t m1 = 4294967087, m2 = 4294944443;
constexpr std::uint64_t a12 = 1403580, a13n = 810728;
constexpr std::uint64_t a21 = 527612, a23n = 1370589;
constexpr double norm = 2.328306549295728e-10; // 1 / (m1 + 1)

// The one-step transitions (s0, s1, s2) -> (s1, s2, new) of the components.
constexpr Matrix a1 = {{{0, 1, 0}, {0, 0, 1}, {m1 - a13n, a12, 0}}};
constexpr Matrix a2 = {{{0, 1, 0}, {0, 0, 1}, {m2 - a23n, 0, a21}}};

// Advances `s` by one step and returns the draw as the whole number k in
// [1, m1] whose uniform is k / (m1 + 1). Each component's recurrence
// a s_i - b s_j (mod m) is taken as the non-negative a s_i + b (m - s_j),
// which stays far below 2^64, so the states stay exact whole numbers; the
// draw is p1 - p2, with m1 added when that is not positive.
inline std::uint64_t next(State& s) {
    const std::uint64_t p1 = (a12 * s[1] + a13n * (m1 - s[0])) % m1;
    s[0] = s[1];
    s[1] = s[2];
    s[2] = p1;
    const std::uint64_t p2 = (a21 * s[5] + a23n * (m2 - s[3])) % m2;
    s[3] = s[4];
    s[4] = s[5];
    s[5] = p2;
    return p1 > p2 ? p1 - p2 : p1 + (m1 - p2);
}

// The uniform of draw k, strictly between 0 and 1: k is exact in double, so
// it rounds once, in the product with 1 / (m1 + 1).
inline double uniform(std::uint64_t k) {
    return static_cast<double>(static_cast<std::int64_t>(k)) * norm;
}

// Jump-ahead. The modulus is a template argument (m1 or m2), so that every
// reduction is by a constant.

// Row `row` times the vector v[0..2], mod m: each product is below 2^64, the
// sum of the three reduced ones below 2^34.
template <std::uint64_t m>
std::uint64_t rowtimes(const std::array<std::uint64_t, 3>& row, const std::uint64_t* v) {
    return (row[0] * v[0] % m + row[1] * v[1] % m + row[2] * v[2] % m) % m;
}

// a b mod m.
template <std::uint64_t m> Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const std::uint64_t column[3] = {b[0][j], b[1][j], b[2][j]};
            c[i][j] = rowtimes<m>(a[i], column);
        }
    return c;
}

// a^e mod m, by squaring.
template <std::uint64_t m> Matrix power(Matrix a, std::uint64_t e) {
    Matrix p{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (; e > 0; e >>= 1) {
        if (e & 1) p = multiply<m>(p, a);
        a = multiply<m>(a, a);
    }
    return p;
}

// a^(2^e) mod m, by e squarings.
template <std::uint64_t m> Matrix powerof2(Matrix a, int e) {
    for (int k = 0; k < e; ++k) a = multiply<m>(a, a);
    return a;
}

// `s` advanced by the pair of transitions j1 (of component 1) and j2.
inline State advance(const Matrix& j1, const Matrix& j2, const State& s) {
    State out;
    for (int i = 0; i < 3; ++i) {
        out[i] = rowtimes<m1>(j1[i], &s[0]);
        out[3 + i] = rowtimes<m2>(j2[i], &s[3]);
    }
    return out;
}

} // namespace formeval::mrg32k3a
