// Axis ticks and their labels.
#include "report/charts/charts.h"

#include <cmath>
#include <cstdio>

namespace formeval::report {

Ticks ticks(double low, double high, int target) {
    Ticks t;
    const double span = high - low;
    if (!(span > 0) || target < 1) return t;
    const double rough = span / target;
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    t.step = decade;
    for (const double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * decade >= rough * (1 - 1e-9)) {
            t.step = factor * decade;
            break;
        }
    if (!std::isfinite(t.step)) return t;
    // Counted, not stepped: where k is so large that k + 1 == k in a double
    // (values near 1e17 with a span of a few units), stepping k never ends.
    const double first = std::ceil(low / t.step - 1e-9);
    for (int i = 0; i < maxticks; ++i) {
        const double k = first + i;
        if (!(k * t.step <= high + t.step * 1e-9)) break;
        const double value = std::fabs(k) < 1e-9 ? 0.0 : k * t.step;
        // Ticks closer than a double can tell apart coincide; draw each once.
        if (t.values.empty() || value > t.values.back()) t.values.push_back(value);
    }
    return t;
}

std::string ticklabel(double value, double step) {
    if (value == 0) return "0";
    // Digits from the value's leading digit down to the step's, and at least
    // down to the units, so that no label turns to exponent notation.
    const double top = std::floor(std::log10(std::fabs(value)));
    const double bottom = std::min(0.0, std::floor(std::log10(step)));
    const int digits = static_cast<int>(std::max(1.0, top - bottom + 1));
    return formatnumber(value, std::min(digits, 17));
}

} // namespace formeval::report
