// The Monte Carlo trials: a fixed number, or batches until every quantity's
// average, standard deviation and interval ends are stable (JCGM 101 7.9),
// each trial on its own substream, on every thread asked for.
#include "uncertainty/engine.h"

#include <cmath>

namespace formeval::uncertainty {

namespace {

enum class Outcome : char { evaluated, uncertified, failed };

// The trials' values, trial by trial, and how each went.
struct Trials {
    std::size_t nq = 0;
    std::vector<double> values; // nq per trial
    std::vector<Outcome> outcome;
};

// Trials [from, to), telling o.progress of them about every thousand.
void run(const Problem& p, const Options& o, const Substreams& streams, long from, long to,
         long planned, Trials& t) {
    t.values.resize(static_cast<std::size_t>(to) * t.nq);
    t.outcome.resize(static_cast<std::size_t>(to));
    long told = 0;
    const auto tick = [&](long done) {
        if (o.progress && done - told >= 1024) {
            told = done;
            o.progress(o.context, from + done, planned);
        }
    };
    parallel(
        from, to, threadcount(o.threads),
        [&](long trial) {
            Generator g(streams.start(static_cast<std::uint64_t>(trial)));
            thread_local std::vector<double> points; // the trial's, overwritten by each
            trialpoints(p, g, points);
            bool certified = true;
            const bool found = evaluateinto(p, points, &t.values[trial * t.nq], certified);
            t.outcome[trial] = !found      ? Outcome::failed
                               : certified ? Outcome::evaluated
                                           : Outcome::uncertified;
        },
        tick);
    if (o.progress) o.progress(o.context, to, planned);
}

// The values of quantity q of the trials [from, to) that gave a feature.
std::vector<double> valuesof(const Trials& t, std::size_t q, long from, long to) {
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(to - from));
    for (long trial = from; trial < to; ++trial)
        if (t.outcome[trial] != Outcome::failed) out.push_back(t.values[trial * t.nq + q]);
    return out;
}

// Batches of max(J, 10^4) trials until all are stable or the next batch
// would pass maxtrials.
long adaptive(const Problem& p, const Options& o, const Substreams& streams, Trials& t, Result& r) {
    const long batch = adaptivebatch(o.coverage);
    r.batch = batch;
    AdaptiveStop rule(t.nq, o.digits, o.coverage);
    for (long h = 1;; ++h) {
        run(p, o, streams, (h - 1) * batch, h * batch, o.maxtrials, t);
        std::vector<std::vector<double>> values(t.nq);
        for (std::size_t q = 0; q < t.nq; ++q)
            values[q] = valuesof(t, q, (h - 1) * batch, h * batch);
        const bool stable = rule.add(values);
        for (std::size_t q = 0; q < t.nq; ++q) r.quantities[q].converged = rule.stable(q);
        r.batches = h;
        if (stable) {
            r.converged = true;
            return h * batch;
        }
        if ((h + 1) * batch > o.maxtrials) return h * batch;
    }
}

} // namespace

int threadcount(int threads) {
    if (threads > 0) return threads;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

long adaptivebatch(Basispoints coverage) {
    // J = ceil(100 / (1 - p)) with p = coverage / 10^4.
    const long rest = 10000 - coverage;
    const long j = rest > 0 ? (1000000 + rest - 1) / rest : 0;
    return std::max(j, 10000L);
}

void montecarlo(const Problem& p, const Options& o, Result& r) {
    const Substreams streams(o.seed);
    Trials t;
    t.nq = p.kept.size();
    r.adaptive = o.digits > 0;
    r.digits = r.adaptive ? o.digits : o.tolerancedigits;
    if (r.adaptive) {
        r.trials = adaptive(p, o, streams, t, r);
    } else {
        r.trials = o.trials;
        run(p, o, streams, 0, o.trials, o.trials, t);
    }
    for (const Outcome c : t.outcome) {
        r.failed += c == Outcome::failed;
        r.uncertified += c == Outcome::uncertified;
    }
    if (r.failed == r.trials) return;
    bool converged = true;
    for (std::size_t q = 0; q < t.nq; ++q) {
        Quantity& y = r.quantities[q];
        y.values = valuesof(t, q, 0, r.trials);
        y.mc = statistics::summarise(y.values, o.coverage);
        if (y.mc.hasinterval) y.U = std::max(y.mc.mean - y.mc.low, y.mc.high - y.mc.mean);
        y.k = y.mc.sd > 0 ? y.U / y.mc.sd : 0;
        y.tolerance = statistics::numericaltolerance(y.mc.sd, r.digits);
        y.bias = y.mc.mean - y.measured;
        y.quoted = {y.mc.mean, y.mc.sd, y.U, y.k, y.mc.low, y.mc.high};
        if (!r.adaptive) {
            const statistics::Convergence c =
                statistics::convergence(y.values, o.coverage, r.digits);
            y.converged = c.judged && c.stableafter > 0;
            if (!y.converged) y.needed = c.needed;
            converged = converged && y.converged;
        }
    }
    if (!r.adaptive) r.converged = converged;
}

} // namespace formeval::uncertainty
