// The library's own helpers of open-profile filters: the checks of their
// arguments and the weighted Gaussian regression they share.
#pragma once

#include <vector>

namespace formeval::profile::detail {

// Throws std::invalid_argument as openfilter documents: sizes differ, a
// position or value not finite, positions not increasing, a cut-off not
// above 0 (`what` names the filter in the message).
void checkopen(const std::vector<double>& position, const std::vector<double>& value, double cutoff,
               const char* what = "open profile");

// The first-order Gaussian regression of openfilter with each point's
// Gaussian weight multiplied by weight[i] (all 1: openfilter itself). Where
// the weights of a window sum to nothing, `previous[i]` is kept (or the
// value itself when `previous` is empty).
std::vector<double> weightedregression(const std::vector<double>& position,
                                       const std::vector<double>& value,
                                       const std::vector<double>& weight, double cutoff,
                                       const std::vector<double>& previous);

// Solves A x = b in place for a symmetric positive definite pentadiagonal A
// given by its diagonal d, first and second superdiagonals e and f (sizes n,
// n - 1, n - 2), by LDL^T without pivoting; O(n).
class Pentadiagonal {
  public:
    Pentadiagonal(std::vector<double> d, std::vector<double> e, std::vector<double> f);
    void solve(std::vector<double>& b) const;

  private:
    std::vector<double> d_, l1_, l2_; // D and the two subdiagonals of L
};

} // namespace formeval::profile::detail
