// Drawing surface of the pictures, private to report/: the few primitives the
// plots use, written out either as SVG by formreport itself, with its text as
// text (searchable, copyable), or rasterised to PNG by cairo from the same
// calls.
#pragma once

#include "report/charts/charts.h"

#include <functional>
#include <string>
#include <vector>

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace formeval::report {

// A colour, each channel from 0 to 1.
struct Rgb {
    double r, g, b;
};
constexpr std::array<Rgb, ncriteria> referencecolours = {
    Rgb{0.122, 0.467, 0.706}, Rgb{0.173, 0.627, 0.173}, Rgb{0.839, 0.153, 0.157},
    Rgb{0.580, 0.404, 0.741}};
constexpr Rgb profilecolour = {0, 0, 0};

// Colours of the histogram's bars, mean and coverage interval.
constexpr Rgb barcolour = {0.62, 0.77, 0.89};
constexpr Rgb meancolour = {0.1, 0.1, 0.1};
constexpr Rgb intervalcolour = {0.84, 0.15, 0.16};
constexpr Rgb measuredcolour = {0.17, 0.63, 0.17};
constexpr Rgb gaussiancolour = {0.95, 0.5, 0.05};

// Axis ticks: multiples of a step of 1, 2 or 5 times a power of ten within
// [low, high], about `target` of them, at most maxticks, each drawn once even
// where the doubles near them are coarser than the step.
constexpr int maxticks = 100;
struct Ticks {
    double step = 1;
    std::vector<double> values;
};
Ticks ticks(double low, double high, int target);

// A tick value with just enough digits to tell it from its neighbours.
std::string ticklabel(double value, double step);

enum class Anchor { start, middle, end };

struct Vertex {
    double x = 0;
    double y = 0;
};
using Polyline = std::vector<Vertex>;

class Canvas {
  public:
    // Opens the picture; throws FileError naming `path` when it cannot.
    Canvas(std::string path, Format format, double width, double height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void colour(const Rgb& c, double alpha = 1);
    void linewidth(double width);
    void dash(double on = 0, double off = 0); // 0: solid
    void line(double x0, double y0, double x1, double y1);
    void stroke(const Polyline& points, bool closed);
    // Fills the area inside an odd number of the closed rings.
    void fill(const std::vector<Polyline>& rings);
    void rectangle(double x, double y, double w, double h, bool fill);
    void circle(double x, double y, double r, bool fill);
    // The area between two circles about one centre.
    void annulus(double x, double y, double inner, double outer);
    // `size` in drawing units; (x, y) is the baseline point at the anchor;
    // `rotation` in degrees, counterclockwise about that point. A halo clears
    // the ground beneath the text, so that lines under it do not hide it.
    void text(double x, double y, const std::string& text, double size,
              Anchor anchor = Anchor::start, bool bold = false, double rotation = 0,
              bool halo = false);

    // Writes the picture out; throws FileError when that fails.
    void finish();

  private:
    void check(int status);
    std::string style(bool filled) const;
    void temporary();
    void commit(bool written);

    std::string path_;
    std::string temporary_; // the file being written, "" when none
    Format format_;
    double width_, height_;
    Rgb colour_ = {0, 0, 0};
    double alpha_ = 1;
    double linewidth_ = 1;
    double dashon_ = 0, dashoff_ = 0;
    std::string svg_; // the elements of an SVG picture
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    bool finished_ = false;
};

// Advance width of `text` in the pictures' font at `size`.
double textwidth(const std::string& text, double size, bool bold = false);

// The points of a profile (positions x, values d) in x order; of more than
// `most`, the lowest and highest of each of most/2 equal steps, in x order,
// so that the profile drawn keeps every peak and valley.
std::vector<std::size_t> traced(const std::vector<double>& x, const std::vector<double>& d,
                                std::size_t most);

// The least and largest of values (at least one), widened about them where
// they are all one value, so that an axis over them has a length.
struct Range {
    double low, high;
};
Range rangeof(const std::vector<double>& v);

// The plot area of an x-y chart, from `left` to `right` and from `top` down
// to `bottom` (drawing units), showing x over [xlow - xpad, xhigh + xpad]
// and y over [ylow - ypad, yhigh + ypad].
struct PlotArea {
    double left, right, top, bottom;
    double xlow, xhigh, xpad;
    double ylow, yhigh, ypad;
    double x(double v) const {
        return left + (v - xlow + xpad) / (xhigh - xlow + 2 * xpad) * (right - left);
    }
    double y(double v) const {
        return bottom - (v - ylow + ypad) / (yhigh - ylow + 2 * ypad) * (bottom - top);
    }
};

// The area's grid: about six values of y as grid lines labelled on the left,
// about eight of x as ticks labelled along the bottom, and the two axes.
void drawaxes(Canvas& c, const PlotArea& a);

// `size`, or the smaller size at which `text` is `room` wide.
double fitsize(const std::string& text, double size, double room, bool bold = false);

// The size of a chart and the margins about its plot area, in drawing units.
struct Page {
    double width, height;
    double left, right, top, bottom;
};

// Colours of the charts' text and axes, and of their grid lines.
// The caption line under a chart (the part, operator ... and the filter):
// the height it adds, and drawn at `y` (its baseline) in `width`.
constexpr double captionheight = 24;
void caption(Canvas& c, double y, double width, const std::string& text);

constexpr Rgb ink = {0, 0, 0};
constexpr Rgb gridline = {0.85, 0.85, 0.85};

// A diverging scale for deviations from `t` = 0 (the lowest, blue) through
// white to 1 (the highest, red).
Rgb heat(double t);

// The colour scale of heat from `low` (at the bottom) to `high`, 24 units
// wide at x, from `top` down `height`, ticked, headed "deviation (unit)".
void colourscale(Canvas& c, double x, double top, double height, double low, double high,
                 const std::string& unit);

// At most mostrings of the contacts, spread evenly over them in point order:
// those a chart rings.
constexpr std::size_t mostrings = 100;
std::vector<std::size_t> ringed(const ZoneContacts& z);

// What a zone's bounds are called, and its two sides.
struct ZoneNames {
    const char* bounds;
    const char* upper;
    const char* lower;
};
constexpr ZoneNames linebounds = {"lines", "upper", "lower"};
constexpr ZoneNames planebounds = {"planes", "upper", "lower"};
constexpr ZoneNames cylinderbounds = {"cylinders", "outer", "inner"};
constexpr ZoneNames conebounds = {"cones", "outer", "inner"};

// The key of the rings: "Ringed: the 4 points on the minimum zone's two
// planes (1 on the upper, 3 on the lower)", and when they are capped
// "Ringed: 100 of the 2500 points ...; too many to ring all"; "" for none.
std::string ringkey(const ZoneContacts& z, const ZoneNames& names);

// A ring about each place: black on a white halo, seen on any colour.
void rings(Canvas& c, const Polyline& places, double radius);

// Scale of PNG pictures relative to SVG units.
constexpr double pngscale = 1.5;

// The pictures' font.
constexpr const char* fontfamily = "DejaVu Sans";

// A value axis from 0 for values up to `top` (nothing above 0: up to 1) in
// the plot area of `page`: grid lines across it and tick labels at its left.
// Returns the value at the plot area's top edge, to which values are scaled.
double valueaxis(Canvas& c, const Page& page, double top);

// The ticks, tick labels and names of a map's two axes: the horizontal one
// under the box (`x` places a value), the vertical one left of it (`y`).
struct Box {
    double left, top, width, height;
};
void mapaxes(Canvas& c, const Box& box, const Ticks& horizontal, const Ticks& vertical,
             const std::function<double(double)>& x, const std::function<double(double)>& y,
             const std::string& hname, const std::string& vname);

} // namespace formeval::report
