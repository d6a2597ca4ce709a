// A field of the result rows as JSON, for the files that write JSON with
// nlohmann-json (which only they include).
#pragma once

#include "report/rows/rows.h"

#include <nlohmann/json.hpp>

namespace formeval::report {

// A number (null for NaN), a whole number, a truth value, or a text (null
// when empty).
nlohmann::ordered_json jsonvalue(const Field& f);

} // namespace formeval::report
