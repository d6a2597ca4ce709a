// The command line of formreport, parsed with CLI11.
#include "report/charts/charts.h"
#include "report/commands/commands.h"
#include "report/pointfiles/pointfiles.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace formeval::report {

namespace {

// A command run with the file it could not read or write said on `err`
// (status 1), wherever in the command the fault was met.
template <class Command> int atedge(std::ostream& err, Command command) {
    try {
        return command();
    } catch (const FileError& e) {
        complain(err, e);
        return exitinput;
    }
}

void progressoptions(CLI::App& command, ProgressMode& mode) {
    auto* always = command.add_flag_callback(
        "--progress", [&mode] { mode = ProgressMode::always; },
        optionhelp("every command", "--progress"));
    auto* never = command.add_flag_callback(
        "-q,--quiet", [&mode] { mode = ProgressMode::never; },
        optionhelp("every command", "-q,--quiet"));
    always->excludes(never);
}

// Help text broken into lines of at most `width` characters at blanks.
std::string wrap(const std::string& text, std::size_t width = 79) {
    std::string out;
    std::size_t column = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        if (text[start] == '\n') {
            out += '\n';
            column = 0;
            ++start;
            continue;
        }
        const std::size_t end = std::min(text.find_first_of(" \n", start), text.size());
        const std::string word = text.substr(start, end - start);
        if (column > 0 && column + 1 + word.size() > width) {
            out += '\n';
            column = 0;
        } else if (column > 0) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        start = end < text.size() && text[end] == ' ' ? end + 1 : end;
    }
    return out;
}

// Refuses NaN and infinities, which pass a range check (every comparison
// with NaN is false) and turn into nonsense when converted to a whole number.
const CLI::Validator finitenumber(
    [](std::string& input) {
        double value = 0;
        if (CLI::detail::lexical_cast(input, value) && !std::isfinite(value))
            return "Value " + input + " is not a finite number";
        return std::string();
    },
    "");

// A range check alone calls text that is no number at all "not in range";
// checked before it, such text is named for what it is.
const CLI::Validator anumber(
    [](std::string& input) {
        double value = 0;
        if (CLI::detail::lexical_cast(input, value)) return std::string();
        return "Value " + input + " is not a number";
    },
    "");

// The same for a count: a number with a fraction is named as that.
const CLI::Validator awhole(
    [](std::string& input) {
        long long whole = 0;
        if (CLI::detail::lexical_cast(input, whole)) return std::string();
        double value = 0;
        if (CLI::detail::lexical_cast(input, value))
            return "Value " + input + " is not a whole number";
        return "Value " + input + " is not a number";
    },
    "");

const CLI::Validator positivenumber(
    [](std::string& input) {
        double value = 0;
        if (!CLI::detail::lexical_cast(input, value) || !(value > 0))
            return "Value " + input + " is not a positive number";
        return std::string();
    },
    "POSITIVE");

// A low-pass cut-off in UPR below 1 keeps no undulation of the form: the
// filtered profile is the circle itself, and every part would pass.
const CLI::Validator atleastoneupr(
    [](std::string& input) {
        double value = 0;
        if (CLI::detail::lexical_cast(input, value) && value < 1)
            return "Value " + input +
                   " is below 1 UPR, which leaves no undulation of the form: give 1 or more "
                   "(15, 50, 150, 500 ...)";
        return std::string();
    },
    "");

// Every number on the command line is decimal: CLI11 alone would read 0x10
// as 16, 010 as 8 and 0x1p4 as 16. Checked before the options' own checks,
// which still speak for text that is no number at all; a whole number loses
// its leading zeros, which would make it octal.
const CLI::Validator decimalwhole(
    [](std::string& input) {
        const std::size_t sign = input.size() > 1 && (input[0] == '-' || input[0] == '+') ? 1 : 0;
        if (input.size() == sign ||
            input.find_first_not_of("0123456789", sign) != std::string::npos) {
            long long value = 0;
            return CLI::detail::lexical_cast(input, value)
                       ? "Value " + input + " is not a whole number in decimal digits"
                       : std::string();
        }
        const std::size_t first = std::min(input.find_first_not_of('0', sign), input.size() - 1);
        input.erase(sign, first - sign);
        return std::string();
    },
    "");

const CLI::Validator decimalfloat(
    [](std::string& input) {
        double value = 0;
        if (parsenumber(input) || !CLI::detail::lexical_cast(input, value) || !std::isfinite(value))
            return std::string();
        return "Value " + input + " is not a decimal number";
    },
    "");

void decimalnumbers(CLI::App& app) {
    for (CLI::App* command : app.get_subcommands({}))
        for (CLI::Option* option : command->get_options()) {
            const std::string type = option->get_type_name();
            if (type.rfind("INT", 0) == 0 || type.rfind("UINT", 0) == 0)
                option->transform(decimalwhole);
            else if (type.rfind("FLOAT", 0) == 0)
                option->transform(decimalfloat);
        }
}

// "line, plane, circle, sphere or cylinder".
std::string featurelist() {
    std::string out;
    for (std::size_t k = 0; k < pointset::features.size(); ++k)
        out += std::string(k == 0                               ? ""
                           : k + 1 == pointset::features.size() ? " or "
                                                                : ", ") +
               pointset::features[k].name;
    return out;
}

const CLI::Validator featurename(
    [](std::string& input) {
        if (pointset::featurenamed(input)) return std::string();
        return "the feature is " + featurelist() + ", not '" + printable(input) + "'";
    },
    "FEATURE");

// --feature, --columns and the polar columns' options of a command that
// reads point files.
struct PointOptions {
    std::string feature;
    std::vector<std::string> columns;
    std::string angleunit = "deg";
    std::optional<double> nominalradius;
};

void pointoptions(CLI::App& command, const std::string& table, PointOptions& p) {
    auto* feature = command.add_option("--feature", p.feature, optionhelp(table, "--feature"))
                        ->check(featurename);
    auto* columns = command.add_option("--columns", p.columns, optionhelp(table, "--columns"))
                        ->delimiter(',')
                        ->needs(feature);
    command.add_option("--angle-unit", p.angleunit, optionhelp(table, "--angle-unit"))
        ->check(CLI::IsMember({"deg", "rad"}))
        ->default_str("deg")
        ->needs(columns);
    command.add_option("--nominal-radius", p.nominalradius, optionhelp(table, "--nominal-radius"))
        ->check(finitenumber)
        ->check(positivenumber)
        ->needs(columns);
}

// The feature named, its columns checked against its coordinates.
std::optional<pointset::Feature> pointfeature(const PointOptions& p) {
    if (p.feature.empty()) return std::nullopt;
    const pointset::Feature f = *pointset::featurenamed(p.feature);
    const int d = pointset::traits(f).dimension;
    if (polarcolumns(p.columns)) {
        const std::string why = polarrefusal(p.columns, d);
        if (!why.empty()) throw CLI::ValidationError("--columns", "a " + p.feature + ": " + why);
        if (p.angleunit != "deg" && !angled(p.columns))
            throw CLI::ValidationError("--angle-unit", "the polar columns have no angle");
        return f;
    }
    if (p.angleunit != "deg" || p.nominalradius)
        throw CLI::ValidationError(p.nominalradius ? "--nominal-radius" : "--angle-unit",
                                   "it is for polar columns: --columns angle,radius");
    if (!p.columns.empty() && p.columns.size() != static_cast<std::size_t>(d))
        throw CLI::ValidationError("--columns", "a " + p.feature + "'s points have " +
                                                    std::to_string(d) + " coordinates: name " +
                                                    std::to_string(d) + " columns");
    return f;
}

// The columns as the reader takes them.
PointColumns pointcolumns(const PointOptions& p) {
    PointColumns c;
    c.columns = p.columns;
    if (!p.feature.empty())
        c.dimension = pointset::traits(*pointset::featurenamed(p.feature)).dimension;
    c.angleunit = p.angleunit == "rad" ? AngleUnit::radians : AngleUnit::degrees;
    c.nominalradius = p.nominalradius;
    return c;
}

// A criterion as --criterion names it: its name, hyphens for blanks
// ("least-squares", "minimum-zone", "circumscribed", "inscribed").
std::string optionname(const pointset::CriterionTraits& c) {
    std::string name = c.name;
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

std::optional<Criterion> criterionnamed(const std::string& name) {
    for (const pointset::CriterionTraits& c : pointset::criteria)
        if (name == optionname(c)) return c.criterion;
    return std::nullopt;
}

// Every criterion as --criterion names it.
std::vector<std::string> criterionoptions() {
    std::vector<std::string> out;
    for (const pointset::CriterionTraits& c : pointset::criteria) out.push_back(optionname(c));
    return out;
}

// "least-squares, minimum-zone, circumscribed or inscribed".
std::string criterionlist() {
    const std::vector<std::string> names = criterionoptions();
    std::string out;
    for (std::size_t k = 0; k < names.size(); ++k)
        out += (k == 0 ? "" : k + 1 == names.size() ? " or " : ", ") + names[k];
    return out;
}

const CLI::Validator criterionname(
    [](std::string& input) {
        if (criterionnamed(input)) return std::string();
        return "the criterion is " + criterionlist() + ", not '" + printable(input) + "'";
    },
    "CRITERION");

void setband(const std::vector<double>& band, ProfileFilter& f) {
    if (band.empty()) return;
    if (band.size() != 2 || !(band[0] < band[1]))
        throw CLI::ValidationError("--filter-band",
                                   "give the long-wave and the short-wave cut-off in UPR, the "
                                   "first below the second: LOW,HIGH (15,500)");
    if (band[1] < 1)
        throw CLI::ValidationError("--filter-band",
                                   "a short-wave cut-off below 1 UPR leaves no undulation of "
                                   "the form: give it 1 or more (15,500)");
    f.longwave = band[0];
    f.shortwave = band[1];
}

const CLI::Validator filtertypename(
    [](std::string& input) {
        for (const FilterTypeName& t : filtertypes)
            if (input == t.option) return std::string();
        return "the filter type is gaussian, robust, spline, 2rc, closing or opening, not '" +
               printable(input) + "'";
    },
    "TYPE");

// The filter's type and what it takes: a disk radius for closing and
// opening and no cut-off, a cut-off for the others; a band is the
// Gaussian's. `given` when --filter-type was.
void settype(const std::string& name, bool given, ProfileFilter& f) {
    for (const FilterTypeName& t : filtertypes)
        if (name == t.option) f.type = t.type;
    const std::string option = "--filter-type " + name;
    if (f.morphological()) {
        if (f.cutoff > 0 || f.band() || f.wavelength > 0)
            throw CLI::ValidationError(option, "a disk is rolled over the profile, with no "
                                               "cut-off: give --disk-radius alone, without "
                                               "--filter, --filter-band or --filter-wavelength");
        if (!(f.diskradius > 0))
            throw CLI::ValidationError(option,
                                       "give the radius of the disk rolled over the profile: "
                                       "--disk-radius in the coordinates' unit");
        return;
    }
    if (f.diskradius > 0)
        throw CLI::ValidationError("--disk-radius",
                                   "the disk goes with --filter-type closing or opening");
    if (f.band() && f.type != FilterType::gaussian)
        throw CLI::ValidationError(option, "--filter-band is the Gaussian band-pass: give "
                                           "--filter or --filter-wavelength");
    if (given && !f.any())
        throw CLI::ValidationError(option, "give the cut-off: --filter in UPR or "
                                           "--filter-wavelength");
}

// Refuses two filters of which one would be dropped: a point file's closed
// circle is filtered in UPR or at a wavelength, and an arc at one of them.
void checkcircle(const std::optional<pointset::Feature>& feature, const ProfileFilter& f) {
    if (feature != pointset::Feature::circle || !(f.wavelength > 0)) return;
    if (f.cutoff > 0)
        throw CLI::ValidationError("--filter-wavelength", "a closed circle takes --filter in UPR "
                                                          "or --filter-wavelength, not both");
    if (f.band())
        throw CLI::ValidationError("--filter-wavelength", "a circle takes --filter-band or "
                                                          "--filter-wavelength, not both");
}

void setrange(const std::vector<int>& range, PolarOptions& p) {
    if (range.empty()) return;
    if (range.size() != 2 || range[0] < 1 || range[0] > range[1])
        throw CLI::ValidationError("--harmonics-range",
                                   "give the first and the last harmonic in UPR, from 1, the "
                                   "first not above the last: FROM,TO (1,500)");
    p.harmonicsfrom = range[0];
    p.harmonicsto = range[1];
}

// Refuses a filter the point files' feature cannot take.
void checkfilter(const ResultsOptions& r) {
    if (!r.filter.any() || !r.feature) return;
    const pointset::Feature f = *r.feature;
    const std::string name = pointset::featurename(f);
    if (f == pointset::Feature::plane || f == pointset::Feature::cylinder) {
        if (r.filter.type != FilterType::gaussian || r.filter.cutoff > 0 || r.filter.band())
            throw CLI::ValidationError("--filter",
                                       "a " + name +
                                           " is filtered by the areal "
                                           "Gaussian filter at a cut-off wavelength in "
                                           "its length unit: --filter-wavelength alone");
        return;
    }
    if (f != pointset::Feature::line && f != pointset::Feature::circle)
        throw CLI::ValidationError("--filter", "the profiles of circles and lines and the "
                                               "surfaces of planes and cylinders are filtered, "
                                               "not those of a " +
                                                   name);
    if (f == pointset::Feature::line && !(r.filter.wavelength > 0) && !r.filter.morphological())
        throw CLI::ValidationError("--filter", "a line is filtered at a cut-off wavelength in "
                                               "its length unit: --filter-wavelength");
}

// --sections and --section-column of a command that reads point files.
void sectionoptions(CLI::App& command, const std::string& table, bool& sections,
                    std::string& column) {
    auto* flag = command.add_flag("--sections", sections, optionhelp(table, "--sections"))
                     ->needs("--feature");
    command.add_option("--section-column", column, optionhelp(table, "--section-column"))
        ->needs(flag);
}

// --sections reads a cylinder's point files; throws for any other feature.
void checksections(bool sections, std::optional<pointset::Feature> feature) {
    if (sections && feature != pointset::Feature::cylinder)
        throw CLI::ValidationError("--sections", "a stack of sections is read as the points of a "
                                                 "cylinder: --feature cylinder");
}

// Refuses a tolerance (`texts`, as given) that no record of point files of
// `feature` could take: one for another feature, or for a job code (a point
// file has none). A job stream's features and codes are known only once it
// is read.
void checktolerancetargets(const std::vector<std::string>& texts, const ResultsOptions& r) {
    if (!r.feature) return;
    const std::string feature = pointset::featurename(*r.feature);
    for (const std::string& text : texts) {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = text.substr(0, equals);
        const std::string given = "'" + shortitem(text) + "': ";
        if (!pointset::featurenamed(key))
            throw CLI::ValidationError("--tolerance", given +
                                                          "a point file has no job code: give the "
                                                          "tolerance for every file, or " +
                                                          feature + "=VALUE");
        if (key == feature || (r.sections && key == "circle")) continue;
        throw CLI::ValidationError(
            "--tolerance",
            given +
                (r.sections ? "a stack's sections are evaluated as circles and the stack as a "
                              "cylinder"
                            : "the point files are evaluated as " + feature + "s (--feature " +
                                  feature + ")") +
                ", so a tolerance for a " + key + " would judge nothing");
    }
}

// Whether the point files' feature is a surface the areal filter takes.
bool surfacefeature(std::optional<pointset::Feature> feature) {
    return feature == pointset::Feature::plane || feature == pointset::Feature::cylinder;
}

// The uncertainty model's options that need the others to be read: the
// contributions (their units need --unit), the coverage and the flags.
struct ModelLine {
    std::vector<std::string> flags;         // "ACTS DISTRIBUTION VALUE NAME" of --sigma ...
    std::vector<std::string> contributions; // of --contribution, in order
    double coverage = 95;
    bool nogum = false, nocertify = false;
};

// The uncertainty model and its engine's options, as uncertainty, results
// and report take them, with the help of `table`; --no-gum where `gum`.
void modeloptions(CLI::App& c, const std::string& table, ModelLine& l, std::string& modelfile,
                  uncertainty::Options& engine, bool gum) {
    const auto help = [&table](const char* names) { return optionhelp(table, names); };
    for (const auto& [flag, contribution] : {std::pair{"--sigma", "coordinates gaussian"},
                                             {"--sigma-x", "x gaussian"},
                                             {"--sigma-y", "y gaussian"},
                                             {"--sigma-z", "z gaussian"},
                                             {"--normal", "normal gaussian"},
                                             {"--uniform", "coordinates rectangular"}}) {
        const std::string stem = contribution, name = std::string(flag).substr(2);
        c.add_option_function<std::string>(
            flag,
            [&l, stem, name](const std::string& v) {
                l.flags.push_back(stem + " " + v + " " + name);
            },
            help(flag));
    }
    c.add_option("--contribution", l.contributions, help("--contribution"));
    c.add_option("--model", modelfile, help("--model"));
    auto* trials = c.add_option("--trials", engine.trials, help("--trials"))
                       ->check(awhole)
                       ->check(CLI::Range(1L, 10000000L))
                       ->default_str("100000");
    c.add_option("--adaptive", engine.digits, help("--adaptive"))
        ->check(awhole)
        ->check(CLI::Range(1, 4))
        ->excludes(trials);
    c.add_option("--max-trials", engine.maxtrials, help("--max-trials"))
        ->check(awhole)
        ->check(CLI::Range(1L, 10000000L))
        ->default_str("1000000");
    c.add_option("--tolerance-digits", engine.tolerancedigits, help("--tolerance-digits"))
        ->check(awhole)
        ->check(CLI::Range(1, 4))
        ->default_str("2");
    c.add_option("--seed", engine.seed, help("--seed"))
        ->check(CLI::Validator(
            [](std::string& v) {
                // At most 2^64 - 1, which CLI11 would otherwise wrap round.
                const std::string most = "18446744073709551615";
                return !v.empty() && v.find_first_not_of("0123456789") == std::string::npos &&
                               (v.size() < most.size() || (v.size() == most.size() && v <= most))
                           ? std::string()
                           : "the seed is a whole number from 0 to 18446744073709551615, not '" +
                                 printable(v) + "'";
            },
            "SEED"))
        ->default_str("1");
    c.add_option("--threads", engine.threads, help("--threads"))
        ->check(awhole)
        ->check(CLI::Range(0, 1024))
        ->default_str("0");
    c.add_option("--coverage", l.coverage, help("--coverage"))
        ->check(finitenumber)
        ->check(anumber)
        ->check(CLI::Range(0.01, 99.99))
        ->default_str("95");
    if (gum) c.add_flag("--no-gum", l.nogum, help("--no-gum"));
    c.add_flag("--no-certify", l.nocertify, help("--no-certify"));
}

Basispoints basispoints(double percent);

// The model once the command line is read, its values in `unit`; throws
// CLI::ValidationError for a contribution that is wrong.
void finishmodel(const ModelLine& l, const std::string& unit,
                 std::vector<uncertainty::Contribution>& model, uncertainty::Options& engine) {
    engine.coverage = basispoints(l.coverage);
    engine.gum = !l.nogum;
    engine.certifytrials = !l.nocertify;
    for (const auto* texts : {&l.flags, &l.contributions})
        for (const std::string& text : *texts) {
            uncertainty::Contribution c;
            const std::string why = parsecontribution(text, unit, c);
            // A flag's text ends with its own name (sigma, normal ...).
            const std::string option =
                texts == &l.flags ? "--" + text.substr(text.rfind(' ') + 1) : "--contribution";
            if (!why.empty()) throw CLI::ValidationError(option, why);
            model.push_back(c);
        }
}

// Refuses a unit among the `inputs` of `command` that is no file: "--sigma 1
// um" leaves it behind as an input.
void unitleftbehind(const std::vector<std::string>& inputs, const std::string& command) {
    for (const std::string& input : inputs) {
        std::error_code ec;
        if (unitword(input) && !std::filesystem::exists(input, ec))
            throw CLI::ValidationError(command,
                                       "'" + printable(input) +
                                           "' is a unit, not an input: write a value and its "
                                           "unit as one word (--sigma 1" +
                                           printable(input) + ")");
    }
}

// The options `results` and `report` share: the point files, the unit and
// digits, the tolerances, the filter, the criterion and the uncertainty
// model.
struct Judging {
    PointOptions points;
    std::vector<std::string> tolerances;
    std::vector<double> band;
    std::string filtertype = "gaussian";
    bool typegiven = false;
    std::string criterion = "minimum-zone";
    ModelLine model;
};

// --filter-type and --disk-radius, beside the cut-offs; `given` is set when
// the type is.
void filtertypeoptions(CLI::App& command, const std::string& table, std::string& type, bool& given,
                       double& radius) {
    command.add_option("--filter-type", type, optionhelp(table, "--filter-type"))
        ->check(filtertypename)
        ->default_str("gaussian")
        ->each([&given](const std::string&) { given = true; });
    command.add_option("--disk-radius", radius, optionhelp(table, "--disk-radius"))
        ->check(finitenumber)
        ->check(positivenumber);
}

void judgingoptions(CLI::App& command, const std::string& table, ResultsOptions& r, Judging& j) {
    command.add_option("--unit", r.unit, optionhelp(table, "--unit"))->default_str(defaultunit);
    command.add_option("--digits", r.digits, optionhelp(table, "--digits"))
        ->check(awhole)
        ->check(CLI::Range(1, 17))
        ->default_str("12");
    command.add_option("--tolerance", j.tolerances, optionhelp(table, "--tolerance"));
    pointoptions(command, table, j.points);
    auto* lowpass = command.add_option("--filter", r.filter.cutoff, optionhelp(table, "--filter"))
                        ->check(finitenumber)
                        ->check(positivenumber)
                        ->check(atleastoneupr);
    command.add_option("--filter-band", j.band, optionhelp(table, "--filter-band"))
        ->delimiter(',')
        ->check(finitenumber)
        ->check(positivenumber)
        ->excludes(lowpass);
    command
        .add_option("--filter-wavelength", r.filter.wavelength,
                    optionhelp(table, "--filter-wavelength"))
        ->check(finitenumber)
        ->check(positivenumber);
    filtertypeoptions(command, table, j.filtertype, j.typegiven, r.filter.diskradius);
    command.add_option("--criterion", j.criterion, optionhelp(table, "--criterion"))
        ->check(criterionname)
        ->default_str("minimum-zone");
    command.add_option("--outliers", r.outliers, optionhelp(table, "--outliers"))
        ->check(finitenumber)
        ->check(anumber)
        ->check(CLI::Range(2.0, 100.0));
    modeloptions(command, table, j.model, r.modelfile, r.engine, false);
}

void applyjudging(const Judging& j, const std::string& command, ResultsOptions& r) {
    for (const std::string& t : j.tolerances) {
        const std::string why = addtolerance(t, r);
        if (!why.empty()) throw CLI::ValidationError("--tolerance", why);
    }
    r.feature = pointfeature(j.points);
    r.columns = pointcolumns(j.points);
    checksections(r.sections, r.feature);
    checktolerancetargets(j.tolerances, r);
    setband(j.band, r.filter);
    settype(j.filtertype, j.typegiven, r.filter);
    checkcircle(r.feature, r.filter);
    checkfilter(r);
    // A stack is evaluated section by section, unfiltered: a filter asked of
    // it would name rows it never filtered.
    if (r.sections && r.filter.any())
        throw CLI::ValidationError("--sections", "a stack's sections and cylinder are evaluated "
                                                 "unfiltered: leave out the filter, or filter "
                                                 "the cylinder's points without --sections");
    r.filter.areal = surfacefeature(r.feature);
    r.criterion = *criterionnamed(j.criterion);
    if (r.outliers > 0 && !r.feature)
        throw CLI::ValidationError("--outliers", "the outlier rule is for point files "
                                                 "(--feature); job records are evaluated as "
                                                 "formeval reads them");
    finishmodel(j.model, r.unit, r.model, r.engine);
    if (!r.model.empty() || !r.modelfile.empty()) unitleftbehind(r.inputs, command);
    r.engine.gum = false; // a verdict takes the Monte Carlo U alone
}

// "--operator" as the header block's label: "Operator".
std::string fieldlabel(const std::string& option) {
    std::string label = option.substr(2);
    label[0] = static_cast<char>(label[0] - 'a' + 'A');
    return label;
}

// The header block's fields (--part ... --probe) and --header's file, read
// into a list of label and value after the parse.
struct HeaderFields {
    static constexpr std::array<const char*, 5> names = {"--part", "--operator", "--date",
                                                         "--instrument", "--probe"};
    std::array<std::string, 5> values;
    std::string file;
};

void headeroptions(CLI::App& command, const std::string& table, HeaderFields& h) {
    for (std::size_t k = 0; k < h.values.size(); ++k)
        command.add_option(HeaderFields::names[k], h.values[k],
                           optionhelp(table, HeaderFields::names[k]));
    command.add_option("--header", h.file, optionhelp(table, "--header"));
}

void readheader(const std::string& path, std::vector<std::pair<std::string, std::string>>& out);

std::vector<std::pair<std::string, std::string>> headerof(const HeaderFields& h) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t k = 0; k < h.values.size(); ++k)
        if (!h.values[k].empty()) out.push_back({fieldlabel(HeaderFields::names[k]), h.values[k]});
    if (!h.file.empty()) readheader(h.file, out);
    return out;
}

// The header file: "label: value" lines, '#' comments and blank lines
// passed over.
void readheader(const std::string& path, std::vector<std::pair<std::string, std::string>>& out) {
    if (const std::string why = unreadable(path, maxheaderbytes); !why.empty())
        throw CLI::ValidationError("--header", printable(path) + ": " + why);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CLI::ValidationError("--header", "cannot read " + printable(path));
    if (const std::string why = encodingrefusal(in); !why.empty())
        throw CLI::ValidationError("--header", printable(path) + ": " + why);
    try {
        const auto lines = readheaderfile(in, path);
        out.insert(out.end(), lines.begin(), lines.end());
    } catch (const FileError& e) {
        const std::string line = e.line() > 0 ? ":" + std::to_string(e.line()) : "";
        throw CLI::ValidationError("--header", printable(path) + line + ": " + e.what());
    }
}

Basispoints basispoints(double percent) {
    const double hundredths = std::round(percent * 100);
    if (std::fabs(hundredths - percent * 100) > 1e-6)
        throw CLI::ValidationError("--coverage", "give the percentage with at most two decimals");
    return static_cast<Basispoints>(hundredths);
}

// The uncertainty command's options that need the others to be read: the
// model's and the tolerances.
struct UncertaintyLine {
    ModelLine model;
    std::vector<std::string> tolerances;
    PointOptions points;
    std::string sectioncolumn;
    std::string criterion = "minimum-zone";
    std::string decision = "guarded";
    bool csv = false, json = false;
};

CLI::App* uncertaintycommand(CLI::App& app, UncertaintyOptions& u, UncertaintyLine& l) {
    const auto help = [](const char* names) { return optionhelp("uncertainty", names); };
    auto* c = app.add_subcommand("uncertainty", helptext("uncertainty"));
    c->add_option("inputs", u.inputs, help("inputs"))->required();
    pointoptions(*c, "uncertainty", l.points);
    c->add_option("--criterion", l.criterion, help("--criterion"))
        ->check(CLI::IsMember(criterionoptions()))
        ->default_str("minimum-zone");
    c->add_option("--unit", u.unit, help("--unit"))->default_str(defaultunit);
    modeloptions(*c, "uncertainty", l.model, u.modelfile, u.engine, true);
    c->add_option("--quantity", u.quantities, help("--quantity"));
    c->add_option("--tolerance", l.tolerances, help("--tolerance"));
    c->add_option("--decision", l.decision, help("--decision"))
        ->check(CLI::IsMember({"guarded", "simple"}))
        ->default_str("guarded");
    auto* csv = c->add_flag("--csv", l.csv, help("--csv"));
    c->add_flag("--json", l.json, help("--json"))->excludes(csv);
    c->add_option("--digits", u.digits, help("--digits"))
        ->check(awhole)
        ->check(CLI::Range(1, 17))
        ->default_str("6");
    c->add_option("--histograms", u.histograms, help("--histograms"));
    c->add_option("--convergence", u.convergence, help("--convergence"));
    c->add_flag("--png", u.png, help("--png"));
    sectionoptions(*c, "uncertainty", u.sections, l.sectioncolumn);
    progressoptions(*c, u.progress);
    c->footer(wrap(helptext("uncertainty details") + "\n\n" + helptext("exit status")));
    return c;
}

// Completes the uncertainty options once the command line is read; throws
// CLI::ValidationError for a contribution, tolerance or quantity that is wrong.
void finishuncertainty(UncertaintyOptions& u, const UncertaintyLine& l) {
    using pointset::Criterion;
    u.feature = pointfeature(l.points);
    u.columns = pointcolumns(l.points);
    u.columns.section = l.sectioncolumn;
    checksections(u.sections, u.feature);
    u.criterion = criterionnamed(l.criterion).value_or(Criterion::minimumzone);
    u.rule = l.decision == "simple" ? uncertainty::Rule::simple : uncertainty::Rule::guarded;
    u.format = l.csv    ? StatementFormat::csv
               : l.json ? StatementFormat::json
                        : StatementFormat::table;
    finishmodel(l.model, u.unit, u.model, u.engine);
    for (const std::string& text : l.tolerances) {
        ToleranceLimits given;
        const std::string why = parsetolerance(text, u.unit, given);
        if (!why.empty()) throw CLI::ValidationError("--tolerance", why);
        u.tolerances.push_back(given);
    }
    for (const std::string& q : u.quantities)
        if (!knownquantity(q))
            throw CLI::ValidationError("--quantity", "'" + printable(q) +
                                                         "' is no quantity of a feature (radius, "
                                                         "diameter, centre_x, t, q ...)");
    if (u.feature)
        if (const std::string why = lackedquantity(u.quantities, *u.feature, u.criterion);
            !why.empty())
            throw CLI::ValidationError("--quantity", why);
    unitleftbehind(u.inputs, "uncertainty");
    if (u.model.empty() && u.modelfile.empty())
        throw CLI::ValidationError("uncertainty", "give the input model: --sigma, --normal, "
                                                  "--contribution or --model");
}

// The part command's options; the format from --csv and --json after the parse.
struct PartLine {
    bool csv = false, json = false;
};

CLI::App* partcommand(CLI::App& app, PartOptions& p, PartLine& l) {
    const auto help = [](const char* names) { return optionhelp("part", names); };
    auto* c = app.add_subcommand("part", helptext("part"));
    c->add_option("part", p.input, help("part"))->required();
    auto* csv = c->add_flag("--csv", l.csv, help("--csv"));
    c->add_flag("--json", l.json, help("--json"))->excludes(csv);
    c->add_option("--digits", p.digits, help("--digits"))
        ->check(awhole)
        ->check(CLI::Range(1, 17))
        ->default_str("6");
    c->add_option("--charts", p.charts, help("--charts"));
    c->add_flag("--png", p.png, help("--png"));
    progressoptions(*c, p.progress);
    c->footer(wrap(helptext("part details") + "\n\n" + helptext("exit status")));
    return c;
}

} // namespace

int runcommandline(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app{helptext("formreport"), "formreport"};
    app.footer(wrap(helptext("exit status")));
    app.require_subcommand(1);

    SummaryOptions s;
    double coverage = 95;
    auto* summarycommand = app.add_subcommand("summary", helptext("summary"));
    summarycommand->add_option("result", s.input, optionhelp("summary", "result"))->required();
    summarycommand->add_flag("--csv", s.csv, optionhelp("summary", "--csv"));
    summarycommand->add_option("--histograms", s.histograms, optionhelp("summary", "--histograms"));
    summarycommand->add_flag("--png", s.png, optionhelp("summary", "--png"));
    summarycommand->add_option("--unit", s.unit, optionhelp("summary", "--unit"))
        ->default_str(defaultunit);
    summarycommand->add_option("--digits", s.digits, optionhelp("summary", "--digits"))
        ->check(awhole)
        ->check(CLI::Range(1, 17))
        ->default_str("12");
    summarycommand->add_option("--coverage", coverage, optionhelp("summary", "--coverage"))
        ->check(finitenumber)
        ->check(anumber)
        ->check(CLI::Range(0.01, 99.99))
        ->default_str("95");
    summarycommand->add_option("--bins", s.scan.bins, optionhelp("summary", "--bins"))
        ->check(awhole)
        ->check(CLI::Range(1, 1000));
    summarycommand->add_option("--jobs", s.jobs, optionhelp("summary", "--jobs"));
    summarycommand->add_option("--convergence", s.convergence,
                               optionhelp("summary", "--convergence"));
    summarycommand
        ->add_option("--tolerance-digits", s.scan.tolerancedigits,
                     optionhelp("summary", "--tolerance-digits"))
        ->check(awhole)
        ->check(CLI::Range(1, 4))
        ->default_str("2");
    summarycommand->add_flag("--skip-malformed", s.scan.skipmalformed,
                             optionhelp("summary", "--skip-malformed"));
    progressoptions(*summarycommand, s.progress);
    summarycommand->footer(wrap(helptext("summary details") + "\n\n" + helptext("exit status")));

    PolarOptions p;
    std::vector<std::string> polarinputs;
    PointOptions polarpoints;
    auto* polarcommand = app.add_subcommand("polar", helptext("polar"));
    polarcommand->add_option("jobs", polarinputs, optionhelp("polar", "jobs"))->required();
    pointoptions(*polarcommand, "polar", polarpoints);
    polarcommand->add_option("-o,--output", p.output, optionhelp("polar", "-o,--output"))
        ->default_str(".");
    polarcommand
        ->add_option("--magnification", p.magnification, optionhelp("polar", "--magnification"))
        ->check(finitenumber)
        ->check(positivenumber);
    std::vector<double> polarband;
    std::string polartype = "gaussian";
    bool polartypegiven = false;
    std::vector<int> harmonicrange;
    auto* polarlowpass =
        polarcommand->add_option("--filter", p.filter.cutoff, optionhelp("polar", "--filter"))
            ->check(finitenumber)
            ->check(positivenumber)
            ->check(atleastoneupr);
    polarcommand->add_option("--filter-band", polarband, optionhelp("polar", "--filter-band"))
        ->delimiter(',')
        ->check(finitenumber)
        ->check(positivenumber)
        ->excludes(polarlowpass);
    polarcommand
        ->add_option("--filter-wavelength", p.filter.wavelength,
                     optionhelp("polar", "--filter-wavelength"))
        ->check(finitenumber)
        ->check(positivenumber);
    filtertypeoptions(*polarcommand, "polar", polartype, polartypegiven, p.filter.diskradius);
    auto* harmonicsflag =
        polarcommand->add_flag("--harmonics", p.harmonics, optionhelp("polar", "--harmonics"));
    polarcommand
        ->add_option("--harmonics-range", harmonicrange, optionhelp("polar", "--harmonics-range"))
        ->delimiter(',')
        ->needs(harmonicsflag);
    std::string polarsectioncolumn;
    sectionoptions(*polarcommand, "polar", p.sections, polarsectioncolumn);
    HeaderFields polarheader;
    headeroptions(*polarcommand, "polar", polarheader);
    polarcommand->add_option("--outliers", p.outliers, optionhelp("polar", "--outliers"))
        ->check(finitenumber)
        ->check(anumber)
        ->check(CLI::Range(2.0, 100.0));
    polarcommand->add_flag("--png", p.png, optionhelp("polar", "--png"));
    polarcommand->add_option("--unit", p.unit, optionhelp("polar", "--unit"))
        ->default_str(defaultunit);
    progressoptions(*polarcommand, p.progress);
    polarcommand->footer(wrap(helptext("polar details") + "\n\n" + helptext("exit status")));

    ResultsOptions r;
    bool csv = false;
    bool json = false;
    auto* resultscommand = app.add_subcommand("results", helptext("results"));
    resultscommand->add_option("jobs", r.inputs, optionhelp("results", "jobs"))->required();
    auto* csvflag = resultscommand->add_flag("--csv", csv, optionhelp("results", "--csv"));
    resultscommand->add_flag("--json", json, optionhelp("results", "--json"))->excludes(csvflag);
    Judging judging;
    judgingoptions(*resultscommand, "results", r, judging);
    resultscommand->add_flag("--orthogonal", r.orthogonal, optionhelp("results", "--orthogonal"))
        ->excludes("--feature");
    resultscommand->add_option("--trend", r.trend, optionhelp("results", "--trend"));
    std::string resultssectioncolumn;
    sectionoptions(*resultscommand, "results", r.sections, resultssectioncolumn);
    progressoptions(*resultscommand, r.progress);
    resultscommand->footer(wrap(helptext("results details") + "\n\n" + helptext("exit status")));

    ReportOptions h;
    Judging reportjudging;
    auto* reportcommand = app.add_subcommand("report", helptext("report"));
    reportcommand->add_option("jobs", h.results.inputs, optionhelp("report", "jobs"));
    reportcommand->add_option("-o,--output", h.output, optionhelp("report", "-o,--output"))
        ->required();
    judgingoptions(*reportcommand, "report", h.results, reportjudging);
    HeaderFields reportheader;
    headeroptions(*reportcommand, "report", reportheader);
    reportcommand->add_option("--report-number", h.reportnumber,
                              optionhelp("report", "--report-number"));
    reportcommand->add_option("--approved-by", h.approvedby, optionhelp("report", "--approved-by"));
    // One part file an occurrence: the inputs may follow it.
    reportcommand->add_option("--part-file", h.partfiles, optionhelp("report", "--part-file"))
        ->allow_extra_args(false);
    progressoptions(*reportcommand, h.results.progress);
    reportcommand->footer(wrap(helptext("report details") + "\n\n" + helptext("exit status")));

    UncertaintyOptions u;
    UncertaintyLine uline;
    auto* uncertaintysubcommand = uncertaintycommand(app, u, uline);

    PartOptions pt;
    PartLine ptline;
    auto* partsubcommand = partcommand(app, pt, ptline);

    decimalnumbers(app);
    try {
        app.parse(argc, argv);
        if (uncertaintysubcommand->parsed()) finishuncertainty(u, uline);
        s.scan.coverage = basispoints(coverage);
        applyjudging(judging, "results", r);
        r.columns.section = resultssectioncolumn;
        applyjudging(reportjudging, "report", h.results);
        // A report of part files alone needs no other input.
        if (reportcommand->parsed() && h.results.inputs.empty() && h.partfiles.empty())
            throw CLI::RequiredError("jobs (or --part-file)");
        h.header = headerof(reportheader);
        p.header = headerof(polarheader);
        p.feature = pointfeature(polarpoints);
        p.filter.areal = surfacefeature(p.feature);
        checksections(p.sections, p.feature);
        setband(polarband, p.filter);
        settype(polartype, polartypegiven, p.filter);
        checkcircle(p.feature, p.filter);
        setrange(harmonicrange, p);
        p.columns = pointcolumns(polarpoints);
        p.columns.section = polarsectioncolumn;
        if (p.outliers > 0 && !p.feature)
            throw CLI::ValidationError("--outliers", "the outlier rule is for point files "
                                                     "(--feature); job records are drawn as "
                                                     "formeval reads them");
    } catch (const CLI::ParseError& e) {
        errno = 0;
        // The parser quotes what it refuses whole: a value of a megabyte
        // would make a message of one.
        std::ostringstream refusal;
        const int status = app.exit(e, out, refusal);
        err << shortitems(refusal.str());
        if (status != 0) return exitusage;
        return outputwritten(out, err) ? exitok : exitinput; // the help
    }
    if (summarycommand->parsed()) return atedge(err, [&] { return summary(s, out, err); });
    if (reportcommand->parsed()) return atedge(err, [&] { return htmlreport(h, out, err); });
    if (uncertaintysubcommand->parsed())
        return atedge(err, [&] { return uncertainty(u, out, err); });
    if (partsubcommand->parsed()) {
        pt.format = ptline.csv    ? ResultsFormat::csv
                    : ptline.json ? ResultsFormat::json
                                  : ResultsFormat::table;
        return atedge(err, [&] { return part(pt, out, err); });
    }
    if (resultscommand->parsed()) {
        r.format = csv ? ResultsFormat::csv : json ? ResultsFormat::json : ResultsFormat::table;
        return atedge(err, [&] { return results(r, out, err); });
    }
    if (const std::string clash = stemclash(polarinputs); !clash.empty()) {
        err << "formreport: " << clash << "\n";
        return exitusage;
    }
    // Each input in turn; the worst status; a batch ends with its summary.
    int status = exitok;
    std::vector<FileResults> charted;
    for (const std::string& input : polarinputs) {
        p.input = input;
        status = std::max(status, atedge(err, [&] { return polar(p, out, err, &charted); }));
        if (status == exitusage) return status; // this formreport cannot draw them
    }
    errno = 0;
    if (p.progress == ProgressMode::never || !printchartbatch(out, charted, p.unit)) return status;
    return outputwritten(out, err) ? status : std::max(status, exitinput);
}

} // namespace formeval::report
