// The summary of the study blocks as aligned tables for reading and as CSV
// for further computation.
#include "report/report.h"

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
    };
    if (b.nocircle > 0)
        t.notes.push_back("No circle fits the points of " + std::to_string(b.nocircle) +
                          " of the " + std::to_string(b.lines) +
                          " repetitions; they are not counted.");
    if (b.notevaluated > 0)
        t.notes.push_back("formeval did not evaluate " + std::to_string(b.notevaluated) +
                          " of the " + std::to_string(b.lines) +
                          " repetitions; they are not counted.");
    if (b.statistics[0].count > 0 && !b.statistics[0].hasinterval)
        t.notes.push_back("The " + coveragetext(coverage) +
                          " interval needs more values than the block has.");
    if (const std::string note = lengthnote(b); !note.empty())
        t.notes.push_back("The block " + note);
    return t;
}

Table perturbationtable(const Block& b, int digits) {
    Table t;
    t.heading = "Block " + std::to_string(b.number) + ": perturbation study on line " +
                std::to_string(b.firstline);
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
           "interval_low,interval_high\n";
    for (const Block& b : blocks) {
        const bool perturbation = b.kind == Block::Kind::perturbation;
        for (int q = 0; q < nquantities; ++q) {
            out << b.number << "," << (perturbation ? "perturbation" : "repetitions") << ","
                << b.firstline << "," << b.lastline << "," << b.lines << "," << b.nocircle << ","
                << quantitynames[q] << ",";
            if (perturbation) {
                out << ",,,,," << roundtrip(b.bounds[2 * q]) << ","
                    << roundtrip(b.bounds[2 * q + 1]);
            } else {
                const Statistics& s = b.statistics[q];
                const bool has = s.count > 0;
                out << s.count << "," << csvnumber(has, s.mean) << "," << csvnumber(s.hassd, s.sd)
                    << "," << csvnumber(has, s.min) << "," << csvnumber(has, s.max) << ","
                    << csvnumber(s.hasinterval, s.low) << "," << csvnumber(s.hasinterval, s.high);
            }
            out << "\n";
        }
    }
}

} // namespace formeval::report
