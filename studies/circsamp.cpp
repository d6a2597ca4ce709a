// The sampling pair: as many times as the job's table entry says, pick a
// sample of the measured points by the strategy it names, add coordinate
// noise where it says so, evaluate the sample with its circle computation and
// write the result line.
#include "base/record.h"
#include "studies/studies.h"

#include <algorithm>
#include <iostream>
#include <streambuf>

namespace formeval {

namespace {

using selection = int (*)(int* pn, int numpt);

// The selection routine of a strategy of the job table.
selection picker(sampling strategy) {
    switch (strategy) {
    case sampling::stratified:
        return selectstrat;
    case sampling::uniform:
        return selectunif;
    default:
        return select;
    }
}

// The console during the repetitions: every character passed on at once (an
// operator prompt is seen as it is written). An evaluation that leaves its
// last line open (a note) has it ended before the next repetition's line,
// which would otherwise run into it; what starts a line of its own anyway
// is left as it was.
class Watched : public std::streambuf {
  public:
    Watched() : to_(std::cout.rdbuf(this)) {}
    ~Watched() override { std::cout.rdbuf(to_); }
    Watched(const Watched&) = delete;
    Watched& operator=(const Watched&) = delete;

    // An evaluation starts; it has ended: did it leave a line open?
    void evaluating() { wrote_ = false; }
    void evaluated() { open_ = wrote_ && last_ != '\n'; }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        endline(ch);
        last_ = ch;
        wrote_ = true;
        return to_->sputc(ch);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (n <= 0) return 0;
        endline(s[0]);
        last_ = s[n - 1];
        wrote_ = true;
        return to_->sputn(s, n);
    }
    int sync() override { return to_->pubsync(); }

  private:
    void endline(char next) {
        if (open_ && next != '\n') to_->sputc('\n');
        open_ = false;
    }

    std::streambuf* to_;
    char last_ = '\n';
    bool wrote_ = false; // by the evaluation under way
    bool open_ = false;
};

// Says, in result.txt on a line of its own, why a repetition has no result.
void skipped(int ii, int size, int minpt) {
    std::cout << "\n";
    startline();
    both("Repetition ", ii, " not evaluated: a sample of ", size,
         " points is too small; the evaluation needs at least ", minpt, "\n");
}

} // namespace

void circsamp(const jobinfo& job, const char* start) {
    const bool noisy = job.noise == coordinatenoise::added;
    const int minpt = job.circle->minpt;
    recordpoints p;
    if (!startjob(job, std::string(start) + "\n", p)) return;
    const auto& [u, v, unused, numpt] = p;
    if (!studystart(job.code, noisy ? asint | asreal : asint)) return;
    const int sampno = static_cast<int>(instructions(asint).sampno);
    if (sampno >= 1 && sampno < minpt) {
        both("\n", "Job ", job.code, " not evaluated: a sample of ", sampno,
             " points is too small; the evaluation needs at least ", minpt);
        return;
    }

    const selection pick = picker(job.strategy);
    int pno[nsz];
    double uu[nsz];
    double vv[nsz];
    double uuu[nsz];
    double vvv[nsz];
    Circlefit ans;
    const int repetitions = std::min(job.repetitions, repetitionlimit);
    Watched console;
    for (int ii = 0; ii < repetitions && !stoprequest(); ++ii) {
        imfile << "\n" << ii << "\t";
        const int size = pick(pno, numpt);
        for (int k = 0; k < size; ++k) {
            uu[k] = u[pno[k]];
            vv[k] = v[pno[k]];
        }
        if (noisy) std::cout << ii << "\n";
        if (size < minpt) {
            skipped(ii, size, minpt);
            continue;
        }
        if (noisy) addrand(uu, vv, size, uuu, vvv);
        oqt = 0;
        console.evaluating();
        job.circle->function(noisy ? uuu : uu, noisy ? vvv : vv, size, ans);
        console.evaluated();
        resultline(ii, ans);
    }
}

} // namespace formeval
