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

// Every command the client issues, built from hostile values and run through
// the real interpreter and /bin/sh, must reach its program as exactly those
// values. A `sudo` in the compat folder stands in for the real one and
// records its arguments, and the secret files it is given, instead of running
// anything.
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
            "esac; "
            "done\n");
    }

    std::vector<std::string> values() const {
        const std::string touch = "touch " + canary.string();
        return {
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
    }

    // Runs the statement and gives back the arguments the stand-in received,
    // with each secret file's path replaced by its content.
    std::vector<std::string> recorded(const std::string& source,
                                      const std::vector<ScriptSecret>& secrets = {}) {
        fs::remove(record);
        const auto result = PosixScriptInterpreter(compat, {}, {runtime})
                                .execute(source, ScriptOptions{.secrets = secrets});
        EXPECT_TRUE(result.ok) << result.error;
        std::vector<std::string> arguments;
        const std::string text = test_support::readFile(record);
        for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
             start = end + 1) {
            arguments.push_back(text.substr(start, end - start));
            if (arguments.back().starts_with(runtime.string() + "/")) {
                arguments.back() =
                    test_support::readFile(compat / fs::path(arguments.back()).filename());
            }
        }
        EXPECT_FALSE(fs::exists(canary)) << "a value ran as a command";
        EXPECT_TRUE(fs::is_empty(runtime)) << "the secrets are gone";
        return arguments;
    }

    std::vector<std::string> createArguments(const std::string& value) const {
        return {tool.string(),     "create",     "--l2tp",
                "Tidewaterlink",   "--endpoint", value,
                "--force",         "--username", value,
                "--password-file", value,        "--shared-secret-file",
                "psk731"};
    }

    TempFolder temp;
    fs::path compat = temp / "compat";
    fs::path record = compat / "record";
    fs::path runtime = temp / "run";
    fs::path canary = temp / "canary";
    // The bundle may sit anywhere, so its path is hostile too.
    fs::path tool = temp / "it's \"a\" $(touch canary) `touch canary`; ü" / "macosvpn";
};

// Privileged statements too, in the administrator pair as well, where they run
// directly (as root).
TEST_F(HostileValues, ReachTheToolAsExactlyTheirArguments) {
    for (const auto& value : values()) {
        SCOPED_TRACE(value);
        const auto create = commands::createService(tool.string(), value, value);
        const auto secrets = commands::createServiceSecrets(value);
        EXPECT_EQ(recorded(plainScript(create), secrets), createArguments(value));
        EXPECT_EQ(recorded(plainScript(commands::copyTool(value))),
                  (std::vector<std::string>{"cp", value, "/usr/local"}));
        if (::geteuid() == 0) {
            EXPECT_EQ(recorded(privilegedScript(create, value, value), secrets),
                      createArguments(value));
        }
    }
}

}  // namespace
}  // namespace twl
