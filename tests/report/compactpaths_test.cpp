// The report's compacted path data: exact texts of small paths, and the
// points of long random polylines read back within half a tenth.
#include "report/common/common.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace formeval::report {
namespace {

struct Case {
    const char* name;
    std::string in;
    std::string out;
};

class CompactPaths : public ::testing::TestWithParam<Case> {};

TEST_P(CompactPaths, Text) {
    EXPECT_EQ(compactpaths(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CompactPaths,
    ::testing::Values(
        Case{"Polyline", R"(<path d="M 224.5945 385.0002 L 224.2173 385.211 L 220.7381 385.434"/>)",
             R"(<path d="M 224.6 385 l -.4 .2 -3.5 .2"/>)"},
        // Steps from the rounded points: they add up to the rounded ends.
        Case{"StepsAddUp", R"(<path d="M 0.04 0 L 0.08 0 L 0.12 0 L 0.16 0"/>)",
             R"(<path d="M 0 0 l .1 0 0 0 .1 0"/>)"},
        Case{"ClosedTwice", R"(<path d="M 1 1 L 2 1 L 2 2 Z M 5 5 L 6 5 Z"/>)",
             R"(<path d="M 1 1 l 1 0 0 1 Z M 5 5 l 1 0 Z"/>)"},
        Case{"MoveToPairsAreLines", R"(<path d="M 1 1 2 2 3 3"/>)",
             R"(<path d="M 1 1 l 1 1 1 1"/>)"},
        Case{"ArcsStayAbsolute",
             R"(<path d="M 584.6241 385 A 239.6241 239.6241 0 1 0 105.3759 385 Z"/>)",
             R"(<path d="M 584.6 385 A 239.6 239.6 0 1 0 105.4 385 Z"/>)"},
        Case{"NegativeZeroIsZero", R"(<path d="M -0.04 0.01 L 0 0"/>)",
             R"(<path d="M 0 0 l 0 0"/>)"},
        Case{"HugeLeftAlone", R"(<path d="M 1e300 0 L 1 1"/>)", R"(<path d="M 1e300 0 L 1 1"/>)"},
        Case{"UnreadableLeftAlone", R"(<path d="M 1 1 L nan 2"/><text x="1.2345">d="no</text>)",
             R"(<path d="M 1 1 L nan 2"/><text x="1.2345">d="no</text>)"},
        Case{"OtherAttributesLeftAlone", R"(<rect x="0.12345" y="1" width="2.5555"/>)",
             R"(<rect x="0.12345" y="1" width="2.5555"/>)"}),
    test::namedby([](const Case& c) { return std::string(c.name); }));

// Reads compacted data of move-tos, relative line-tos and closes back into
// absolute points.
std::vector<std::pair<double, double>> readback(const std::string& d) {
    std::vector<std::pair<double, double>> out;
    std::istringstream in(d);
    std::string word;
    char command = 0;
    double x = 0, y = 0;
    while (in >> word) {
        if (word == "M" || word == "l" || word == "Z") {
            command = word[0];
            continue;
        }
        const double a = std::stod(word);
        in >> word;
        const double b = std::stod(word);
        x = command == 'M' ? a : x + a;
        y = command == 'M' ? b : y + b;
        out.emplace_back(x, y);
    }
    return out;
}

TEST(CompactPathsRandom, EveryPointWithinHalfATenth) {
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> at(-50, 1100);
    for (int trial = 0; trial < 20; ++trial) {
        std::ostringstream d;
        d.precision(9);
        std::vector<std::pair<double, double>> points;
        for (int i = 0; i < 2000; ++i) {
            points.emplace_back(at(gen), at(gen));
            d << (i == 0 ? "M " : " L ") << points.back().first << " " << points.back().second;
        }
        const std::string svg = compactpaths("<path d=\"" + d.str() + "\"/>");
        const std::string data = svg.substr(9, svg.size() - 12);
        const auto back = readback(data);
        ASSERT_EQ(back.size(), points.size());
        for (std::size_t i = 0; i < points.size(); ++i) {
            ASSERT_NEAR(back[i].first, points[i].first, 0.05 + 1e-9) << i;
            ASSERT_NEAR(back[i].second, points[i].second, 0.05 + 1e-9) << i;
        }
        EXPECT_LT(data.size(), d.str().size() * 0.6);
    }
}

} // namespace
} // namespace formeval::report
