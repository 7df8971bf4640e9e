#include "platform/posix/background_script_interpreter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

#include "fakes/virtual_run_loop.h"
#include "platform/posix/posix_script_interpreter.h"
#include "privileged/script_runner.h"
#include "test_support.h"

namespace twl {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The real shell behind the queue: the caller never waits on a command, the
// next starts only after the one before has been answered, and quitting stops
// the one under way with its secrets.
TEST(BackgroundScriptInterpreter, RunsInTurnOffTheCallersThreadAndStopsWhenAsked) {
    test_support::TempFolder temp;
    const test_support::TempFolder runtime(test_support::memoryFolder);
    const PosixScriptInterpreter shell("", {}, {runtime.path()});
    fakes::VirtualRunLoop loop;
    BackgroundScriptInterpreter interpreter(shell, loop);
    const std::string trace = (temp / "trace").string();

    // The first waits (10 s at most) for the test's word: a caller kept waiting
    // shows as ten seconds, not as a fraction of one on a busy machine.
    const std::string go = (temp / "go").string();
    std::vector<std::string> answered;
    const auto started = Clock::now();
    interpreter.execute(plainScript("i=0; while [ ! -e '" + go +
                                    "' ] && [ $i -lt 200 ]; do sleep 0.05; "
                                    "i=$((i+1)); done; echo first >> '" +
                                    trace + "'"),
                        [&](const ScriptResult& result) {
                            answered.push_back(result.ok ? "first" : result.error);
                            EXPECT_FALSE(fs::exists(trace + ".second")) << "the next waited";
                        });
    interpreter.execute(plainScript("touch '" + trace + ".second'"),
                        [&](const ScriptResult&) { answered.emplace_back("second"); });
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(5)) << "returned at once";
    std::ofstream(go).flush();
    for (int wait = 0; answered.size() < 2 && wait < 1000; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        loop.runPending();
    }
    EXPECT_EQ(answered, (std::vector<std::string>{"first", "second"}));

    bool lateAnswer = false;
    interpreter.execute(plainScript("cat \"${TWL_SECRET_FOLDER:?}\"/k >/dev/null; sleep 60"),
                        ScriptOptions{.secrets = {{"k", "v"}}},
                        [&](const ScriptResult&) { lateAnswer = true; });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto stopping = Clock::now();
    interpreter.stopAll();
    EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(10));
    loop.runPending();
    EXPECT_FALSE(lateAnswer);
    EXPECT_FALSE(interpreter.busy());
    EXPECT_TRUE(fs::is_empty(runtime.path())) << "the secrets went with the command";
}

}  // namespace
}  // namespace twl
