// The bundled example (examples/demo) against its expected output, kept in
// tests/data/golden/demo: the whole run, and what each record adds to the
// console, result.txt and intres.txt. A record's output depends on the records
// before it (the trace level, the random streams and where result.txt's last
// line ends carry over), so the test of record k runs the example's first k
// records and its first k - 1, in scratch directories with the example's
// instructions.txt and the console closed, and compares the bytes the k-th
// adds. Each test so stands alone, and a change shows in the records whose
// output it changes.
//
// FORMEVAL_GOLDEN_UPDATE=1 writes the files instead of comparing them, from the
// executable FORMEVAL_GOLDEN_EXE names (default: the one this build made);
// tests/examples/regenerate.sh does that.
#include "tests/harness/harness.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace formeval::test {
namespace {

const std::string demo = FORMEVAL_SOURCE_DIR "/examples/demo/";
const std::string golden = FORMEVAL_SOURCE_DIR "/tests/data/golden/demo/";

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Record {
    int index; // from 1, in stream order
    std::string code;
    std::string text;
};

// The example's records: each starts on a line that begins with its job code;
// the point lines are indented.
std::vector<Record> records() {
    std::vector<Record> out;
    std::istringstream in(slurp(demo + "cir1.txt"));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != ' ' && line[0] != '\t')
            out.push_back({static_cast<int>(out.size()) + 1, line.substr(0, line.find(' ')), ""});
        if (!out.empty()) out.back().text += line + "\n";
    }
    return out;
}

bool updating() {
    const char* value = std::getenv("FORMEVAL_GOLDEN_UPDATE");
    return value && std::string(value) == "1";
}

Outcome rundemo(const std::string& jobs) {
    Run setup;
    setup.jobs = jobs;
    setup.instructions = slurp(demo + "instructions.txt");
    if (const char* exe = std::getenv("FORMEVAL_GOLDEN_EXE")) setup.executable = exe;
    return run(setup);
}

// Compares text with the expected file `name`, or writes the file.
void expectgolden(const std::string& name, const std::string& text) {
    if (updating()) {
        std::ofstream(golden + name, std::ios::binary) << text;
        return;
    }
    std::ifstream exists(golden + name);
    ASSERT_TRUE(exists) << golden + name << " is missing; tests/examples/regenerate.sh makes it";
    EXPECT_EQ(slurp(golden + name), text) << "output differs from " << name;
}

TEST(Demo, WholeRunGivesTheExpectedOutput) {
    const Outcome out = rundemo(slurp(demo + "cir1.txt"));
    EXPECT_EQ(0, out.status);
    EXPECT_EQ("", out.errors);
    expectgolden("run.console", out.console);
    expectgolden("run.result", out.result);
    expectgolden("run.intres", out.intres);
}

TEST(Demo, RecordsMakeUpTheExample) {
    std::string joined;
    for (const Record& r : records()) joined += r.text;
    EXPECT_EQ(slurp(demo + "cir1.txt"), joined);
    EXPECT_EQ(9u, records().size());
}

class DemoRecord : public testing::TestWithParam<Record> {};

TEST_P(DemoRecord, AddsTheExpectedOutput) {
    const Record& record = GetParam();
    const std::vector<Record> all = records();
    std::string before;
    for (int i = 0; i + 1 < record.index; ++i) before += all[static_cast<size_t>(i)].text;
    const Outcome earlier = rundemo(before);
    const Outcome upto = rundemo(before + record.text);
    ASSERT_EQ(0, earlier.status);
    ASSERT_EQ(0, upto.status);
    EXPECT_EQ("", upto.errors);

    // A run ends with the console bell; before it stands the earlier records'
    // output, unchanged by the record that follows them.
    ASSERT_EQ('\a', earlier.console.back());
    ASSERT_EQ('\a', upto.console.back());
    const std::string head = earlier.console.substr(0, earlier.console.size() - 1);
    ASSERT_EQ(head, upto.console.substr(0, head.size()));
    ASSERT_EQ(earlier.result, upto.result.substr(0, earlier.result.size()));
    ASSERT_EQ(earlier.intres, upto.intres.substr(0, earlier.intres.size()));

    const std::string name = "record" + std::to_string(record.index) + "-" + record.code;
    expectgolden(name + ".console",
                 upto.console.substr(head.size(), upto.console.size() - 1 - head.size()));
    expectgolden(name + ".result", upto.result.substr(earlier.result.size()));
    expectgolden(name + ".intres", upto.intres.substr(earlier.intres.size()));
}

INSTANTIATE_TEST_SUITE_P(Demo, DemoRecord, testing::ValuesIn(records()),
                         [](const testing::TestParamInfo<Record>& info) {
                             return "Record" + std::to_string(info.param.index) + "_Job" +
                                    info.param.code;
                         });

} // namespace
} // namespace formeval::test
