// Privileged statements through the real interpreter and the real sudo, run by
// throwaway users inside a private mount namespace.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <nlohmann/json.hpp>

#include "platform/posix/posix_script_interpreter.h"
#include "private_system.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using nlohmann::json;
using test_support::PrivateSystem;

json outcome(const ScriptResult& result) {
    return {{"ok", result.ok}, {"descriptor", result.descriptor}, {"error", result.error}};
}

class SudoElevation : public ::testing::Test {
  protected:
    void SetUp() override {
        auto why = system.enter();
        if (!why.empty() || !(why = system.addSudoUsers()).empty()) {
            GTEST_SKIP() << why;
        }
    }

    // Runs body as the user in a child process and gives back the JSON it
    // returned (null when the child did not end well).
    json as(const test_support::SandboxUser& user, const std::function<json()>& body) {
        const auto file = PrivateSystem::drop() / ("seen-" + std::to_string(++runs));
        const bool ended = PrivateSystem::runAs(user, [&] {
            std::ofstream(file) << body().dump(-1, ' ', false, json::error_handler_t::replace);
            return 0;
        });
        std::ifstream in(file);
        return ended ? json::parse(in, nullptr, false) : json();
    }

    PrivateSystem system;
    int runs = 0;
};

// The right password runs the command as root, with root's PATH though sudo
// keeps the caller's, and the command cannot read the password from its stdin,
// whether sudo read it or, under a NOPASSWD rule, left it unread. Nothing else
// runs at all.
TEST_F(SudoElevation, RightPasswordRunsAsRootAndNothingElseRunsAtAll) {
    for (const auto* user : {&system.asker(), &system.trusted()}) {
        const json seen = as(*user, [&] {
            return outcome(PosixScriptInterpreter("").execute(privilegedScript(
                "id -u; cat; readlink /proc/$$/fd/0; echo \"$PATH\"", user->name, user->password)));
        });
        EXPECT_EQ(seen, outcome({true, "0\n/dev/null\n/usr/sbin:/usr/bin:/sbin:/bin\n", ""}))
            << user->name;
    }
    const auto& user = system.asker();
    const std::tuple<const char*, std::string, std::string> refused[] = {
        {"wrong password", user.name, user.password + "x"},
        {"empty password", user.name, ""},
        {"another user name", system.trusted().name, user.password},
        {"password with a line break", user.name, user.password + "\nx"},
        {"password with a NUL", user.name, user.password + std::string(1, '\0') + "x"},
    };
    const json seen = as(user, [&] {
        json cases;
        for (const auto& [name, userName, password] : refused) {
            const auto trace = system.drop() / name;
            cases[name] = outcome(PosixScriptInterpreter("").execute(
                privilegedScript("touch '" + trace.string() + "'", userName, password)));
            cases[name]["ran"] = fs::exists(trace);
        }
        return cases;
    });
    for (const auto& [name, userName, password] : refused) {
        const json& attempt = seen.at(name);
        EXPECT_FALSE(attempt["ok"]) << attempt;
        EXPECT_FALSE(attempt["ran"]) << attempt;
        EXPECT_TRUE(attempt["error"].get<std::string>().starts_with("authorisation failed"))
            << attempt;
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
        const pid_t pid = std::stoi(stopped["descriptor"].get<std::string>());
        if (test_support::readFile("/proc/" + std::to_string(pid) + "/cmdline")
                .starts_with("sleep")) {
            ::kill(pid, SIGKILL);
        }
    }
}

// sudo's own log is the witness: neither sudo (the interpreter's and the
// command's) records a secret of the provisioning command, whether
// authorisation passes or fails, and the secrets' folder goes either way. The tool is a stand-in
// that records the mode and owner of each file it is given (and of its folder) and its content,
// and, while the whole chain (shell, sudo, shell, tool) is alive, which processes show a secret
// in their argv or environment; the arguments themselves are checked in hostile_values_test.cpp.
TEST_F(SudoElevation, ProvisioningKeepsTheSecretsOutOfSudosLog) {
    const auto& user = system.asker();
    const fs::path runtime = system.drop() / "run", tool = system.drop() / "macosvpn";
    fs::create_directory(runtime);
    ASSERT_EQ(::chown(runtime.c_str(), user.id, user.id) | ::chmod(runtime.c_str(), 0700), 0);
    test_support::writeExecutable(
        tool,
        "#!/bin/sh\nd=${0%/*}\n"
        "while [ $# -gt 1 ]; do case $1 in --*-file) stat -c '%a %u' \"$2\" \"${2%/*}\"; "
        "cat \"$2\"; echo;; esac; shift; done >> \"$d/files\"\n"
        "grep -laFf \"$d/secrets\" /proc/[0-9]*/cmdline /proc/[0-9]*/environ >> \"$d/leaks\"\n");
    const std::string password = "Acc0untPassw0rdQx";
    std::ofstream(system.drop() / "secrets") << password << "\npsk731\n" << user.password << "\n";
    for (const auto& adminPassword : {user.password + "x", user.password}) {
        EXPECT_EQ(as(user,
                     [&] {
                         const auto create =
                             commands::createService(tool.string(), "vpn.example.net", "alice");
                         PosixScriptInterpreter("", {}, {runtime})
                             .execute(privilegedScript(create, user.name, adminPassword),
                                      {.secrets = commands::createServiceSecrets(password)});
                         return json(fs::is_empty(runtime));
                     }),
                  true)
            << "the secrets' folder is gone";
    }
    const auto log = test_support::readFile(system.sudoLog());
    for (const auto& secret : {password, std::string("psk731"), user.password}) {
        EXPECT_EQ(log.find(secret), std::string::npos) << log;
    }
    EXPECT_NE(log.find("incorrect password attempt"), std::string::npos) << log;
    EXPECT_NE(log.find("COMMAND=" + tool.string() + " create"), std::string::npos) << log;

    const std::string owned =
        "600 " + std::to_string(user.id) + "\n700 " + std::to_string(user.id) + "\n";
    EXPECT_EQ(test_support::readFile(system.drop() / "files"),
              owned + password + "\n" + owned + "psk731\n");
    EXPECT_EQ(test_support::readFile(system.drop() / "leaks"), "");
}

}  // namespace
}  // namespace twl
