// The dispatcher: reads job codes from the job stream one after another and
// runs the job the job table gives each, until the stream ends.
#include "driver/dispatch.h"
#include "driver/driver.h"

#include <istream>
#include <ostream>

namespace formeval {

namespace {

void dispatch(int nchois) {
    const jobinfo* job = findjob(nchois);
    if (job == nullptr) {
        std::cout << "\nnchois=" << nchois << " does not fit into any programmed case\a";
        ofile << " does not fit into any programmed case";
    } else if (job->routine != nullptr) {
        job->routine(nchois);
    }
}

} // namespace

int runjobs() {
    int nchois = 0;
    bool broken = false;
    bool any = false;
    int last = 0;
    while (data >> nchois) {
        std::cout.precision(12);
        ofile.precision(12);
        dispatch(nchois);
        // Each job's lines reach the files before the next job starts, so a
        // later crash or kill cannot take them with it.
        ofile.flush();
        imfile.flush();
        if (data.fail()) {
            // The record broke the stream; readrecord has said where.
            broken = true;
            break;
        }
        any = true;
        last = nchois;
    }
    if (!broken && !data.eof()) {
        broken = true;
        std::cerr << "formeval: job stream broken: an item that is not an integer stands where a "
                     "job code was expected";
        if (any) std::cerr << " (after job " << last << ")";
        std::cerr << '\n';
    }
    std::cout << "\a";
    return broken ? 1 : 0;
}

} // namespace formeval
