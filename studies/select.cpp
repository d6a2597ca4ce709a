// Simple random sampling without replacement: draw a position among the
// indices not yet drawn, kept in increasing order, and remove it from them.
#include "random/random.h"
#include "studies/studies.h"

#include <algorithm>

namespace formeval {

int select(int* pno, int numpt) {
    const int sampno = samplesize(static_cast<int>(instructions(asint).sampno), numpt);
    int a[nsz];
    for (int i = 0; i < numpt; ++i) a[i] = i;
    for (int j = 0; j < sampno; ++j) {
        const int left = numpt - j;
        const float x = lcgrand(0) * static_cast<float>(left);
        const int nn = static_cast<int>(x); // 0 <= nn < left: the float product stays below left
        pno[j] = a[nn];
        std::copy(a + nn + 1, a + left, a + nn);
    }
    for (int j = 0; j < sampno; ++j) {
        std::cout << pno[j] << "\t";
        imfile << pno[j] << "\t";
    }
    std::cout << "\n";
    return sampno;
}

} // namespace formeval
