// The tables of the polar command: the plots with the errors against each
// reference, the harmonic amplitudes, the straightness and flatness plots.
#include "report/tables/tables.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace formeval::report {

// The table of the plots: the file name, then right-aligned columns, each at
// least its usual width and always one blank wider than its widest cell, so
// that no two columns run together.
void printplots(std::ostream& out, const std::string& file, const std::vector<PlotRow>& rows,
                const std::string& filter) {
    out << file << ": " << rows.size() << (rows.size() == 1 ? " circle record" : " circle records")
        << " plotted; circularity error against each circle";
    if (!filter.empty()) out << ", of the profiles filtered (" << filter << ")";
    out << "\n";
    constexpr std::size_t columns = 9;
    std::array<const char*, columns> heads = {"job", "code", "line", "points", "magnification"};
    for (int k = 0; k < ncriteria; ++k) heads[5 + k] = pointset::criteria[k].circle;
    constexpr std::array<std::size_t, columns> usual = {6, 6, 7, 7, 15, 17, 17, 17, 17};
    std::vector<std::array<std::string, columns>> cells;
    for (const PlotRow& r : rows) {
        std::array<std::string, columns> c = {
            std::to_string(r.record->ordinal), std::to_string(r.record->job),
            std::to_string(r.record->line), std::to_string(r.record->c[0].size()),
            formatnumber(r.magnification, 6)};
        for (int k = 0; k < ncriteria; ++k)
            c[5 + k] = formatnumber(r.evaluation.fit(Criterion(k)).error, 12);
        cells.push_back(c);
    }
    std::size_t filewidth = 4;
    for (const PlotRow& r : rows) filewidth = std::max(filewidth, r.file.size());
    std::array<std::size_t, columns> width = usual;
    for (std::size_t k = 0; k < columns; ++k) {
        width[k] = std::max(width[k], std::string(heads[k]).size() + 1);
        for (const auto& c : cells) width[k] = std::max(width[k], c[k].size() + 1);
    }
    out << std::left << std::setw(int(filewidth)) << "plot" << std::right;
    for (std::size_t k = 0; k < columns; ++k) out << std::setw(int(width[k])) << heads[k];
    out << "\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out << std::left << std::setw(int(filewidth)) << rows[i].file << std::right;
        for (std::size_t k = 0; k < columns; ++k) out << std::setw(int(width[k])) << cells[i][k];
        out << "\n";
    }
}

std::string harmonicnote(const HarmonicRow& h) {
    const std::size_t resolved =
        h.harmonics.amplitude.empty() ? 0 : h.harmonics.amplitude.size() - 1;
    std::string note =
        "Harmonic amplitudes about the least-squares circle, in " + h.unit.name + "; " +
        std::to_string(h.harmonics.points) +
        (h.harmonics.resampled ? " points resampled at equal angles" : " points at equal angles");
    if (!h.filter.empty()) note += ", filtered " + h.filter;
    if (h.ranged && !h.spectrum.empty())
        note += "; UPR " + std::to_string(h.spectrum.front().upr) + " to " +
                std::to_string(h.spectrum.back().upr) + " with their phases";
    else if (!h.ranged && resolved < static_cast<std::size_t>(profile::maxharmonic))
        note += "; they resolve UPR 1 to " + std::to_string(resolved) + " only";
    return note;
}

namespace {

constexpr double degree = 3.14159265358979323846 / 180;

// The harmonics of a range one a line: UPR, amplitude, phase in degrees.
void printspectrum(std::ostream& out, const HarmonicRow& h) {
    std::vector<std::vector<std::string>> rows;
    for (const profile::Harmonic& k : h.spectrum)
        rows.push_back({std::to_string(k.upr), formatnumber(k.amplitude * h.unit.factor, 4),
                        formatnumber(k.phase / degree, 4)});
    printaligned(out, {"UPR", "amplitude", "phase (degrees)"}, {true, true, true}, rows);
}

} // namespace

std::vector<profile::Harmonic> dominant(const std::vector<profile::Harmonic>& spectrum,
                                        std::size_t most) {
    double largest = 0;
    for (const profile::Harmonic& k : spectrum)
        if (k.upr > 0) largest = std::max(largest, k.amplitude);
    std::vector<profile::Harmonic> out;
    for (const profile::Harmonic& k : spectrum)
        if (k.upr > 0 && k.amplitude > 0 && k.amplitude >= dominantshare * largest)
            out.push_back(k);
    std::stable_sort(out.begin(), out.end(),
                     [](const auto& a, const auto& b) { return a.amplitude > b.amplitude; });
    if (out.size() > most) out.resize(most);
    return out;
}

std::string dominantline(const HarmonicRow& h) {
    std::string text = "dominant:";
    const std::vector<profile::Harmonic> top = dominant(h.spectrum, 5);
    for (std::size_t k = 0; k < top.size(); ++k)
        text += std::string(k ? ", " : " ") + std::to_string(top[k].upr) + " UPR " +
                formatnumber(top[k].amplitude * h.unit.factor, 4) + " " + h.unit.name +
                " (first crest at " + formatnumber(top[k].phase / top[k].upr / degree, 4) +
                " degrees)";
    return top.empty() ? text + " none" : text;
}

void printharmonics(std::ostream& out, const HarmonicRow& h) {
    out << "\n" << h.name << ": " << harmonicnote(h) << "\n";
    if (h.ranged) {
        printspectrum(out, h);
        out << dominantline(h) << "\n";
        return;
    }
    // Decimals down to the fourth significant digit of the largest amplitude.
    double largest = 0;
    for (std::size_t k = 1; k < h.harmonics.amplitude.size(); ++k)
        largest = std::max(largest, h.harmonics.amplitude[k] * h.unit.factor);
    const int decimals =
        largest > 0 ? std::clamp(3 - static_cast<int>(std::floor(std::log10(largest))), 0, 12) : 0;
    constexpr int rows = 10;
    for (int row = 1; row <= rows; ++row) {
        std::string line;
        for (int k = row; k <= profile::maxharmonic; k += rows) {
            if (static_cast<std::size_t>(k) >= h.harmonics.amplitude.size()) break;
            std::ostringstream cell;
            cell << std::setw(k == row ? 3 : 6) << k << "  " << std::left << std::setw(10)
                 << std::fixed << std::setprecision(decimals)
                 << h.harmonics.amplitude[static_cast<std::size_t>(k)] * h.unit.factor;
            line += cell.str();
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        if (!line.empty()) out << line << "\n";
    }
    if (!h.spectrum.empty()) out << dominantline(h) << "\n";
}

void printforms(std::ostream& out, const std::string& file, const std::vector<FormRow>& rows,
                bool after) {
    if (after) out << "\n";
    out << file << ": " << rows.size()
        << (rows.size() == 1 ? " straightness or flatness record"
                             : " straightness and flatness records")
        << " plotted; form error against each reference\n";
    std::size_t filewidth = 4;
    for (const FormRow& r : rows) filewidth = std::max(filewidth, r.file.size());
    constexpr std::array<const char*, 6> heads = {"job", "code", "line", "points", "LS", "MZ"};
    constexpr std::array<int, 6> widths = {6, 6, 7, 7, 17, 17};
    out << std::left << std::setw(int(filewidth)) << "plot" << std::right;
    for (std::size_t k = 0; k < heads.size(); ++k) out << std::setw(widths[k]) << heads[k];
    out << "\n";
    for (const FormRow& r : rows) {
        const std::array<std::string, 6> cells = {
            std::to_string(r.record->ordinal),
            std::to_string(r.record->job),
            std::to_string(r.record->line),
            std::to_string(r.record->c[0].size()),
            formatnumber(r.evaluation.fit(Criterion::leastsquares).error, 12),
            formatnumber(r.evaluation.fit(Criterion::minimumzone).error, 12)};
        out << std::left << std::setw(int(filewidth)) << r.file << std::right;
        for (std::size_t k = 0; k < cells.size(); ++k)
            out << std::setw(std::max(widths[k], static_cast<int>(cells[k].size()) + 1))
                << cells[k];
        out << "\n";
    }
}

} // namespace formeval::report
