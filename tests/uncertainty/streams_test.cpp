// The trials' generator: the recurrence of the program's own MRG32k3a
// streams, the published jump-ahead matrices, substreams that do not depend
// on the order they are reached in, and the moments of every distribution.
#include "random/random.h"
#include "tests/harness/harness.h"
#include "uncertainty/engine.h"
#include "uncertainty/streams.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace formeval::uncertainty {
namespace {

using mrg32k3a::advance;
using mrg32k3a::powerof2;

// L'Ecuyer, Simard, Chen and Kelton (2002), An object-oriented random-number
// package with many long streams and substreams: A^(2^76) and A^(2^127) of
// each component.
constexpr Matrix a1p76 = {{{82758667, 1871391091, 4127413238},
                           {3672831523, 69195019, 1871391091},
                           {3672091415, 3528743235, 69195019}}};
constexpr Matrix a2p76 = {{{1511326704, 3759209742, 1610795712},
                           {4292754251, 1511326704, 3889917532},
                           {3859662829, 4292754251, 3708466080}}};
constexpr Matrix a1p127 = {{{2427906178, 3580155704, 949770784},
                            {226153695, 1230515664, 3580155704},
                            {1988835001, 986791581, 1230515664}}};
constexpr Matrix a2p127 = {{{1464411153, 277697599, 1610723613},
                            {32183930, 1464411153, 1022607788},
                            {2824425944, 32183930, 2093834863}}};

TEST(Streams, JumpMatricesAreThePublishedOnes) {
    EXPECT_EQ(powerof2<m1>(a1, 76), a1p76);
    EXPECT_EQ(powerof2<m2>(a2, 76), a2p76);
    EXPECT_EQ(powerof2<m1>(a1, 127), a1p127);
    EXPECT_EQ(powerof2<m2>(a2, 127), a2p127);
}

// The same uniforms as the program's streams from the same state, and a
// jump of 2^10 lands where 1024 steps do.
TEST(Streams, FollowTheProgramsRecurrence) {
    resetstreams();
    const State start = {1, 2, 3, 4, 5, 6};
    double seed[6];
    for (int k = 0; k < 6; ++k) seed[k] = static_cast<double>(start[k]);
    mrandst(seed, 7);
    Generator g(start);
    for (int n = 0; n < 1024; ++n) ASSERT_EQ(g.uniform(), mrand(7)) << "draw " << n;
    EXPECT_EQ(advance(powerof2<m1>(a1, 10), powerof2<m2>(a2, 10), start), g.state());
    resetstreams();
}

// Blocks of draws, eight at a time in vectors or one by one, are the
// recurrence's own draws and leave the state where as many steps do: from
// the first state, a substream's, and states at the ends of the moduli
// (every value m - 1, where a fold that lost a carry would show, and the
// smallest nonzero ones).
TEST(Streams, BlocksAreTheRecurrencesDraws) {
    const std::vector<State> starts = {{12345, 12345, 12345, 12345, 12345, 12345},
                                       Substreams(5).start(77),
                                       {m1 - 1, m1 - 1, m1 - 1, m2 - 1, m2 - 1, m2 - 1},
                                       {0, 0, 1, 0, 0, 1},
                                       {m1 - 1, 0, m1 - 1, 0, m2 - 1, 0}};
    for (const State& start : starts)
        for (const bool vectors : {true, false})
            for (const int n : {8, 64, 4096}) {
                State stepped = start, blocked = start;
                std::vector<std::uint64_t> drawn(n);
                drawblock(blocked, drawn.data(), n, vectors);
                for (int k = 0; k < n; ++k)
                    ASSERT_EQ(drawn[k], mrg32k3a::next(stepped))
                        << "draw " << k << " of " << n << (vectors ? ", vectors" : "");
                EXPECT_EQ(blocked, stepped);
            }
}

// A seed gives the same numbers in every version, so that a study run again
// gives its numbers again: the draws of seed 1's first substream as the
// ziggurat first gave them (the first four, the 100 000th and the sum of
// all 100 000 in order), whatever makes them faster.
TEST(Gaussian, SameDrawsAsTheyWereFirstMade) {
    Generator g(Substreams(1).start(0));
    std::vector<double> x(100000);
    g.gaussians(x.data(), x.size());
    EXPECT_EQ(x[0], 0x1.c534b613b8ecp-1);
    EXPECT_EQ(x[1], 0x1.ffe748a9ad1e9p-2);
    EXPECT_EQ(x[2], -0x1.013b2d645f18bp-3);
    EXPECT_EQ(x[3], 0x1.7746b6c704cffp-1);
    EXPECT_EQ(x[99999], -0x1.00ce8b2d31aa4p-3);
    double sum = 0;
    for (const double v : x) sum += v;
    EXPECT_EQ(sum, -0x1.04bf8906449e8p+5);
}

// Gaussians drawn a batch at a time are those drawn one by one, through the
// tail and the wedges (a tenth of a million draws meet both), and the
// stream is left where one by one leaves it.
TEST(Gaussian, BatchIsOneByOne) {
    Generator batch(Substreams(2).start(3)), single(Substreams(2).start(3));
    std::vector<double> x(100003);
    batch.gaussians(x.data(), 7);
    batch.gaussians(x.data() + 7, x.size() - 7);
    long tail = 0;
    for (std::size_t k = 0; k < x.size(); ++k) {
        const double y = single.gaussian();
        ASSERT_EQ(x[k], y) << "draw " << k;
        tail += std::fabs(y) > 3.442619855899;
    }
    EXPECT_GT(tail, 0);
    EXPECT_EQ(batch.state(), single.state());
    EXPECT_EQ(batch.uniform(), single.uniform());
}

// Substream t is t jumps of 2^76 from the stream's start, however reached;
// streams of different seeds start 2^127 apart.
TEST(Streams, SubstreamsAreJumpsFromTheStreamsStart) {
    const Substreams s(3);
    const Matrix j1 = powerof2<m1>(a1, 76), j2 = powerof2<m2>(a2, 76);
    State walked = s.start(0);
    for (std::uint64_t t = 1; t <= 40; ++t) {
        walked = advance(j1, j2, walked);
        ASSERT_EQ(s.start(t), walked) << "substream " << t;
    }
    State stream = {12345, 12345, 12345, 12345, 12345, 12345};
    for (int k = 0; k < 3; ++k) stream = advance(a1p127, a2p127, stream);
    EXPECT_EQ(s.start(0), stream);
    EXPECT_NE(Substreams(4).start(0), stream);
}

// The ziggurat's draws against the normal distribution: the largest gap
// between their empirical distribution and Phi within the 1 % point of the
// Kolmogorov-Smirnov statistic, and as many beyond the base strip's edge r
// (drawn from the tail) as 2 (1 - Phi(r)) foretells, within five standard
// errors.
TEST(Gaussian, FollowsTheNormalDistribution) {
    Generator g(Substreams(9).start(11));
    constexpr int n = 400000;
    std::vector<double> x(n);
    for (double& v : x) v = g.gaussian();
    std::sort(x.begin(), x.end());
    double gap = 0;
    long tail = 0;
    for (int i = 0; i < n; ++i) {
        const double phi = 0.5 * std::erfc(-x[i] / std::sqrt(2.0));
        gap = std::max({gap, std::fabs(phi - double(i) / n), std::fabs(phi - double(i + 1) / n)});
        tail += std::fabs(x[i]) > 3.442619855899;
    }
    EXPECT_LT(gap, 1.63 / std::sqrt(double(n)));
    const double expected = n * std::erfc(3.442619855899 / std::sqrt(2.0));
    EXPECT_NEAR(double(tail), expected, 5 * std::sqrt(expected));
}

// A trial's points take their draws in the documented order: every
// systematic contribution once, then point by point each per-point one in
// model order (d draws for the coordinates, one along the normal or an
// axis). Gaussian models draw them in one batch; the check draws them one
// by one.
TEST(Trial, PointsTakeTheirDrawsInModelOrder) {
    Problem p;
    p.dimension = 3;
    p.count = 50;
    for (std::size_t i = 0; i < p.count; ++i) {
        const double a = 0.1 * static_cast<double>(i);
        p.points.insert(p.points.end(), {std::cos(a), std::sin(a), 0.01 * a});
        p.normals.insert(p.normals.end(), {std::cos(a), std::sin(a), 0});
    }
    const Contribution xyz{"xyz", Acts::coordinates, Distribution::gaussian, 0.5};
    const Contribution probe{"probe", Acts::normal, Distribution::gaussian, 0.25};
    const Contribution z{"z", Acts::z, Distribution::gaussian, 2};
    const Contribution flat{"flat", Acts::y, Distribution::rectangular, 0.75};
    const Contribution scale{"scale", Acts::scale, Distribution::gaussian, 1e-3};
    const std::vector<std::vector<Contribution>> models = {
        {xyz}, {xyz, probe}, {z, xyz}, {scale, probe, z}, {xyz, flat}, {flat}};
    for (std::size_t m = 0; m < models.size(); ++m) {
        p.model = models[m];
        Generator g(Substreams(4).start(m)), check(Substreams(4).start(m));
        std::vector<double> moved;
        trialpoints(p, g, moved);
        Systematic sys{};
        bool systematicdrawn = false;
        for (const Contribution& c : p.model)
            if (systematic(c.acts)) {
                addsystematic(c.acts, check.draw(c.distribution, c.width), sys);
                systematicdrawn = true;
            }
        std::vector<double> expected = p.points;
        for (std::size_t i = 0; i < p.count; ++i)
            for (const Contribution& c : p.model) {
                double* q = &expected[3 * i];
                const double* n = &p.normals[3 * i];
                if (c.acts == Acts::coordinates)
                    for (int k = 0; k < 3; ++k) q[k] += check.draw(c.distribution, c.width);
                else if (c.acts == Acts::normal) {
                    const double e = check.draw(c.distribution, c.width);
                    for (int k = 0; k < 3; ++k) q[k] += e * n[k];
                } else if (c.acts == Acts::y)
                    q[1] += check.draw(c.distribution, c.width);
                else if (c.acts == Acts::z)
                    q[2] += check.draw(c.distribution, c.width);
            }
        if (systematicdrawn) transform(sys, 3, expected);
        EXPECT_EQ(moved, expected) << "model " << m;
        EXPECT_EQ(g.state(), check.state()) << "model " << m;
    }
}

struct MomentsCase {
    Distribution d;
    double width;
};

class DistributionMoments : public ::testing::TestWithParam<MomentsCase> {};

// Mean 0 and standard deviation standarduncertainty(width), each within five
// of its standard errors over 200 000 draws; the bounded ones stay within
// [-width, width] and reach near both ends.
TEST_P(DistributionMoments, MatchTheirStandardUncertainty) {
    const MomentsCase c = GetParam();
    Generator g(Substreams(1).start(5));
    constexpr int n = 200000;
    double sum = 0, squares = 0, fourth = 0, low = 0, high = 0;
    for (int i = 0; i < n; ++i) {
        const double x = g.draw(c.d, c.width);
        sum += x;
        squares += x * x;
        fourth += x * x * x * x;
        low = std::min(low, x);
        high = std::max(high, x);
    }
    const double u = standarduncertainty(c.d, c.width);
    const double variance = squares / n;
    EXPECT_NEAR(sum / n, 0, 5 * u / std::sqrt(n));
    // Standard error of the variance: sqrt((m4 - u^4) / n).
    EXPECT_NEAR(variance, u * u, 5 * std::sqrt((fourth / n - variance * variance) / n));
    if (c.d != Distribution::gaussian) {
        EXPECT_LE(high, c.width);
        EXPECT_GE(low, -c.width);
        EXPECT_GT(high, 0.99 * c.width);
        EXPECT_LT(low, -0.99 * c.width);
    } else {
        EXPECT_GT(high, 4 * c.width);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, DistributionMoments,
                         ::testing::Values(MomentsCase{Distribution::gaussian, 0.5},
                                           MomentsCase{Distribution::rectangular, 2},
                                           MomentsCase{Distribution::triangular, 3},
                                           MomentsCase{Distribution::arcsine, 1e-6}),
                         test::namedby([](const MomentsCase& c) {
                             return std::string(distributionname(c.d));
                         }));

} // namespace
} // namespace formeval::uncertainty
