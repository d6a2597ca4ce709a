// Finds the study blocks of result.txt among the other output: runs of
// repetition lines numbered 0, 1, 2, ..., each run starting again at 0, and
// single perturbation lines of eight bounds.
#include "report/readers/readers.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace formeval::report {

namespace {

std::vector<std::string_view> fields(std::string_view line) {
    std::vector<std::string_view> out;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) return out;
        start = tab + 1;
    }
}

bool allnumbers(const std::vector<std::string_view>& items, std::size_t from, double* numbers) {
    for (std::size_t i = from; i < items.size(); ++i) {
        const auto value = parsenumber(items[i]);
        if (!value) return false;
        numbers[i - from] = *value;
    }
    return true;
}

bool isrepetitionnumber(std::string_view text) {
    return !text.empty() && text.size() <= 9 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

ResultLine malformed(std::string reason) {
    ResultLine r;
    r.kind = LineKind::malformed;
    r.reason = std::move(reason);
    return r;
}

// Why a line that starts with a repetition number is not a repetition line.
std::string repetitionfault(const std::vector<std::string_view>& items) {
    if (items.size() != 5)
        return "a repetition line holds its number and four numbers separated by tabs; this one "
               "has " +
               std::to_string(items.size()) + " fields";
    for (std::size_t i = 1; i < items.size(); ++i)
        if (!parsenumber(items[i]))
            return std::string(quantitynames[i - 1]) + " '" + shortitem(items[i]) +
                   "' is not a number";
    return "not a repetition line";
}

// "Repetition ii not evaluated..." as a sampling study writes it.
bool notevaluated(std::string_view line, ResultLine& r) {
    if (line.substr(0, notevaluatedstart.size()) != notevaluatedstart) return false;
    line.remove_prefix(notevaluatedstart.size());
    const std::string_view number = line.substr(0, line.find(' '));
    line.remove_prefix(number.size());
    if (!isrepetitionnumber(number) || line.substr(0, notevaluatedtext.size()) != notevaluatedtext)
        return false;
    r.kind = LineKind::notevaluated;
    r.repetition = std::stol(std::string(number));
    return true;
}

// Whether a line, as far as it goes, may be a study line that was cut short:
// a study line, or the beginning of one that has not reached its first tab
// (a number being written) or its end ("Repetition ...").
bool studylinestart(std::string_view line, const ResultLine& r) {
    if (r.kind != LineKind::other) return true;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t common = std::min(line.size(), notevaluatedstart.size());
    if (!line.empty() && line.substr(0, common) == notevaluatedstart.substr(0, common)) return true;
    return !line.empty() && line.front() != 'e' && line.front() != 'E' &&
           line.find_first_not_of("0123456789+-.eE") == std::string_view::npos;
}

} // namespace

ResultLine classify(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ResultLine r;
    if (notevaluated(line, r)) return r;
    for (const methods::NoteStart& n : notestarts)
        if (line.substr(0, n.start.size()) == n.start) {
            r.kind = LineKind::note;
            return r;
        }
    if (line.find('\t') == std::string_view::npos) return r;
    const auto items = fields(line);
    if (items.size() == 8 && allnumbers(items, 0, r.numbers.data())) {
        r.kind = LineKind::perturbation;
        return r;
    }
    if (!isrepetitionnumber(items[0])) return r;
    r.repetition = std::stol(std::string(items[0]));
    if (items.size() == 2 && items[1] == nocircletext) {
        r.kind = LineKind::nocircle;
        return r;
    }
    if (items.size() == 5 && allnumbers(items, 1, r.numbers.data())) {
        r.kind = LineKind::repetition;
        return r;
    }
    ResultLine fault = malformed(repetitionfault(items));
    fault.repetition = r.repetition;
    return fault;
}

namespace {

// Gathers the lines of the open block and closes it into a Block.
class BlockBuilder {
  public:
    BlockBuilder(const ScanOptions& options, std::vector<Block>& blocks)
        : options_(options), blocks_(blocks) {}

    bool open() const { return open_; }
    long expected() const { return next_; }

    void start(long line, long repetition) {
        close();
        open_ = true;
        block_ = Block{};
        block_.firstline = line;
        block_.firstrepetition = repetition;
        for (auto& v : values_) v.clear();
        next_ = repetition;
    }

    // A note stands just before the repetition it concerns.
    void note() { noted_ = true; }
    void other() { noted_ = false; }

    void add(long line, const ResultLine& r) {
        if (noted_) ++block_.noted;
        noted_ = false;
        block_.lastline = line;
        block_.lastrepetition = r.repetition;
        ++block_.lines;
        next_ = r.repetition + 1;
        if (r.kind == LineKind::nocircle) {
            ++block_.nocircle;
            return;
        }
        if (r.kind == LineKind::notevaluated) {
            ++block_.notevaluated;
            return;
        }
        for (int q = 0; q < nquantities; ++q) values_[q].push_back(r.numbers[q]);
    }

    // A repetition line left out: the numbering goes on past it.
    void passover(const ResultLine& r) {
        if (open_ && r.repetition == next_) ++next_;
    }

    void perturbation(long line, const ResultLine& r) {
        close();
        Block b;
        b.kind = Block::Kind::perturbation;
        b.number = static_cast<int>(blocks_.size()) + 1;
        b.firstline = b.lastline = line;
        b.lines = 1;
        std::copy(r.numbers.begin(), r.numbers.end(), b.bounds.begin());
        blocks_.push_back(b);
    }

    void close() {
        if (!open_) return;
        open_ = false;
        block_.number = static_cast<int>(blocks_.size()) + 1;
        for (int q = 0; q < nquantities; ++q) {
            auto& v = values_[q];
            block_.statistics[q] = summarise(v, options_.coverage);
            if (v.empty()) continue;
            block_.convergence[q] = convergence(v, options_.coverage, options_.tolerancedigits);
            std::sort(v.begin(), v.end());
            const int bins = options_.bins > 0 ? options_.bins : autobins(v);
            block_.histograms[q] = makehistogram(v, bins);
        }
        blocks_.push_back(std::move(block_));
    }

  private:
    const ScanOptions& options_;
    std::vector<Block>& blocks_;
    bool open_ = false;
    Block block_;
    std::array<std::vector<double>, nquantities> values_;
    long next_ = 0;
    bool noted_ = false;
};

// Longest line kept whole: formeval's lines are a few hundred characters at
// most, and a line of a megabyte (a stray binary file) must not be held
// whole.
constexpr std::size_t longestline = 1 << 16;

// Reads the next line of `in` into `text` as std::getline does, keeping its
// first longestline characters; `cut` says whether there were more.
bool readline(std::istream& in, std::string& text, bool& cut) {
    text.clear();
    cut = false;
    std::streambuf& buffer = *in.rdbuf();
    using traits = std::char_traits<char>;
    for (int c = buffer.sbumpc();; c = buffer.sbumpc()) {
        if (c == traits::eof()) {
            in.setstate(std::ios::eofbit);
            if (text.empty() && !cut) in.setstate(std::ios::failbit);
            return !in.fail();
        }
        if (c == '\n') return true;
        if (text.size() < longestline)
            text.push_back(traits::to_char_type(c));
        else
            cut = true;
    }
}

} // namespace

std::vector<Block> scanresults(std::istream& in, const std::string& file,
                               const ScanOptions& options, std::ostream& warnings,
                               void (*progress)(void*, std::uintmax_t), void* context) {
    std::vector<Block> blocks;
    BlockBuilder builder(options, blocks);
    // Throws, or in lenient mode warns and lets the caller go on.
    const auto fault = [&](long line, const std::string& why, const char* consequence) {
        if (!options.skipmalformed) throw FileError(file, line, why);
        warnings << "formreport: " << printable(file) << ":" << line << ": " << why << "; "
                 << consequence << "\n";
    };

    std::string text;
    std::uintmax_t bytes = 0;
    bool cut = false;
    for (long line = 1; readline(in, text, cut); ++line) {
        bytes += text.size() + 1;
        if (progress && line % 4096 == 0) progress(context, bytes);
        ResultLine r = classify(text);
        if (cut && r.kind != LineKind::other && r.kind != LineKind::note)
            r = malformed("a line of more than " + std::to_string(longestline) +
                          " characters, longer than any study line");
        // Every study line ends with a line break; getline reaches the end of
        // the file only on a last line without one.
        if (in.eof() && studylinestart(text, r)) {
            fault(line,
                  "the file ends inside this study line, which has no line break: it was cut "
                  "short (a full disk, a killed run)",
                  "line left out");
            builder.passover(r);
            break;
        }
        switch (r.kind) {
        case LineKind::other:
            builder.other();
            break;
        case LineKind::note:
            builder.note();
            break;
        case LineKind::malformed:
            fault(line, r.reason, "line left out");
            builder.passover(r);
            break;
        case LineKind::perturbation:
            builder.perturbation(line, r);
            break;
        case LineKind::repetition:
        case LineKind::nocircle:
        case LineKind::notevaluated:
            if (r.repetition == 0) {
                builder.start(line, 0);
            } else if (!builder.open()) {
                fault(line,
                      "repetition " + std::to_string(r.repetition) +
                          " stands where a study block should start at repetition 0",
                      "a block starts here");
                builder.start(line, r.repetition);
            } else if (r.repetition != builder.expected()) {
                fault(line,
                      "repetition " + std::to_string(r.repetition) + " follows repetition " +
                          std::to_string(builder.expected() - 1) +
                          ": lines are missing or out of order",
                      "line counted in the block");
            }
            builder.add(line, r);
            break;
        }
    }
    if (in.bad()) throw FileError(file, 0, "the file could not be read to its end");
    builder.close();
    if (progress) progress(context, bytes);
    return blocks;
}

} // namespace formeval::report
