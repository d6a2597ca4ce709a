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
div.chart svg { width: 100%; max-width: 170mm; height: auto; max-height: 150mm; }
p.verdict { font-size: 12pt; font-weight: bold; padding: 4px 8px; display: inline-block; }
p.pass { background: #dff0d8; } p.fail { background: #f2dede; } p.undecided { background: #fcf1d2; }
@page { size: A4; margin: 12mm; }
@media print {
  body { margin: 0; }
  section.part { break-after: page; page-break-after: always; }
  section.part, section.summary { break-inside: avoid; }
}
)";

std::string cell(const std::string& text, bool number = true) {
    return std::string(number ? "<td>" : "<td class=\"text\">") + xmltext(text) + "</td>";
}

std::string num(double v, int digits) {
    return std::isnan(v) ? "" : formatnumber(v, digits);
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

void headerblock(std::ostream& html, const ReportOptions& o, std::size_t parts,
                 const std::vector<LeftOut>& leftout) {
    const ResultsOptions& r = o.results;
    html << "<header class=\"block\">\n<h1>Form inspection report</h1>\n<table class=\"header\">\n";
    std::vector<std::pair<std::string, std::string>> rows = o.header;
    rows.push_back({"Filter", filtername(r.filter, r.unit)});
    rows.push_back({"Criterion of the verdicts", referencename(r.criterion)});
    rows.push_back({"Unit", r.unit});
    rows.push_back({"Parts", std::to_string(parts)});
    rows.push_back({"Inputs left out", std::to_string(leftout.size())});
    for (const auto& [label, value] : rows)
        html << "<tr><th>" << xmltext(label) << "</th>" << cell(value, false) << "</tr>\n";
    for (const LeftOut& l : leftout)
        html << "<tr><th>" << xmltext(l.input) << "</th>" << cell(l.why, false) << "</tr>\n";
    html << "</table>\n</header>\n";
}

void parameters(std::ostream& html, const Evaluated& e, const ResultsOptions& o) {
    html << "<table class=\"parameters\">\n<tr><th class=\"text\">reference</th><th "
            "class=\"text\">by</th><th>t</th><th>p</th><th>v</th><th>q</th><th "
            "class=\"text\">certified</th></tr>\n";
    const RowOptions options = rowoptions(o, e, false);
    for (const Fit& r : e.fits) {
        const std::vector<Field> row = rowfields("", e, r, options);
        const auto text = [&row](const char* name) { return fieldnamed(row, name)->text; };
        const auto number = [&](const char* name) {
            return cell(num(fieldnamed(row, name)->number, o.digits));
        };
        const Field& certified = *fieldnamed(row, "certified");
        html << "<tr>" << cell(text("method"), false) << cell(text("computed_by"), false)
             << number("t") << number("p") << number("v") << number("q")
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

void part(std::ostream& html, const FileResults& file, const Evaluated& e, const fs::path& dir,
          const ResultsOptions& o, std::size_t number) {
    const std::string name = e.pointfile ? file.file : file.file + ": " + recordname(e.record);
    html << "<section class=\"part\">\n<h2>Part " << number << ": " << xmltext(name) << "</h2>\n";
    const std::string svg = inlinesvg(chartof(dir, file.file, e));
    if (svg.empty())
        html << "<p>No chart of this part.</p>\n";
    else
        html << "<div class=\"chart\">\n" << svg << "</div>\n";
    parameters(html, e, o);
    // Points left out are part of what was measured: the page says which.
    if (!file.outliers.empty())
        html << "<p class=\"outliers\">" << xmltext(file.outliers) << "</p>\n";
    if (const std::optional<Verdict> v = verdictof(file.file, e, o))
        html << "<p class=\"verdict " << judgementname(v->judgement) << "\">"
             << xmltext(verdictline(*v, o.digits)) << "</p>\n"
             << "<p class=\"rule\">Decision rule: " << xmltext(rulename(v->rule)) << "</p>\n";
    html << "</section>\n";
}

void summary(std::ostream& html, const std::vector<FileResults>& files, const ResultsOptions& o,
             const fs::path& trend) {
    const BatchSummary s = batchsummary(files, o);
    const bool guarded = s.rule == uncertainty::Rule::guarded;
    html << "<section class=\"summary\">\n<h2>Batch summary</h2>\n";
    if (anyjudged(files, o))
        html << "<p class=\"rule\">Decision rule: " << xmltext(rulename(s.rule)) << "</p>\n";
    html << "<table>\n<tr><th>parts</th><th>judged</th>"
         << (guarded ? "<th>conformance proven</th><th>non-conformance proven</th>"
                     : "<th>pass</th><th>fail</th>")
         << "<th>undecided</th></tr>\n<tr>" << cell(std::to_string(s.parts))
         << cell(std::to_string(s.judged)) << cell(std::to_string(s.pass))
         << cell(std::to_string(s.fail)) << cell(std::to_string(s.undecided))
         << "</tr>\n</table>\n";
    html << "<table>\n<tr><th class=\"text\">parameter</th><th>parts</th><th>minimum</th>"
            "<th>mean</th><th>maximum</th><th>standard deviation</th></tr>\n";
    constexpr std::array<const char*, 4> names = {"t", "p", "v", "q"};
    for (std::size_t k = 0; k < 4; ++k) {
        const ParameterSpread& d = s.parameters[k];
        html << "<tr>" << cell(names[k], false) << cell(std::to_string(d.count))
             << cell(num(d.minimum, o.digits)) << cell(num(d.mean, o.digits))
             << cell(num(d.maximum, o.digits)) << cell(num(d.deviation, o.digits)) << "</tr>\n";
    }
    html << "</table>\n";
    const std::string svg = inlinesvg(trend);
    if (!svg.empty()) html << "<div class=\"chart\">\n" << svg << "</div>\n";
    html << "</section>\n";
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
    for (const std::string& input : o.results.inputs) {
        // Each input alone, so that what is said of one that gives no part
        // can be named with it on the first page.
        ResultsOptions one = o.results;
        one.inputs = {input};
        std::ostringstream said;
        int alone = exitok;
        std::vector<FileResults> got = evaluateinputs(one, said, alone);
        err << said.str();
        status = std::max(status, alone);
        const bool none = std::all_of(got.begin(), got.end(),
                                      [](const FileResults& f) { return f.records.empty(); });
        if (none) leftout.push_back({printable(input), lastsaid(said.str())});
        for (FileResults& f : got) files.push_back(std::move(f));
    }
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
         << style << "</style>\n</head>\n<body>\n";
    headerblock(html, o, parts, leftout);
    std::size_t number = 0;
    for (std::size_t k = 0; k < files.size(); ++k)
        for (const Evaluated& e : files[k].records)
            part(html, files[k], e, scratch.dir / std::to_string(k), o.results, ++number);
    summary(html, files, o.results, scratch.dir / "trend.svg");
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
