#include "fakes/virtual_run_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace twl {
namespace {

// The fake clock drives every timing test, so its own rules are checked here.
TEST(VirtualRunLoop, FiresDueWorkInTimeOrderAndKeepsEachTimersPhase) {
    fakes::VirtualRunLoop loop;
    std::vector<std::string> log;
    auto stamp = [&](const std::string& what) {
        log.push_back(what + "@" + std::to_string(static_cast<int>(loop.elapsed() * 10)));
    };

    auto fast = loop.scheduleRepeating(0.5, [&] { stamp("fast"); });
    loop.advance(0.2);
    auto slow = loop.scheduleRepeating(1.0, [&] { stamp("slow"); });  // phase 0.2
    loop.delay(0.3, [&] { stamp("once"); });
    loop.advance(1.1);

    EXPECT_EQ(log, (std::vector<std::string>{"fast@5", "once@5", "fast@10", "slow@12"}));
    EXPECT_DOUBLE_EQ(loop.elapsed(), 1.3);
}

TEST(VirtualRunLoop, TenTenthsMakeExactlyOneSecond) {
    fakes::VirtualRunLoop loop;
    int ticks = 0;
    auto timer = loop.scheduleRepeating(0.1, [&] { ++ticks; });
    loop.advance(1.0);
    EXPECT_EQ(ticks, 10);
}

TEST(VirtualRunLoop, InvalidateInsideTheHandlerStopsTheTimerButLetsTheHandlerFinish) {
    fakes::VirtualRunLoop loop;
    auto owned = std::make_shared<int>(0);
    std::shared_ptr<Timer> timer;
    int ticks = 0;
    timer = loop.scheduleRepeating(0.5, [&, owned] {
        ++ticks;
        timer->invalidate();  // releases the handler and `owned` with it...
        timer.reset();
        *owned += 1;  // ...but the handler is still alive until it returns
    });
    std::weak_ptr<int> watch = owned;
    owned.reset();
    loop.advance(3);

    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(watch.expired()) << "the handler (and what it captured) is released";
}

TEST(VirtualRunLoop, PostFromAnotherThreadRunsOnTheNextTurn) {
    fakes::VirtualRunLoop loop;
    bool ran = false;
    std::thread([&] { loop.post([&] { ran = true; }); }).join();
    EXPECT_FALSE(ran);
    loop.runPending();
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace twl
