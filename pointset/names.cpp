// Names of the features and criteria.
#include "pointset/pointset.h"

namespace formeval::pointset {

const char* featurename(Feature feature) {
    switch (feature) {
    case Feature::line:
        return "line";
    case Feature::plane:
        return "plane";
    case Feature::circle:
        return "circle";
    case Feature::sphere:
        return "sphere";
    case Feature::cylinder:
        return "cylinder";
    }
    return "";
}

const char* criterionname(Criterion criterion) {
    switch (criterion) {
    case Criterion::leastsquares:
        return "least squares";
    case Criterion::minimumzone:
        return "minimum zone";
    case Criterion::circumscribed:
        return "circumscribed";
    case Criterion::inscribed:
        return "inscribed";
    }
    return "";
}

const char* isostem(Feature feature) {
    switch (feature) {
    case Feature::line:
        return "STR";
    case Feature::plane:
        return "FLT";
    case Feature::circle:
        return "RON";
    case Feature::sphere:
        return "SPH";
    case Feature::cylinder:
        return "CYL";
    }
    return "";
}

} // namespace formeval::pointset
