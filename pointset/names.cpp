// The features and criteria by name.
#include "pointset/pointset.h"

namespace formeval::pointset {

std::optional<Feature> featurenamed(std::string_view name) {
    for (const FeatureTraits& f : features)
        if (name == f.name) return f.feature;
    return std::nullopt;
}

std::optional<Criterion> criterionnamed(std::string_view name) {
    for (const CriterionTraits& c : criteria)
        for (const char* n : {c.name, c.reference, c.python, c.formeval})
            if (name == n) return c.criterion;
    return std::nullopt;
}

} // namespace formeval::pointset
