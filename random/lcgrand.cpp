// The random streams and their tables. The initial contents are not stored:
// they follow from two rules and are computed by jump-ahead on first use.
// zrng: stream 0 starts at 1, stream 1 at 1973272912, and each later stream
// 100000 draws after the one before. drng: row 0 is (0, 0, 1, 0, 0, 1) and
// each later row is the one before advanced by 10^16 steps, each component
// multiplied by its one-step transition matrix raised to that power.
//
// Every routine reaches a table through ztable() or dtable(), which fill it
// the first time, so the contents are in place before the first draw or set,
// whatever the order of static initialisation and whichever routine comes
// first; a run that draws nothing never pays for the tables.
#include "base/base.h"
#include "random/random.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace formeval {

namespace {

using u64 = std::uint64_t;

// Congruential generator: zi <- zi * 630360016 mod (2^31 - 1), done as two
// multiplications, by 24112 and then by 26143.
constexpr long modlus = 2147483647;
constexpr long mult1 = 24112, mult2 = 26143;
constexpr u64 lcgmult = 630360016;
constexpr long zstart1 = 1973272912;
constexpr u64 zspacing = 100000;

// MRG32k3a: two components of order 3, combined, of moduli m1 = 2^32 - 209
// and m2 = 2^32 - 22853. Component 1 takes a12 of s11 less a13n of s10,
// component 2 a21 of s22 less a23n of s20.
constexpr u64 mod1 = 4294967087, mod2 = 4294944443;
constexpr double m1 = static_cast<double>(mod1);
constexpr u64 a12 = 1403580, a13n = 810728;
constexpr u64 a21 = 527612, a23n = 1370589;
constexpr double norm = 2.328306549295728e-10; // 1 / (m1 + 1)
constexpr u64 dspacing = 10000000000000000;    // 10^16

// An MRG32k3a state: s10, s11, s12 (below m1), then s20, s21, s22 (below m2),
// oldest first, as whole numbers.
using Mrgstate = std::array<std::uint64_t, 6>;

long zrng[nlcgstreams];
Mrgstate drng[nmrgstreams];
bool zready = false;
bool dready = false;

// (a * b) mod m, exact for a, b < m < 2^32: the product fits in 64 bits. The
// modulus is a template argument so that the reduction is by a constant.
template <u64 m> u64 mulmod(u64 a, u64 b) {
    return a * b % m;
}

template <u64 m> u64 powmod(u64 a, u64 e) {
    u64 p = 1;
    for (; e > 0; e >>= 1) {
        if (e & 1) p = mulmod<m>(p, a);
        a = mulmod<m>(a, a);
    }
    return p;
}

// A component's 3 x 3 transition over its state (oldest, middle, newest).
using Mat3 = std::array<std::array<u64, 3>, 3>;

template <u64 m> Mat3 matmul(const Mat3& a, const Mat3& b) {
    Mat3 c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            c[i][j] = (mulmod<m>(a[i][0], b[0][j]) + mulmod<m>(a[i][1], b[1][j]) +
                       mulmod<m>(a[i][2], b[2][j])) %
                      m;
    return c;
}

template <u64 m> Mat3 matpow(Mat3 a, u64 e) {
    Mat3 p{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    for (; e > 0; e >>= 1) {
        if (e & 1) p = matmul<m>(p, a);
        a = matmul<m>(a, a);
    }
    return p;
}

// to[0..2] = j * from[0..2] mod m.
template <u64 m> void advance(const Mat3& j, const u64* from, u64* to) {
    for (int i = 0; i < 3; ++i)
        to[i] = (mulmod<m>(j[i][0], from[0]) + mulmod<m>(j[i][1], from[1]) +
                 mulmod<m>(j[i][2], from[2])) %
                m;
}

void zinit() {
    const u64 jump = powmod<modlus>(lcgmult, zspacing);
    zrng[0] = 1;
    zrng[1] = zstart1;
    for (int k = 1; k + 1 < nlcgstreams; ++k)
        zrng[k + 1] = static_cast<long>(mulmod<modlus>(static_cast<u64>(zrng[k]), jump));
    zready = true;
}

void dinit() {
    const Mat3 a1{{{0, 1, 0}, {0, 0, 1}, {mod1 - 810728, 1403580, 0}}};
    const Mat3 a2{{{0, 1, 0}, {0, 0, 1}, {mod2 - 1370589, 0, 527612}}};
    const Mat3 j1 = matpow<mod1>(a1, dspacing);
    const Mat3 j2 = matpow<mod2>(a2, dspacing);
    drng[0] = {0, 0, 1, 0, 0, 1};
    for (int k = 0; k + 1 < nmrgstreams; ++k) {
        advance<mod1>(j1, &drng[k][0], &drng[k + 1][0]);
        advance<mod2>(j2, &drng[k][3], &drng[k + 1][3]);
    }
    dready = true;
}

long* ztable() {
    if (!zready) zinit();
    return zrng;
}

Mrgstate* dtable() {
    if (!dready) dinit();
    return drng;
}

// (zi * mult) mod (2^31 - 1) by the Marse-Roberts 16-bit split: every
// intermediate value stays within signed 32 bits.
long lcgmul(long zi, long mult) {
    const long lowprd = (zi & 65535) * mult;
    const long hi31 = (zi >> 16) * mult + (lowprd >> 16);
    zi = ((lowprd & 65535) - modlus) + ((hi31 & 32767) << 16) + (hi31 >> 15);
    if (zi < 0) zi += modlus;
    return zi;
}

// One step of the combined generator on state s: its uniform in (0, 1). Each
// component's recurrence a s_i - b s_j (mod m) is taken as the non-negative
// a s_i + b (m - s_j), which stays far below 2^64: the states are exact
// whole numbers, so this gives what the reduction in double arithmetic of the
// recurrence as published gives, at a fraction of its cost. The difference of
// the two components is exact in double, as is adding m1, so the uniform
// rounds once, in the product with 1 / (m1 + 1).
inline double mrgstep(Mrgstate& s) {
    const u64 p1 = (a12 * s[1] + a13n * (mod1 - s[0])) % mod1;
    s[0] = s[1];
    s[1] = s[2];
    s[2] = p1;
    const u64 p2 = (a21 * s[5] + a23n * (mod2 - s[3])) % mod2;
    s[3] = s[4];
    s[4] = s[5];
    s[5] = p2;
    const double difference =
        static_cast<double>(static_cast<std::int64_t>(s[2]) - static_cast<std::int64_t>(s[5]));
    if (s[2] <= s[5]) return (difference + m1) * norm;
    return difference * norm;
}

// A pair of standard normal variates from state s by the polar method. Pairs
// outside the open unit disc, and the pair at its centre, are rejected: the
// transform is not finite there.
inline void normalpair(Mrgstate& s, float* n) {
    float v1 = 0;
    float v2 = 0;
    float w = 0;
    do {
        const float u1 = static_cast<float>(mrgstep(s));
        const float u2 = static_cast<float>(mrgstep(s));
        v1 = 2 * u1 - 1;
        v2 = 2 * u2 - 1;
        w = v1 * v1 + v2 * v2;
    } while (w >= 1 || w == 0);
    const float y = static_cast<float>(std::sqrt(-2 * std::log(static_cast<double>(w)) / w));
    n[0] = v1 * y;
    n[1] = v2 * y;
}

} // namespace

float lcgrand(int stream) {
    long zi = ztable()[stream];
    zi = lcgmul(zi, mult1);
    zi = lcgmul(zi, mult2);
    zrng[stream] = zi;
    return static_cast<float>((zi >> 7) | 1) / 16777216.0f;
}

void lcgrandst(long zset, int stream) {
    ztable()[stream] = zset;
}

long lcgrandgt(int stream) {
    return ztable()[stream];
}

double mrand(int stream) {
    return mrgstep(dtable()[stream]);
}

void mrandst(const double* seed, int stream) {
    Mrgstate& s = dtable()[stream];
    for (int i = 0; i < 6; ++i) s[i] = static_cast<std::uint64_t>(seed[i]);
}

void mrandgt(double* seed, int stream) {
    const Mrgstate& s = dtable()[stream];
    for (int i = 0; i < 6; ++i) seed[i] = static_cast<double>(s[i]);
}

void randnorm(int stream, float* n) {
    normalpair(dtable()[stream], n);
}

void randnorms(int count, float* n) {
    Mrgstate* const table = dtable();
    for (int stream = 0; stream < count; ++stream) normalpair(table[stream], n + 2 * stream);
}

void resetstreams() {
    zready = false;
    dready = false;
}

void restartrandom() {
    resetstreams();
    std::srand(1);
}

} // namespace formeval
