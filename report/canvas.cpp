// The cairo drawing surface of the pictures and the axis ticks.
#include "report/canvas.h"

#include <cairo-svg.h>
#include <cstdlib>
#include <fontconfig/fontconfig.h>

#include <cmath>

namespace formeval::report {

namespace {

constexpr const char* fontfamily = "DejaVu Sans";

// cairo and fontconfig keep the fonts they load until the process ends; give
// them back at exit, so that leak checkers see only real leaks.
void releasefontsatexit() {
    static const bool registered = [] {
        std::atexit([] {
            cairo_debug_reset_static_data();
            FcFini();
        });
        return true;
    }();
    (void)registered;
}

} // namespace

Canvas::Canvas(std::string path, Format format, double width, double height)
    : path_(std::move(path)), format_(format) {
    releasefontsatexit();
    if (format == Format::svg) {
        surface_ = cairo_svg_surface_create(path_.c_str(), width, height);
        cairo_svg_surface_set_document_unit(surface_, CAIRO_SVG_UNIT_PX);
    } else {
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                              static_cast<int>(std::ceil(width * pngscale)),
                                              static_cast<int>(std::ceil(height * pngscale)));
    }
    cr_ = cairo_create(surface_);
    if (const cairo_status_t status = cairo_surface_status(surface_)) {
        // The destructor does not run for a constructor that throws.
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
        check(status);
    }
    if (format == Format::png) cairo_scale(cr_, pngscale, pngscale);
    colour({1, 1, 1});
    cairo_paint(cr_);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void Canvas::check(cairo_status_t status) {
    if (status != CAIRO_STATUS_SUCCESS)
        throw FileError(path_, 0,
                        std::string("the picture cannot be written: ") +
                            cairo_status_to_string(status));
}

void Canvas::finish() {
    if (finished_) return;
    finished_ = true;
    check(cairo_status(cr_));
    if (format_ == Format::png) {
        cairo_surface_flush(surface_);
        check(cairo_surface_write_to_png(surface_, path_.c_str()));
    } else {
        cairo_surface_finish(surface_);
        check(cairo_surface_status(surface_));
    }
}

void Canvas::colour(const Rgb& c, double alpha) {
    cairo_set_source_rgba(cr_, c.r, c.g, c.b, alpha);
}

void Canvas::linewidth(double width) {
    cairo_set_line_width(cr_, width);
}

void Canvas::dash(double on, double off) {
    const double pattern[2] = {on, off};
    cairo_set_dash(cr_, pattern, on > 0 ? 2 : 0, 0);
}

void Canvas::line(double x0, double y0, double x1, double y1) {
    cairo_move_to(cr_, x0, y0);
    cairo_line_to(cr_, x1, y1);
    cairo_stroke(cr_);
}

void Canvas::rectangle(double x, double y, double w, double h, bool fill) {
    cairo_rectangle(cr_, x, y, w, h);
    fill ? cairo_fill(cr_) : cairo_stroke(cr_);
}

void Canvas::circle(double x, double y, double r, bool fill) {
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, x, y, r, 0, 2 * std::acos(-1.0));
    fill ? cairo_fill(cr_) : cairo_stroke(cr_);
}

// cairo refuses text that is not UTF-8, and with it the whole picture: a
// file name or unit in another encoding is drawn with its odd bytes escaped.
double Canvas::textwidth(const std::string& text, double size, bool bold) {
    cairo_select_font_face(cr_, fontfamily, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, printable(text).c_str(), &extents);
    return extents.x_advance;
}

void Canvas::text(double x, double y, const std::string& text, double size, Anchor anchor,
                  bool bold) {
    const double width = textwidth(text, size, bold);
    const double shift = anchor == Anchor::start ? 0 : anchor == Anchor::middle ? width / 2 : width;
    cairo_move_to(cr_, x - shift, y);
    cairo_show_text(cr_, printable(text).c_str());
    cairo_new_path(cr_);
}

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
