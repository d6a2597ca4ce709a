// Reads a job stream as formeval reads it, item by item with line numbers,
// and keeps every record with the reason formeval would refuse it; sorts the
// records for the charts (the circle records, the lines and the planes) and
// the summary (the study records). Every job's record is
// read by the shape the job table gives it, so that the next item is the next
// job code; where formeval would find the stream broken, the reader stops
// with the line and reason.
#include "report/readers/readers.h"

#include "base/record.h"
#include "driver/dispatch.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <istream>
#include <string>

namespace formeval::report {

namespace {

// Whitespace-separated items with the line each stands on, read from the
// stream as formeval reads them: a UTF-8 byte-order mark at the start is
// skipped, and a word longer than any number (maxword) is kept only to its
// first maxword + 1 characters, which no number is, and read past.
class Items {
  public:
    explicit Items(std::istream& in) : in_(*in.rdbuf()) {
        const std::string_view bom = "\xef\xbb\xbf";
        std::size_t matched = 0;
        while (matched < bom.size() &&
               in_.sgetc() == std::char_traits<char>::to_int_type(bom[matched])) {
            in_.sbumpc();
            ++matched;
        }
        // A start that only looks like a mark is the first item's beginning.
        if (matched < bom.size()) pending_.assign(bom.substr(0, matched));
    }

    // The next item, or an empty view at the end of the stream.
    std::string_view next() {
        using traits = std::char_traits<char>;
        long line = itemline_;
        word_.swap(pending_);
        pending_.clear();
        int c = in_.sgetc();
        while (word_.empty() && c != traits::eof() && std::isspace(c)) {
            if (c == '\n') ++line;
            c = in_.snextc();
        }
        while (c != traits::eof() && !std::isspace(c)) {
            if (word_.size() <= maxword) word_.push_back(traits::to_char_type(c));
            c = in_.snextc();
        }
        if (!word_.empty()) itemline_ = line;
        return word_;
    }
    // Line of the item last returned (at the end: of the last item).
    long line() const { return itemline_; }

  private:
    std::streambuf& in_;
    std::string word_;
    std::string pending_;
    long itemline_ = 1;
};

std::string quoted(std::string_view item) {
    return "'" + shortitem(item) + "'";
}

class StreamReader {
  public:
    StreamReader(std::istream& in, const std::string& file) : items_(in), file_(file) {}

    RecordStream read() {
        RecordStream stream;
        for (std::string_view item = items_.next(); !item.empty(); item = items_.next()) {
            const auto job = intvalue(item);
            if (!job)
                throw FileError(file_, items_.line(),
                                quoted(item) + " stands where a job code (a whole number) should" +
                                    (stream.jobs
                                         ? " follow job " + std::to_string(lastjob_) + " (job " +
                                               std::to_string(stream.jobs) + " of the stream)"
                                         : std::string(" start the stream")));
            ++stream.jobs;
            lastjob_ = *job;
            where_ = "job " + std::to_string(*job) + " (job " + std::to_string(stream.jobs) +
                     " of the stream, line " + std::to_string(items_.line()) + ")";
            record(stream, *job, items_.line());
        }
        return stream;
    }

  private:
    [[noreturn]] void broken(std::string_view item, const std::string& what) {
        throw FileError(file_, items_.line(),
                        where_ + ": " +
                            (item.empty() ? what + " is missing: the file ends"
                                          : quoted(item) + " stands where " + what +
                                                " should be, and is not a number"));
    }

    // The items of the stream as the record reader takes them, with the line
    // of the record's first (its point count).
    class Words : public wordsource {
      public:
        explicit Words(Items& items) : items_(items) {}
        std::string_view next() override {
            const std::string_view item = items_.next();
            if (words_++ == 0) countline_ = items_.line();
            return item;
        }
        long countline() const { return countline_; }

      private:
        Items& items_;
        long words_ = 0;
        long countline_ = 0;
    };

    // Where formeval finds the stream broken in the record.
    [[noreturn]] void brokenrecord(const recordoutcome& o, long countline) {
        switch (o.status) {
        case recordstatus::notwhole:
            throw FileError(file_, items_.line(),
                            where_ + ": " + quoted(o.word) +
                                " stands where the point count should be, and is not a whole "
                                "number");
        case recordstatus::negative:
            // The length of the record is unknown: formeval stops reading there.
            throw FileError(file_, countline,
                            where_ + ": the point count " + std::to_string(o.numpt) +
                                " is negative: the length of the record is unknown");
        default:
            broken(o.word, o.item == recorditem::count ? "the point count"
                           : o.item == recorditem::tolerance
                               ? "the tolerance"
                               : "coordinate " + std::to_string(o.coordinate + 1) + " of point " +
                                     std::to_string(o.point + 1) + " of " +
                                     std::to_string(o.numpt));
        }
    }

    void record(RecordStream& stream, int job, long line) {
        const jobinfo* entry = findjob(job);
        if (entry == nullptr) {
            stream.unknown.push_back(
                {stream.jobs, where_ + ": formeval runs no job of this code; like formeval, "
                                       "formreport reads the next item as a job code"});
            return;
        }
        const int dimension = coordinates(entry->points);
        if (dimension == 0) return;

        double* const c[3] = {&points_[0], &points_[nsz], &points_[2 * nsz]};
        Words words(items_);
        const recordoutcome o = readpoints(words, entry->points, entry->minpt, c);
        if (o.breaks()) brokenrecord(o, words.countline());
        JobRecord r;
        r.ordinal = static_cast<int>(stream.jobs);
        r.job = job;
        r.line = line;
        r.numpt = o.numpt;
        r.cri = o.tolerance;
        if (o.numpt <= nsz)
            for (int d = 0; d < dimension; ++d) r.c[d].assign(c[d], c[d] + o.numpt);
        if (o.status == recordstatus::toomany)
            r.refused = std::to_string(o.numpt) + " points exceed formeval's limit of " +
                        std::to_string(nsz);
        else if (o.status == recordstatus::outofrange)
            r.refused = "a coordinate beyond +-1e100, outside the range the evaluations can handle";
        else if (o.status == recordstatus::tolerance)
            r.refused = o.tolerance < 0 ? "the tolerance is negative; a tolerance is 0 or more"
                                        : "the tolerance is beyond +-1e100, outside the range the "
                                          "evaluations can handle";
        else if (o.status == recordstatus::toofew)
            r.refused = std::to_string(o.numpt) +
                        " points are too few; the evaluation needs at least " +
                        std::to_string(entry->minpt);
        stream.records.push_back(std::move(r));
    }

    Items items_;
    std::vector<double> points_ = std::vector<double>(3 * nsz); // a record's coordinates
    const std::string& file_;
    std::string where_;
    int lastjob_ = 0;
};

// Circle records to chart, Cartesian and polar.
bool circlejob(int job) {
    const jobinfo* entry = findjob(job);
    return entry->kind == jobkind::evaluation && entry->shape == feature::circle;
}

bool studyjob(int job) {
    const jobkind kind = findjob(job)->kind;
    return kind == jobkind::montecarlo || kind == jobkind::perturbation ||
           kind == jobkind::sampling;
}

bool formjob(int job) {
    const feature shape = findjob(job)->shape;
    return shape == feature::line || shape == feature::plane;
}

// Why the roundness plot leaves a circle record out, or nothing.
std::string unplotted(const JobRecord& r) {
    if (r.numpt > nsz)
        return std::to_string(r.numpt) + " points exceed formeval's limit of " +
               std::to_string(nsz);
    for (const auto& coordinate : r.c)
        for (const double c : coordinate)
            if (std::fabs(c) > maxcoordinate)
                return "a coordinate beyond +-1e100, outside the range the evaluations can handle";
    if (r.numpt < minplotpoints)
        return std::to_string(r.numpt) + " points are too few; the four circles need at least " +
               std::to_string(minplotpoints);
    return "";
}

} // namespace

std::string recordname(const JobRecord& r) {
    return "job " + std::to_string(r.job) + " (job " + std::to_string(r.ordinal) +
           " of the stream, line " + std::to_string(r.line) + ")";
}

RecordStream readrecords(std::istream& in, const std::string& file) {
    StreamReader reader(in, file);
    RecordStream stream = reader.read();
    if (in.bad()) throw FileError(file, 0, "the file could not be read to its end");
    return stream;
}

JobStream sortrecords(RecordStream all) {
    JobStream stream;
    stream.jobs = all.jobs;
    auto unknown = all.unknown.begin();
    for (JobRecord& r : all.records) {
        for (; unknown != all.unknown.end() && unknown->ordinal < r.ordinal; ++unknown)
            stream.notes.push_back(unknown->text);
        if (studyjob(r.job)) {
            // A study formeval runs, for matching to its block of results.
            if (r.refused.empty()) stream.studies.push_back(std::move(r));
            continue;
        }
        if (formjob(r.job)) {
            if (!r.refused.empty()) {
                stream.notes.push_back(recordname(r) + ": not plotted: " + r.refused);
                ++stream.unplotted;
            } else {
                stream.forms.push_back(std::move(r));
            }
            continue;
        }
        if (!circlejob(r.job)) continue;
        std::string why = unplotted(r);
        if (why.empty()) why = r.refused;
        if (!why.empty()) {
            stream.notes.push_back(recordname(r) + ": not plotted: " + why);
            ++stream.unplotted;
            continue;
        }
        stream.circles.push_back(std::move(r));
    }
    for (; unknown != all.unknown.end(); ++unknown) stream.notes.push_back(unknown->text);
    return stream;
}

} // namespace formeval::report
