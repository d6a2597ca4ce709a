// The law of propagation of uncertainty (JCGM 100 5.1) with sensitivities by
// central differences, each input moved by its own standard uncertainty, the
// budget of each contribution's share, and the validation of the result
// against the Monte Carlo interval (JCGM 101 8).
#include "uncertainty/engine.h"

#include <cmath>

namespace formeval::uncertainty {

namespace {

// One input of the law of propagation: a point moved along an axis (0, 1, 2)
// or its normal (3) by the combined standard uncertainty of the
// contributions acting there, or one systematic contribution.
constexpr int normalway = 3;
struct Input {
    long point = -1; // -1: systematic
    int way = 0;
    std::size_t contribution = 0; // systematic ones
    double step = 0;
};

// Whether per-point contribution `a` acts along `way`.
bool actsalong(Acts a, int way) {
    switch (a) {
    case Acts::coordinates:
        return way != normalway;
    case Acts::x:
        return way == 0;
    case Acts::y:
        return way == 1;
    case Acts::z:
        return way == 2;
    case Acts::normal:
        return way == normalway;
    default:
        return false;
    }
}

std::vector<Input> inputsof(const Problem& p, const std::vector<double>& u) {
    std::vector<Input> out;
    std::array<double, 4> variance = {};
    for (std::size_t k = 0; k < p.model.size(); ++k)
        for (int way = 0; way < 4 && !systematic(p.model[k].acts); ++way)
            if (actsalong(p.model[k].acts, way) && (way == normalway || way < p.dimension))
                variance[way] += u[k] * u[k];
    for (std::size_t i = 0; i < p.count; ++i)
        for (int way = 0; way < 4; ++way)
            if (variance[way] > 0)
                out.push_back({static_cast<long>(i), way, 0, std::sqrt(variance[way])});
    for (std::size_t k = 0; k < p.model.size(); ++k)
        if (systematic(p.model[k].acts) && u[k] > 0) out.push_back({-1, 0, k, u[k]});
    return out;
}

// The points with the input moved by `step`.
void move(const Problem& p, const Input& in, double step, std::vector<double>& points) {
    points = p.points;
    if (in.point < 0) {
        Systematic s{};
        addsystematic(p.model[in.contribution].acts, step, s);
        transform(s, p.dimension, points);
        return;
    }
    double* q = &points[static_cast<std::size_t>(in.point) * p.dimension];
    if (in.way == normalway) {
        const double* n = &p.normals[static_cast<std::size_t>(in.point) * p.dimension];
        for (int k = 0; k < p.dimension; ++k) q[k] += step * n[k];
    } else {
        q[in.way] += step;
    }
}

} // namespace

void gum(const Problem& p, const Options& o, Result& r) {
    const std::size_t nq = p.kept.size();
    std::vector<double> u;
    for (const Contribution& c : p.model) u.push_back(standarduncertainty(c.distribution, c.width));
    const std::vector<Input> inputs = inputsof(p, u);
    const long ni = static_cast<long>(inputs.size());
    // Each input's sensitivities, its own slot, so that the sums below go in
    // input order whatever the threads.
    std::vector<double> gradient(inputs.size() * nq);
    std::vector<char> found(inputs.size());
    parallel(0, ni, threadcount(o.threads), [&](long i) {
        std::vector<double> points;
        std::vector<double> plus(nq), minus(nq);
        bool certified = true;
        const Input& in = inputs[i];
        move(p, in, in.step, points);
        bool ok = evaluateinto(p, points, plus.data(), certified);
        move(p, in, -in.step, points);
        ok = ok && evaluateinto(p, points, minus.data(), certified);
        found[i] = ok;
        for (std::size_t q = 0; q < nq && ok; ++q)
            gradient[i * nq + q] = (plus[q] - minus[q]) / (2 * in.step);
    });
    r.gumevaluations = 2 * ni;
    for (long i = 0; i < ni; ++i)
        if (!found[i]) {
            r.gumfailure = inputs[i].point < 0
                               ? "the points moved by the contribution '" +
                                     p.model[inputs[i].contribution].name +
                                     "' give no feature, or a quantity that is not finite"
                               : "the points with point " + std::to_string(inputs[i].point + 1) +
                                     " moved by its standard uncertainty give no feature, or a "
                                     "quantity that is not finite";
            return;
        }
    const double k = gaussianfactor(o.coverage);
    for (std::size_t q = 0; q < nq; ++q) {
        std::vector<double> squares(p.model.size(), 0.0);
        for (long i = 0; i < ni; ++i) {
            const Input& in = inputs[i];
            const double g = gradient[i * nq + q];
            for (std::size_t c = 0; c < p.model.size(); ++c) {
                const bool acts = in.point < 0 ? c == in.contribution
                                               : !systematic(p.model[c].acts) &&
                                                     actsalong(p.model[c].acts, in.way);
                if (acts) squares[c] += g * u[c] * (g * u[c]);
            }
        }
        Quantity& y = r.quantities[q];
        double total = 0;
        for (std::size_t c = 0; c < squares.size(); ++c) {
            total += squares[c];
            y.budget.push_back(std::sqrt(squares[c]));
            y.sensitivity.push_back(u[c] > 0 ? y.budget.back() / u[c] : 0.0);
        }
        y.hasgum = true;
        y.gumu = std::sqrt(total);
        y.gumk = k;
        y.gumU = k * y.gumu;
        y.dlow = std::fabs(y.measured - y.gumU - y.mc.low);
        y.dhigh = std::fabs(y.measured + y.gumU - y.mc.high);
        y.validated = y.mc.hasinterval && y.dlow <= y.tolerance && y.dhigh <= y.tolerance;
    }
}

} // namespace formeval::uncertainty
