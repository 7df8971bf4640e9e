#include "platform/qt/qt_run_loop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <thread>

namespace twl {
namespace {

// Real event loop, so these wait for real (short) intervals; nothing is timed.
class QtRunLoopTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    // Processes events until the condition holds (or a generous limit passes).
    static bool spinUntil(const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return done();
    }
};

TEST_F(QtRunLoopTest, RepeatingTimerKeepsRunningWithoutAHandleUntilInvalidated) {
    QtRunLoop loop;
    int ticks = 0;
    auto timer = loop.scheduleRepeating(0.01, [&] { ++ticks; });
    std::weak_ptr<Timer> weak = timer;
    timer.reset();  // the run loop owns a scheduled timer
    ASSERT_TRUE(spinUntil([&] { return ticks >= 3; }));
    EXPECT_TRUE(weak.expired());
}

TEST_F(QtRunLoopTest, InvalidateFromInsideTheHandlerReleasesItAfterItReturns) {
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
    EXPECT_FALSE(timer->isValid());
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 1);
}

TEST_F(QtRunLoopTest, PostFromAnotherThreadRunsOnTheLoopsThread) {
    QtRunLoop loop;
    std::thread::id ranOn;
    std::thread([&] { loop.post([&] { ranOn = std::this_thread::get_id(); }); }).join();
    ASSERT_TRUE(spinUntil([&] { return ranOn != std::thread::id(); }));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(QtRunLoopTest, DelayRunsOnceAndNowIsWallClock) {
    QtRunLoop loop;
    int runs = 0;
    loop.delay(0.01, [&] { ++runs; });
    ASSERT_TRUE(spinUntil([&] { return runs == 1; }));
    EXPECT_GT(loop.now(), 1.7e9);
}

}  // namespace
}  // namespace twl
