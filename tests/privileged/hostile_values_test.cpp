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
// records its arguments instead of running anything.
class HostileValues : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp.path().empty());
        fs::create_directory(compat);
        test_support::writeExecutable(compat / "sudo",
                                      "#!/bin/sh\nprintf '%s\\0' \"$@\" > \"${0%/*}/record\"\n");
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
        };
    }

    // Runs the statement and gives back the arguments the stand-in received.
    std::vector<std::string> recorded(const std::string& source) {
        fs::remove(record);
        const auto result = PosixScriptInterpreter(compat).execute(source);
        EXPECT_TRUE(result.ok) << result.error;
        std::vector<std::string> arguments;
        const std::string text = test_support::readFile(record);
        for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
             start = end + 1) {
            arguments.push_back(text.substr(start, end - start));
        }
        EXPECT_FALSE(fs::exists(canary)) << "a value ran as a command";
        return arguments;
    }

    std::vector<std::string> createArguments(const std::string& value) const {
        return {tool.string(), "create",          "--l2tp",     "Tidewaterlink", "--endpoint",
                value,         "--force",         "--username", value,           "--password",
                value,         "--shared-secret", "psk731"};
    }

    TempFolder temp;
    fs::path compat = temp / "compat";
    fs::path record = compat / "record";
    fs::path canary = temp / "canary";
    // The bundle may sit anywhere, so its path is hostile too.
    fs::path tool = temp / "it's \"a\" $(touch canary) `touch canary`; ü" / "macosvpn";
};

// Privileged statements too, in the administrator pair as well, where they run
// directly (as root).
TEST_F(HostileValues, ReachTheToolAsExactlyTheirArguments) {
    for (const auto& value : values()) {
        SCOPED_TRACE(value);
        const auto create = commands::createService(tool.string(), value, value, value);
        EXPECT_EQ(recorded(plainScript(create)), createArguments(value));
        EXPECT_EQ(recorded(plainScript(commands::copyTool(value))),
                  (std::vector<std::string>{"cp", value, "/usr/local"}));
        if (::geteuid() == 0) {
            EXPECT_EQ(recorded(privilegedScript(create, value, value)), createArguments(value));
        }
    }
}

}  // namespace
}  // namespace twl
