// The dispatcher: reads job codes from the job stream one after another and
// runs the job each selects, until the stream ends.
#include "circles/circles.h"
#include "driver/driver.h"
#include "form/form.h"
#include "studies/studies.h"

#include <istream>
#include <ostream>

namespace formeval {

namespace {

void dispatch(int nchois) {
    switch (nchois) {
    case 0:
        break;
    case 1000:
        mzst();
        break;
    case 2000:
        mzcir();
        break;
    case 2500:
        mzcirco();
        break;
    case 2510:
    case 2511:
    case 2512:
        mzcircun(nchois);
        break;
    case 2520:
        mzcircunptb();
        break;
    case 2550:
    case 2560:
    case 2570:
        mzsampstrat(nchois);
        break;
    case 2555:
    case 2565:
    case 2575:
        mzsampunstrat(nchois);
        break;
    case 2600:
        lscirco();
        break;
    case 2610:
    case 2611:
    case 2612:
        lscircun(nchois);
        break;
    case 2620:
        lscircunptb();
        break;
    case 2700:
        pkcirco();
        break;
    case 2710:
    case 2711:
    case 2712:
        pkcircun(nchois);
        break;
    case 2800:
        vacirco();
        break;
    case 2810:
    case 2811:
    case 2812:
        vacircun(nchois);
        break;
    case 3000:
        mzflt();
        break;
    case 4000:
        mzsph();
        break;
    case 4500:
        mzsphco();
        break;
    default:
        std::cout << "\nnchois=" << nchois << " does not fit into any programmed case\a";
        ofile << " does not fit into any programmed case";
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
