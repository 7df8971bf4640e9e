#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/posix/posix_script_interpreter.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using test_support::TempFolder;

// The compat folder holds a `sudo` that records its arguments (and the
// content of the secret files it is given) instead of running anything.
class HostileValues : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp.path().empty());
        fs::create_directory(compat);
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        test_support::writeExecutable(
            compat / "sudo",
            "#!/bin/sh\nd=${0%/*}; printf '%s\\0' \"$@\" > \"$d/record\"\n"
            "for a; do case $a in */tidewaterlink-secrets-*/*) cat \"$a\" > \"$d/${a##*/}\";; "
            "esac; done\n");
    }

    // Runs the statement and gives back the arguments the stand-in received,
    // with each secret file's path replaced by its content.
    std::vector<std::string> recorded(const std::string& source,
                                      const std::vector<ScriptSecret>& secrets = {}) {
        fs::remove(compat / "record");
        const auto result =
            PosixScriptInterpreter(compat, {}, {runtime}).execute(source, {.secrets = secrets});
        EXPECT_TRUE(result.ok) << result.error;
        auto arguments = test_support::lines(test_support::readFile(compat / "record"), '\0');
        for (auto& argument : arguments) {
            if (argument.starts_with(runtime.string() + "/")) {
                argument = test_support::readFile(compat / fs::path(argument).filename());
            }
        }
        EXPECT_FALSE(fs::exists(temp / "canary")) << "a value ran as a command";
        EXPECT_TRUE(fs::is_empty(runtime)) << "the secrets are gone";
        return arguments;
    }

    TempFolder temp;
    fs::path compat = temp / "compat";
    TempFolder inMemory{test_support::memoryFolder};
    fs::path runtime = inMemory / "run";
};

// Every command the client issues, built from hostile values, must reach its
// program as exactly those values; privileged statements too, where they run
// directly (as root). The bundle may sit anywhere, so its path is hostile too.
TEST_F(HostileValues, ReachTheToolAsExactlyTheirArguments) {
    const fs::path tool = temp / "it's \"a\" $(touch canary) `touch canary`; ü" / "macosvpn";
    const std::string touch = "touch " + (temp / "canary").string();
    const std::string values[] = {
        "it's \"quoted\"",
        "back\\slash\\\\ and \\\" and \\n",
        "$(" + touch + ")",
        "x; " + touch + " && " + touch + " | " + touch,
        "line\n" + touch,
        "  blanks  and\ttabs ",
        "",
        "--force",
        "*",
        "$HOME ~",
        "$HOME",
        "a;b",
        "`id`",
    };
    for (const auto& value : values) {
        SCOPED_TRACE(value);
        const auto create = commands::createService(tool.string(), value, value);
        const auto secrets = commands::createServiceSecrets(value);
        const std::vector<std::string> arguments{tool,         "create",
                                                 "--l2tp",     "Tidewaterlink",
                                                 "--endpoint", value,
                                                 "--force",    "--username",
                                                 value,        "--password-file",
                                                 value,        "--shared-secret-file",
                                                 "psk731"};
        EXPECT_EQ(recorded(plainScript(create), secrets), arguments);
        EXPECT_EQ(recorded(plainScript(commands::copyTool(value))),
                  (std::vector<std::string>{"cp", value, "/usr/local"}));
        if (::geteuid() == 0) {
            EXPECT_EQ(recorded(privilegedScript(create, value, value), secrets), arguments);
        }
    }
}

}  // namespace
}  // namespace twl
