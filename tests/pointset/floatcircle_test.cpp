// The circumscribed circle's floating-point shortcut: where it places a point
// inside or outside the circle of two or three points, the exact test agrees.
// Integer coordinates make the exact test exact in 128-bit integers: lattice
// points on circles of radius 5 to 325 (boundary cases, where only the exact
// test may decide) and their neighbours one unit away, about the origin and
// about a centre 2^20 away.
#include "pointset/kernels.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace formeval::pointset {
namespace {

__extension__ typedef __int128 Int; // exact for these coordinates

struct Lattice {
    long x, y;
};

// The lattice points at squared distance r2 from the origin.
std::vector<Lattice> oncircle(long r2) {
    std::vector<Lattice> out;
    for (long x = -400; x <= 400; ++x)
        for (long y = -400; y <= 400; ++y)
            if (x * x + y * y == r2) out.push_back({x, y});
    return out;
}

// The exact test: q in the closed disc on the diameter ab, or in the
// closed disc through a, b and c.
bool exactlyinside(const Lattice& a, const Lattice& b, const Lattice* c, const Lattice& q) {
    const Int ax = a.x - q.x, ay = a.y - q.y, bx = b.x - q.x, by = b.y - q.y;
    if (!c) return ax * bx + ay * by <= 0;
    const Int cx = c->x - q.x, cy = c->y - q.y;
    const Int a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const Int det = a2 * (bx * cy - by * cx) + b2 * (cx * ay - cy * ax) + c2 * (ax * by - ay * bx);
    const Int turn = Int(b.x - a.x) * (c->y - a.y) - Int(b.y - a.y) * (c->x - a.x);
    return turn > 0 ? det >= 0 : det <= 0;
}

// Checks every query against the support's circle (c null: two points);
// counts those asked and decided.
void check(const Lattice& a, const Lattice& b, const Lattice* c,
           const std::vector<Lattice>& queries, long& asked, long& decided) {
    const double pa[2] = {double(a.x), double(a.y)};
    const double pb[2] = {double(b.x), double(b.y)};
    const double pc[2] = {c ? double(c->x) : 0, c ? double(c->y) : 0};
    kernel::FloatCircle f;
    if (!kernel::floatcircle(pa, pb, c ? pc : nullptr, f)) return;
    for (const Lattice& q : queries) {
        const double pq[2] = {double(q.x), double(q.y)};
        const int side = kernel::circleside(f, pq);
        ++asked;
        if (side == 0) continue;
        ++decided;
        ASSERT_EQ(side > 0, exactlyinside(a, b, c, q))
            << (c ? "three" : "two") << " q (" << q.x << ", " << q.y << ") a (" << a.x << ", "
            << a.y << ")";
    }
}

// Lattice circles: their boundary points, where only the exact test may
// decide, and the neighbours one unit away.
TEST(FloatCircle, LeavesTheBoundaryToTheExactTest) {
    std::mt19937 gen(6);
    long decided = 0, asked = 0;
    for (const long r2 : {25L, 625L, 4225L, 105625L})
        for (const long offset : {0L, 1L << 20}) {
            std::vector<Lattice> on = oncircle(r2);
            for (auto& p : on) p.x += offset, p.y -= offset / 3;
            std::vector<Lattice> queries;
            for (const Lattice& p : on)
                for (const Lattice d :
                     {Lattice{0, 0}, Lattice{1, 0}, Lattice{-1, 0}, Lattice{0, 1}, Lattice{0, -1}})
                    queries.push_back({p.x + d.x, p.y + d.y});
            std::uniform_int_distribution<std::size_t> pick(0, on.size() - 1);
            for (int trial = 0; trial < 30; ++trial) {
                const Lattice a = on[pick(gen)], b = on[pick(gen)], c = on[pick(gen)];
                if ((a.x == b.x && a.y == b.y) || (a.x == c.x && a.y == c.y) ||
                    (b.x == c.x && b.y == c.y))
                    continue;
                check(a, b, &c, queries, asked, decided);
                check(a, b, nullptr, queries, asked, decided);
            }
        }
    EXPECT_GT(decided, asked / 2);
}

// Circles of random lattice points far from the origin (2^30, 2^40), whose
// centres floating point rounds by as much as the gaps between the lattice
// points' levels: the points rounded from the circle and their neighbours.
TEST(FloatCircle, PlacesOnlyWhatTheExactTestPlacesAlike) {
    std::mt19937_64 gen(7);
    long decided = 0, asked = 0;
    for (const long offset : {0L, 1L << 30, 1L << 40})
        for (const long size : {10L, 1000L, 30000L}) {
            std::uniform_int_distribution<long> box(-size, size);
            std::uniform_real_distribution<double> turn(0, 2 * std::acos(-1.0));
            for (int trial = 0; trial < 40; ++trial) {
                Lattice p[3];
                for (auto& q : p) q = {offset + box(gen), offset / 7 + box(gen)};
                for (const int count : {2, 3}) {
                    const double pa[2] = {double(p[0].x), double(p[0].y)};
                    const double pb[2] = {double(p[1].x), double(p[1].y)};
                    const double pc[2] = {double(p[2].x), double(p[2].y)};
                    kernel::FloatCircle f;
                    if (!kernel::floatcircle(pa, pb, count == 3 ? pc : nullptr, f)) continue;
                    std::vector<Lattice> queries;
                    const double r = std::sqrt(f.r2);
                    for (int k = 0; k < 200; ++k) {
                        const double t = turn(gen);
                        const Lattice q = {std::lround(f.o[0] + r * std::cos(t)),
                                           std::lround(f.o[1] + r * std::sin(t))};
                        for (const Lattice d : {Lattice{0, 0}, Lattice{1, 0}, Lattice{0, -1}})
                            queries.push_back({q.x + d.x, q.y + d.y});
                    }
                    check(p[0], p[1], count == 3 ? &p[2] : nullptr, queries, asked, decided);
                }
            }
        }
    EXPECT_GT(decided, asked / 2);
}

// The search's scan, two points a step, stops where the one-by-one test
// first fails to place a point inside: lists mostly of points well inside,
// with some on the boundary, just outside, far outside or not numbers, at a
// stride of three, from every start.
TEST(FloatCircle, ScanStopsWhereTheTestFirstLeavesAPointOut) {
    std::mt19937 gen(8);
    const double a[2] = {3, 4}, b[2] = {-5, 0}, c[2] = {0, -5};
    kernel::FloatCircle f;
    ASSERT_TRUE(kernel::floatcircle(a, b, c, f));
    const double nan = std::nan("");
    // x, y and a third coordinate the scan must skip.
    const std::vector<double> pool = {0,   0, 9, 1, 2,   9, -3, 1,   9, 2, -2,  9,
                                      3,   4, 9, 5, 0,   9, 5,  0.1, 9, 9, 9,   9,
                                      nan, 0, 9, 0, nan, 9, 4,  -1,  9, 0, 4.9, 9};
    const std::size_t count = pool.size() / 3;
    std::uniform_int_distribution<std::size_t> inside(0, 3), any(0, count - 1);
    for (int trial = 0; trial < 4000; ++trial) {
        std::vector<std::size_t> list(trial % 14);
        for (std::size_t& k : list) k = gen() % 4 == 0 ? any(gen) : inside(gen);
        for (std::size_t from = 0; from <= list.size(); ++from) {
            std::size_t expected = from;
            while (expected < list.size() &&
                   kernel::circleside(f, pool.data() + 3 * list[expected]) > 0)
                ++expected;
            ASSERT_EQ(kernel::firstnotinside(f, pool.data(), 3, list.data(), from, list.size()),
                      expected)
                << "trial " << trial << " from " << from;
        }
    }
}

// Three points all but on one line leave the centre to rounding: no circle.
TEST(FloatCircle, RefusesWhatRoundingWouldMove) {
    const double a[2] = {0, 0}, b[2] = {1, 1e-17}, c[2] = {2, 0};
    kernel::FloatCircle f;
    EXPECT_FALSE(kernel::floatcircle(a, b, c, f));
    const double d[2] = {1, 0.5};
    EXPECT_TRUE(kernel::floatcircle(a, d, c, f));
}

} // namespace
} // namespace formeval::pointset
