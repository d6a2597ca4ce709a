// Stratified (jittered) sampling: each index lies one nominal step of
// numpt / sampno after the previous one, moved by the index offset of a
// uniform angle in (-stratangle, +stratangle) degrees; an index already taken
// is drawn again.
#include "random/random.h"
#include "studies/studies.h"

#include <cmath>

namespace formeval {

namespace {

// Redraws of one index before the nearest free index is taken instead. When
// every index a draw can reach is taken, redrawing would never end; when a
// free one is reachable, a draw hits it with a chance of about 1/numpt or
// better, so this many redraws miss it with a chance below e^-20.
constexpr int maxredraws = 20 * nsz;

// The truncated offset reduced modulo numpt, so that the sum below can be
// wrapped fully even when stratangle is far above 180. An offset that is not
// finite (a stratangle beyond all sense) counts as 0.
int offset(float x, int numpt) {
    if (!std::isfinite(x)) return 0;
    return static_cast<int>(std::fmod(std::trunc(static_cast<double>(x)), numpt));
}

int wrap(int index, int numpt) {
    return (index % numpt + numpt) % numpt;
}

// The free index nearest to c around the circle, the later one on a tie.
int nearestfree(const bool* taken, int c, int numpt) {
    for (int d = 1; d < numpt; ++d) {
        if (!taken[wrap(c + d, numpt)]) return wrap(c + d, numpt);
        if (!taken[wrap(c - d, numpt)]) return wrap(c - d, numpt);
    }
    return c;
}

} // namespace

int selectstrat(int* pn, int numpt) {
    const studyparams p = instructions(asint);
    const int sampno = samplesize(static_cast<int>(p.sampno), numpt);
    const double stratangle = p.stratangle;
    bool taken[nsz] = {};

    pn[0] = static_cast<int>(numpt * static_cast<double>(lcgrand(0)));
    taken[pn[0]] = true;
    if (stratangle > 180) std::cout << "Beware stratangle>180!";
    const int step = numpt / sampno;
    for (int i = 1; i < sampno; ++i) {
        bool common = false;
        int redraws = 0;
        do {
            const double r = lcgrand(0) - 0.5;
            const float x = static_cast<float>(2 * r * stratangle * numpt / 360.0);
            pn[i] = wrap(offset(x, numpt) + pn[i - 1] + step, numpt);
            common = taken[pn[i]];
        } while (common && redraws++ < maxredraws);
        if (common) pn[i] = nearestfree(taken, pn[i], numpt);
        taken[pn[i]] = true;
    }
    return sampno;
}

} // namespace formeval
