#include <gtest/gtest.h>
#include <stdio.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace twl {
namespace {

using nlohmann::json;

// What the sandbox helper saw in one scenario, case by case.
struct SandboxRun {
    std::string skip;
    std::map<std::string, json> cases;
    std::string transcript;
};

SandboxRun runSandbox(const std::string& scenario) {
    SandboxRun run;
    const std::string command = std::string(SUDO_SANDBOX) + " " + scenario;
    FILE* helper = ::popen(command.c_str(), "r");
    if (helper == nullptr) {
        ADD_FAILURE() << "cannot start " << command;
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
        } else if (entry.contains("case")) {
            run.cases[entry["case"]] = entry;
        }
    }
    return run;
}

#define SKIP_UNLESS_SANDBOXED(run)  \
    if (!(run).skip.empty()) {      \
        GTEST_SKIP() << (run).skip; \
    }

TEST(SudoElevation, RightPasswordRunsAsRootAndNothingElseRunsAtAll) {
    const auto run = runSandbox("credentials");
    SKIP_UNLESS_SANDBOXED(run);

    const auto& right = run.cases.at("right password");
    EXPECT_TRUE(right["ok"]) << right;
    EXPECT_EQ(right["descriptor"], "0\n");

    const char* refused[] = {"wrong password",
                             "empty password",
                             "another user name",
                             "root as user name",
                             "password with a line break",
                             "password with a NUL"};
    for (const char* name : refused) {
        const auto& attempt = run.cases.at(name);
        EXPECT_FALSE(attempt["ok"]) << attempt;
        EXPECT_FALSE(attempt["ran"]) << attempt;
        EXPECT_TRUE(attempt["error"].get<std::string>().starts_with("authorisation failed"))
            << attempt;
    }
}

TEST(SudoElevation, CommandCannotReadThePasswordFromItsStdin) {
    const auto run = runSandbox("stdin");
    SKIP_UNLESS_SANDBOXED(run);

    for (const char* name : {"asks for password", "NOPASSWD rule"}) {
        const auto& result = run.cases.at(name);
        EXPECT_TRUE(result["ok"]) << result;
        EXPECT_EQ(result["descriptor"], "/dev/null\n") << name;
        EXPECT_FALSE(result["holds password"]) << name;
    }
}

TEST(SudoElevation, PasswordNeverShowsInAnyCommandLineOrEnvironment) {
    const auto run = runSandbox("secrecy");
    SKIP_UNLESS_SANDBOXED(run);

    EXPECT_TRUE(run.cases.at("watched")["ok"]) << run.transcript;
    EXPECT_FALSE(run.cases.at("watched wrong password")["ok"]) << run.transcript;
    const auto& watch = run.cases.at("watch");
    EXPECT_TRUE(watch["saw command"]) << "the watch never overlapped the command: " << watch;
    EXPECT_EQ(watch["leaks"], json::array()) << watch;
}

TEST(SudoElevation, CommandOutlivingItsTimeIsStoppedThroughSudo) {
    const auto run = runSandbox("bound");
    SKIP_UNLESS_SANDBOXED(run);

    const auto& sleeps = run.cases.at("sleeps");
    EXPECT_FALSE(sleeps["ok"]) << sleeps;
    EXPECT_EQ(sleeps["error"], "the command was stopped after 5 s");
    EXPECT_TRUE(sleeps["command ended"]) << "the relayed SIGTERM reached the command";
    EXPECT_TRUE(sleeps["no child left"]);

    const auto& stubborn = run.cases.at("ignores SIGTERM");
    EXPECT_FALSE(stubborn["ok"]) << stubborn;
    EXPECT_EQ(stubborn["error"], "the command was stopped after 5 s");
    EXPECT_TRUE(stubborn["no child left"]);
}

}  // namespace
}  // namespace twl
