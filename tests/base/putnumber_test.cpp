// Numbers for the console and the run files.
#include "base/base.h"
#include "base/record.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

// Numbers are written exactly as formatted stream output writes them, at
// the precisions the program uses: random bit patterns, and values at the
// edges of rounding, of notation and of range.
TEST(Numbers, WrittenAsTheStreamWritesThem) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  0.1,
                                  1e-5,
                                  1e-4,
                                  9.99999e-5,
                                  1e15,
                                  1e16,
                                  1e17,
                                  123456789012.5,
                                  999999999999.5,
                                  9.9999999999995,
                                  0.000123456789012345,
                                  5e-324,
                                  2.2250738585072014e-308,
                                  1.7976931348623157e308,
                                  25.0001279366,
                                  2.5,
                                  0.5,
                                  1.5e-7,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN(),
                                  -std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 gen(12);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = gen();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
        values.push_back(std::ldexp(static_cast<double>(bits >> 11), -40));
    }
    for (const int precision : {6, 12, 17}) {
        for (const double v : values) {
            std::ostringstream mine, theirs;
            mine.precision(precision);
            theirs.precision(precision);
            putnumber(mine, v);
            theirs << v;
            ASSERT_EQ(mine.str(), theirs.str()) << precision;
        }
    }
    for (const int v : {0, -1, 7, 2147483647, -2147483647 - 1}) {
        std::ostringstream mine, theirs;
        putnumber(mine, v);
        theirs << v;
        EXPECT_EQ(mine.str(), theirs.str());
    }
}

} // namespace
} // namespace formeval
