// Privileged statements through the real interpreter and the real sudo, run by
// throwaway users inside a private mount namespace. That the password is on no
// command line or environment is watched on the whole road (tests/e2e).
#include <signal.h>
#include <sys/wait.h>

#include "platform/posix/posix_script_interpreter.h"
#include "privileged/script_runner.h"
#include "sandboxed_test.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using nlohmann::json;
using SudoElevation = test_support::SandboxedTest;

json outcome(const ScriptResult& result) {
    return {{"ok", result.ok}, {"descriptor", result.descriptor}, {"error", result.error}};
}

TEST_F(SudoElevation, RightPasswordRunsAsRootAndNothingElseRunsAtAll) {
    const auto& user = system.asker();
    const std::tuple<const char*, std::string, std::string> refused[] = {
        {"wrong password", user.name, user.password + "x"},
        {"empty password", user.name, ""},
        {"another user name", system.trusted().name, user.password},
        {"password with a line break", user.name, user.password + "\nx"},
        {"password with a NUL", user.name, user.password + std::string(1, '\0') + "x"},
    };
    const json seen = as(user, [&] {
        PosixScriptInterpreter shell("");
        json cases{
            {"right", outcome(shell.execute(privilegedScript("id -u", user.name, user.password)))}};
        for (const auto& [name, userName, password] : refused) {
            const auto trace = system.drop() / name;
            cases[name] = outcome(shell.execute(
                privilegedScript("touch '" + trace.string() + "'", userName, password)));
            cases[name]["ran"] = fs::exists(trace);
        }
        return cases;
    });
    EXPECT_EQ(seen.at("right"), outcome({true, "0\n", ""}));
    for (const auto& [name, userName, password] : refused) {
        const json& attempt = seen.at(name);
        EXPECT_FALSE(attempt["ok"]) << attempt;
        EXPECT_FALSE(attempt["ran"]) << attempt;
        EXPECT_TRUE(attempt["error"].get<std::string>().starts_with("authorisation failed"))
            << attempt;
    }
}

// With a password that sudo reads, and with a NOPASSWD rule that leaves the
// password unread in sudo's stdin.
TEST_F(SudoElevation, CommandCannotReadThePasswordFromItsStdin) {
    for (const auto* user : {&system.asker(), &system.trusted()}) {
        const json seen = as(*user, [&] {
            return outcome(PosixScriptInterpreter("").execute(
                privilegedScript("cat; readlink /proc/$$/fd/0", user->name, user->password)));
        });
        EXPECT_EQ(seen, outcome({true, "/dev/null\n", ""})) << user->name;
    }
}

// Sudo runs the command out of the client's reach: the relayed SIGTERM ends
// it, and a command that ignores that outlives sudo without holding the client.
TEST_F(SudoElevation, CommandOutlivingItsTimeIsStoppedThroughSudo) {
    const auto& user = system.asker();
    const json seen = as(user, [&] {
        PosixScriptInterpreter shell("", ScriptLimits{5s, 2s});
        json cases = json::array();
        for (const char* command :
             {"echo $$; exec sleep 59", "trap '' TERM; echo $$; exec sleep 58"}) {
            cases.push_back(
                outcome(shell.execute(privilegedScript(command, user.name, user.password))));
            int status = 0;
            cases.back()["no child left"] = ::waitpid(-1, &status, WNOHANG) == -1;
        }
        return cases;
    });
    ASSERT_EQ(seen.size(), 2u) << seen;
    for (const json& stopped : seen) {
        EXPECT_FALSE(stopped["ok"]) << stopped;
        EXPECT_EQ(stopped["error"], "the command was stopped after 5 s");
        EXPECT_TRUE(stopped["no child left"]);
    }
    const pid_t relayed = std::stoi(seen[0]["descriptor"].get<std::string>());
    EXPECT_TRUE(test_support::endsSoon(relayed)) << "the relayed SIGTERM reached the command";
    // What survived is ours to end, by its id.
    for (const json& stopped : seen) {
        const auto pid = stopped["descriptor"].get<std::string>();
        if (test_support::readFile("/proc/" + pid + "/cmdline").starts_with("sleep")) {
            ::kill(std::stoi(pid), SIGKILL);
        }
    }
}

}  // namespace
}  // namespace twl
