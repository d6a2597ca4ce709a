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
#include "random/mrg32k3a.h"
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

constexpr u64 dspacing = 10000000000000000; // 10^16 steps between MRG rows

using mrg32k3a::State;

long zrng[nlcgstreams];
State drng[nmrgstreams];
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

void zinit() {
    const u64 jump = powmod<modlus>(lcgmult, zspacing);
    zrng[0] = 1;
    zrng[1] = zstart1;
    for (int k = 1; k + 1 < nlcgstreams; ++k)
        zrng[k + 1] = static_cast<long>(mulmod<modlus>(static_cast<u64>(zrng[k]), jump));
    zready = true;
}

void dinit() {
    using namespace mrg32k3a;
    const Matrix j1 = power<m1>(a1, dspacing);
    const Matrix j2 = power<m2>(a2, dspacing);
    drng[0] = {0, 0, 1, 0, 0, 1};
    for (int k = 0; k + 1 < nmrgstreams; ++k) drng[k + 1] = advance(j1, j2, drng[k]);
    dready = true;
}

long* ztable() {
    if (!zready) zinit();
    return zrng;
}

State* dtable() {
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

// One step of the combined generator on state s: its uniform in (0, 1).
inline double mrgstep(State& s) {
    return mrg32k3a::uniform(mrg32k3a::next(s));
}

// A pair of standard normal variates from state s by the polar method. Pairs
// outside the open unit disc, and the pair at its centre, are rejected: the
// transform is not finite there.
inline void normalpair(State& s, float* n) {
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
    State& s = dtable()[stream];
    for (int i = 0; i < 6; ++i) s[i] = static_cast<std::uint64_t>(seed[i]);
}

void mrandgt(double* seed, int stream) {
    const State& s = dtable()[stream];
    for (int i = 0; i < 6; ++i) seed[i] = static_cast<double>(s[i]);
}

void randnorm(int stream, float* n) {
    normalpair(dtable()[stream], n);
}

void randnorms(int count, float* n) {
    State* const table = dtable();
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
