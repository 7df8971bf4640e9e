#include "ui/timer_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

// "t=<elapsed>:<text or FINISHED>" for every call the handler hears.
struct Recorder {
    fakes::VirtualRunLoop& loop;
    std::vector<std::string> calls;

    TimerManager::TickHandler handler(const std::string& tag = "") {
        return [this, tag](const std::optional<std::string>& text, bool finished) {
            calls.push_back(tag + "t=" + std::to_string(static_cast<int>(loop.elapsed())) + ":" +
                            (finished ? "FINISHED" : text.value_or("?")));
        };
    }
};

// With N = 1 the finished call comes 2 s after the start.
TEST(TimerManager, TicksOncePerSecondThenFinishesOneSecondAfterZero) {
    const std::vector<std::pair<int, std::vector<std::string>>> rows{
        {0, {"t=1:FINISHED"}},
        {1, {"t=1:00:00:00", "t=2:FINISHED"}},
        {2, {"t=1:00:00:01", "t=2:00:00:00", "t=3:FINISHED"}},
    };
    for (const auto& [seconds, expected] : rows) {
        fakes::VirtualRunLoop loop;
        TimerManager manager(loop);
        Recorder recorder{loop, {}};
        manager.startCountdown(seconds, recorder.handler());
        loop.advance(10);
        EXPECT_EQ(recorder.calls, expected);
        EXPECT_FALSE(manager.countdownTimer()->isValid()) << "stops at the finished call";
    }
}

TEST(TimerManager, RestartWhileCountingDropsTheEarlierHandlerAndTimer) {
    fakes::VirtualRunLoop loop;
    TimerManager manager(loop);
    Recorder recorder{loop, {}};

    manager.startCountdown(2, recorder.handler("old "));
    loop.advance(1.5);
    const auto firstTimer = manager.countdownTimer();
    manager.startCountdown(1, recorder.handler("new "));
    loop.advance(10);

    EXPECT_FALSE(firstTimer->isValid());
    // The new count keeps its own phase: ticks at 2.5 s and 3.5 s after the start.
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"old t=1:00:00:01", "new t=2:00:00:00",
                                                        "new t=3:FINISHED"}));
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST(TimerManager, FormatCountdown) {
    EXPECT_EQ(TimerManager::formatCountdown(3725), "01:02:05");
    EXPECT_EQ(TimerManager::formatCountdown(360000), "100:00:00");
}

}  // namespace
}  // namespace twl
