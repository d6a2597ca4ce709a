// Form characteristics: the minimum zone of the feature alone, certified or
// bracketed.
#include "tolerance/frames.h"
#include "tolerance/geometry.h"

#include <string>

namespace formeval::tolerance::detail {

namespace {

struct FormOf {
    Characteristic characteristic;
    pointset::Feature feature;
    const char* zone;
};
constexpr FormOf forms[] = {
    {Characteristic::straightness, pointset::Feature::line, "two parallel lines"},
    {Characteristic::flatness, pointset::Feature::plane, "two parallel planes"},
    {Characteristic::roundness, pointset::Feature::circle, "two concentric circles"},
    {Characteristic::cylindricity, pointset::Feature::cylinder, "two coaxial cylinders"},
    {Characteristic::sphericity, pointset::Feature::sphere, "two concentric spheres"},
    {Characteristic::conicity, pointset::Feature::cone, "two coaxial cones of one apex angle"},
};

} // namespace

void form(const Frame& f, const Measured& m, FrameValue& v) {
    for (const FormOf& k : forms) {
        if (k.characteristic != f.characteristic) continue;
        if (m.type != k.feature) {
            v.failure = std::string(traits(f.characteristic).name) + " is of a " +
                        pointset::featurename(k.feature) + ", and " + m.name + " is a " +
                        pointset::featurename(m.type);
            return;
        }
        if (inspace(m) && m.type == pointset::Feature::line) {
            // A line in space: the smallest cylinder holding it.
            const pointset::Reference r = reference(m.points, pointset::Feature::cylinder,
                                                    pointset::Criterion::circumscribed, true);
            if (!r.found) {
                v.failure = m.name + ": the smallest cylinder holding it: " + r.failure;
                return;
            }
            v.value = 2 * r.radius;
            v.certificate = r.certificate;
            v.certificate.lower *= 2;
            v.certificate.upper *= 2;
            v.zone = "a cylinder, the smallest holding the line";
            v.found = true;
            return;
        }
        const pointset::Reference r = circlereference(m, pointset::Criterion::minimumzone, true);
        if (!r.found) {
            v.failure = m.name + ": " + r.failure;
            return;
        }
        v.value = r.t;
        v.certificate = r.certificate;
        v.zone = std::string(k.zone) + ", the minimum zone" +
                 (inspace(m) ? " in the circle's least-squares plane" : "");
        v.found = true;
        return;
    }
    v.failure = std::string(traits(f.characteristic).name) + " is not evaluated yet";
}

} // namespace formeval::tolerance::detail
