#include "platform/qt/qt_run_loop.h"

#include <gtest/gtest.h>

#include <thread>

#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::spinUntil;

TEST(QtRunLoop, ARepeatingTimerRunsWithoutAHandleHeld) {
    QtRunLoop loop;
    int ticks = 0;
    loop.scheduleRepeating(0.01, [&] { ++ticks; }).reset();
    EXPECT_TRUE(spinUntil([&] { return ticks >= 3; }));
}

TEST(QtRunLoop, InvalidateFromInsideTheHandlerReleasesItAfterItReturns) {
    QtRunLoop loop;
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> watch = captured;
    std::shared_ptr<Timer> timer;
    int ticks = 0;
    timer = loop.scheduleRepeating(0.01, [&, captured] {
        ++ticks;
        timer->invalidate();
        *captured += 1;  // still alive here
    });
    captured.reset();
    ASSERT_TRUE(spinUntil([&] { return ticks == 1; }));
    EXPECT_TRUE(watch.expired());
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 1);
}

TEST(QtRunLoop, PostAndDelayRunOnceOnTheLoopsThread) {
    QtRunLoop loop;
    std::thread::id ranOn;
    int delayed = 0;
    loop.delay(0.01, [&] { ++delayed; });
    std::thread([&] { loop.post([&] { ranOn = std::this_thread::get_id(); }); }).join();
    ASSERT_TRUE(spinUntil([&] { return ranOn != std::thread::id() && delayed == 1; }));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    QCoreApplication::processEvents();
    EXPECT_EQ(delayed, 1);
}

}  // namespace
}  // namespace twl
