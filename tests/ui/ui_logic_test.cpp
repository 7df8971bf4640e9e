#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/virtual_run_loop.h"
#include "ui/text_centring.h"
#include "ui/timer_manager.h"

namespace twl {
namespace {

TEST(TextCentring, KeepsTheTitleRectsXAndWidthAndCentresTheContentHeight) {
    const std::vector<std::tuple<Rect, Size, Rect>> rows{
        {{10, 100, 200, 30}, {50, 16}, {10, 107, 200, 16}},  // shorter: half the rest below
        {{0, 20, 80, 18}, {10, 22}, {0, 18, 80, 22}},        // taller: equally above, below
        {{0, 0, 50, 21}, {500, 16}, {0, 2.5, 50, 16}},       // odd rest; width plays no part
    };
    for (const auto& [title, content, expected] : rows) {
        EXPECT_EQ(centredTextRect(title, content), expected);
    }
}

// A count of N calls once a second with the time left, then finishes one
// second after zero; a new count drops the earlier handler and timer.
TEST(TimerManager, TicksOncePerSecondAndARestartDropsTheEarlierCount) {
    fakes::VirtualRunLoop loop;
    TimerManager manager(loop);
    std::vector<std::string> calls;
    const auto handler = [&](const std::string& tag) {
        return [&, tag](const std::optional<std::string>& text, bool finished) {
            calls.push_back(tag + "t=" + std::to_string(static_cast<int>(loop.elapsed())) + ":" +
                            (finished ? "FINISHED" : text.value_or("?")));
        };
    };
    manager.startCountdown(2, handler("old "));
    loop.advance(1.5);
    const auto firstTimer = manager.countdownTimer();
    manager.startCountdown(1, handler("new "));
    loop.advance(10);

    EXPECT_FALSE(firstTimer->isValid());
    // The new count keeps its own phase: ticks at 2.5 s and 3.5 s after the start.
    EXPECT_EQ(calls, (std::vector<std::string>{"old t=1:00:00:01", "new t=2:00:00:00",
                                               "new t=3:FINISHED"}));
    EXPECT_EQ(loop.scheduledTimerCount(), 0u) << "stops at the finished call";

    manager.startCountdown(0, handler(""));
    loop.advance(10);
    EXPECT_EQ(calls.back(), "t=12:FINISHED") << "zero finishes a second later";
}

}  // namespace
}  // namespace twl
