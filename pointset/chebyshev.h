// Chebyshev (minimax) fits of rows as linear programs: a first dual-feasible
// basis, the extremes met, and the fit over points kept or computed afresh.
#pragma once

#include "pointset/simplex.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

namespace formeval::pointset::kernel {

// A first dual-feasible basis of a Chebyshev fit of m parameters (rows
// a(i), observations f(i); constraint 2i: f - a.x <= h, 2i + 1: a.x - f <= h):
// m + 1 of the candidate points whose rows' null vector has no zero entry,
// signed by it. With `degenerate`, a zero entry is allowed (its multiplier
// is zero, its side either): points that repeat a row of the model, or a line's
// points at one x, leave no other.
template <class Rows>
bool startbasis(const Rows& rows, int m, const std::vector<std::size_t>& candidates,
                std::array<long, mostk>& basis, bool degenerate = false) {
    const int c = static_cast<int>(candidates.size());
    std::array<int, mostk> set{};
    const auto tryset = [&]() {
        double M[36], nu[7], a[6] = {}, f = 0;
        for (int j = 0; j < m; ++j) {
            rows(candidates[set[j]], a, f);
            for (int r = 0; r < m; ++r) M[r * m + j] = a[r];
        }
        rows(candidates[set[m]], a, f);
        for (int r = 0; r < m; ++r) nu[r] = -a[r];
        if (!solve(m, M, nu)) return false;
        nu[m] = 1;
        for (int j = 0; j <= m; ++j) {
            if (!(std::fabs(nu[j]) > 1e-12) && !(degenerate && std::isfinite(nu[j]))) return false;
            basis[j] = 2 * static_cast<long>(candidates[set[j]]) + (nu[j] < 0);
        }
        return true;
    };
    // Subsets in lexicographic order.
    for (int j = 0; j <= m; ++j) set[j] = j;
    while (set[0] <= c - m - 1) {
        if (set[m] < c && tryset()) return true;
        int j = m;
        while (j >= 0 && set[j] >= c - (m - j) - 1) --j;
        if (j < 0) break;
        ++set[j];
        for (int l = j + 1; l <= m; ++l) set[l] = set[l - 1] + 1;
    }
    return false;
}

// The k points of largest and of smallest value met, kept in two heaps.
struct Extremes {
    std::size_t k;
    std::vector<std::pair<double, std::size_t>> high, low; // min-heap, max-heap
    void take(double v, std::size_t i) {
        takehigh(v, i);
        takelow(v, i);
    }
    void takehigh(double v, std::size_t i) {
        if (high.size() < k || v > high.front().first) {
            if (high.size() == k)
                std::pop_heap(high.begin(), high.end(), std::greater<>()), high.pop_back();
            high.emplace_back(v, i);
            std::push_heap(high.begin(), high.end(), std::greater<>());
        }
    }
    void takelow(double v, std::size_t i) {
        if (low.size() < k || v < low.front().first) {
            if (low.size() == k) std::pop_heap(low.begin(), low.end()), low.pop_back();
            low.emplace_back(v, i);
            std::push_heap(low.begin(), low.end());
        }
    }
    // Working-set ids of a Chebyshev fit: 2i above the zone, 2i + 1 below.
    std::vector<long> ids() const {
        std::vector<long> out;
        for (const auto& e : high) out.push_back(2 * static_cast<long>(e.second));
        for (const auto& e : low) out.push_back(2 * static_cast<long>(e.second) + 1);
        return out;
    }
};

// The most violated constraint of a source that visits all of them (each).
template <class Source> long worstof(const Source& s, const double* y, double& excess) {
    long best = -1;
    excess = -inf;
    s.each(y, [&](long id, double e) {
        if (e > excess) excess = e, best = id;
    });
    return best;
}

// Copies count (at most 5) numbers one by one: a loop of a count unknown to
// the compiler becomes a call of memcpy, which for a point's few numbers
// costs more than the copy.
inline void copyfew(double* to, const double* from, int count) {
    for (int j = 0; j < count; ++j) {
        const double v = from[j];
        to[j] = v;
        if (j == 4) break;
    }
}

// Whether Rows can write a whole cache at once: fill(n, m, cache), in the
// cache's layout (the columns after the first, then the observation), true
// when it did.
template <class Rows, class = void> struct fillsrows : std::false_type {};
template <class Rows>
struct fillsrows<Rows, std::void_t<decltype(std::declval<const Rows&>().fill(
                           std::size_t{}, int{}, static_cast<double*>(nullptr)))>>
    : std::true_type {};

// The Chebyshev fit of rows as a linear program in y = (x, h), for rows whose
// first column is all ones (a zone of constant width). Up to `cached` points
// have their rows computed once and kept (m numbers a point: the other
// columns and the observation); more are computed afresh on every pass, which
// keeps memory and its traffic down.
constexpr std::size_t cached = std::size_t(1) << 21;

template <class Rows> struct Chebyshev {
    const Rows& rows;
    std::size_t n;
    int m;
    int k = m + 1;
    std::vector<double> own; // the cache, unless the caller lends one
    double* cache = nullptr; // null: rows computed afresh

    // `store`, where given, holds the cache instead of the fit's own: a
    // descent that builds one fit after another reuses its memory.
    Chebyshev(const Rows& r, std::size_t count, int parameters,
              std::vector<double>* store = nullptr)
        : rows(r), n(count), m(parameters) {
        if (count <= cached) {
            std::vector<double>& c = store ? *store : own;
            if (c.size() < count * parameters) c.resize(count * parameters);
            cache = c.data();
        }
        if constexpr (fillsrows<Rows>::value)
            if (cache && rows.fill(n, m, cache)) return;
        double a[6] = {};
        for (std::size_t i = 0; i < n && cache; ++i) {
            double* c = cache + i * m;
            rows(i, a, c[m - 1]);
            copyfew(c, a + 1, m - 1);
        }
    }
    Chebyshev(const Chebyshev&) = delete;
    Chebyshev& operator=(const Chebyshev&) = delete;
    double observation(std::size_t i) const {
        if (cache) return cache[i * m + m - 1];
        double a[6], f;
        rows(i, a, f);
        return f;
    }
    void at(std::size_t i, double* a, double& f) const {
        if (!cache) return rows(i, a, f);
        const double* c = cache + i * m;
        a[0] = 1;
        for (int j = 1; j < m; ++j) a[j] = c[j - 1];
        f = c[m - 1];
    }
    void row(long id, double* c, double& b) const {
        double a[6] = {}, f = 0;
        at(static_cast<std::size_t>(id / 2), a, f);
        const double s = id % 2 == 0 ? 1 : -1;
        for (int j = 0; j < m; ++j) c[j] = -s * a[j];
        c[m] = -1;
        b = -s * f;
    }
    long size() const { return 2 * static_cast<long>(n); }
    template <class F> void each(const double* y, F f) const {
        if (!cache) {
            for (std::size_t i = 0; i < n; ++i) {
                double a[6] = {}, o = 0;
                rows(i, a, o);
                double r = o;
                for (int j = 0; j < m; ++j) r -= a[j] * y[j];
                f(2 * static_cast<long>(i) + (r < 0), std::fabs(r) - y[m]);
            }
            return;
        }
        const double* c = cache;
        for (std::size_t i = 0; i < n; ++i, c += m) {
            double r = c[m - 1] - y[0];
            for (int j = 1; j < m; ++j) r -= c[j - 1] * y[j];
            f(2 * static_cast<long>(i) + (r < 0), std::fabs(r) - y[m]);
        }
    }
    long worst(const double* y, double& excess) const { return worstof(*this, y, excess); }

    // Cuts the candidates (in the points' order) to those whose observation
    // comes no later in `order` than the k-th one's, keeping their order, and
    // returns that observation; room grows when ties leave many.
    template <class Order>
    double cut(std::vector<std::size_t>& candidates, std::size_t k, Order order,
               std::size_t& room) const {
        std::vector<double> v(candidates.size());
        for (std::size_t j = 0; j < v.size(); ++j) v[j] = observation(candidates[j]);
        std::nth_element(v.begin(), v.begin() + static_cast<long>(k - 1), v.end(), order);
        const double kth = v[k - 1];
        candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                        [&](std::size_t i) { return order(kth, observation(i)); }),
                         candidates.end());
        room = std::max(room, 2 * candidates.size());
        return kth;
    }

    // The largest and smallest observation; for a set solved on a working set
    // also the constraints of the 96 points farthest either way, to start it.
    std::vector<long> levels(double& top, double& bottom) const {
        // The levels by value in a loop of their own: kept in registers, not
        // in memory from one point to the next.
        double high = -inf, low = inf;
        for (std::size_t i = 0; i < n; ++i) {
            const double d = observation(i);
            high = d > high ? d : high;
            low = d < low ? d : low;
        }
        top = high;
        bottom = low;
        Extremes e{96, {}, {}};
        if (size() > wholeset) {
            // A value below the k-th largest met so far is never among the k
            // largest of all, and passing it over leaves the heap with the
            // points it would hold had it been taken (it would only have been
            // put out again). So the candidates are gathered, cut down now
            // and then to those at least the k-th largest among them, and
            // then taken in the points' order; the same for the smallest.
            std::vector<std::size_t> high, low;
            double highcut = -inf, lowcut = inf;
            std::size_t highroom = 4 * e.k, lowroom = 4 * e.k;
            for (std::size_t i = 0; i < n; ++i) {
                const double d = observation(i);
                if (!(d < highcut)) {
                    high.push_back(std::size_t{i});
                    if (high.size() >= highroom)
                        highcut = cut(high, e.k, std::greater<>(), highroom);
                }
                if (!(d > lowcut)) {
                    low.push_back(std::size_t{i});
                    if (low.size() >= lowroom) lowcut = cut(low, e.k, std::less<>(), lowroom);
                }
            }
            for (const std::size_t i : high) e.takehigh(observation(i), i);
            for (const std::size_t i : low) e.takelow(observation(i), i);
        }
        return e.ids();
    }
};

} // namespace formeval::pointset::kernel
