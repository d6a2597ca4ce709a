// Progress reports on standard error for long inputs.
#include "report/common/common.h"

#include <algorithm>
#include <iostream>
#include <unistd.h>

namespace formeval::report {

Progress::Progress(std::ostream& out, std::string what, std::uintmax_t total, bool enabled,
                   std::string items)
    : out_(out), what_(std::move(what)), items_(std::move(items)), total_(total),
      enabled_(enabled && total > 0), terminal_(&out == &std::cerr && ::isatty(STDERR_FILENO)) {}

// A report cut short by an error ends its line without claiming completion.
Progress::~Progress() {
    if (enabled_ && !finished_ && terminal_ && shown_ >= 0) out_ << "\n" << std::flush;
}

void Progress::update(std::uintmax_t done) {
    if (!enabled_ || finished_) return;
    done = std::min(done, total_);
    const int percent = static_cast<int>(done * 100 / total_);
    const int shown =
        terminal_ ? (items_.empty() ? percent : static_cast<int>(done)) : percent / 10;
    if (shown == shown_) return;
    shown_ = shown;
    out_ << (terminal_ ? "\r" : "") << "formreport: " << what_ << ": ";
    if (!items_.empty()) out_ << done << " of " << total_ << " " << items_ << ", ";
    out_ << percent << " %" << (terminal_ ? "   " : "\n") << std::flush;
}

void Progress::finish() {
    if (!enabled_ || finished_) return;
    update(total_);
    finished_ = true;
    if (terminal_) out_ << "\n" << std::flush;
}

} // namespace formeval::report
