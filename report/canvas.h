// Drawing surface of the pictures, private to report/: a cairo context on an
// SVG or PNG surface, with the few primitives the plots use.
#pragma once

#include "report/report.h"

#include <cairo.h>

namespace formeval::report {

enum class Anchor { start, middle, end };

class Canvas {
  public:
    // Opens the picture; throws FileError naming `path` when it cannot.
    Canvas(std::string path, Format format, double width, double height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* context() { return cr_; }

    void colour(const Rgb& c, double alpha = 1);
    void linewidth(double width);
    void dash(double on = 0, double off = 0); // 0: solid
    void line(double x0, double y0, double x1, double y1);
    void rectangle(double x, double y, double w, double h, bool fill);
    void circle(double x, double y, double r, bool fill);
    // `size` in drawing units; (x, y) is the baseline point at the anchor.
    void text(double x, double y, const std::string& text, double size,
              Anchor anchor = Anchor::start, bool bold = false);
    double textwidth(const std::string& text, double size, bool bold = false);

    // Writes the picture out; throws FileError when that fails.
    void finish();

  private:
    void check(cairo_status_t status);
    std::string path_;
    Format format_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    bool finished_ = false;
};

// Scale of PNG pictures relative to SVG units.
constexpr double pngscale = 1.5;

} // namespace formeval::report
