// The tool step against the real system: sudo, /bin/sh and a /usr/local of
// its own (see tool_step_sandbox.cpp).
#include <gtest/gtest.h>
#include <stdio.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace twl {
namespace {

using nlohmann::json;

struct SandboxRun {
    std::string skip;
    std::string toolBytes;
    std::map<std::string, json> cases;
    std::string transcript;
};

SandboxRun runSandbox() {
    SandboxRun run;
    FILE* helper = ::popen(TOOL_STEP_SANDBOX, "r");
    if (helper == nullptr) {
        ADD_FAILURE() << "cannot start " << TOOL_STEP_SANDBOX;
        return run;
    }
    char buffer[4096];
    for (std::size_t n; (n = ::fread(buffer, 1, sizeof buffer, helper)) > 0;) {
        run.transcript.append(buffer, n);
    }
    EXPECT_EQ(::pclose(helper), 0) << run.transcript;
    std::istringstream lines(run.transcript);
    for (std::string line; std::getline(lines, line);) {
        const json entry = json::parse(line, nullptr, false);
        if (entry.contains("skip")) {
            run.skip = entry["skip"];
        } else if (entry.contains("tool bytes")) {
            run.toolBytes = entry["tool bytes"];
        } else if (entry.contains("case")) {
            run.cases[entry["case"]] = entry;
        }
    }
    return run;
}

TEST(ToolStepOnTheSystem, TheMarkerAlternatesWithRightCredentialsAndStaysWithWrongOnes) {
    const auto run = runSandbox();
    if (!run.skip.empty()) {
        GTEST_SKIP() << run.skip;
    }
    struct Row {
        const char* name;
        bool before;
        bool after;
        bool confirmed;
    };
    const Row rows[] = {
        {"wrong password, no marker", false, false, false},
        {"first launch", false, true, true},  // copied from a folder with a blank
        {"wrong password, marker there", true, true, false},
        {"second launch", true, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(run.cases.contains(row.name)) << run.transcript;
        const json& seen = run.cases.at(row.name);
        EXPECT_EQ(seen["before"], row.before) << seen;
        EXPECT_EQ(seen["after"], row.after) << seen;
        EXPECT_EQ(seen["confirmed"], row.confirmed) << seen;
        EXPECT_EQ(seen["lines"], row.confirmed ? json::array({"-- is correct -- "}) : json::array())
            << seen;
    }
    EXPECT_EQ(run.cases.at("first launch")["copied bytes"], run.toolBytes);
}

}  // namespace
}  // namespace twl
