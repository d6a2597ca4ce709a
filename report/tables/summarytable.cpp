// The summary of the study blocks as aligned tables for reading and as CSV
// for further computation.
#include "report/tables/tables.h"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace formeval::report {

namespace {

constexpr const char* notavailable = "n/a";

// One table: a heading line, then rows of a label and one cell per quantity.
struct Table {
    std::string heading;
    std::vector<std::string> notes;
    std::vector<std::pair<std::string, std::array<std::string, nquantities>>> rows;
};

void print(std::ostream& out, const Table& t) {
    std::size_t labelwidth = 0;
    std::size_t cellwidth = 0;
    for (const char* head : quantityheads)
        cellwidth = std::max(cellwidth, std::string(head).size());
    for (const auto& [label, cells] : t.rows) {
        labelwidth = std::max(labelwidth, label.size());
        for (const auto& cell : cells) cellwidth = std::max(cellwidth, cell.size());
    }
    out << t.heading << "\n" << std::string(labelwidth, ' ');
    for (const char* head : quantityheads) out << "  " << std::setw(int(cellwidth)) << head;
    out << "\n";
    for (const auto& [label, cells] : t.rows) {
        out << std::left << std::setw(int(labelwidth)) << label << std::right;
        for (const auto& cell : cells) out << "  " << std::setw(int(cellwidth)) << cell;
        out << "\n";
    }
    for (const auto& note : t.notes) out << note << "\n";
}

using Cells = std::array<std::string, nquantities>;

template <class Cell> Cells cells(const Block& b, Cell cell) {
    Cells out;
    for (int q = 0; q < nquantities; ++q) out[q] = cell(b.statistics[q], q);
    return out;
}

Table repetitiontable(const Block& b, Basispoints coverage, int digits) {
    const auto number = [digits](bool has, double v) {
        return has ? formatnumber(v, digits) : std::string(notavailable);
    };
    Table t;
    t.heading = "Block " + std::to_string(b.number) + ": repetitions " +
                std::to_string(b.firstrepetition) + "-" + std::to_string(b.lastrepetition) +
                " on lines " + std::to_string(b.firstline) + "-" + std::to_string(b.lastline) +
                " (" + std::to_string(b.lines) + " lines)";
    const std::string interval = coveragetext(coverage) + " interval ";
    const std::string shortest = coveragetext(coverage) + " shortest ";
    if (!b.jobname.empty()) t.heading += ", " + b.jobname;
    t.rows = {
        {"count", cells(b, [](const Statistics& s, int) { return std::to_string(s.count); })},
        {"mean", cells(b, [&](const Statistics& s, int) { return number(s.count > 0, s.mean); })},
        {"standard deviation",
         cells(b, [&](const Statistics& s, int) { return number(s.hassd, s.sd); })},
        {"minimum", cells(b, [&](const Statistics& s, int) { return number(s.count > 0, s.min); })},
        {"maximum", cells(b, [&](const Statistics& s, int) { return number(s.count > 0, s.max); })},
        {interval + "low",
         cells(b, [&](const Statistics& s, int) { return number(s.hasinterval, s.low); })},
        {interval + "high",
         cells(b, [&](const Statistics& s, int) { return number(s.hasinterval, s.high); })},
        {shortest + "low",
         cells(b, [&](const Statistics& s, int) { return number(s.hasinterval, s.shortlow); })},
        {shortest + "high",
         cells(b, [&](const Statistics& s, int) { return number(s.hasinterval, s.shorthigh); })},
    };
    if (b.hasmeasured) {
        t.rows.push_back({"measured (no noise)", cells(b, [&](const Statistics&, int q) {
                              return formatnumber(b.measured[q], digits);
                          })});
        t.rows.push_back({"mean - measured", cells(b, [&](const Statistics& s, int q) {
                              return number(s.count > 0, s.mean - b.measured[q]);
                          })});
        t.rows.push_back({"interval holds measured", cells(b, [&](const Statistics& s, int q) {
                              if (!s.hasinterval) return std::string(notavailable);
                              return std::string(
                                  s.low <= b.measured[q] && b.measured[q] <= s.high ? "yes" : "no");
                          })});
    }
    if (b.nocircle > 0)
        t.notes.push_back("No circle fits the points of " + std::to_string(b.nocircle) +
                          " of the " + std::to_string(b.lines) +
                          " repetitions; they are not counted.");
    if (b.notevaluated > 0)
        t.notes.push_back("formeval did not evaluate " + std::to_string(b.notevaluated) +
                          " of the " + std::to_string(b.lines) +
                          " repetitions; they are not counted.");
    if (b.noted > 0)
        t.notes.push_back("formeval noted " + std::to_string(b.noted) + " of the " +
                          std::to_string(b.lines) +
                          " repetitions: a centre that did not settle, a fit stopped or singular, "
                          "a search that fell back, or a result a feasible one beats (the note "
                          "stands just before the repetition in the result file); they are "
                          "counted.");
    if (b.statistics[0].count > 0 && !b.statistics[0].hasinterval)
        t.notes.push_back("The " + coveragetext(coverage) +
                          " interval needs more values than the block has.");
    if (const std::string note = lengthnote(b); !note.empty())
        t.notes.push_back("The block " + note);
    const Convergence& c = b.convergence[0];
    if (b.statistics[0].count > 0 && !c.judged) {
        t.notes.push_back("Converged? Too few repetitions to judge: the check (JCGM 101 7.9) "
                          "needs " +
                          std::to_string(convergencebatches) + " batches of at least " +
                          std::to_string(convergencebatch) + ".");
    } else if (b.statistics[0].count > 0) {
        t.notes.push_back("Converged? (JCGM 101 7.9: " + std::to_string(convergencebatches) +
                          " batches of " + std::to_string(c.batch) + ", delta from " +
                          std::to_string(c.digits) +
                          " significant digits of the standard deviation)");
        std::size_t width = 0;
        for (const char* name : quantitynames) width = std::max(width, std::string(name).size());
        for (int q = 0; q < nquantities; ++q)
            if (b.statistics[q].count > 0)
                t.notes.push_back(
                    "  " + std::string(quantitynames[q]) + ":" +
                    std::string(width - std::string(quantitynames[q]).size() + 1, ' ') +
                    convergenceverdict(b.convergence[q], b.statistics[q].count));
    }
    return t;
}

Table perturbationtable(const Block& b, int digits) {
    Table t;
    t.heading = "Block " + std::to_string(b.number) + ": perturbation study on line " +
                std::to_string(b.firstline);
    if (!b.jobname.empty()) t.heading += ", " + b.jobname;
    Cells low, high, nominal, half;
    for (int q = 0; q < nquantities; ++q) {
        const double lo = b.bounds[2 * q];
        const double hi = b.bounds[2 * q + 1];
        low[q] = formatnumber(lo, digits);
        high[q] = formatnumber(hi, digits);
        nominal[q] = formatnumber((lo + hi) / 2, digits);
        half[q] = formatnumber((hi - lo) / 2, digits);
    }
    t.rows = {{"interval low", low},
              {"interval high", high},
              {"nominal (midpoint)", nominal},
              {"half-width (2u)", half}};
    return t;
}

std::string csvnumber(bool has, double v) {
    return has ? roundtrip(v) : std::string();
}

} // namespace

std::string lengthnote(const Block& b) {
    if (b.kind != Block::Kind::repetitions ||
        std::find(studylengths.begin(), studylengths.end(), b.lines) != studylengths.end())
        return "";
    return "holds " + std::to_string(b.lines) +
           (b.lines == 1 ? " repetition line" : " repetition lines") +
           ", not the 1000, 10 000 or 100 000 of a whole study: it was cut short, lines are "
           "missing, or the lines of two runs are interleaved.";
}

void printtables(std::ostream& out, const std::string& file, const std::vector<Block>& blocks,
                 Basispoints coverage, int digits) {
    if (blocks.empty()) {
        out << file << ": no study blocks\n";
        return;
    }
    out << file << ": " << blocks.size() << (blocks.size() == 1 ? " block\n" : " blocks\n");
    for (const Block& b : blocks) {
        out << "\n";
        print(out, b.kind == Block::Kind::perturbation ? perturbationtable(b, digits)
                                                       : repetitiontable(b, coverage, digits));
    }
}

void printcsv(std::ostream& out, const std::vector<Block>& blocks) {
    out << "block,kind,first_line,last_line,lines,no_circle,quantity,count,mean,sd,min,max,"
           "interval_low,interval_high,shortest_low,shortest_high,noted,job,measured,"
           "stable_after,needed\n";
    for (const Block& b : blocks) {
        const bool perturbation = b.kind == Block::Kind::perturbation;
        for (int q = 0; q < nquantities; ++q) {
            out << b.number << "," << (perturbation ? "perturbation" : "repetitions") << ","
                << b.firstline << "," << b.lastline << "," << b.lines << "," << b.nocircle << ","
                << quantitynames[q] << ",";
            if (perturbation) {
                out << ",,,,," << roundtrip(b.bounds[2 * q]) << ","
                    << roundtrip(b.bounds[2 * q + 1]) << ",,,,";
            } else {
                const Statistics& s = b.statistics[q];
                const bool has = s.count > 0;
                out << s.count << "," << csvnumber(has, s.mean) << "," << csvnumber(s.hassd, s.sd)
                    << "," << csvnumber(has, s.min) << "," << csvnumber(has, s.max) << ","
                    << csvnumber(s.hasinterval, s.low) << "," << csvnumber(s.hasinterval, s.high)
                    << "," << csvnumber(s.hasinterval, s.shortlow) << ","
                    << csvnumber(s.hasinterval, s.shorthigh) << "," << b.noted << ",";
            }
            out << (b.job ? std::to_string(b.job) : "") << ","
                << csvnumber(b.hasmeasured, b.measured[q]) << ",";
            const Convergence& c = b.convergence[q];
            if (!perturbation && c.judged)
                out << c.stableafter << "," << c.needed;
            else
                out << ",";
            out << "\n";
        }
    }
}

} // namespace formeval::report
