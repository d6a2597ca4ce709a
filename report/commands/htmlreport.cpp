// `formreport report`: the inspection record of a batch as one self-contained
// HTML page. The parts are evaluated as `results` evaluates them and drawn
// as `polar` draws them (into a scratch directory, the SVG then inlined);
// print styles give each part a page of its own and the summary the last.
#include "report/commands/commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>
#include <random>
#include <sstream>
#include <unistd.h>

namespace formeval::report {

namespace fs = std::filesystem;

namespace {

// Points of a profile drawn in the report: the extremes of each 0.6 degrees
// of a roundness profile, enough for a page, few enough for 500 pages.
constexpr std::size_t reportdrawnpoints = 1200;

// What a routine note of a point file starts with (see routine).
constexpr std::string_view routineprefix = "filtered: ";

// An SVG file's picture without its XML declaration, its paths compacted;
// empty when unreadable.
std::string inlinesvg(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::ostringstream text;
    text << in.rdbuf();
    std::string svg = text.str();
    if (svg.rfind("<?xml", 0) == 0) svg.erase(0, svg.find('\n') + 1);
    return compactpaths(svg);
}

constexpr const char* style = R"(
body { font-family: "DejaVu Sans", sans-serif; font-size: 10pt; margin: 1.5em; color: #000; }
h1 { font-size: 16pt; margin: 0 0 0.4em 0; }
h2 { font-size: 13pt; margin: 0.6em 0 0.3em 0; }
table { border-collapse: collapse; margin: 0.4em 0; }
th, td { border: 1px solid #999; padding: 2px 6px; text-align: right; }
th { background: #eee; }
td.text, th.text { text-align: left; }
table.header th { text-align: left; }
table.signoff td { min-width: 45mm; height: 2.2em; vertical-align: bottom; }
div.chart svg { width: 100%; max-width: 170mm; height: auto; max-height: 150mm; }
p.verdict { font-size: 12pt; font-weight: bold; padding: 4px 8px; display: inline-block; }
p.pass { background: #dff0d8; } p.fail { background: #f2dede; } p.undecided { background: #fcf1d2; }
@page {
  size: A4; margin: 12mm 12mm 16mm 12mm;
  @bottom-right { content: "page " counter(page) " of " counter(pages); font-size: 8pt; }
}
@media print {
  body { margin: 0; }
  section.part, section.summary { break-before: page; page-break-before: always; }
  section.part, section.summary { break-inside: avoid; }
}
)";

std::string cell(const std::string& text, bool number = true) {
    return std::string(number ? "<td>" : "<td class=\"text\">") + xmltext(text) + "</td>";
}

// The last line said of an input, without the program's name: why it gave
// no part.
std::string lastsaid(const std::string& said) {
    std::string line;
    std::istringstream lines(said);
    for (std::string l; std::getline(lines, l);)
        if (!l.empty()) line = l;
    const std::string prefix = "formreport: ";
    if (line.rfind(prefix, 0) == 0) line.erase(0, prefix.size());
    return line.empty() ? "no part evaluated" : line;
}

// An input of the batch that gave no part, and what was said of it.
struct LeftOut {
    std::string input;
    std::string why;
};

// Form errors and tolerances are shown in the charts' unit (Subunit) to this
// many decimals, in fixed notation: a nanometre where the input is in mm.
constexpr int deviationdecimals = 3;

std::string deviation(double v, const Subunit& u) {
    return std::isnan(v) ? "" : formatfixed(v * u.factor, deviationdecimals);
}

std::string deviationwithunit(double v, const Subunit& u) {
    return deviation(v, u) + " " + u.name;
}

// How a reference was computed, in a metrologist's words.
const char* computedby(Source s) {
    switch (s) {
    case Source::program:
        return "formeval's own";
    case Source::exact:
        return "exact";
    case Source::pointset:
        break;
    }
    return "numerical";
}

// "Circle", "Line" ...: the feature a part's verdict is on.
std::string featureword(const Evaluated& e) {
    std::string name = pointset::featurename(e.feature);
    if (!name.empty())
        name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

// The verdict as the page says it: the feature, the word of the rule, the
// form error of the criterion's reference and the tolerance, in `u`.
std::string verdictsentence(const Verdict& v, const Evaluated& e, const Subunit& u) {
    std::string text = featureword(e) + ": " + verdictword(v) + "; " + referencename(v.criterion) +
                       " " + v.parameter;
    if (!v.reference) return text + ": " + v.why;
    text += v.lower < v.upper
                ? " between " + deviation(v.lower, u) + " and " + deviationwithunit(v.upper, u)
                : " " + deviationwithunit(v.value, u);
    const Fit& r = *v.reference;
    text += std::string(" (") + computedby(r.source);
    if (r.source != Source::program && r.criterion != Criterion::leastsquares)
        text += r.certificate.certified ? ", certified" : ", not certified";
    if (v.filter != "none") text += ", filtered";
    text += ")";
    if (!std::isnan(v.U))
        text += "; y " + deviationwithunit(v.y, u) + " \u00b1 U " + deviationwithunit(v.U, u);
    text += "; tolerance " + deviationwithunit(v.tolerance, u);
    return text + (v.why.empty() ? "" : "; " + v.why);
}

// A heading cell with the unit of its column.
std::string unithead(const std::string& name, const Subunit& u) {
    return "<th>" + xmltext(name + " (" + u.name + ")") + "</th>";
}

void parameters(std::ostream& html, const Evaluated& e, const ResultsOptions& o, const Subunit& u) {
    html << "<table class=\"parameters\">\n<tr><th class=\"text\">reference</th><th "
            "class=\"text\">computed</th>";
    for (const std::string& name : isonames(e.feature)) html << unithead(name, u);
    html << "<th class=\"text\">certified</th></tr>\n";
    const RowOptions options = rowoptions(o, e, false);
    for (const Fit& r : e.fits) {
        const std::vector<Field> row = rowfields("", e, r, options);
        const auto number = [&](const char* name) {
            return cell(deviation(fieldnamed(row, name)->number, u));
        };
        const Field& certified = *fieldnamed(row, "certified");
        html << "<tr>" << cell(fieldnamed(row, "method")->text, false)
             << cell(computedby(r.source), false) << number("t") << number("p") << number("v")
             << number("q")
             << cell(certified.kind == Field::Kind::truth ? (certified.truth ? "yes" : "no") : "",
                     false)
             << "</tr>\n";
    }
    html << "</table>\n";
}

// The chart polar drew of a part, from the scratch directory of its input.
fs::path chartof(const fs::path& dir, const std::string& input, const Evaluated& e) {
    const std::string stem = fs::path(input).stem().string();
    if (e.pointfile) return dir / (stem + "-" + pointset::featurename(e.feature) + ".svg");
    return dir / (stem + "-job" + std::to_string(e.record.ordinal) + "-" +
                  std::to_string(e.record.job) + ".svg");
}

// A part's name on its page and in the overview.
std::string partname(const FileResults& file, const Evaluated& e) {
    return e.pointfile ? file.file : file.file + ": " + recordname(e.record);
}

std::string partanchor(std::size_t number) {
    return "part-" + std::to_string(number);
}

// Whether a note is routine: how a profile was filtered, which its part's
// page says and standard error says once for the batch. A job record's note
// follows the record's name.
bool routine(const std::string& note) {
    return note.rfind(routineprefix, 0) == 0 ||
           note.find(": " + std::string(routineprefix)) != std::string::npos;
}

// A routine note without the record's name before it.
std::string routinetext(const std::string& note) {
    return note.substr(note.rfind(routineprefix, 0) == 0 ? 0 : note.find(routineprefix));
}

void part(std::ostream& html, const FileResults& file, const Evaluated& e, const fs::path& dir,
          const ResultsOptions& o, const Subunit& u, std::size_t number) {
    html << "<section class=\"part\" id=\"" << partanchor(number) << "\">\n<h2>Part " << number
         << ": " << xmltext(partname(file, e)) << "</h2>\n";
    const std::string svg = inlinesvg(chartof(dir, file.file, e));
    if (svg.empty())
        html << "<p>No chart of this part.</p>\n";
    else
        html << "<div class=\"chart\">\n" << svg << "</div>\n";
    parameters(html, e, o, u);
    for (const std::string& note : e.pointfile ? file.notes : e.notes)
        if (routine(note)) html << "<p class=\"note\">" << xmltext(routinetext(note)) << "</p>\n";
    // Points left out are part of what was measured: the page says which.
    if (!file.outliers.empty())
        html << "<p class=\"outliers\">" << xmltext(file.outliers) << "</p>\n";
    if (const std::optional<Verdict> v = verdictof(file.file, e, o))
        html << "<p class=\"verdict " << judgementname(v->judgement) << "\">"
             << xmltext(verdictsentence(*v, e, u)) << "</p>\n"
             << "<p class=\"rule\">Decision rule: " << xmltext(rulename(v->rule)) << "</p>\n";
    html << "</section>\n";
}

// A part the overview lists: its number (its page's anchor), name and
// verdict.
struct Listed {
    std::size_t number;
    std::string name;
    Verdict verdict;
};

// The form error a verdict was decided on, in `u` without its name: the
// value, its bracket "a to b", or y ± U under guarded acceptance.
std::string decidedvalue(const Verdict& v, const Subunit& u) {
    if (!v.reference) return v.why;
    if (!std::isnan(v.U)) return deviation(v.y, u) + " \u00b1 " + deviation(v.U, u);
    if (v.lower < v.upper) return deviation(v.lower, u) + " to " + deviation(v.upper, u);
    return deviation(v.value, u);
}

void listparts(std::ostream& html, const std::vector<Listed>& parts, const char* kind,
               const char* heading, const char* none, const Subunit& u) {
    html << "<h3>" << heading << ": " << parts.size() << "</h3>\n";
    if (parts.empty()) {
        html << "<p class=\"none\">" << none << "</p>\n";
        return;
    }
    // The parameter's name where every part listed has the same one (RONt ...).
    std::string parameter = parts.front().verdict.parameter;
    for (const Listed& l : parts)
        if (l.verdict.parameter != parameter) parameter = "t";
    html << "<table class=\"" << kind
         << "\">\n<tr><th class=\"text\">part</th><th "
            "class=\"text\">verdict</th>"
         << unithead(parameter, u) << unithead("tolerance", u) << "</tr>\n";
    for (const Listed& l : parts)
        html << "<tr><td class=\"text\"><a href=\"#" << partanchor(l.number) << "\">Part "
             << l.number << ": " << xmltext(l.name) << "</a></td>"
             << cell(verdictword(l.verdict), false) << cell(decidedvalue(l.verdict, u))
             << cell(deviation(l.verdict.tolerance, u)) << "</tr>\n";
    html << "</table>\n";
}

// The first page's account of the batch: the counts, the decision rule, and
// the failing and undecided parts with links to their pages.
// The batch's counts as a table opened by `open`, the passing and failing
// columns named `pass` and `fail` under simple acceptance.
void counts(std::ostream& html, const BatchSummary& s, const char* open, const char* pass,
            const char* fail) {
    html << open << "\n<tr><th>parts</th><th>judged</th>";
    if (s.rule == uncertainty::Rule::guarded)
        html << "<th>conformance proven</th><th>non-conformance proven</th>";
    else
        html << "<th>" << pass << "</th><th>" << fail << "</th>";
    html << "<th>undecided</th></tr>\n<tr>" << cell(std::to_string(s.parts))
         << cell(std::to_string(s.judged)) << cell(std::to_string(s.pass))
         << cell(std::to_string(s.fail)) << cell(std::to_string(s.undecided))
         << "</tr>\n</table>\n";
}

void overview(std::ostream& html, const std::vector<FileResults>& files, const ResultsOptions& o,
              const Subunit& u) {
    const BatchSummary s = batchsummary(files, o);
    html << "<section class=\"overview\">\n<h2>Batch overview</h2>\n";
    counts(html, s, "<table class=\"counts\">", "conforming (pass)", "failing (fail)");
    if (!anyjudged(files, o)) {
        html << "<p class=\"rule\">No tolerance was given: no part is judged.</p>\n</section>\n";
        return;
    }
    html << "<p class=\"rule\">Decision rule: " << xmltext(rulename(s.rule)) << "</p>\n";
    std::vector<Listed> failing, undecided;
    std::size_t number = 0;
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records) {
            ++number;
            const std::optional<Verdict> v = verdictof(file.file, e, o);
            if (!v || v->judgement == Judgement::pass) continue;
            (v->judgement == Judgement::fail ? failing : undecided)
                .push_back({number, partname(file, e), *v});
        }
    listparts(html, failing, "failing", "Failing parts", "No part failed.", u);
    listparts(html, undecided, "undecided", "Undecided parts", "No part is undecided.", u);
    html << "</section>\n";
}

// The value of the header's first field of one of `labels`, as written in
// any case; "" when there is none.
std::string headervalue(const ReportOptions& o, std::initializer_list<const char*> labels) {
    const auto lower = [](std::string t) {
        for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return t;
    };
    for (const char* label : labels)
        for (const auto& [name, value] : o.header)
            if (lower(name) == lower(label)) return value;
    return "";
}

std::string reportnumber(const ReportOptions& o) {
    return o.reportnumber.empty() ? headervalue(o, {"Report number"}) : o.reportnumber;
}

// Who prepared and who approved the report, with room for the dates and
// signatures written by hand on the printed page.
void signoff(std::ostream& html, const ReportOptions& o) {
    const std::string approver =
        o.approvedby.empty() ? headervalue(o, {"Approved by"}) : o.approvedby;
    html << "<table class=\"signoff\">\n<tr><th class=\"text\"></th><th class=\"text\">name</th>"
            "<th class=\"text\">date</th><th class=\"text\">signature</th></tr>\n"
         << "<tr><th class=\"text\">Prepared by</th>"
         << cell(headervalue(o, {"Prepared by", "Operator"}), false)
         << cell(headervalue(o, {"Date"}), false) << cell("", false) << "</tr>\n"
         << "<tr><th class=\"text\">Approved by</th>" << cell(approver, false) << cell("", false)
         << cell("", false) << "</tr>\n</table>\n";
}

// A CSS string of `text`: quotes and backslashes escaped, and '<' so that
// no text ends the style element.
std::string cssstring(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '<')
            out += "\\3C ";
        else if (c == '\n' || c == '\r')
            out += ' ';
        else
            out += c;
    }
    return out + "\"";
}

// The printed pages' running footer at the left: the report number and the
// part (the page number is at the right, in the style).
std::string footerstyle(const ReportOptions& o) {
    std::string text = "Form inspection report";
    if (const std::string n = reportnumber(o); !n.empty()) text += " " + n;
    if (const std::string p = headervalue(o, {"Part"}); !p.empty()) text += " \u00b7 " + p;
    return "@page { @bottom-left { content: " + cssstring(printable(text)) +
           "; font-size: 8pt; } }\n";
}

void headerblock(std::ostream& html, const ReportOptions& o, const Subunit& u, std::size_t parts,
                 const std::vector<LeftOut>& leftout) {
    const ResultsOptions& r = o.results;
    html << "<header class=\"block\">\n<h1>Form inspection report</h1>\n<table class=\"header\">\n";
    std::vector<std::pair<std::string, std::string>> rows;
    if (!o.reportnumber.empty()) rows.push_back({"Report number", o.reportnumber});
    rows.insert(rows.end(), o.header.begin(), o.header.end());
    if (!o.approvedby.empty()) rows.push_back({"Approved by", o.approvedby});
    rows.push_back({"Filter", filtername(r.filter, r.unit)});
    rows.push_back({"Criterion of the verdicts", referencename(r.criterion)});
    rows.push_back({"Unit", r.unit});
    rows.push_back({"Form errors and tolerances",
                    "in " + u.name + ", to " + std::to_string(deviationdecimals) + " decimals"});
    rows.push_back({"Parts", std::to_string(parts)});
    rows.push_back({"Inputs left out", std::to_string(leftout.size())});
    for (const auto& [label, value] : rows)
        html << "<tr><th>" << xmltext(label) << "</th>" << cell(value, false) << "</tr>\n";
    for (const LeftOut& l : leftout)
        html << "<tr><th>" << xmltext(l.input) << "</th>" << cell(l.why, false) << "</tr>\n";
    html << "</table>\n";
    signoff(html, o);
    html << "</header>\n";
}

void summary(std::ostream& html, const std::vector<FileResults>& files, const ResultsOptions& o,
             const Subunit& u, const fs::path& trend) {
    const BatchSummary s = batchsummary(files, o);
    html << "<section class=\"summary\">\n<h2>Batch summary</h2>\n";
    if (anyjudged(files, o))
        html << "<p class=\"rule\">Decision rule: " << xmltext(rulename(s.rule)) << "</p>\n";
    counts(html, s, "<table>", "pass", "fail");
    html << "<table class=\"spread\">\n<tr><th class=\"text\">parameter</th><th>parts</th>";
    for (const char* head : {"minimum", "mean", "maximum", "standard deviation"})
        html << unithead(head, u);
    html << "</tr>\n";
    constexpr std::array<const char*, 4> names = {"t", "p", "v", "q"};
    for (std::size_t k = 0; k < 4; ++k) {
        const ParameterSpread& d = s.parameters[k];
        html << "<tr>" << cell(names[k], false) << cell(std::to_string(d.count))
             << cell(deviation(d.minimum, u)) << cell(deviation(d.mean, u))
             << cell(deviation(d.maximum, u)) << cell(deviation(d.deviation, u)) << "</tr>\n";
    }
    html << "</table>\n";
    const std::string svg = inlinesvg(trend);
    if (!svg.empty()) html << "<div class=\"chart\">\n" << svg << "</div>\n";
    html << "</section>\n";
}

// The unit of the batch's form errors, as the trend chart takes it.
Subunit batchunit(const std::vector<FileResults>& files, const ResultsOptions& o) {
    double largest = 0;
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records) {
            std::string why;
            if (const Fit* r = criterionreference(e, o, why)) largest = std::max(largest, r->iso.t);
        }
    return subunit(o.unit, largest);
}

// What was said of an input onto `err`, less its routine notes, which are
// kept in `routines` (a line each, without the input's name) to be said once.
void saywhatmatters(const std::string& said, const std::string& input, std::string& routines,
                    std::ostream& err) {
    const std::string prefix = "formreport: " + printable(input) + ": ";
    std::istringstream lines(said);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) == 0 && routine(line.substr(prefix.size())))
            routines += routinetext(line.substr(prefix.size())) + "\n";
        else
            err << line << "\n";
    }
}

// A scratch directory of its own, removed with its content at the end.
struct Scratch {
    fs::path dir;
    Scratch() {
        std::random_device seed;
        dir = fs::temp_directory_path() / ("formreport-" + std::to_string(seed()));
        fs::create_directories(dir);
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

} // namespace

int htmlreport(const ReportOptions& given, std::ostream& out, std::ostream& err) {
    if (!pointset::exactreferences()) return unavailable(err, "report", "CGAL");
    if (!chartsavailable()) return unavailable(err, "report", "cairo");
    if ((given.results.filter.cutoff > 0 || given.results.filter.band()) && !profile::spectral())
        return unavailable(err, "report --filter and --filter-band", "FFTW");
    const std::string refused = outputrefusal(given.output, given.results.inputs);
    if (!refused.empty()) {
        err << "formreport: " << printable(given.output) << ": " << refused << "\n";
        return exitusage;
    }
    ReportOptions o = given;
    if (!readymodel(o.results, err)) return exitinput;
    int status = exitok;
    std::vector<FileResults> files;
    std::vector<LeftOut> leftout;
    std::string routines;
    for (const std::string& input : o.results.inputs) {
        // Each input alone, so that what is said of one that gives no part
        // can be named with it on the first page.
        ResultsOptions one = o.results;
        one.inputs = {input};
        std::ostringstream said;
        int alone = exitok;
        std::vector<FileResults> got = evaluateinputs(one, said, alone);
        saywhatmatters(said.str(), input, routines, err);
        status = std::max(status, alone);
        const bool none = std::all_of(got.begin(), got.end(),
                                      [](const FileResults& f) { return f.records.empty(); });
        if (none) leftout.push_back({printable(input), lastsaid(said.str())});
        for (FileResults& f : got) files.push_back(std::move(f));
    }
    if (!routines.empty())
        err << "formreport: said on the parts' pages: " << oneline(routines) << "\n";
    std::size_t parts = 0;
    for (const FileResults& f : files) parts += f.records.size();
    if (parts == 0) {
        err << "formreport: no part was evaluated, so no report is written; " << printable(o.output)
            << " stays as it was\n";
        return exitinput;
    }
    const Scratch scratch;
    std::ostringstream quiet;
    for (std::size_t k = 0; k < files.size(); ++k) {
        PolarOptions p;
        p.input = files[k].file;
        p.output = (scratch.dir / std::to_string(k)).string();
        p.unit = o.results.unit;
        p.feature = o.results.feature;
        p.columns = o.results.columns;
        p.progress = ProgressMode::never;
        p.drawnpoints = reportdrawnpoints;
        p.fixeddecimals = deviationdecimals;
        p.filter = o.results.filter;
        p.outliers = o.results.outliers;
        p.header = o.header;
        polar(p, quiet, quiet);
    }
    ResultsOptions trend = o.results;
    trend.trend = (scratch.dir / "trend.svg").string();
    drawbatchtrend(files, trend, quiet);

    // Written beside the report under a name of its own and renamed when
    // whole: a report that was there stays until the new one is. Through a
    // link, the file it leads to is the one replaced.
    std::string why;
    const std::string target = writtenfile(o.output, why);
    const std::string partial = target.empty() ? "" : newfilebeside(target);
    std::ofstream html;
    if (!partial.empty()) html.open(partial, std::ios::binary | std::ios::trunc);
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>Form "
            "inspection report</title>\n<style>"
         << style << footerstyle(o) << "</style>\n</head>\n<body>\n";
    const Subunit u = batchunit(files, o.results);
    headerblock(html, o, u, parts, leftout);
    overview(html, files, o.results, u);
    std::size_t number = 0;
    for (std::size_t k = 0; k < files.size(); ++k)
        for (const Evaluated& e : files[k].records)
            part(html, files[k], e, scratch.dir / std::to_string(k), o.results, u, ++number);
    summary(html, files, o.results, u, scratch.dir / "trend.svg");
    html << "</body>\n</html>\n";
    html.close();
    if (!html || ::rename(partial.c_str(), target.c_str()) != 0) {
        if (!partial.empty()) ::unlink(partial.c_str());
        err << "formreport: " << printable(o.output) << ": the report could not be written\n";
        return exitinput;
    }
    out << o.output << ": " << parts << (parts == 1 ? " part" : " parts") << " reported\n";
    return outputwritten(out, err) ? status : exitinput;
}

} // namespace formeval::report
