// The items of the job stream: whole words read as stream extraction reads
// a word that holds nothing else.
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

template <class T> std::optional<T> extracted(const std::string& word) {
    std::istringstream in(word);
    T value{};
    if (!(in >> value) || in.peek() != std::char_traits<char>::eof()) return std::nullopt;
    return value;
}

TEST(Items, ReadAsStreamExtractionReadsAWholeWord) {
    const char* words[] = {"0",
                           "-0",
                           "+7",
                           "007",
                           "2147483647",
                           "2147483648",
                           "-2147483648",
                           "-2147483649",
                           "+-5",
                           "-+5",
                           "--5",
                           "++5",
                           "1.5",
                           "-.5",
                           ".5",
                           "5.",
                           ".",
                           "-",
                           "+",
                           "1e5",
                           "1E-5",
                           "1e",
                           "1e+",
                           "e5",
                           "1.5e3x",
                           "0x10",
                           "0x1p3",
                           "inf",
                           "nan",
                           "1e308",
                           "1e309",
                           "-1e309",
                           "1e-320",
                           "1e-400",
                           "4.9e-324",
                           "1.5-2",
                           "1,5",
                           "12abc",
                           "0.1",
                           "123456789012345678901234567890",
                           "2.2250738585072011e-308",
                           "0.000001",
                           "9007199254740993"};
    for (const char* word : words) {
        EXPECT_EQ(intvalue(word), extracted<int>(word)) << word;
        const std::optional<double> mine = realvalue(word);
        const std::optional<double> theirs = extracted<double>(word);
        ASSERT_EQ(mine.has_value(), theirs.has_value()) << word;
        if (mine) { EXPECT_EQ(std::memcmp(&*mine, &*theirs, sizeof(double)), 0) << word; }
    }
}

} // namespace
} // namespace formeval

namespace formeval {
namespace {

// A word as long as a file is not held whole: reading keeps its first
// maxword + 1 characters, which no number is, and leaves the stream failed,
// so that nothing after it is read. A number of maxword characters is read.
TEST(Items, AWordLongerThanAnyNumberIsCutAndBreaksTheStream) {
    const std::string longest = "1." + std::string(maxword - 3, '0') + "5";
    ASSERT_EQ(longest.size(), maxword);
    test::Session session(longest + " " + std::string(2000000, '7') + " 5");
    std::string word;
    ASSERT_TRUE(readword(word));
    EXPECT_EQ(realvalue(word), 1.0);
    ASSERT_TRUE(readword(word));
    EXPECT_EQ(word, std::string(maxword + 1, '7'));
    EXPECT_FALSE(intvalue(word));
    EXPECT_FALSE(realvalue(word));
    EXPECT_TRUE(data.fail());
    EXPECT_FALSE(readword(word));
    EXPECT_EQ(shownword(std::string(2000000, '7')), std::string(40, '7') + "...");
}

} // namespace
} // namespace formeval
