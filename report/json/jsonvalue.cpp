// A result row's field as JSON.
#include "report/json/json.h"

#include <cmath>

namespace formeval::report {

nlohmann::ordered_json jsonvalue(const Field& f) {
    switch (f.kind) {
    case Field::Kind::number:
        return std::isfinite(f.number) ? nlohmann::ordered_json(f.number)
                                       : nlohmann::ordered_json();
    case Field::Kind::whole:
        return f.whole;
    case Field::Kind::truth:
        return f.truth;
    case Field::Kind::text:
        break;
    }
    return f.text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(f.text);
}

} // namespace formeval::report
