#include "platform/qt/qt_run_loop.h"

#include <gtest/gtest.h>

#include "qt_test_support.h"

namespace twl {
namespace {

using test_support::spinUntil;

// Timers, delays and posts from the transport's thread run the whole road in
// tests/e2e; this is the lifetime rule the screens rely on.
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

}  // namespace
}  // namespace twl
