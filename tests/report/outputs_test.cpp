// Outputs never destroy: an output that is an input, a link to one, a
// directory, a device or standard output is refused before anything is
// written; a report with no part leaves the old one; charts of inputs that
// share a stem are refused before any is drawn; a picture that cannot be
// written is a message and a status, never an abort. Inputs that are no
// regular file (a pipe with no writer would block for ever, a device never
// end) or too large for what they are, are refused at once. Each case checks
// that every file it made is still there as it was.
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace formeval::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* ring = "x,y\n1,0\n0.5,0.866\n-0.5,0.866\n-1,0\n-0.5,-0.866\n0.5,-0.8661\n";
constexpr const char* oldreport = "<html>the report filed yesterday</html>\n";

struct OutputCase {
    std::string name;
    std::function<void(const Workdir&)> setup; // besides part.csv and old.html
    std::vector<std::string> args;
    int status;
    std::string says;                // on standard error
    std::vector<std::string> absent; // paths the refused run must not make
};

class Outputs : public ::testing::TestWithParam<OutputCase> {};

TEST_P(Outputs, AreRefusedAndNothingIsLost) {
    const OutputCase& c = GetParam();
    Workdir dir;
    dir.write("part.csv", ring);
    dir.write("old.html", oldreport);
    if (c.setup) c.setup(dir);
    const ReportOutcome o = report(c.args);
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    EXPECT_EQ(test::readfile(dir.path() / "part.csv"), ring);
    EXPECT_EQ(test::readfile(dir.path() / "old.html"), oldreport);
    for (const std::string& p : c.absent) EXPECT_FALSE(fs::exists(dir.path() / p)) << p;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().string().find(".part-"), std::string::npos) << entry.path();
}

void link(const std::string& target, const std::string& name) {
    fs::create_symlink(target, name);
}

void pipe(const std::string& name) {
    ASSERT_EQ(::mkfifo(name.c_str(), 0644), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Refused, Outputs,
    ::testing::Values(
        OutputCase{"ReportOverItsInput",
                   nullptr,
                   {"report", "part.csv", "--feature", "circle", "-o", "part.csv"},
                   2,
                   "formreport: part.csv: is one of the inputs (part.csv); writing it would "
                   "destroy it",
                   {}},
        OutputCase{"ReportOverALinkToItsInput",
                   [](const Workdir&) { link("part.csv", "link.html"); },
                   {"report", "part.csv", "--feature", "circle", "-o", "link.html"},
                   2,
                   "link.html: is one of the inputs (part.csv)",
                   {}},
        OutputCase{"ReportOverADirectory",
                   [](const Workdir&) { fs::create_directory("out.html"); },
                   {"report", "part.csv", "--feature", "circle", "-o", "out.html"},
                   2,
                   "out.html: is a directory, not a file; no output replaces it",
                   {}},
        OutputCase{"ReportOverADevice",
                   nullptr,
                   {"report", "part.csv", "--feature", "circle", "-o", "/dev/null"},
                   2,
                   "/dev/null: is not a regular file (a device, a pipe or a socket)",
                   {}},
        OutputCase{"ReportOverALinkToNothing",
                   [](const Workdir&) { link("gone.html", "dangling.html"); },
                   {"report", "part.csv", "--feature", "circle", "-o", "dangling.html"},
                   2,
                   "dangling.html: is a link to nothing",
                   {"gone.html"}},
        OutputCase{"ReportToStandardOutput",
                   nullptr,
                   {"report", "part.csv", "--feature", "circle", "-o", "-"},
                   2,
                   "-: standard output is not a file this command writes",
                   {"-"}},
        OutputCase{"ReportOfNoPartKeepsTheOldOne",
                   nullptr,
                   {"report", "missing.csv", "--feature", "circle", "-o", "old.html"},
                   1,
                   "no part was evaluated, so no report is written; old.html stays as it was",
                   {}},
        OutputCase{"TrendOverItsInput",
                   nullptr,
                   {"results", "part.csv", "--feature", "circle", "--trend", "part.csv"},
                   2,
                   "part.csv: is one of the inputs",
                   {}},
        OutputCase{"ChartsOfOneStem",
                   [](const Workdir& d) {
                       fs::create_directory("B");
                       d.write("B/part.txt", ring);
                   },
                   {"polar", "part.csv", "B/part.txt", "--feature", "circle", "-o", "plots"},
                   2,
                   "part.csv and B/part.txt would give their charts the same names",
                   {"plots"}},
        OutputCase{"HistogramsOfOneStem",
                   [](const Workdir& d) {
                       fs::create_directory("B");
                       d.write("B/part.csv", ring);
                   },
                   {"uncertainty", "part.csv", "B/part.csv", "--feature", "circle", "--unit", "mm",
                    "--sigma", "0.1um", "--trials", "20", "--histograms", "h"},
                   2,
                   "would give their charts the same names",
                   {"h"}},
        OutputCase{"ChartWhereADirectoryIs",
                   [](const Workdir&) { fs::create_directories("plots/part-circle.svg"); },
                   {"polar", "part.csv", "--feature", "circle", "-o", "plots"},
                   1,
                   "plots/part-circle.svg: is a directory, not a file",
                   {}},
        OutputCase{"HistogramWhereADirectoryIs",
                   [](const Workdir&) { fs::create_directories("h/part-diameter.svg"); },
                   {"uncertainty", "part.csv", "--feature", "circle", "--unit", "mm", "--sigma",
                    "0.1um", "--trials", "20", "--histograms", "h"},
                   1,
                   "h/part-diameter.svg: is a directory, not a file",
                   {}},
        OutputCase{"PointFileThatIsAPipe",
                   [](const Workdir&) { pipe("fifo.csv"); },
                   {"results", "fifo.csv", "--feature", "circle"},
                   1,
                   "fifo.csv: is not a regular file (a pipe, a device or a socket)",
                   {}},
        OutputCase{
            "HeaderThatIsAPipe",
            [](const Workdir&) { pipe("head.txt"); },
            {"report", "part.csv", "--feature", "circle", "--header", "head.txt", "-o", "new.html"},
            2,
            "--header: head.txt: is not a regular file",
            {"new.html"}},
        OutputCase{"HeaderThatIsADevice",
                   nullptr,
                   {"report", "part.csv", "--feature", "circle", "--header", "/dev/zero", "-o",
                    "new.html"},
                   2,
                   "--header: /dev/zero: is not a regular file",
                   {"new.html"}},
        OutputCase{"HeaderThatIsADirectory",
                   nullptr,
                   {"report", "part.csv", "--feature", "circle", "--header", ".", "-o", "new.html"},
                   2,
                   "--header: .: is a directory, not a file",
                   {"new.html"}},
        OutputCase{
            "HeaderTooLarge",
            [](const Workdir& d) { d.write("head.txt", "Part: " + std::string(70000, 'x')); },
            {"report", "part.csv", "--feature", "circle", "--header", "head.txt", "-o", "new.html"},
            2,
            "--header: head.txt: holds 70006 bytes, more than the 65536 bytes such a file "
            "may hold",
            {"new.html"}},
        OutputCase{"ModelThatIsADevice",
                   nullptr,
                   {"uncertainty", "part.csv", "--feature", "circle", "--unit", "mm", "--model",
                    "/dev/zero", "--trials", "20"},
                   1,
                   "formreport: /dev/zero: is not a regular file",
                   {}}),
    ::formeval::test::namedby([](const OutputCase& c) { return c.name; }));

struct EncodingCase {
    const char* name;
    std::string head;     // a file's first bytes
    const char* encoding; // named in the refusal; "" when read
};

class Encodings : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(Encodings, OfTextFormreportDoesNotRead) {
    const EncodingCase& c = GetParam();
    const std::string why = report::encodingrefusal(c.head);
    if (*c.encoding == '\0')
        EXPECT_EQ(why, "");
    else
        EXPECT_EQ(why, "is " + std::string(c.encoding) +
                           " text, which formreport does not read: save it as UTF-8 or ASCII");
}

INSTANTIATE_TEST_SUITE_P(
    Heads, Encodings,
    ::testing::Values(EncodingCase{"Utf16LittleMark",
                                   std::string("\xFF\xFE"
                                               "1\0",
                                               4),
                                   "UTF-16"},
                      EncodingCase{"Utf16BigMark",
                                   std::string("\xFE\xFF\0"
                                               "1",
                                               4),
                                   "UTF-16"},
                      EncodingCase{"Utf16Little", std::string("1\0,\0", 4), "UTF-16"},
                      EncodingCase{"Utf16Big",
                                   std::string("\0"
                                               "1\0,",
                                               4),
                                   "UTF-16"},
                      EncodingCase{"Utf32LittleMark", std::string("\xFF\xFE\0\0", 4), "UTF-32"},
                      EncodingCase{"Utf32BigMark", std::string("\0\0\xFE\xFF", 4), "UTF-32"},
                      EncodingCase{"Utf8Mark",
                                   "\xEF\xBB\xBF"
                                   "1",
                                   ""},
                      EncodingCase{"Ascii", "1,2\n", ""}, EncodingCase{"Short", "1", ""},
                      EncodingCase{"Empty", "", ""}, EncodingCase{"Latin1", "\xB5m,1", ""},
                      EncodingCase{"NulsInAscii", std::string("1 2\0\0", 5), ""}),
    ::formeval::test::namedby([](const EncodingCase& c) { return c.name; }));

// A report written through a link replaces the file the link leads to and
// leaves the link a link.
TEST(Outputs, AReportThroughALinkWritesItsFile) {
    Workdir dir;
    dir.write("part.csv", ring);
    dir.write("old.html", oldreport);
    link("old.html", "current.html");
    const ReportOutcome o =
        report({"report", "part.csv", "--feature", "circle", "-o", "current.html"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_TRUE(fs::is_symlink("current.html"));
    EXPECT_EQ(fs::read_symlink("current.html"), "old.html");
    EXPECT_EQ(test::readfile("old.html").rfind("<!DOCTYPE html>", 0), 0u);
}

} // namespace
} // namespace formeval::test
