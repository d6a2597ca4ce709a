// The input model as the user writes it: contributions with units, model
// files.
#include "report/model/model.h"

#include <cctype>
#include <istream>
#include <optional>
#include <sstream>

namespace formeval::report {

namespace {

using uncertainty::Acts;
using uncertainty::Distribution;

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::vector<std::string> words(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::optional<Acts> actsnamed(const std::string& name) {
    for (int a = 0; a <= static_cast<int>(Acts::squarenessyz); ++a)
        if (name == uncertainty::actsname(static_cast<Acts>(a))) return static_cast<Acts>(a);
    return std::nullopt;
}

std::optional<Distribution> distributionnamed(const std::string& name) {
    if (name == "uniform") return Distribution::rectangular;
    for (int d = 0; d <= static_cast<int>(Distribution::arcsine); ++d)
        if (name == uncertainty::distributionname(static_cast<Distribution>(d)))
            return static_cast<Distribution>(d);
    return std::nullopt;
}

} // namespace

ValueKind kindof(Acts acts) {
    if (uncertainty::lengthwidth(acts)) return ValueKind::length;
    return acts == Acts::squarenessxy || acts == Acts::squarenessxz || acts == Acts::squarenessyz
               ? ValueKind::angle
               : ValueKind::relative;
}

std::string parsecontribution(std::string_view text, const std::string& unit,
                              uncertainty::Contribution& c) {
    const std::vector<std::string> w = words(text);
    if (w.size() < 3)
        return "'" + printable(trimmed(text)) +
               "' is not a contribution: give where it acts, its distribution and its value";
    const std::optional<Acts> acts = actsnamed(w[0]);
    if (!acts)
        return "'" + printable(w[0]) +
               "' is not where a contribution acts: coordinates, x, y, z, normal, scale, "
               "scale-x, scale-y, scale-z, offset-x, offset-y, offset-z, squareness-xy, "
               "squareness-xz or squareness-yz";
    const std::optional<Distribution> d = distributionnamed(w[1]);
    if (!d)
        return "'" + printable(w[1]) +
               "' is not a distribution: gaussian, rectangular (uniform), triangular or arcsine";
    std::string why;
    const std::optional<double> value = parsevalue(w[2], kindof(*acts), unit, why);
    if (!value) return why;
    if (*value < 0) return "'" + printable(w[2]) + "' is negative: give a width of at least 0";
    // A second value where the name goes is a slip (two values, or a value
    // and its unit apart), not a name.
    if (w.size() > 3 && readsasvalue(w[3]))
        return "'" + printable(w[3]) + "' after the value '" + printable(w[2]) +
               "' reads as a value: a contribution has one value (a unit goes with it, as in "
               "1um), and its name starts with no number";
    c.acts = *acts;
    c.distribution = *d;
    c.width = *value;
    c.name = w.size() > 3 ? w[3] : w[0];
    for (std::size_t k = 4; k < w.size(); ++k) c.name += " " + w[k];
    return "";
}

std::vector<uncertainty::Contribution> readmodel(std::istream& in, const std::string& file,
                                                 const std::string& unit) {
    std::vector<uncertainty::Contribution> model;
    long number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        // A UTF-8 byte-order mark, as editors on Windows save, is no part of
        // the first word.
        if (number == 1 && line.rfind("\xef\xbb\xbf", 0) == 0) line.erase(0, 3);
        const std::string text = trimmed(std::string_view(line).substr(0, line.find('#')));
        if (text.empty()) continue;
        uncertainty::Contribution c;
        const std::string why = parsecontribution(text, unit, c);
        if (!why.empty()) throw FileError(file, number, why);
        model.push_back(c);
    }
    if (in.bad()) throw FileError(file, 0, "the file could not be read to its end");
    if (model.empty()) throw FileError(file, 0, "holds no contribution");
    return model;
}

} // namespace formeval::report
