// Built without cairo: no pictures. The commands refuse what draws before
// they start (chartsavailable()); a picture begun all the same fails as a
// file that cannot be written.
#include "report/charts/canvas.h"

namespace formeval::report {

namespace {

const char* const why = "formreport was built without cairo: no pictures";

} // namespace

bool chartsavailable() {
    return false;
}

double textwidth(const std::string&, double, bool) {
    throw FileError("", 0, why);
}

double fitsize(const std::string&, double, double, bool) {
    throw FileError("", 0, why);
}

Canvas::Canvas(std::string path, Format, double, double) {
    throw FileError(std::move(path), 0, why);
}

// A canvas is never made: its drawing calls cannot be reached.
Canvas::~Canvas() = default;
void Canvas::check(int) {}
void Canvas::finish() {}
void removepartial() {}
void Canvas::colour(const Rgb&, double) {}
void Canvas::linewidth(double) {}
void Canvas::dash(double, double) {}
std::string Canvas::style(bool) const {
    return "";
}
void Canvas::line(double, double, double, double) {}
void Canvas::stroke(const Polyline&, bool) {}
void Canvas::fill(const std::vector<Polyline>&) {}
void Canvas::rectangle(double, double, double, double, bool) {}
void Canvas::circle(double, double, double, bool) {}
void Canvas::annulus(double, double, double, double) {}
void Canvas::text(double, double, const std::string&, double, Anchor, bool, double, bool) {}

} // namespace formeval::report
