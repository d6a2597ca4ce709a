// A dual simplex over implicit constraints: whole, or on a working set that
// grows with the most violated constraints of a large source.
#pragma once

#include "pointset/frame.h"

#include <algorithm>
#include <array>
#include <functional>
#include <utility>
#include <vector>

namespace formeval::pointset::kernel {

constexpr int mostk = 7; // a cone: the level, four moves of the axis, the slope, the zone

// Gaussian elimination with partial pivoting of a k x k matrix (row-major,
// k <= mostk), kept so that each right-hand side given later is solved by
// the very operations a whole solve would apply to it: one elimination for
// several sides, each solution the same to the bit.
class Elimination {
  public:
    // Eliminates a in place (it must outlive the solves); false when it is
    // singular.
    bool factor(int k, double* a);
    // Solves a x = b in place; false when a is singular or x not finite.
    bool apply(double* b) const;

  private:
    // The same for a size known when compiled (unrolled; the same operations).
    template <int K> bool factorfixed(double* a);
    template <int K> bool applyfixed(double* b) const;

    int k_ = 0;
    const double* a_ = nullptr;
    bool ok_ = false;
    std::array<int, mostk> pivot_;        // written by factor() before apply() reads them
    std::array<double, mostk * mostk> f_; // column c's multiplier of row r at c * mostk + r
};

// Solves the k x k system a x = b (row-major, partial pivoting, k <= mostk);
// false when it is singular.
bool solve(int k, double* a, double* b);

// Dual simplex: minimise e.y over y in R^k (k <= 6) subject to c_i.y <= b_i
// for constraints given by the source, from a basis of k constraints whose
// multipliers mu (e + sum mu_j c_j = 0) are not negative. Source:
//   int k;
//   void row(long id, double* c, double& b) const;
//   long worst(const double* y, double& excess) const; // most violated, -1 none
// Ends when no constraint is violated by more than `slack`.
struct Simplex {
    bool ok = false;
    std::array<double, mostk> y = {};
    std::array<long, mostk> basis = {};
    std::array<double, mostk> mu = {};
    int iterations = 0;
};

template <class Source>
Simplex dualsimplex(const Source& s, const double* e, std::array<long, mostk> basis, double slack,
                    int mostiterations) {
    const int k = s.k;
    Simplex out;
    std::array<double, mostk * mostk> C{};
    std::array<double, mostk> b{};
    for (out.iterations = 0; out.iterations < mostiterations; ++out.iterations) {
        std::array<double, mostk * mostk> T{};
        for (int j = 0; j < k; ++j) {
            s.row(basis[j], &C[j * k], b[j]);
            for (int l = 0; l < k; ++l) T[l * k + j] = C[j * k + l];
        }
        // y from C y = b, mu from C^T mu = -e (C^T eliminated once, for
        // alpha below too).
        std::array<double, mostk* mostk> A = C;
        std::array<double, mostk> y = b;
        if (!solve(k, A.data(), y.data())) return out;
        std::array<double, mostk> mu{};
        for (int j = 0; j < k; ++j) mu[j] = -e[j];
        Elimination transposed;
        transposed.factor(k, T.data());
        if (!transposed.apply(mu.data())) return out;
        out.y = y;
        out.basis = basis;
        out.mu = mu;
        double excess = 0;
        const long q = s.worst(y.data(), excess);
        if (q < 0 || !(excess > slack)) {
            out.ok = true;
            return out;
        }
        // c_q = C^T alpha; the leaving row keeps every multiplier positive.
        std::array<double, mostk> alpha{};
        double bq = 0;
        s.row(q, alpha.data(), bq);
        if (!transposed.apply(alpha.data())) return out;
        int leave = -1;
        double ratio = inf;
        for (int j = 0; j < k; ++j)
            if (alpha[j] > 1e-13 && std::max(mu[j], 0.0) / alpha[j] < ratio) {
                ratio = std::max(mu[j], 0.0) / alpha[j];
                leave = j;
            }
        if (leave < 0) return out;
        basis[leave] = q;
    }
    return out;
}

// The dual simplex on a working set of constraints (`set`, grown in place):
// solved on the set, then every constraint is checked in one pass and the
// most violated few join the set, until none is violated. A source for it
// also has
//   long size() const;                               // constraints: ids 0 .. size - 1
//   template <class F> void each(const double* y, F f) const; // f(id, excess) for every
//                                                    // constraint that may be the worst
template <class Source> struct Restricted {
    const Source& s;
    int k;
    std::vector<long> ids;
    std::vector<double> rows; // per member: c (k numbers), then b
    Restricted(const Source& source, const std::vector<long>& set)
        : s(source), k(source.k), ids(set), rows(set.size() * (source.k + 1)) {
        for (std::size_t j = 0; j < ids.size(); ++j) {
            double* r = &rows[j * (k + 1)];
            s.row(ids[j], r, r[k]);
        }
    }
    void row(long id, double* c, double& b) const { s.row(id, c, b); }
    long worst(const double* y, double& excess) const {
        long best = -1;
        excess = -inf;
        for (std::size_t j = 0; j < ids.size(); ++j) {
            const double* r = &rows[j * (k + 1)];
            double e = -r[k];
            for (int l = 0; l < k; ++l) e += r[l] * y[l];
            if (e > excess) excess = e, best = ids[j];
        }
        return best;
    }
};

// Sources of up to this many constraints are solved whole (the dual simplex
// over all of them), larger ones on a working set.
constexpr long wholeset = 8192;

template <class Source>
Simplex dualsimplexset(const Source& s, const double* e, std::array<long, mostk> basis,
                       double slack, int mostiterations, std::vector<long>& set) {
    if (s.size() <= wholeset) return dualsimplex(s, e, basis, slack, mostiterations);
    for (int j = 0; j < s.k; ++j) set.push_back(basis[j]);
    Simplex out;
    for (int round = 0; round < 200; ++round) {
        std::sort(set.begin(), set.end());
        set.erase(std::unique(set.begin(), set.end()), set.end());
        const Restricted<Source> r(s, set);
        out = dualsimplex(r, e, basis, slack, mostiterations);
        if (!out.ok) return out;
        basis = out.basis;
        // The most violated constraints of all, at most `batch` of them.
        constexpr std::size_t batch = 64;
        std::vector<std::pair<double, long>> worst;
        s.each(out.y.data(), [&](long id, double excess) {
            if (!(excess > slack)) return;
            if (worst.size() < batch) {
                worst.emplace_back(excess, id);
                std::push_heap(worst.begin(), worst.end(), std::greater<>());
            } else if (excess > worst.front().first) {
                std::pop_heap(worst.begin(), worst.end(), std::greater<>());
                worst.back() = {excess, id};
                std::push_heap(worst.begin(), worst.end(), std::greater<>());
            }
        });
        if (worst.empty()) return out;
        for (const auto& [excess, id] : worst) set.push_back(id);
    }
    out.ok = false;
    return out;
}

} // namespace formeval::pointset::kernel
