#include "fakes/virtual_run_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace twl {
namespace {

// The fake clock drives every timing test, so its own rules are checked here.
TEST(VirtualRunLoop, FiresDueWorkInTimeOrderAndKeepsEachTimersPhase) {
    fakes::VirtualRunLoop loop;
    std::vector<std::string> log;
    auto stamp = [&](const std::string& what) {
        log.push_back(what + "@" + std::to_string(static_cast<int>(loop.elapsed() * 10 + 0.5)));
    };
    auto fast = loop.scheduleRepeating(0.1, [&] { stamp("fast"); });
    loop.advance(0.2);
    fast->invalidate();
    auto slow = loop.scheduleRepeating(1.0, [&] { stamp("slow"); });  // phase 0.2
    loop.delay(0.3, [&] { stamp("once"); });
    loop.advance(2.1);
    EXPECT_EQ(log, (std::vector<std::string>{"fast@1", "fast@2", "once@5", "slow@12", "slow@22"}));
}

}  // namespace
}  // namespace twl
