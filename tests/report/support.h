// Support for the formreport tests: running the command in process or as the
// built executable, parsing the SVG pictures it writes, and circle records
// whose evaluations are known by hand.
#pragma once

#include "report/charts/canvas.h"
#include "report/charts/charts.h"
#include "report/commands/commands.h"

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace formeval::test {

struct ReportOutcome {
    std::string out;
    std::string err;
    int status = -1;
    int signal = 0; // the signal that ended the executable, if one did
};

// formreport with these arguments (without the program name), in process.
ReportOutcome report(const std::vector<std::string>& args);

// The built formreport executable in `dir`, console input closed, every
// signal at its default disposition. Its standard output is captured, or goes
// to the file `output` when one is named ("-": standard output closed; "|": a
// pipe whose reader has gone). With filesizelimit, no file may grow beyond so
// many bytes (ulimit -f).
ReportOutcome runreport(const std::vector<std::string>& args, const std::filesystem::path& dir,
                        const std::string& output = "", long long filesizelimit = 0);

// An SVG file as expat reads it: whether it is well-formed XML, and its
// elements in document order.
struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text; // its character data, that of the elements in it left out
};
struct Svg {
    bool wellformed = false;
    std::string error;
    std::vector<Element> elements;
    std::vector<const Element*> all(const std::string& name) const;
    std::vector<std::string> texts() const; // of the <text> elements
};
Svg parsesvg(const std::filesystem::path& path);
// The same of XML text: a picture, or a piece of the report's HTML that is
// well-formed XML (a section).
Svg parsexml(const std::string& text);

// A property of an element's style attribute ("stroke-width"), or "".
std::string style(const Element& e, const std::string& property);

// A colour "rgb(r%,g%,b%)" as cairo writes it, channels from 0 to 1.
report::Rgb parsergb(const std::string& text);

// Stroked paths of a colour and line width.
std::vector<const Element*> strokes(const Svg& svg, const report::Rgb& colour, double width);

// Filled paths of a colour.
std::vector<const Element*> fills(const Svg& svg, const report::Rgb& colour);

// End points of the segments of an SVG path's d attribute (M, L, C and A).
std::vector<std::pair<double, double>> vertices(const std::string& d);

// The centre of a circle as the canvas draws it, two half arcs: midway
// between their ends.
std::pair<double, double> circlecentre(const Element& circle);

// Job stream record "numpt cri x y ..." of n points at equal angles about
// (100, 20), radii alternating 10.01 and 9.99 (n even): every reference circle
// is centred on (100, 20); least squares and minimum zone have radius 10,
// the circumscribing 10.01, the inscribing 9.99; every circularity error is
// 0.02. Radii 10 +- `deviation` and errors 2 `deviation` when one is given.
std::string alternating(int n, double deviation = 0.01);

// Job stream record of 36 points at equal angles about (100, 20), radius 10
// with waves of 3 and 1 micrometres that `seed` sets, and the tolerance cri.
std::string wavy(int seed, double cri = 1e-6);

// A point file (x,y,z with a header) of circles of 24 points about the z
// axis, angle 0 among them: each at z, its centre offset by (ex, ey), of
// radius r. A shaft's journals and collars.
struct Circle {
    double z, ex, ey, r;
};
std::string circles(const std::vector<Circle>& cs);

std::string readfile(const std::filesystem::path& path);
void writefile(const std::filesystem::path& path, const std::string& text);

} // namespace formeval::test
