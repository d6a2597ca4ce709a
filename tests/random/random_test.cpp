// Random streams: the initial tables and first draws against their check
// values, the table rules against stepping and against a jump-ahead written
// independently here, the bounds of the uniforms at extreme states, and the
// rejections of the polar method.
#include "base/base.h"
#include "random/random.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace formeval {
namespace {

using u64 = std::uint64_t;

constexpr u64 modlus = 2147483647;
constexpr u64 lcgmult = 630360016;
constexpr u64 m1 = 4294967087;
constexpr u64 m2 = 4294944443;
constexpr double norm = 2.328306549295728e-10;

// (a * b) mod m by doubling and adding, so without any wide product.
u64 mulmod(u64 a, u64 b, u64 m) {
    u64 r = 0;
    for (a %= m; b > 0; b >>= 1) {
        if (b & 1) r = (r + a) % m;
        a = (a + a) % m;
    }
    return r;
}

u64 powmod(u64 a, u64 e, u64 m) {
    u64 p = 1;
    for (; e > 0; e >>= 1) {
        if (e & 1) p = mulmod(p, a, m);
        a = mulmod(a, a, m);
    }
    return p;
}

// Inverse modulo a prime.
u64 inverse(u64 a, u64 m) {
    return powmod(a, m - 2, m);
}

using Mat3 = std::array<std::array<u64, 3>, 3>;

Mat3 matmul(const Mat3& a, const Mat3& b, u64 m) {
    Mat3 c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) c[i][j] = (c[i][j] + mulmod(a[i][k], b[k][j], m)) % m;
    return c;
}

// a^(10^e), each power of ten the tenth power of the one before.
Mat3 powten(Mat3 a, int e, u64 m) {
    for (int i = 0; i < e; ++i) {
        Mat3 p = a;
        for (int j = 1; j < 10; ++j) p = matmul(p, a, m);
        a = p;
    }
    return a;
}

// The one-step transitions (a, b, c) -> (b, c, new) of the two components,
// written from the recurrences x1 = 1403580 x1[-2] - 810728 x1[-3] mod m1 and
// x2 = 527612 x2[-1] - 1370589 x2[-3] mod m2.
const Mat3 step1{{{0, 1, 0}, {0, 0, 1}, {m1 - 810728, 1403580, 0}}};
const Mat3 step2{{{0, 1, 0}, {0, 0, 1}, {m2 - 1370589, 0, 527612}}};

// A whole MRG state advanced by the component jumps j1 and j2.
Row6 jump(const Mat3& j1, const Mat3& j2, const Row6& s) {
    Row6 t{};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) {
            t[i] = static_cast<double>(
                (static_cast<u64>(t[i]) + mulmod(j1[i][k], static_cast<u64>(s[k]), m1)) % m1);
            t[3 + i] = static_cast<double>(
                (static_cast<u64>(t[3 + i]) + mulmod(j2[i][k], static_cast<u64>(s[3 + k]), m2)) %
                m2);
        }
    return t;
}

Row6 row(int stream) {
    Row6 s{};
    mrandgt(s.data(), stream);
    return s;
}

// An MRG state whose next two steps give first-component values p1 then q1
// and second-component values p2 then q2 (solved with s11 = s22 = 0).
Row6 statefor(u64 p1, u64 q1, u64 p2, u64 q2) {
    const u64 s10 = mulmod((m1 - p1) % m1, inverse(810728, m1), m1);
    const u64 s12 = mulmod(q1, inverse(1403580, m1), m1);
    const u64 s20 = mulmod((m2 - p2) % m2, inverse(1370589, m2), m2);
    const u64 s21 = mulmod((mulmod(527612, p2, m2) + m2 - q2) % m2, inverse(1370589, m2), m2);
    return {static_cast<double>(s10), 0, static_cast<double>(s12), static_cast<double>(s20),
            static_cast<double>(s21), 0};
}

// Every test starts from the initial contents of a run.
class Streams : public ::testing::Test {
  protected:
    void SetUp() override { resetstreams(); }
};

TEST_F(Streams, LcgTableStartsWithItsCheckValues) {
    const struct {
        int stream;
        long z;
    } checks[] = {{0, 1},          {1, 1973272912}, {2, 281629770},  {3, 20006270},
                  {4, 1280689831}, {5, 2096730329}, {100, 547070247}};
    for (const auto& c : checks) EXPECT_EQ(lcgrandgt(c.stream), c.z) << "stream " << c.stream;
}

TEST_F(Streams, MrgTableStartsWithItsCheckRows) {
    const struct {
        int stream;
        Row6 s;
    } checks[] = {
        {0, {0, 0, 1, 0, 0, 1}},
        {1, {1772212344, 1374954571, 2377447708, 540628578, 1843308759, 549575061}},
        {2, {2602294560, 1764491502, 3872775590, 4089362440, 2683806282, 437563332}},
        {10000, {2023049680, 4184669824, 4074523931, 252765086, 3328098427, 1480103038}},
    };
    for (const auto& c : checks) EXPECT_EQ(row(c.stream), c.s) << "stream " << c.stream;
}

TEST_F(Streams, LcgStreamZeroFirstDrawsAndStates) {
    EXPECT_EQ(lcgrand(0), 4924687.0f / 16777216.0f);
    EXPECT_EQ(lcgrandgt(0), 630360016);
    const struct {
        long z;
        double u;
    } next[] = {{1549035330, 0.721326}, {264620982, 0.123224}, {529512731, 0.246574}};
    for (const auto& n : next) {
        EXPECT_NEAR(lcgrand(0), n.u, 1e-6);
        EXPECT_EQ(lcgrandgt(0), n.z);
    }
}

TEST_F(Streams, LcgStreamsStartOneHundredThousandDrawsApart) {
    for (int k = 1; k < 100; ++k) {
        const long next = lcgrandgt(k + 1);
        for (int i = 0; i < 100000; ++i) lcgrand(k);
        ASSERT_EQ(lcgrandgt(k), next) << "stream " << k;
    }
}

TEST_F(Streams, LcgSplitStepEqualsTheWideProduct) {
    std::vector<u64> states = {1, 2, 65535, 65536, 65537, 1u << 30, modlus - 2, modlus - 1};
    std::mt19937 gen(11);
    std::uniform_int_distribution<u64> any(1, modlus - 1);
    for (int i = 0; i < 1000; ++i) states.push_back(any(gen));
    for (const u64 z : states) {
        lcgrandst(static_cast<long>(z), 7);
        lcgrand(7);
        ASSERT_EQ(static_cast<u64>(lcgrandgt(7)), z * lcgmult % modlus) << "from " << z;
    }
}

TEST_F(Streams, LcgrandStaysStrictlyInsideTheUnitInterval) {
    const u64 back = inverse(lcgmult, modlus);
    const struct {
        u64 z; // state after the draw
        float u;
    } extremes[] = {{1, 0x1p-24f},
                    {127, 0x1p-24f},
                    {128, 0x1p-24f},
                    {129, 0x1p-24f},
                    {256, 3 * 0x1p-24f},
                    {modlus - 2, 1 - 0x1p-24f},
                    {modlus - 1, 1 - 0x1p-24f}};
    for (const auto& e : extremes) {
        lcgrandst(static_cast<long>(mulmod(e.z, back, modlus)), 3);
        const float u = lcgrand(3);
        ASSERT_EQ(static_cast<u64>(lcgrandgt(3)), e.z);
        EXPECT_EQ(u, e.u) << "state " << e.z;
        EXPECT_GT(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
}

TEST_F(Streams, MrgStreamZeroFirstDraws) {
    EXPECT_EQ(mrand(0), (4294967087.0 - 527612) * norm);
    for (const double u : {0.18589024, 0.23571824, 0.29532576}) EXPECT_NEAR(mrand(0), u, 1e-8);
}

TEST_F(Streams, MrandStaysStrictlyInsideTheUnitInterval) {
    const struct {
        u64 s12, s22;
    } extremes[] = {{0, 0}, {m2 - 1, m2 - 1}, {1, 0}, {0, m2 - 1}, {m1 - 1, 0}, {m1 - 1, m2 - 1}};
    for (const auto& e : extremes) {
        const Row6 s = statefor(e.s12, 0, e.s22, 0);
        mrandst(s.data(), 9);
        const double u = mrand(9);
        const Row6 t = row(9);
        ASSERT_EQ(t[2], static_cast<double>(e.s12));
        ASSERT_EQ(t[5], static_cast<double>(e.s22));
        EXPECT_GT(u, 0.0) << e.s12 << " " << e.s22;
        EXPECT_LT(u, 1.0) << e.s12 << " " << e.s22;
    }
}

// The jump-ahead written here, checked against stepping for small jumps.
TEST_F(Streams, IndependentJumpAgreesWithStepping) {
    const Row6 start = row(5);
    for (int e = 0; e <= 5; ++e) {
        mrandst(start.data(), 5);
        for (long i = 0, n = std::lround(std::pow(10, e)); i < n; ++i) mrand(5);
        EXPECT_EQ(jump(powten(step1, e, m1), powten(step2, e, m2), start), row(5)) << "10^" << e;
    }
}

TEST_F(Streams, MrgRowsStartTenToTheSixteenStepsApart) {
    const Mat3 j1 = powten(step1, 16, m1);
    const Mat3 j2 = powten(step2, 16, m2);
    Row6 s = row(0);
    for (int k = 0; k < 10000; ++k) {
        const Row6 next = row(k + 1);
        ASSERT_EQ(jump(j1, j2, s), next) << "row " << k + 1;
        s = next;
    }
}

TEST_F(Streams, RandnormFirstPairRejectsOneTryAndUsesFourDraws) {
    const float v1 = 2 * static_cast<float>(mrand(0)) - 1;
    const float v2 = 2 * static_cast<float>(mrand(0)) - 1;
    EXPECT_NEAR(v1 * v1 + v2 * v2, 1.394, 1e-3);
    mrand(0);
    mrand(0);
    const Row6 afterfour = row(0);

    resetstreams();
    float n[2];
    randnorm(0, n);
    EXPECT_NEAR(n[0], -1.00339, 1e-5);
    EXPECT_NEAR(n[1], -0.777078, 1e-6);
    EXPECT_EQ(row(0), afterfour);

    // The stream continues from where the first pair left it.
    randnorm(0, n);
    EXPECT_NEAR(n[0], 0.675456, 1e-6);
    EXPECT_NEAR(n[1], -0.677504, 1e-6);
}

TEST_F(Streams, RandnormRejectsThePairAtTheDiscCentre) {
    // Two draws that are exactly 0.5 as floats, so v1 = v2 = w = 0.
    const u64 half = (m1 + 1) / 2;
    const Row6 centre = statefor(half, half, 0, 0);
    mrandst(centre.data(), 4);
    ASSERT_EQ(static_cast<float>(mrand(4)), 0.5f);
    ASSERT_EQ(static_cast<float>(mrand(4)), 0.5f);

    // The variates must be those of the pairs that follow.
    float expected[2];
    randnorm(4, expected);
    const Row6 after = row(4);

    mrandst(centre.data(), 4);
    float n[2];
    randnorm(4, n);
    EXPECT_TRUE(std::isfinite(n[0]) && std::isfinite(n[1])) << n[0] << " " << n[1];
    EXPECT_EQ(n[0], expected[0]);
    EXPECT_EQ(n[1], expected[1]);
    EXPECT_EQ(row(4), after);
}

TEST_F(Streams, SetRoutinesBeforeAnyDrawKeepTheRestOfTheTables) {
    lcgrandst(5, 3);
    EXPECT_EQ(lcgrandgt(3), 5);
    EXPECT_EQ(lcgrandgt(4), 1280689831);
    const Row6 seed = {1, 2, 3, 4, 5, 6};
    mrandst(seed.data(), 7);
    EXPECT_EQ(row(7), seed);
    EXPECT_EQ(row(2)[0], 2602294560);
}

TEST_F(Streams, StreamsAdvanceIndependently) {
    lcgrand(0);
    for (int i = 0; i < 5; ++i) lcgrand(1);
    EXPECT_NEAR(lcgrand(0), 0.721326, 1e-6);
    EXPECT_EQ(lcgrandgt(2), 281629770);

    mrand(0);
    float n[2];
    for (int i = 0; i < 5; ++i) randnorm(1, n);
    EXPECT_NEAR(mrand(0), 0.18589024, 1e-8);
    EXPECT_EQ(row(2)[0], 2602294560);
}

// The combined generator as published, in double arithmetic with fmod:
// the uniforms of the integer recurrence must be these to the last bit.
double publishedmrg(std::array<double, 6>& s) {
    double p = 1403580.0 * s[1] - 810728.0 * s[0];
    p = std::fmod(p, static_cast<double>(m1));
    if (p < 0) p += static_cast<double>(m1);
    s[0] = s[1];
    s[1] = s[2];
    s[2] = p;
    p = 527612.0 * s[5] - 1370589.0 * s[3];
    p = std::fmod(p, static_cast<double>(m2));
    if (p < 0) p += static_cast<double>(m2);
    s[3] = s[4];
    s[4] = s[5];
    s[5] = p;
    return s[2] <= s[5] ? (s[2] - s[5] + static_cast<double>(m1)) * norm : (s[2] - s[5]) * norm;
}

TEST_F(Streams, MrandIsThePublishedRecurrenceToTheLastBit) {
    for (const int stream : {0, 1, 5000, 10000}) {
        std::array<double, 6> s;
        mrandgt(s.data(), stream);
        for (int step = 0; step < 200000; ++step) {
            const double expected = publishedmrg(s);
            const double got = mrand(stream);
            ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0)
                << "stream " << stream << ", step " << step;
        }
    }
}

// The batch draws each stream's pair as randnorm would, stream by stream.
TEST_F(Streams, RandnormsDrawsWhatRandnormDraws) {
    constexpr int count = 2048;
    std::vector<float> batch(2 * count);
    for (int round = 0; round < 50; ++round) randnorms(count, batch.data());
    std::vector<float> single(2 * count);
    resetstreams();
    for (int round = 0; round < 50; ++round)
        for (int k = 0; k < count; ++k) randnorm(k, &single[2 * k]);
    EXPECT_EQ(std::memcmp(batch.data(), single.data(), batch.size() * sizeof(float)), 0);
}

TEST_F(Streams, ResetRestoresTheInitialContents) {
    float n[2];
    for (int i = 0; i < 3; ++i) {
        lcgrand(0);
        lcgrand(100);
        randnorm(10000, n);
    }
    lcgrandst(42, 1);
    resetstreams();
    EXPECT_EQ(lcgrandgt(1), 1973272912);
    EXPECT_EQ(lcgrandgt(100), 547070247);
    EXPECT_EQ(row(10000)[5], 1480103038);
    EXPECT_EQ(lcgrand(0), 4924687.0f / 16777216.0f);
    randnorm(0, n);
    EXPECT_NEAR(n[0], -1.00339, 1e-5);
}

} // namespace
} // namespace formeval
