// Uniform spacing: a random start index, then equal steps of numpt / sampno
// indices around the circle. sampno * step <= numpt, so no index repeats.
#include "random/random.h"
#include "studies/studies.h"

namespace formeval {

int selectunif(int* pn, int numpt) {
    const int sampno = samplesize(static_cast<int>(instructions(asint).sampno), numpt);
    // The product of a 24-bit uniform and a count below 2^12 is exact in
    // double, and truncates like the product in extended precision.
    pn[0] = static_cast<int>(numpt * static_cast<double>(lcgrand(0)));
    std::cout << pn[0] << "\t";
    imfile << pn[0] << "\t";
    const int angle = numpt / sampno;
    for (int i = 1; i < sampno; ++i) {
        pn[i] = pn[i - 1] + angle;
        if (pn[i] >= numpt) pn[i] -= numpt;
    }
    return sampno;
}

} // namespace formeval
