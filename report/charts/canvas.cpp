// The drawing surface of the pictures. SVG pictures are
// written here as text, one element per primitive, their text as <text>
// elements; PNG pictures are drawn with cairo from the same calls, measured
// with the same font, so that the two agree.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cairo.h>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <fstream>
#include <initializer_list>
#include <unistd.h>

namespace formeval::report {

namespace {

const double pi = std::acos(-1.0);

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

// Unhinted metrics: text measured at one scale is as wide at another.
void selectfont(cairo_t* cr, double size, bool bold) {
    cairo_select_font_face(cr, fontfamily, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

// A number for an SVG attribute: enough digits for a hundredth of a unit.
std::string num(double v) {
    return formatnumber(std::fabs(v) < 5e-8 ? 0.0 : v, 7);
}

std::string rgb(const Rgb& c) {
    char text[64];
    std::snprintf(text, sizeof text, "rgb(%.1f%%,%.1f%%,%.1f%%)", c.r * 100, c.g * 100, c.b * 100);
    return text;
}

std::string pathdata(const Polyline& points, bool closed) {
    std::string d;
    for (std::size_t i = 0; i < points.size(); ++i)
        d += (i == 0 ? "M " : " L ") + num(points[i].x) + " " + num(points[i].y);
    if (closed && !points.empty()) d += " Z";
    return d;
}

// A full circle as two half arcs.
std::string circledata(double x, double y, double r) {
    const std::string radius = num(r) + " " + num(r) + " 0 1 0 ";
    return "M " + num(x + r) + " " + num(y) + " A " + radius + num(x - r) + " " + num(y) + " A " +
           radius + num(x + r) + " " + num(y) + " Z";
}

// A context on a small surface for measuring text without a picture. Made
// after the release at exit is registered, so that it is freed before it.
cairo_t* measurer() {
    releasefontsatexit();
    struct Measurer {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
        cairo_t* cr = cairo_create(surface);
        ~Measurer() {
            cairo_destroy(cr);
            cairo_surface_destroy(surface);
        }
    };
    static Measurer m;
    return m.cr;
}

} // namespace

double textwidth(const std::string& text, double size, bool bold) {
    cairo_t* cr = measurer();
    selectfont(cr, size, bold);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, printable(text).c_str(), &extents);
    return extents.x_advance;
}

void caption(Canvas& c, double y, double width, const std::string& text) {
    if (text.empty()) return;
    c.colour(ink);
    c.text(20, y, text, fitsize(text, 11, width - 40));
}

double fitsize(const std::string& text, double size, double room, bool bold) {
    const double width = textwidth(text, size, bold);
    return width > room ? size * room / width : size;
}

namespace {

// The name of the file being written, for removepartial.
char partial[4096] = {};

void setpartial(const std::string& name) {
    const std::size_t length = name.size() < sizeof partial ? name.size() : 0;
    name.copy(partial, length);
    partial[length] = 0;
}

} // namespace

Canvas::Canvas(std::string path, Format format, double width, double height)
    : path_(std::move(path)), format_(format), width_(width), height_(height) {
    releasefontsatexit();
    if (format == Format::svg) {
        // Its file made now, so that a picture that cannot be written fails
        // early; under a name of its own until it is whole.
        temporary();
        return;
    }
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                          static_cast<int>(std::ceil(width * pngscale)),
                                          static_cast<int>(std::ceil(height * pngscale)));
    cr_ = cairo_create(surface_);
    if (const cairo_status_t status = cairo_surface_status(surface_)) {
        // The destructor does not run for a constructor that throws.
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
        check(status);
    }
    cairo_scale(cr_, pngscale, pngscale);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
}

Canvas::~Canvas() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        setpartial("");
    }
}

void removepartial() {
    if (partial[0] != 0) ::unlink(partial);
}

// A new empty file beside the picture's, named after it, which finish()
// writes and then renames to the picture's name: a picture is there whole or
// not at all, and one that was there stays until the new one is whole.
void Canvas::temporary() {
    std::string why;
    const std::string target = writtenfile(path_, why);
    if (target.empty()) throw FileError(path_, 0, why);
    path_ = target;
    const std::string name = newfilebeside(path_);
    if (name.empty()) check(CAIRO_STATUS_WRITE_ERROR);
    temporary_ = name;
    setpartial(name);
}

// The temporary file, written, becomes the picture; a failure removes it.
void Canvas::commit(bool written) {
    const std::string name = std::move(temporary_);
    temporary_.clear();
    setpartial("");
    if (written && ::rename(name.c_str(), path_.c_str()) == 0) return;
    const int error = errno;
    ::unlink(name.c_str());
    if (written)
        throw FileError(path_, 0,
                        std::string("the picture cannot be written: ") + std::strerror(error));
    check(CAIRO_STATUS_WRITE_ERROR);
}

void Canvas::check(int status) {
    if (status != CAIRO_STATUS_SUCCESS)
        throw FileError(path_, 0,
                        std::string("the picture cannot be written: ") +
                            cairo_status_to_string(static_cast<cairo_status_t>(status)));
}

void Canvas::finish() {
    if (finished_) return;
    finished_ = true;
    if (format_ == Format::png) {
        check(cairo_status(cr_));
        cairo_surface_flush(surface_);
        temporary();
        const cairo_status_t status = cairo_surface_write_to_png(surface_, temporary_.c_str());
        if (status != CAIRO_STATUS_SUCCESS) {
            ::unlink(temporary_.c_str());
            temporary_.clear();
            setpartial("");
            check(status);
        }
        commit(true);
        return;
    }
    std::ofstream out(temporary_, std::ios::binary | std::ios::trunc);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" xml:space=\"preserve\" width=\""
        << num(width_) << "px\" height=\"" << num(height_) << "px\" viewBox=\"0 0 " << num(width_)
        << " " << num(height_) << "\">\n"
        << "<rect x=\"0\" y=\"0\" width=\"" << num(width_) << "\" height=\"" << num(height_)
        << "\" style=\"fill:rgb(100%,100%,100%);stroke:none;\"/>\n"
        << svg_ << "</svg>\n";
    out.close();
    commit(static_cast<bool>(out));
}

void Canvas::colour(const Rgb& c, double alpha) {
    colour_ = c;
    alpha_ = alpha;
    if (cr_) cairo_set_source_rgba(cr_, c.r, c.g, c.b, alpha);
}

void Canvas::linewidth(double width) {
    linewidth_ = width;
    if (cr_) cairo_set_line_width(cr_, width);
}

void Canvas::dash(double on, double off) {
    dashon_ = on;
    dashoff_ = off;
    const double pattern[2] = {on, off};
    if (cr_) cairo_set_dash(cr_, pattern, on > 0 ? 2 : 0, 0);
}

std::string Canvas::style(bool filled) const {
    std::string s;
    if (filled) {
        s = "fill:" + rgb(colour_) + ";fill-opacity:" + num(alpha_) +
            ";fill-rule:evenodd;stroke:none;";
    } else {
        s = "fill:none;stroke-width:" + num(linewidth_) +
            ";stroke-linecap:butt;stroke-linejoin:round;stroke:" + rgb(colour_) +
            ";stroke-opacity:" + num(alpha_) + ";";
        if (dashon_ > 0) s += "stroke-dasharray:" + num(dashon_) + "," + num(dashoff_) + ";";
    }
    return s;
}

namespace {

// Geometry that is not finite (a circle of infinite radius about a singular
// fit) is never drawn: cairo would draw it for ever and the SVG would hold
// "inf". The commands say what they leave out; this is the last guard.
bool finite(std::initializer_list<double> numbers) {
    return std::all_of(numbers.begin(), numbers.end(), [](double v) { return std::isfinite(v); });
}

bool finite(const Polyline& points) {
    return std::all_of(points.begin(), points.end(), [](const Vertex& p) {
        return finite({p.x, p.y});
    });
}

} // namespace

void Canvas::line(double x0, double y0, double x1, double y1) {
    stroke({{x0, y0}, {x1, y1}}, false);
}

void Canvas::stroke(const Polyline& points, bool closed) {
    if (points.empty() || !finite(points)) return;
    if (!cr_) {
        svg_ += "<path style=\"" + style(false) + "\" d=\"" + pathdata(points, closed) + "\"/>\n";
        return;
    }
    cairo_new_path(cr_);
    for (const Vertex& p : points) cairo_line_to(cr_, p.x, p.y);
    if (closed) cairo_close_path(cr_);
    cairo_stroke(cr_);
}

void Canvas::fill(const std::vector<Polyline>& rings) {
    if (!std::all_of(rings.begin(), rings.end(), [](const Polyline& r) { return finite(r); }))
        return;
    if (!cr_) {
        std::string d;
        for (const Polyline& ring : rings) d += (d.empty() ? "" : " ") + pathdata(ring, true);
        svg_ += "<path style=\"" + style(true) + "\" d=\"" + d + "\"/>\n";
        return;
    }
    cairo_new_path(cr_);
    for (const Polyline& ring : rings) {
        cairo_new_sub_path(cr_);
        for (const Vertex& p : ring) cairo_line_to(cr_, p.x, p.y);
        cairo_close_path(cr_);
    }
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr_);
}

void Canvas::rectangle(double x, double y, double w, double h, bool filled) {
    const Polyline corners = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
    if (filled)
        fill({corners});
    else
        stroke(corners, true);
}

void Canvas::circle(double x, double y, double r, bool filled) {
    if (!finite({x, y, r})) return;
    if (!cr_) {
        svg_ += "<path style=\"" + style(filled) + "\" d=\"" + circledata(x, y, r) + "\"/>\n";
        return;
    }
    cairo_new_path(cr_);
    cairo_arc(cr_, x, y, r, 0, 2 * pi);
    filled ? cairo_fill(cr_) : cairo_stroke(cr_);
}

void Canvas::annulus(double x, double y, double inner, double outer) {
    if (!finite({x, y, inner, outer})) return;
    if (!cr_) {
        svg_ += "<path style=\"" + style(true) + "\" d=\"" + circledata(x, y, outer) + " " +
                circledata(x, y, inner) + "\"/>\n";
        return;
    }
    cairo_new_path(cr_);
    cairo_arc(cr_, x, y, outer, 0, 2 * pi);
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, x, y, inner, 0, 2 * pi);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr_);
}

void Canvas::text(double x, double y, const std::string& text, double size, Anchor anchor,
                  bool bold, double rotation, bool halo) {
    if (!finite({x, y, size, rotation})) return;
    const double width = textwidth(text, size, bold);
    const double shift = anchor == Anchor::start ? 0 : anchor == Anchor::middle ? width / 2 : width;
    if (halo) {
        const Rgb ink = colour_;
        const double alpha = alpha_;
        colour({1, 1, 1}, 0.85);
        rectangle(x - shift - 1.5, y - 0.8 * size, width + 3, size * 1.05, true);
        colour(ink, alpha);
    }
    if (!cr_) {
        static constexpr const char* anchors[] = {"start", "middle", "end"};
        svg_ += "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\"";
        if (rotation != 0)
            svg_ += " transform=\"rotate(" + num(-rotation) + " " + num(x) + " " + num(y) + ")\"";
        svg_ += " style=\"font-family:'" + std::string(fontfamily) +
                "',sans-serif;font-size:" + num(size) +
                "px;font-weight:" + (bold ? "bold" : "normal") +
                ";text-anchor:" + anchors[static_cast<int>(anchor)] + ";fill:" + rgb(colour_) +
                ";fill-opacity:" + num(alpha_) + ";\">" + xmltext(text) + "</text>\n";
        return;
    }
    cairo_save(cr_);
    cairo_translate(cr_, x, y);
    cairo_rotate(cr_, -rotation * pi / 180);
    selectfont(cr_, size, bold);
    cairo_move_to(cr_, -shift, 0);
    cairo_show_text(cr_, printable(text).c_str());
    cairo_new_path(cr_);
    cairo_restore(cr_);
}

bool chartsavailable() {
    return true;
}

} // namespace formeval::report
