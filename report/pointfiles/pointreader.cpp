// Reads point files line by line out of one buffer: the separator and
// whether there is a header are told by the first line that is not a
// comment; the columns asked for are found among its fields; every later
// line must have as many fields, and its chosen ones must be finite numbers.
// Polar columns are turned into x and y here, but for radii alone, whose
// angles wait for the count of the points.
#include "report/pointfiles/pointfiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <limits>
#include <stdexcept>

namespace formeval::report {

namespace {

constexpr std::size_t chunk = std::size_t(1) << 20;

// Items in messages: their first 40 bytes, unprintable ones escaped.
std::string quoted(std::string_view item) {
    constexpr std::size_t shown = 40;
    std::string text = printable(item.substr(0, shown));
    if (item.size() > shown) text += "...";
    return "'" + text + "'";
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

// The whole of `s` as a number; a leading '+' is taken, as stream input
// takes it.
std::optional<double> number(std::string_view s) {
    if (s.size() > 1 && s[0] == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
    double value = 0;
    const char* end = s.data() + s.size();
    const auto [stop, status] = std::from_chars(s.data(), end, value);
    if (s.empty() || stop != end) return std::nullopt;
    if (status == std::errc::result_out_of_range) // beyond the doubles, or below them: as strtod
        value = std::strtod(std::string(s).c_str(), nullptr);
    else if (status != std::errc())
        return std::nullopt;
    return value;
}

// A column named by its number: decimal digits only ("1e0" and "+2" are
// names, not numbers), from 1; 0 for a number beyond any file's columns.
std::optional<std::size_t> columnnumber(std::string_view c) {
    if (c.empty() || c.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    if (c.size() > 9) return std::size_t(0);
    return static_cast<std::size_t>(std::stoul(std::string(c)));
}

// Whether the tabs of a line part names with blanks in them ("x mm\ty mm"):
// then only tabs separate; otherwise blanks and tabs alike.
bool blanknames(std::string_view s) {
    if (s.find('\t') == std::string_view::npos) return false;
    for (std::size_t at = 0; at <= s.size();) {
        const std::size_t stop = std::min(s.find('\t', at), s.size());
        const std::string_view f = trimmed(s.substr(at, stop - at));
        if (f.find(' ') != std::string_view::npos) return true;
        at = stop + 1;
    }
    return false;
}

// What a chosen column gives: a coordinate (x, y, z in order) or, of polar
// files, a role.
enum class Role { coordinate, angle, radius, z };

struct Pick {
    Role role = Role::coordinate;
    std::string column; // its number from 1 or its header name
    bool bare = false;  // a role without its column, which takes its place in the list
};

// The role an item of polar columns names, and the column after its '='
// (empty when bare); nothing for an item that names no role.
std::optional<Pick> roleof(std::string_view item) {
    const std::size_t eq = item.find('=');
    const std::string_view word = item.substr(0, eq);
    const std::string column = eq == std::string_view::npos ? "" : std::string(item.substr(eq + 1));
    if (word == "angle") return Pick{Role::angle, column};
    if (word == "radius") return Pick{Role::radius, column};
    if (word == "z") return Pick{Role::z, column};
    return std::nullopt;
}

const char* rolename(Role r) {
    return r == Role::angle ? "angle" : r == Role::radius ? "radius" : r == Role::z ? "z" : "";
}

// Each chosen column with its role; bare roles take their place in the list.
std::vector<Pick> picks(const std::vector<std::string>& columns) {
    std::vector<Pick> out;
    const bool polar = polarcolumns(columns);
    for (std::size_t k = 0; k < columns.size(); ++k) {
        Pick p = polar ? *roleof(columns[k]) : Pick{Role::coordinate, columns[k]};
        p.bare = p.column.empty();
        if (p.bare) p.column = std::to_string(k + 1);
        out.push_back(std::move(p));
    }
    return out;
}

} // namespace

constexpr double pi = 3.141592653589793238462643383279502884;

// The angle is brought within 45 degrees of a quarter turn before the
// radians are taken.
void sincosdegrees(double degrees, double& s, double& c) {
    double a = std::remainder(degrees, 360.0);
    const double quarter = std::nearbyint(a / 90);
    a -= quarter * 90;
    const double st = std::sin(a * (pi / 180)), ct = std::cos(a * (pi / 180));
    switch (static_cast<int>(quarter) & 3) {
    case 0:
        s = st, c = ct;
        break;
    case 1:
        s = ct, c = -st;
        break;
    case 2:
        s = -st, c = -ct;
        break;
    default:
        s = -ct, c = st;
        break;
    }
}

bool polarcolumns(const std::vector<std::string>& columns) {
    return std::any_of(columns.begin(), columns.end(), [](const std::string& c) {
        const std::optional<Pick> p = roleof(c);
        return p && (p->role == Role::angle || p->role == Role::radius);
    });
}

bool angled(const std::vector<std::string>& columns) {
    return polarcolumns(columns) &&
           std::any_of(columns.begin(), columns.end(),
                       [](const std::string& c) { return roleof(c)->role == Role::angle; });
}

std::string polarrefusal(const std::vector<std::string>& columns, int dimension) {
    if (!polarcolumns(columns)) return "";
    std::array<int, 4> count{};
    for (const std::string& c : columns) {
        const std::optional<Pick> p = roleof(c);
        if (!p)
            return "polar columns name the roles angle, radius and z, each bare (its place in "
                   "the list) or with its column (radius=3, radius=r_mm), not " +
                   quoted(c);
        if (c.find('=') != std::string::npos && p->column.empty())
            return quoted(c) + " names no column after '='";
        if (++count[static_cast<std::size_t>(p->role)] > 1)
            return "polar columns name the role " + std::string(rolename(p->role)) + " once";
    }
    if (count[static_cast<std::size_t>(Role::radius)] == 0)
        return "polar columns need a radius: angle,radius or radius alone";
    const bool z = count[static_cast<std::size_t>(Role::z)] > 0;
    if (dimension == 3 && !z)
        return "the points have 3 coordinates: name z beside the polar columns (angle,radius,z)";
    if (dimension == 2 && z) return "the points have 2 coordinates: polar columns without z";
    return "";
}

struct PointReader::State {
    std::istream& in;
    std::string file;
    PointColumns wanted;
    std::vector<char> buffer = std::vector<char>(chunk + maxpointline);
    std::size_t begin = 0, end = 0;
    bool atend = false;
    std::uintmax_t bytes = 0;
    long lineno = 0;    // of the line last taken
    long pointline = 0; // of the point last read
    bool started = false;
    bool hasheader = false;
    char separator = ' ';
    std::size_t fieldcount = 0;
    std::vector<Pick> picked; // the columns wanted, with their roles
    bool polar = false;
    bool spaced = false;             // polar, without an angle
    std::vector<std::size_t> chosen; // field index of each pick
    std::size_t sectionfield = 0;    // of the sections' column, when one is named
    double sectionvalue = 0;         // of the point last read
    std::vector<std::string> names;
    std::vector<std::string_view> fields;
    std::string_view line;
    bool pending = false; // the first line holds the first point
    // The least and largest angle read, as given in the file.
    mutable double lowangle = std::numeric_limits<double>::infinity();
    mutable double highangle = -std::numeric_limits<double>::infinity();

    State(std::istream& i, std::string f, PointColumns c)
        : in(i), file(std::move(f)), wanted(std::move(c)), picked(picks(wanted.columns)),
          polar(polarcolumns(wanted.columns)), spaced(polar && !angled(wanted.columns)) {}

    [[noreturn]] void fail(const std::string& why, std::string_view at = {}) const {
        const long column = at.data() ? static_cast<long>(at.data() - line.data()) + 1 : 0;
        throw FileError(file, lineno, why, column);
    }

    // Lines ended by CR alone run together into one: say so rather than
    // complain of its fields.
    void crlineends() const {
        const std::size_t cr = line.find('\r');
        if (cr != std::string_view::npos && cr + 1 < line.size())
            fail("lines end in CR alone (old Mac text), which formreport does not read: "
                 "convert the line ends to LF or CR LF");
    }

    void refill() {
        if (begin > 0) {
            std::memmove(buffer.data(), buffer.data() + begin, end - begin);
            end -= begin;
            begin = 0;
        }
        in.read(buffer.data() + end, static_cast<std::streamsize>(buffer.size() - end));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (in.bad()) throw FileError(file, 0, "the file could not be read to its end");
        if (bytes == 0 && got >= 3 && std::memcmp(buffer.data() + end, "\xEF\xBB\xBF", 3) == 0)
            begin = 3; // a byte-order mark
        end += got;
        bytes += got;
        atend = got == 0 || in.eof();
    }

    // The next line, without its line break; false at the end.
    bool take() {
        for (;;) {
            const char* from = buffer.data() + begin;
            const void* nl = std::memchr(from, '\n', end - begin);
            const std::size_t length =
                nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - from) : end - begin;
            if (length > maxpointline) {
                ++lineno;
                line = std::string_view(from, length);
                crlineends();
                fail("a line longer than " + std::to_string(maxpointline) +
                         " bytes, which no point needs: " + quoted(line),
                     line);
            }
            if (nl || (atend && length > 0)) {
                ++lineno;
                line = std::string_view(from, length);
                begin += length + (nl ? 1 : 0);
                return true;
            }
            if (atend) return false;
            refill();
        }
    }

    // The fields of the current line; false for a line with none (blank or
    // a comment).
    bool split() {
        std::string_view s = line;
        if (const std::size_t hash = s.find('#'); hash != std::string_view::npos)
            s = s.substr(0, hash);
        while (!s.empty() && blank(s.back())) s.remove_suffix(1);
        while (!s.empty() && blank(s.front())) s.remove_prefix(1);
        fields.clear();
        if (s.empty()) return false;
        if (separator == ' ') {
            std::size_t at = 0;
            while (at < s.size()) {
                const std::size_t start = at;
                while (at < s.size() && !blank(s[at])) ++at;
                fields.push_back(trimmed(s.substr(start, at - start)));
                while (at < s.size() && blank(s[at])) ++at;
            }
        } else {
            for (std::size_t at = 0;;) {
                const std::size_t stop = std::min(s.find(separator, at), s.size());
                fields.push_back(trimmed(s.substr(at, stop - at)));
                if (stop == s.size()) break;
                at = stop + 1;
            }
        }
        return true;
    }

    void start() {
        started = true;
        while (take()) {
            std::string_view s = line.substr(0, line.find('#'));
            if (s.find_first_not_of(" \t\r\v\f") == std::string_view::npos) continue;
            crlineends();
            separator = s.find(',') != std::string_view::npos   ? ','
                        : s.find(';') != std::string_view::npos ? ';'
                        : blanknames(s)                         ? '\t'
                                                                : ' ';
            split();
            fieldcount = fields.size();
            hasheader = isheader();
            choose();
            pending = !hasheader;
            return;
        }
    }

    // Whether the first line names the columns: no field that would hold a
    // coordinate is a number (of the columns asked for by number; of every
    // column otherwise). A column of text beside the coordinates does not
    // make a header of a line of data, nor does a mistyped coordinate
    // ("10.5,0.O"), which is refused as any line's would be.
    bool isheader() const {
        const auto numeric = [](std::string_view f) { return number(f).has_value(); };
        std::vector<std::size_t> numbered;
        for (const Pick& p : picked) {
            const std::optional<std::size_t> n = columnnumber(p.column);
            if (!n) return std::none_of(fields.begin(), fields.end(), numeric);
            if (*n >= 1 && *n <= fields.size()) numbered.push_back(*n - 1);
        }
        if (wanted.columns.empty()) return std::none_of(fields.begin(), fields.end(), numeric);
        return !numbered.empty() && std::none_of(numbered.begin(), numbered.end(),
                                                 [&](std::size_t k) { return numeric(fields[k]); });
    }

    // The field of a column named by number or header name; `role` says
    // what it holds in messages (" (z)", " (section)").
    std::size_t resolve(const std::string& c, const std::string& role) const {
        if (const std::optional<std::size_t> n = columnnumber(c)) {
            if (*n < 1 || *n > fieldcount)
                fail("there is no column " + c + role + ": the lines hold " +
                     std::to_string(fieldcount) + (fieldcount == 1 ? " field" : " fields"));
            return *n - 1;
        }
        if (!hasheader)
            fail("the file has no header line to name column " + quoted(c) +
                 "; give its number from 1");
        const auto found = std::find(fields.begin(), fields.end(), c);
        if (found == fields.end())
            fail("the header names no column " + quoted(c) + ": " + quoted(line));
        return static_cast<std::size_t>(found - fields.begin());
    }

    void choose() {
        const int dimension = wanted.dimension;
        const bool sections = !wanted.section.empty();
        if (sections) sectionfield = resolve(wanted.section, " (section)");
        if (wanted.columns.empty()) {
            const std::size_t needed = static_cast<std::size_t>(dimension) + (sections ? 1 : 0);
            if (fieldcount != needed)
                fail("the lines hold " + std::to_string(fieldcount) +
                     " fields; say which hold the " + std::to_string(dimension) +
                     " coordinates with --columns (numbers from 1, or header names)");
            for (std::size_t k = 0; k < fieldcount; ++k)
                if (!sections || k != sectionfield) chosen.push_back(k);
        }
        for (const Pick& p : picked)
            chosen.push_back(resolve(p.column, p.role == Role::coordinate
                                                   ? ""
                                                   : " (" + std::string(rolename(p.role)) + ")"));
        if (sections && std::count(chosen.begin(), chosen.end(), sectionfield) > 0)
            fail("column " + std::to_string(sectionfield + 1) +
                 " is chosen for the sections and for a coordinate: each needs a column of its "
                 "own");
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            const std::size_t k = chosen[i];
            // Two coordinates from one column, or from columns the header
            // names alike, would make a feature of no form at all.
            if (std::count(chosen.begin(), chosen.end(), k) > 1)
                fail("column " + std::to_string(k + 1) +
                     " is chosen for two coordinates: each needs a column of its own");
            const bool byname = picked.empty() || !columnnumber(picked[i].column);
            if (hasheader && byname && std::count(fields.begin(), fields.end(), fields[k]) > 1)
                fail("the header names more than one column " + quoted(fields[k]) +
                     ": say which with --columns and its number from 1");
            names.push_back(hasheader ? printable(fields[k]) : "column " + std::to_string(k + 1));
            if (hasheader && i < picked.size() && picked[i].bare) sameroles(k, picked[i].role);
        }
    }

    // A bare role takes its place in the list; a header that names that
    // column by another role's word says the list is out of the file's order.
    void sameroles(std::size_t k, Role role) const {
        std::string word(fields[k]);
        for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::optional<Pick> named = roleof(word);
        if (!named || !named->column.empty() || named->role == role ||
            named->role == Role::coordinate)
            return;
        fail("the header names column " + std::to_string(k + 1) + " " + quoted(fields[k]) +
             ", which --columns reads as the " + rolename(role) +
             ": list the roles in the file's order, or give each its column (" +
             rolename(named->role) + "=" + std::string(fields[k]) + ")");
    }

    // " (column 2, radius_mm)": where pick k's field stands.
    std::string where(std::size_t k) const {
        return " (column " + std::to_string(chosen[k] + 1) +
               (hasheader ? ", " + names[k] : std::string()) + ")";
    }

    double sectionof() const {
        const std::string_view f = fields[sectionfield];
        const std::optional<double> v = number(f);
        if (v && std::isfinite(*v)) return *v;
        const std::string where =
            " (column " + std::to_string(sectionfield + 1) + ", the sections" + ")";
        if (f.empty()) fail("an empty field" + where, f);
        fail(quoted(f) + (v ? " is not a finite number" : " is not a number") + where, f);
    }

    [[noreturn]] void refuse(std::size_t k, std::string_view f, bool infinite) const {
        if (f.empty()) fail("an empty field" + where(k), f);
        fail(quoted(f) + (infinite ? " is not a finite number" : " is not a number") + where(k), f);
    }

    // The values of the picks, in their order, into x, y (z); radii alone
    // into r, 0 (z).
    void topolar(double* point) const {
        double angle = 0, r = 0, z = 0;
        for (std::size_t k = 0; k < picked.size(); ++k) {
            const double v = point[k];
            if (picked[k].role == Role::angle) {
                angle = v;
                lowangle = std::min(lowangle, v);
                highangle = std::max(highangle, v);
            }
            if (picked[k].role == Role::z) z = v;
            if (picked[k].role != Role::radius) continue;
            r = wanted.nominalradius ? *wanted.nominalradius + v : v;
            const std::string_view f = fields[chosen[k]];
            const std::string about = wanted.nominalradius ? " about the nominal radius" : "";
            if (r < 0) fail(quoted(f) + " is a radius below 0" + about + where(k), f);
            // A point at the trace's centre is an instrument's dropout, not
            // a point of the surface.
            if (r == 0) fail(quoted(f) + " is a radius of 0, a dropout" + about + where(k), f);
            if (!std::isfinite(r)) fail(quoted(f) + " is no finite radius" + about + where(k), f);
        }
        double s = 0, c = 1;
        if (spaced)
            s = 0;
        else if (wanted.angleunit == AngleUnit::degrees)
            sincosdegrees(angle, s, c);
        else
            s = std::sin(angle), c = std::cos(angle);
        point[0] = spaced ? r : r * c;
        point[1] = spaced ? 0 : r * s;
        if (wanted.dimension == 3) point[2] = z;
    }

    bool next(double* point) {
        if (!started) start();
        while (pending || take()) {
            if (!pending && !split()) continue;
            pending = false;
            if (fields.size() != fieldcount) {
                crlineends();
                const std::string_view at = fields.size() > fieldcount
                                                ? fields[fieldcount]
                                                : line.substr(line.find_last_not_of(" \t\r") + 1);
                fail(std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields") +
                         " where the file's first line has " + std::to_string(fieldcount),
                     at);
            }
            for (std::size_t k = 0; k < chosen.size(); ++k) {
                const std::string_view f = fields[chosen[k]];
                const std::optional<double> v = number(f);
                if (!v || !std::isfinite(*v)) refuse(k, f, v.has_value());
                point[k] = *v;
            }
            if (!wanted.section.empty()) sectionvalue = sectionof();
            if (polar) topolar(point);
            pointline = lineno;
            return true;
        }
        return false;
    }
};

PointReader::PointReader(std::istream& in, std::string file, PointColumns columns) {
    if (columns.dimension != 2 && columns.dimension != 3)
        throw std::invalid_argument("points have 2 or 3 coordinates");
    if (polarcolumns(columns.columns)) {
        const std::string why = polarrefusal(columns.columns, columns.dimension);
        if (!why.empty()) throw std::invalid_argument(why);
    } else if (!columns.columns.empty() &&
               columns.columns.size() != static_cast<std::size_t>(columns.dimension))
        throw std::invalid_argument("as many columns as coordinates");
    s_ = std::make_unique<State>(in, std::move(file), std::move(columns));
}

PointReader::~PointReader() = default;

bool PointReader::next(double* point) {
    return s_->next(point);
}

double PointReader::section() const {
    return s_->sectionvalue;
}

bool PointReader::spaced() const {
    return s_->spaced;
}

std::optional<std::array<double, 2>> PointReader::angles() const {
    if (!(s_->lowangle <= s_->highangle)) return std::nullopt;
    return std::array<double, 2>{s_->lowangle, s_->highangle};
}

long PointReader::line() const {
    return s_->pointline;
}

std::uintmax_t PointReader::bytes() const {
    return s_->bytes;
}

const std::vector<std::string>& PointReader::names() const {
    return s_->names;
}

bool PointReader::header() const {
    return s_->hasheader;
}

char PointReader::separator() const {
    return s_->separator;
}

} // namespace formeval::report
