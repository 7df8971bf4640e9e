#include "ui/timer_manager.h"

#include <gtest/gtest.h>

#include <ostream>
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

struct Timeline {
    const char* name;
    int seconds;
    std::vector<std::string> expected;

    friend void PrintTo(const Timeline& timeline, std::ostream* out) { *out << timeline.name; }
};

class CountdownTimeline : public ::testing::TestWithParam<Timeline> {};

TEST_P(CountdownTimeline, TicksOncePerSecondThenFinishesOneSecondAfterZero) {
    fakes::VirtualRunLoop loop;
    TimerManager manager(loop);
    Recorder recorder{loop, {}};

    manager.startCountdown(GetParam().seconds, recorder.handler());
    loop.advance(10);

    EXPECT_EQ(recorder.calls, GetParam().expected);
    EXPECT_FALSE(manager.countdownTimer()->isValid()) << "the timer stops at the finished call";
}

INSTANTIATE_TEST_SUITE_P(
    Timelines, CountdownTimeline,
    ::testing::Values(Timeline{"Zero", 0, {"t=1:FINISHED"}},
                      Timeline{"One", 1, {"t=1:00:00:00", "t=2:FINISHED"}},
                      Timeline{"Two", 2, {"t=1:00:00:01", "t=2:00:00:00", "t=3:FINISHED"}}),
    [](const auto& info) { return std::string(info.param.name); });

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

TEST(TimerManager, HandlerMayStartANewCountdownFromItsFinishedCall) {
    fakes::VirtualRunLoop loop;
    TimerManager manager(loop);
    Recorder recorder{loop, {}};

    manager.startCountdown(0, [&](const std::optional<std::string>&, bool finished) {
        if (finished) {
            manager.startCountdown(0, recorder.handler("again "));
        }
    });
    loop.advance(2);

    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"again t=2:FINISHED"}));
}

TEST(TimerManager, HandlerMayStopAndClearTheTimerItself) {
    fakes::VirtualRunLoop loop;
    TimerManager manager(loop);
    int finishedCalls = 0;

    manager.startCountdown(1, [&](const std::optional<std::string>&, bool finished) {
        if (finished) {
            ++finishedCalls;
            manager.countdownTimer()->invalidate();
            manager.countdownTimer().reset();
        }
    });
    loop.advance(5);

    EXPECT_EQ(finishedCalls, 1);
    EXPECT_EQ(manager.countdownTimer(), nullptr);
}

TEST(TimerManager, FormatCountdown) {
    EXPECT_EQ(TimerManager::formatCountdown(0), "00:00:00");
    EXPECT_EQ(TimerManager::formatCountdown(59), "00:00:59");
    EXPECT_EQ(TimerManager::formatCountdown(3725), "01:02:05");
    EXPECT_EQ(TimerManager::formatCountdown(360000), "100:00:00");
}

}  // namespace
}  // namespace twl
