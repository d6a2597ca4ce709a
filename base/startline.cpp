// Line tracking for result.txt. The evaluations write their items with the
// line break first, the studies end their lines with one; a study that starts
// after an evaluation must not glue its first number to the evaluation's last.
// result.txt's stream therefore writes through a buffer that remembers whether
// the last character written was a line break.
#include "base/base.h"

#include <streambuf>

namespace formeval {

namespace {

class LineEnd : public std::streambuf {
  public:
    void bind(std::streambuf* target, bool midline) {
        target_ = target;
        midline_ = midline;
    }
    bool midline() const { return midline_; }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        midline_ = traits_type::to_char_type(c) != '\n';
        return target_ ? target_->sputc(traits_type::to_char_type(c)) : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (n > 0) midline_ = s[n - 1] != '\n';
        return target_ ? target_->sputn(s, n) : 0;
    }
    int sync() override { return target_ ? target_->pubsync() : -1; }

  private:
    std::streambuf* target_ = nullptr;
    bool midline_ = false;
};

LineEnd resultline;

} // namespace

void bindresult(std::streambuf* target, bool midline) {
    resultline.bind(target, midline);
    ofile.rdbuf(target ? &resultline : nullptr);
}

void startline() {
    if (resultline.midline()) ofile << '\n';
}

} // namespace formeval
