// `formreport report`: the inspection record of a batch as one self-contained
// HTML page. The parts are evaluated as `results` evaluates them and drawn
// as `polar` draws them (into a scratch directory, the SVG then inlined);
// print styles give each part a page of its own and the summary the last.
// Part files (--part-file) are read and evaluated as `part` evaluates them,
// a page each with their datums, tolerance frames and the frames' zones as
// `part --charts` draws them, counted in the overview.
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
td.within { background: #dff0d8; } td.beyond { background: #f2dede; }
td.undecided, td.notevaluated { background: #fcf1d2; }
@page {
  size: A4; margin: 12mm 12mm 16mm 12mm;
  @bottom-right { content: "page " counter(page) " of " counter(pages); font-size: 8pt; }
}
@media print {
  body { margin: 0; }
  section.part, section.summary { break-before: page; page-break-before: always; }
  section.part, section.summary { break-inside: avoid; }
  section.partfile { break-before: page; page-break-before: always; }
  div.zone { break-inside: avoid; page-break-inside: avoid; }
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

// The overview of the parts of point files and job records.
void pointoverview(std::ostream& html, const std::vector<FileResults>& files,
                   const ResultsOptions& o, const Subunit& u) {
    const BatchSummary s = batchsummary(files, o);
    counts(html, s, "<table class=\"counts\">", "conforming (pass)", "failing (fail)");
    if (!anyjudged(files, o)) {
        html << "<p class=\"rule\">No tolerance was given: no part is judged.</p>\n";
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
}

// Part files.

// A part file of the report: its name as given and what was evaluated of it.
struct ReportedPart {
    std::string path;
    EvaluatedPart part;
};

// What a frame came to, from the best to the worst: a part file's worst is
// the last of its frames'. Not evaluated is worse than undecided (nothing is
// known of the characteristic), better than beyond tolerance (known to fail).
enum class FrameState { within, undecided, notevaluated, beyond };
constexpr std::array<FrameState, 4> framestates = {FrameState::within, FrameState::beyond,
                                                   FrameState::undecided,
                                                   FrameState::notevaluated}; // columns' order

FrameState stateof(const tolerance::FrameValue& v) {
    if (!v.found) return FrameState::notevaluated;
    switch (v.verdict) {
    case tolerance::Verdict::within:
        return FrameState::within;
    case tolerance::Verdict::beyond:
        return FrameState::beyond;
    case tolerance::Verdict::undecided:
        break;
    }
    return FrameState::undecided;
}

// The state in words, as `part` says it.
std::string statewords(FrameState s) {
    switch (s) {
    case FrameState::within:
        return tolerance::verdictname(tolerance::Verdict::within);
    case FrameState::beyond:
        return tolerance::verdictname(tolerance::Verdict::beyond);
    case FrameState::undecided:
        return tolerance::verdictname(tolerance::Verdict::undecided);
    case FrameState::notevaluated:
        break;
    }
    return "not evaluated";
}

// The state's class on the page, which colours its cell.
const char* stateclass(FrameState s) {
    switch (s) {
    case FrameState::within:
        return "within";
    case FrameState::beyond:
        return "beyond";
    case FrameState::undecided:
        return "undecided";
    case FrameState::notevaluated:
        break;
    }
    return "notevaluated";
}

std::string statecell(FrameState s) {
    return std::string("<td class=\"text verdict ") + stateclass(s) + "\">" +
           xmltext(statewords(s)) + "</td>";
}

// How many frames came to each state, and the worst (none without frames).
struct FrameCounts {
    std::size_t frames = 0;
    std::array<std::size_t, 4> of{}; // by FrameState
    std::optional<FrameState> worst;
    void add(FrameState s) {
        ++frames;
        ++of[static_cast<std::size_t>(s)];
        if (!worst || s > *worst) worst = s;
    }
};

FrameCounts framecounts(const std::vector<tolerance::FrameValue>& values) {
    FrameCounts c;
    for (const tolerance::FrameValue& v : values) c.add(stateof(v));
    return c;
}

// The counts' cells in the columns' order: frames, within, beyond,
// undecided, not evaluated.
std::string countcells(const FrameCounts& c) {
    std::string cells = cell(std::to_string(c.frames));
    for (const FrameState s : framestates)
        cells += cell(std::to_string(c.of[static_cast<std::size_t>(s)]));
    return cells;
}

std::string countheads() {
    std::string heads = "<th>tolerance frames</th>";
    for (const FrameState s : framestates) heads += "<th>" + statewords(s) + "</th>";
    return heads;
}

// The unit a part file's lengths are shown in: its unit's sub-unit, as the
// charts take it (µm for mm); microinches stay microinches.
Subunit partunit(const PartFile& p) {
    if (p.unit == "uin" || p.unit == "\u00b5in") return {"\u00b5in", 1, p.unit};
    return subunit(p.unit, 0);
}

// A certificate in words, the bounds proven on an optimum not certified in `u`.
std::string certificatewords(const pointset::Certificate& c, const Subunit& u) {
    if (c.certified) return "certified";
    std::string text = "not certified: " + c.why;
    if (std::isfinite(c.lower) && std::isfinite(c.upper))
        text += " [" + deviation(c.lower, u) + ", " + deviationwithunit(c.upper, u) + "]";
    return text;
}

// Each datum as the frames' systems associate it (datumrows).
void datumtable(std::ostream& html, const std::vector<tolerance::FrameValue>& values,
                const Subunit& u) {
    html << "<h3>Datums as associated</h3>\n";
    const std::vector<DatumRow> rows = datumrows(values);
    if (rows.empty()) {
        html << "<p class=\"none\">No frame uses a datum.</p>\n";
        return;
    }
    html << "<table class=\"datums\">\n<tr><th class=\"text\">system</th><th "
            "class=\"text\">datum</th><th class=\"text\">association</th><th "
            "class=\"text\">certificate</th></tr>\n";
    for (const DatumRow& r : rows) {
        const tolerance::Datum& d = *r.datum;
        html << "<tr>" << cell(datumtext(r.system), false) << cell(d.label, false)
             << cell(d.found ? d.association : "not associated", false)
             << cell(d.found ? certificatewords(d.certificate, u) : d.failure, false) << "</tr>\n";
    }
    html << "</table>\n";
}

// Each frame in the part file's order, its fields those of framefields.
void frametable(std::ostream& html, const EvaluatedPart& e, const Subunit& u) {
    html << "<h3>Tolerance frames</h3>\n";
    if (e.file.frames.empty()) {
        html << "<p class=\"none\">The part file has no tolerance frame.</p>\n";
        return;
    }
    html << "<table class=\"frames\">\n<tr><th class=\"text\">characteristic</th><th "
            "class=\"text\">feature</th><th class=\"text\">datums</th>"
         << unithead("value", u) << unithead("tolerance", u)
         << "<th class=\"text\">verdict</th><th class=\"text\">certified</th><th "
            "class=\"text\">zone or notes</th></tr>\n";
    for (std::size_t k = 0; k < e.file.frames.size(); ++k) {
        const tolerance::FrameValue& v = e.values[k];
        const std::vector<Field> f = framefields(e.file.frames[k], v);
        const auto text = [&](const char* name) { return fieldnamed(f, name)->text; };
        const auto length = [&](const char* name) {
            return deviation(fieldnamed(f, name)->number, u);
        };
        std::string notes = v.found ? text("zone") : text("failure");
        if (v.found && !v.certificate.certified) notes += "; " + certificatewords(v.certificate, u);
        const Field& certified = *fieldnamed(f, "certified");
        html << "<tr>" << cell(text("characteristic"), false) << cell(text("feature"), false)
             << cell(text("datums"), false) << cell(v.found ? length("value") : "-")
             << cell(length("tolerance")) << statecell(stateof(v))
             << cell(certified.kind == Field::Kind::truth ? (certified.truth ? "yes" : "no") : "-",
                     false)
             << cell(notes, false) << "</tr>\n";
    }
    html << "</table>\n";
}

std::string partfileanchor(std::size_t number) {
    return "partfile-" + std::to_string(number);
}

std::string partfiletitle(const ReportedPart& r, std::size_t number) {
    return "Part file " + std::to_string(number) + ": " + printable(r.path);
}

// The labels of frame k's zone picture on a part file's page: part
// --charts' labels, the title numbered as the frame, the charts' caption,
// and the points of two planes thinned as the profiles are, said in the note.
ZoneLabels pagezonelabels(const EvaluatedPart& e, std::size_t k, const std::string& caption) {
    const tolerance::FrameValue& v = e.values[k];
    ZoneLabels l = zonelabels(e.file.frames[k], v, e.file.unit, PartOptions().digits);
    l.title = "tolerance " + std::to_string(k + 1) + ": " + l.title;
    l.caption = caption;
    l.drawnpoints = reportdrawnpoints;
    if (v.shape == tolerance::ZoneShape::planes && v.zonepoints.size() > l.drawnpoints)
        l.note += "; drawn as the lowest and highest of each of " +
                  std::to_string(l.drawnpoints / 2) + " steps along the zone, of its " +
                  std::to_string(v.zonepoints.size()) + " points; every point evaluated";
    return l;
}

// The zone picture of every frame that has one, in the frames' order, drawn
// into `dir` and inlined.
void zonepictures(std::ostream& html, const EvaluatedPart& e, const fs::path& dir,
                  const std::string& caption) {
    const auto drawn = std::count_if(e.values.begin(), e.values.end(), haszonepicture);
    if (drawn == 0) return;
    html << "<h3>Tolerance zones</h3>\n";
    std::error_code ec;
    fs::create_directories(dir, ec);
    for (std::size_t k = 0; k < e.values.size(); ++k) {
        if (!haszonepicture(e.values[k])) continue;
        const fs::path svg = dir / ("tolerance-" + std::to_string(k + 1) + ".svg");
        try {
            drawframezone(svg.string(), Format::svg, e.file.frames[k], e.values[k],
                          pagezonelabels(e, k, caption));
        } catch (const FileError&) {
            // Said on the page, as a point file's chart that is missing.
        }
        const std::string picture = inlinesvg(svg);
        if (picture.empty())
            html << "<p class=\"none\">No picture of the zone of tolerance " << k + 1 << ".</p>\n";
        else
            html << "<div class=\"chart zone\">\n" << picture << "</div>\n";
    }
}

// A part file's page: its unit, the datums as associated, the frames and
// their verdicts, the rule they follow, and the frames' zones, their
// pictures drawn into `dir`.
void partfilepage(std::ostream& html, const ReportedPart& r, std::size_t number,
                  const fs::path& dir, const std::string& caption) {
    const Subunit u = partunit(r.part.file);
    const FrameCounts c = framecounts(r.part.values);
    html << "<section class=\"partfile\" id=\"" << partfileanchor(number) << "\">\n<h2>"
         << xmltext(partfiletitle(r, number)) << "</h2>\n<p class=\"unit\">Coordinates and "
         << "tolerances in " << xmltext(r.part.file.unit) << "; lengths shown in "
         << xmltext(u.name) << ", to " << deviationdecimals << " decimals</p>\n";
    datumtable(html, r.part.values, u);
    frametable(html, r.part, u);
    html << "<p class=\"framecount\">" << c.frames
         << (c.frames == 1 ? " tolerance frame" : " tolerance frames");
    for (const FrameState s : framestates)
        html << (s == framestates.front() ? ": " : ", ") << c.of[static_cast<std::size_t>(s)] << " "
             << xmltext(statewords(s));
    html << "</p>\n<p class=\"rule\">Decision rule: " << xmltext(tolerance::decisionrule())
         << "</p>\n";
    zonepictures(html, r.part, dir, caption);
    html << "</section>\n";
}

// The overview of the part files: their frames counted by verdict, and each
// part file with its worst verdict, linked to its page.
void partfileoverview(std::ostream& html, const std::vector<ReportedPart>& parts) {
    FrameCounts total;
    for (const ReportedPart& r : parts)
        for (const tolerance::FrameValue& v : r.part.values) total.add(stateof(v));
    html << "<h3>Part files: " << parts.size()
         << "</h3>\n<table class=\"framecounts\">\n<tr><th>part files</th>" << countheads()
         << "</tr>\n<tr>" << cell(std::to_string(parts.size())) << countcells(total)
         << "</tr>\n</table>\n<p class=\"rule\">Decision rule of the tolerance frames: "
         << xmltext(tolerance::decisionrule()) << "</p>\n";
    html << "<table class=\"partfiles\">\n<tr><th class=\"text\">part file</th><th "
            "class=\"text\">worst verdict</th>"
         << countheads() << "</tr>\n";
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const FrameCounts c = framecounts(parts[k].part.values);
        html << "<tr><td class=\"text\"><a href=\"#" << partfileanchor(k + 1) << "\">"
             << xmltext(partfiletitle(parts[k], k + 1)) << "</a></td>"
             << (c.worst ? statecell(*c.worst) : cell("no tolerance frame", false)) << countcells(c)
             << "</tr>\n";
    }
    html << "</table>\n";
}

// Every part file evaluated as `part` evaluates it, what is said of each
// passed on to `err`. One that cannot be read, or whose point files cannot,
// is left out with the reason; it, and a frame not evaluated, make the
// status exitinput.
std::vector<ReportedPart> evaluatepartfiles(const ReportOptions& o, std::vector<LeftOut>& leftout,
                                            int& status, std::ostream& err) {
    std::vector<ReportedPart> parts;
    for (const std::string& path : o.partfiles) {
        std::ostringstream said;
        std::optional<EvaluatedPart> e = evaluatepart(path, o.results.progress, said);
        err << said.str();
        if (!e || !e->allevaluated()) status = std::max(status, exitinput);
        if (!e)
            leftout.push_back({printable(path), lastsaid(said.str())});
        else
            parts.push_back({path, std::move(*e)});
    }
    return parts;
}

// Why the report may not replace a point file that a part file names; ""
// when it may: a measurement would be lost.
std::string pointfilerefusal(const std::string& output, const std::vector<ReportedPart>& parts) {
    std::vector<std::string> files;
    for (const ReportedPart& r : parts)
        for (const PartFeature& f : r.part.file.features)
            if (!f.path.empty()) files.push_back(f.path);
    return files.empty() ? "" : outputrefusal(output, files);
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

// The header block: the options' and the header file's fields, how the
// parts of point files and job records were evaluated (where there are
// inputs of them), the counts and the inputs left out.
void headerblock(std::ostream& html, const ReportOptions& o, const Subunit& u, std::size_t parts,
                 std::size_t partfiles, const std::vector<LeftOut>& leftout) {
    const ResultsOptions& r = o.results;
    html << "<header class=\"block\">\n<h1>Form inspection report</h1>\n<table class=\"header\">\n";
    std::vector<std::pair<std::string, std::string>> rows;
    if (!o.reportnumber.empty()) rows.push_back({"Report number", o.reportnumber});
    rows.insert(rows.end(), o.header.begin(), o.header.end());
    if (!o.approvedby.empty()) rows.push_back({"Approved by", o.approvedby});
    if (!r.inputs.empty()) {
        rows.push_back({"Filter", filtername(r.filter, r.unit)});
        rows.push_back({"Criterion of the verdicts", referencename(r.criterion)});
        rows.push_back({"Unit", r.unit});
        rows.push_back(
            {"Form errors and tolerances",
             "in " + u.name + ", to " + std::to_string(deviationdecimals) + " decimals"});
        rows.push_back({"Parts", std::to_string(parts)});
    }
    if (!o.partfiles.empty()) rows.push_back({"Part files", std::to_string(partfiles)});
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

// "3 parts", "1 part file", "3 parts and 2 part files": what the report holds.
std::string reportedcount(std::size_t parts, std::size_t partfiles) {
    const auto counted = [](std::size_t n, const std::string& what) {
        return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
    };
    if (partfiles == 0) return counted(parts, "part");
    if (parts == 0) return counted(partfiles, "part file");
    return counted(parts, "part") + " and " + counted(partfiles, "part file");
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
    std::vector<std::string> inputs = given.results.inputs;
    inputs.insert(inputs.end(), given.partfiles.begin(), given.partfiles.end());
    const std::string refused = outputrefusal(given.output, inputs);
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
    for (const std::string& idle : idletolerances(files, o.results))
        err << "formreport: " << idle << "\n";
    const std::vector<ReportedPart> partfiles = evaluatepartfiles(o, leftout, status, err);
    if (const std::string why = pointfilerefusal(o.output, partfiles); !why.empty()) {
        err << "formreport: " << printable(o.output) << ": " << why << "\n";
        return exitusage;
    }
    std::size_t parts = 0;
    for (const FileResults& f : files) parts += f.records.size();
    if (parts == 0 && partfiles.empty()) {
        err << "formreport: no part was evaluated, so no report is written; " << printable(o.output)
            << " stays as it was\n";
        return exitinput;
    }
    const Scratch scratch;
    std::ostringstream quiet;
    for (std::size_t k = 0; k < files.size() && parts > 0; ++k) {
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
    if (parts > 0) drawbatchtrend(files, trend, quiet);

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
    headerblock(html, o, u, parts, partfiles.size(), leftout);
    html << "<section class=\"overview\">\n<h2>Batch overview</h2>\n";
    if (parts > 0) pointoverview(html, files, o.results, u);
    if (!partfiles.empty()) partfileoverview(html, partfiles);
    html << "</section>\n";
    std::size_t number = 0;
    for (std::size_t k = 0; k < files.size(); ++k)
        for (const Evaluated& e : files[k].records)
            part(html, files[k], e, scratch.dir / std::to_string(k), o.results, u, ++number);
    for (std::size_t k = 0; k < partfiles.size(); ++k)
        partfilepage(html, partfiles[k], k + 1, scratch.dir / ("partfile-" + std::to_string(k + 1)),
                     chartcaption(o.header, ""));
    if (parts > 0) summary(html, files, o.results, u, scratch.dir / "trend.svg");
    html << "</body>\n</html>\n";
    html.close();
    if (!html || ::rename(partial.c_str(), target.c_str()) != 0) {
        if (!partial.empty()) ::unlink(partial.c_str());
        err << "formreport: " << printable(o.output) << ": the report could not be written\n";
        return exitinput;
    }
    out << o.output << ": " << reportedcount(parts, partfiles.size()) << " reported\n";
    return outputwritten(out, err) ? status : exitinput;
}

} // namespace formeval::report
