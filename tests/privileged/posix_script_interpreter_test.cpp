#include "platform/posix/posix_script_interpreter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tuple>

#include "privileged/script_runner.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test_support::endsSoon;
using test_support::lines;
using test_support::TempFolder;

class PosixScriptInterpreterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(temp.path().empty());
        fs::create_directory(compat);
        test_support::writeExecutable(compat / "networksetup", "#!/bin/sh\n");
    }

    PosixScriptInterpreter interpreter(ScriptLimits limits = {}) const {
        return PosixScriptInterpreter(compat, limits);
    }

    TempFolder temp;
    fs::path compat = temp / "compat";
};

// Its output is kept, its stderr is not; a descriptor the client forgot to
// mark close-on-exec does not reach it. `ls` runs as a plain command: a
// pipeline would give the shell pipe ends of its own for a moment.
TEST_F(PosixScriptInterpreterTest, CommandRunsApartFromTheClient) {
    const int leaked = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 0);
    const auto result = interpreter().execute(
        plainScript("readlink /proc/$$/fd/0; echo $$; cut -d' ' -f5 /proc/$$/stat; "
                    "command -v networksetup; ls /proc/$$/fd; echo noise >&2; exit 3"));
    ::close(leaked);

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "the command failed with exit status 3");
    const auto out = lines(result.descriptor);
    ASSERT_EQ(out.size(), 7u) << result.descriptor;
    EXPECT_EQ(out[0], "/dev/null") << "stdin";
    EXPECT_EQ(out[2], out[1]) << "leads a process group of its own";
    EXPECT_NE(std::stoi(out[2]), ::getpgrp());
    EXPECT_EQ(out[3], (compat / "networksetup").string()) << "compat folder first on PATH";
    EXPECT_EQ(std::vector<std::string>(out.begin() + 4, out.end()),
              (std::vector<std::string>{"0", "1", "2"}))
        << "open descriptors";
}

TEST_F(PosixScriptInterpreterTest, MalformedStatementsRunNothingAndTheInterpreterCarriesOn) {
    const std::string touch = "touch " + (temp / "ran").string();
    const std::string sources[] = {
        "do shell script \"" + touch,
        "do shell script \"" + touch + "\\q\"",
        "do shell script \"" + touch + "\" with administrator privileges",
        plainScript(touch) + "; " + touch,
        privilegedScript(touch, "root", "") + "; " + touch,
        plainScript(touch + std::string(1, '\0') + "; " + touch),
    };
    const auto shell = interpreter();
    for (const auto& source : sources) {
        const auto result = shell.execute(source);
        EXPECT_TRUE(result.error.starts_with("the statement does not compile: ")) << result.error;
        EXPECT_FALSE(fs::exists(temp / "ran")) << source;
    }
    (void)shell.execute(plainScript("kill -9 $$"));
    (void)shell.execute(plainScript(touch));
    EXPECT_TRUE(fs::exists(temp / "ran")) << "the interpreter carries on after failures";
}

TEST_F(PosixScriptInterpreterTest, CommandOutlivingItsTimeIsStoppedWithItsWholeGroup) {
    const auto result =
        interpreter({2500ms, 300ms}).execute(plainScript("echo $$; sleep 30 & echo $!; wait"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "the command was stopped after 2500 ms");
    const auto pids = lines(result.descriptor);
    ASSERT_EQ(pids.size(), 2u) << result.descriptor;
    EXPECT_TRUE(endsSoon(std::stoi(pids[0]))) << "the shell";
    EXPECT_TRUE(endsSoon(std::stoi(pids[1]))) << "its background job";
    int status = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1) << "no child left to reap";

    // A job left in the background keeps stdout open; the command has still
    // ended with its shell.
    const auto left = interpreter({20s, 1s}).execute(plainScript("sleep 30 & echo $!"));
    ASSERT_TRUE(left.ok) << left.error;
    ::kill(std::stoi(left.descriptor), SIGKILL);
    EXPECT_TRUE(endsSoon(std::stoi(left.descriptor)));
}

// Secrets need a private runtime folder in memory (the only one given here);
// with any other, nothing runs and nothing is written.
TEST_F(PosixScriptInterpreterTest, WithoutAPrivateRuntimeFolderNothingRuns) {
    const std::tuple<const char*, mode_t, uid_t, bool, const char*> rows[] = {
        {"another user's", 0700, 65534, false, test_support::memoryFolder},
        {"open to others", 0755, ::geteuid(), false, test_support::memoryFolder},
        {"a link to a private folder", 0700, ::geteuid(), true, test_support::memoryFolder},
        {"on a disk", 0700, ::geteuid(), false, "/var/tmp"},
    };
    for (const auto& [name, mode, owner, link, parent] : rows) {
        SCOPED_TRACE(name);
        const TempFolder runtime(parent);
        const fs::path folder = runtime / "run";
        fs::create_directory(folder);
        if (::chown(folder.c_str(), owner, owner) != 0 || ::chmod(folder.c_str(), mode) != 0) {
            continue;  // another owner needs root
        }
        if (link) {
            fs::create_directory_symlink(folder, runtime / "link");
        }
        const auto result = PosixScriptInterpreter(compat, {}, {link ? runtime / "link" : folder})
                                .execute(plainScript("touch " + (temp / "ran").string()),
                                         ScriptOptions{.secrets = {{"key", "value"}}});
        EXPECT_TRUE(result.error.starts_with("the command needs a private runtime folder"))
            << result.error;
        EXPECT_FALSE(fs::exists(temp / "ran"));
        EXPECT_TRUE(fs::is_empty(folder));
    }
}

}  // namespace
}  // namespace twl
