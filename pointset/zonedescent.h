// The descent of a minimum zone by sequential linear programming, shared by
// the cylinder and the cone: about the current feature the distances are
// replaced by their linear model; the Chebyshev fit of that model over every
// point (dual simplex on a working set, warm-started from the previous basis)
// gives a move, halved until the zone falls as promised.
#pragma once

#include "pointset/cylinder.h"

#include <memory>

namespace formeval::pointset::kernel {

template <class State> struct Descended {
    State state;
    double zone = inf;
    double top = 0, bottom = 0;
};

// Model(w, state, L, store): the rows of the model about a state (first
// column all ones, then `columns` - 1 moves), its Chebyshev program `lp`
// (its rows kept in `store`, which each model takes over from the last), the
// zone top - bottom there and `far`, the points that start its working set.
// step(state, y, t): the state moved by t times the fit's moves y[1 ...].
// frame(state): the frame whose points start a basis.
template <class Model, int columns, class State, class Step, class FrameOf>
Descended<State> zonedescent(const View& w, const State& start, double L, Step step,
                             FrameOf frame) {
    State s = start;
    std::vector<double> store;
    std::vector<long> set;
    for (std::size_t i = 0; i < w.n; i += std::max<std::size_t>(1, w.n / 48))
        set.push_back(2 * static_cast<long>(i));
    auto here = std::make_unique<Model>(w, s, L, store);
    set.insert(set.end(), here->far.begin(), here->far.end());
    double F = here->zone();
    Descended<State> out{s, F, here->top, here->bottom};
    std::array<long, mostk> basis{};
    bool warm = false;
    double e[mostk] = {};
    e[columns] = 1;
    for (int iteration = 0; iteration < 100; ++iteration) {
        std::vector<std::size_t> previous;
        for (int j = 0; j <= columns && warm; ++j) previous.push_back(basis[j] / 2);
        if (!(warm && startbasis(here->rows, columns, previous, basis)) &&
            !startbasis(here->rows, columns, basiscandidates(w, frame(s), L), basis))
            break;
        const Simplex r = dualsimplexset(here->lp, e, basis, 8 * eps, 500, set);
        if (!r.ok) break;
        basis = r.basis;
        warm = true;
        const double promised = F - 2 * r.y[columns];
        if (!(promised > 16 * eps + 1e-13 * F)) break;
        here.reset(); // the store holds one model's rows at a time
        bool moved_ = false;
        for (double t = 1; t > 0.01 && !moved_; t /= 2) {
            const State g = step(s, r.y.data(), t);
            auto there = std::make_unique<Model>(w, g, L, store);
            if (there->zone() < F - 0.1 * t * promised) {
                s = g;
                F = there->zone();
                out = {s, F, there->top, there->bottom};
                set.insert(set.end(), there->far.begin(), there->far.end());
                here = std::move(there);
                moved_ = true;
            }
        }
        if (!moved_) break;
    }
    return out;
}

} // namespace formeval::pointset::kernel
