// The statement of a result as a certificate gives it, and the decision
// rules against tolerance limits.
#include "uncertainty/uncertainty.h"

#include <cmath>

namespace formeval::uncertainty {

namespace {

// v rounded at `decimals` places by `how` (std::round, std::floor, std::ceil);
// v itself where those places lie below its own precision.
double at(double v, int decimals, double (*how)(double)) {
    const double scale = std::pow(10.0, std::abs(decimals));
    const double scaled = decimals >= 0 ? v * scale : v / scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 0x1p52) return v;
    return decimals >= 0 ? how(scaled) / scale : how(scaled) * scale;
}

double nearest(double v) {
    return std::round(v);
}
double down(double v) {
    return std::floor(v);
}
double up(double v) {
    return std::ceil(v);
}

} // namespace

Rounded roundstatement(double y, double U, double low, double high, int digits) {
    Rounded r{y, U, low, high, 0};
    if (!(U > 0) || !std::isfinite(U) || digits < 1) return r;
    r.decimals = digits - 1 - static_cast<int>(std::floor(std::log10(U)));
    r.U = at(U, r.decimals, nearest);
    // 0.0996 at two digits is 0.100: one place fewer.
    if (r.U >= std::pow(10.0, digits - r.decimals)) {
        --r.decimals;
        r.U = at(U, r.decimals, nearest);
    }
    if (U - r.U > 0.05 * U) r.U = at(U, r.decimals, up);
    r.y = at(y, r.decimals, nearest);
    r.low = at(low, r.decimals, down);
    r.high = at(high, r.decimals, up);
    return r;
}

Verdict decide(double y, double U, const Limits& limits, Rule rule) {
    if (rule == Rule::simple)
        return y >= limits.low && y <= limits.high ? Verdict::accepted : Verdict::rejected;
    if (y - U >= limits.low && y + U <= limits.high) return Verdict::conformance;
    if (y - U > limits.high || y + U < limits.low) return Verdict::nonconformance;
    return Verdict::undecided;
}

} // namespace formeval::uncertainty
