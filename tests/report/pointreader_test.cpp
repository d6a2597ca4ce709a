// Point files: the formats read (separators, headers, comments, chosen
// columns) and every refusal with its file:line:column message, exactly.
#include "report/commands/commands.h"
#include "report/pointfiles/pointfiles.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>
#include <sstream>

namespace formeval::report {
namespace {

struct ReadCase {
    const char* name;
    std::string text;
    std::vector<std::string> columns;
    int dimension;
    std::vector<double> coordinates; // read, when `message` is empty
    std::vector<std::string> names;
    const char* message; // what formreport says, or "" when read
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.name;
}

std::string said(const FileError& e) {
    std::ostringstream err;
    complain(err, e);
    return err.str();
}

class PointReaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(PointReaderTest, ReadsOrRefusesWithItsPlace) {
    const ReadCase& c = GetParam();
    std::istringstream in(c.text);
    try {
        const PointFile f = readpointfile(in, "p.csv", {c.columns, c.dimension});
        EXPECT_STREQ(c.message, "") << "read although it should be refused";
        EXPECT_EQ(f.coordinates, c.coordinates);
        EXPECT_EQ(f.names, c.names);
        EXPECT_EQ(f.count() * static_cast<std::size_t>(c.dimension), c.coordinates.size());
    } catch (const FileError& e) { EXPECT_EQ(said(e), c.message); }
}

const std::string longline = std::string(maxpointline + 1, '1') + "\n";

INSTANTIATE_TEST_SUITE_P(
    Formats, PointReaderTest,
    ::testing::Values(
        ReadCase{"CsvWithHeader",
                 "x_mm,y_mm\n1,2\n3.5,-4e-3\n",
                 {},
                 2,
                 {1, 2, 3.5, -4e-3},
                 {"x_mm", "y_mm"},
                 ""},
        ReadCase{"CrLfAndBlanksAroundFields",
                 "x , y\r\n 1 , 2 \r\n\r\n3,4\r\n",
                 {},
                 2,
                 {1, 2, 3, 4},
                 {"x", "y"},
                 ""},
        ReadCase{"HeaderNamesTwoAlikeColumnsChosenByNumber",
                 "x,y,x\n1,2,3\n",
                 {"1", "2", "3"},
                 3,
                 {1, 2, 3},
                 {"x", "y", "x"},
                 ""},
        ReadCase{"NoHeaderNoFinalLineBreak",
                 "1 2\n3 4",
                 {},
                 2,
                 {1, 2, 3, 4},
                 {"column 1", "column 2"},
                 ""},
        ReadCase{"Tabs", "x\ty\tz\n1\t2\t3\n", {}, 3, {1, 2, 3}, {"x", "y", "z"}, ""},
        ReadCase{
            "TabsApartNamesWithBlanks", "x mm\ty mm\n1\t 2\n", {}, 2, {1, 2}, {"x mm", "y mm"}, ""},
        ReadCase{"Underflow", "1 1e-400\n", {}, 2, {1, 0}, {"column 1", "column 2"}, ""},
        ReadCase{"RunsOfBlanksAndTabs",
                 "  1 \t 2 \t3\n4 5   6  \n",
                 {},
                 3,
                 {1, 2, 3, 4, 5, 6},
                 {"column 1", "column 2", "column 3"},
                 ""},
        ReadCase{"Semicolons", "1;2\n+3;.5\n", {}, 2, {1, 2, 3, 0.5}, {"column 1", "column 2"}, ""},
        ReadCase{"CommentsAndBlankLines",
                 "# probe 2\n\n1,2 # first\n  # none\n3,4\n",
                 {},
                 2,
                 {1, 2, 3, 4},
                 {"column 1", "column 2"},
                 ""},
        ReadCase{"ByteOrderMark", "\xEF\xBB\xBFx,y\n1,2\n", {}, 2, {1, 2}, {"x", "y"}, ""},
        ReadCase{
            "QuotedHeader", "\"i\",\"x\",\"y\"\n7,1,2\n", {"x", "y"}, 2, {1, 2}, {"x", "y"}, ""},
        ReadCase{"ColumnsByNumberInAnyOrder",
                 "1 2 3 4\n5 6 7 8\n",
                 {"4", "2", "3"},
                 3,
                 {4, 2, 3, 8, 6, 7},
                 {"column 4", "column 2", "column 3"},
                 ""},
        ReadCase{"TextBesideTheCoordinatesIsNoHeader",
                 "1,0.5,2,a b\n2,0.25,3,c\n",
                 {"2", "3"},
                 2,
                 {0.5, 2, 0.25, 3},
                 {"column 2", "column 3"},
                 ""},
        ReadCase{"ColumnsByNameBesideText",
                 "n,x,y,label\n1,0.5,2,a b\n",
                 {"x", "y"},
                 2,
                 {0.5, 2},
                 {"x", "y"},
                 ""}),
    test::namedby([](const ReadCase& c) { return std::string(c.name); }));

INSTANTIATE_TEST_SUITE_P(
    Refusals, PointReaderTest,
    ::testing::Values(
        ReadCase{"LinesEndedByCrAlone",
                 "x y\r1 2\r3 4\r5 7\r",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1: lines end in CR alone (old Mac text), which formreport "
                 "does not read: convert the line ends to LF or CR LF\n"},
        ReadCase{"OneLineEndedByCrAlone",
                 "1 2\n3 4\r5 7\n8 1\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:2: lines end in CR alone (old Mac text), which formreport "
                 "does not read: convert the line ends to LF or CR LF\n"},
        ReadCase{"MistypedFirstLineIsNoHeader",
                 "10.5,0.O\n0,1\n-1,0\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1:6: '0.O' is not a number (column 2)\n"},
        ReadCase{"SecondByteOrderMarkIsNoHeader",
                 "\xEF\xBB\xBF\xEF\xBB\xBF"
                 "1,2\n3,4\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1:1: '\xEF\xBB\xBF"
                 "1' is not a number (column 1)\n"},
        ReadCase{"ColumnNumbersAreDigits",
                 "1,2,3\n4,5,6\n",
                 {"1e0", "3"},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1: the file has no header line to name column '1e0'; give its "
                 "number from 1\n"},
        ReadCase{"OneColumnTwice",
                 "1,2,3\n4,5,6\n",
                 {"2", "2"},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1: column 2 is chosen for two coordinates: each needs a column "
                 "of its own\n"},
        ReadCase{"OneNameTwice",
                 "x,y,z\n1,2,3\n",
                 {"x", "y", "x"},
                 3,
                 {},
                 {},
                 "formreport: p.csv:1: column 1 is chosen for two coordinates: each needs a column "
                 "of its own\n"},
        ReadCase{"HeaderNamesTwoColumnsAlike",
                 "x,y,x\n1,2,3\n",
                 {},
                 3,
                 {},
                 {},
                 "formreport: p.csv:1: the header names more than one column 'x': say which with "
                 "--columns and its number from 1\n"},
        ReadCase{"NotANumber",
                 "x,y\n1,2\n3,1.2.3\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:3:3: '1.2.3' is not a number (column 2, y)\n"},
        ReadCase{"NotFinite",
                 "1 2\n  inf 4\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:2:3: 'inf' is not a finite number (column 1)\n"},
        ReadCase{"BeyondDouble",
                 "1 1e400\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1:3: '1e400' is not a finite number (column 2)\n"},
        ReadCase{"EmptyField",
                 "x,y\n1,\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:2:3: an empty field (column 2, y)\n"},
        ReadCase{"TooFewFields",
                 "1,2,3\n4,5\n",
                 {"1", "2", "3"},
                 3,
                 {},
                 {},
                 "formreport: p.csv:2:4: 2 fields where the file's first line has 3\n"},
        ReadCase{"TooManyFields",
                 "1 2\n3 4 5\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:2:5: 3 fields where the file's first line has 2\n"},
        ReadCase{"UnprintableBytesEscaped",
                 "1,2\n1,\x01\xff"
                 "abc\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:2:3: '\\x01\\xffabc' is not a number (column 2)\n"},
        ReadCase{"LongItemCut",
                 "1,2\n1," + std::string(50, '7') + "x\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:2:3: '7777777777777777777777777777777777777777...' is not a "
                 "number (column 2)\n"},
        ReadCase{"LineTooLong",
                 "1 2\n" + longline,
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:2:1: a line longer than 65536 bytes, which no point needs: "
                 "'1111111111111111111111111111111111111111...'\n"},
        ReadCase{"ColumnsNotChosen",
                 "a,b,c\n1,2,3\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1: the lines hold 3 fields; say which hold the 2 coordinates "
                 "with --columns (numbers from 1, or header names)\n"},
        ReadCase{"NoSuchColumnNumber",
                 "1,2,3\n",
                 {"1", "4"},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1: there is no column 4: the lines hold 3 fields\n"},
        ReadCase{"NoSuchColumnName",
                 "# scan\nx,y,z\n1,2,3\n",
                 {"x", "w"},
                 2,
                 {},
                 {},
                 "formreport: p.csv:2: the header names no column 'w': 'x,y,z'\n"},
        ReadCase{"NameWithoutHeader",
                 "1,2,3\n",
                 {"x", "y"},
                 2,
                 {},
                 {},
                 "formreport: p.csv:1: the file has no header line to name column 'x'; give "
                 "its number from 1\n"},
        ReadCase{"OnlyAHeader",
                 "x,y\n# nothing measured\n",
                 {},
                 2,
                 {},
                 {},
                 "formreport: p.csv: holds no point\n"},
        ReadCase{"Empty", "", {}, 2, {}, {}, "formreport: p.csv: holds no point\n"}),
    test::namedby([](const ReadCase& c) { return std::string(c.name); }));

// Lines that straddle the reader's buffer (a megabyte) are read whole: a
// file of many points reads back every one, in order, whatever the chunking.
TEST(PointReader, ReadsAcrossItsBuffer) {
    std::string text = "x,y,z\n";
    constexpr int n = 200000;
    for (int i = 0; i < n; ++i)
        text +=
            std::to_string(i) + ".25," + std::to_string(-i) + ",1e-" + std::to_string(i % 9) + "\n";
    std::istringstream in(text);
    const PointFile f = readpointfile(in, "big.csv", {{}, 3});
    ASSERT_EQ(f.count(), static_cast<std::size_t>(n));
    EXPECT_EQ(f.firstline, 2);
    EXPECT_EQ(f.lastline, n + 1);
    for (int i = 0; i < n; i += 9973) {
        EXPECT_EQ(f.coordinates[3 * i], i + 0.25);
        EXPECT_EQ(f.coordinates[3 * i + 1], -i);
        EXPECT_EQ(f.coordinates[3 * i + 2], std::stod("1e-" + std::to_string(i % 9)));
    }
}

} // namespace
} // namespace formeval::report
