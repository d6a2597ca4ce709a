// Evaluates one circle record with the four circle computations of
// formeval_core, silently: trace level 0, console and run files bound to
// buffers, console input closed so that an operator prompt takes its safe
// way out at once instead of waiting.
#include "report/report.h"

#include "circles/circles.h"
#include "driver/dispatch.h"
#include "driver/driver.h"
#include "form/form.h"

#include <iostream>
#include <sstream>

namespace formeval::report {

namespace {

// Binds the console and the run files to buffers for the lifetime of the
// object and restores the console afterwards.
class SilentConsole {
  public:
    SilentConsole()
        : coutbuf_(std::cout.rdbuf(&said_)), cinbuf_(std::cin.rdbuf(&noinput_)),
          imfilebuf_(imfile.rdbuf(&files_)) {
        std::cin.clear();
        bindresult(&files_, false);
    }
    ~SilentConsole() {
        std::cout.rdbuf(coutbuf_);
        std::cin.rdbuf(cinbuf_);
        std::cin.clear();
        bindresult(nullptr, false);
        imfile.rdbuf(imfilebuf_);
    }
    SilentConsole(const SilentConsole&) = delete;
    SilentConsole& operator=(const SilentConsole&) = delete;

    // What was written on the console since the last call.
    std::string said() {
        std::string text = said_.str();
        said_.str("");
        return text;
    }

  private:
    std::stringbuf said_, noinput_, files_;
    std::streambuf* coutbuf_;
    std::streambuf* cinbuf_;
    std::streambuf* imfilebuf_;
};

constexpr std::array<circcal, nreferences> computations = {lscircocal, mzcircocal, pkcircocal,
                                                           vacircocal};

} // namespace

Evaluation evaluate(const CircleRecord& record) {
    Evaluation e;
    const int numpt = static_cast<int>(record.x.size());
    if (numpt < minplotpoints || numpt > nsz || record.y.size() != record.x.size()) {
        e.failure = "the record holds " + std::to_string(numpt) +
                    " points; the four circles need " + std::to_string(minplotpoints) + " to " +
                    std::to_string(nsz);
        return e;
    }
    {
        SilentConsole silent;
        // Points on one line make the fits singular and the exchange loop
        // until its prompt; formeval's circle jobs refuse them first too.
        if (!circledetermined(record.job, record.x.data(), record.y.data(), numpt)) {
            e.failure = "the points lie on one line (or all at one place); they determine no "
                        "circle";
            return e;
        }
        for (int k = 0; k < nreferences; ++k) {
            oqt = 0;
            cri = record.cri;
            problem = false;
            formeval::Circlefit ans;
            computations[k](record.x.data(), record.y.data(), numpt, ans);
            e.circles[k] = {ans[0], ans[1], ans[2], ans[3]};
            e.said[k] = silent.said();
            if (!circlefound(ans) && e.failure.empty())
                e.failure = std::string("no ") + referencenames[k] +
                            " circle fits these points: are they on one line or all at one place?";
        }
        problem = false;
    }
    e.ok = e.failure.empty();
    return e;
}

} // namespace formeval::report
