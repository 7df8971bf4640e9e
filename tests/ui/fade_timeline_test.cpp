#include "ui/fade_timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

// The end states are checked on real widgets in tests/platform/fade_animator_test.cpp.
// Removal may destroy the timeline itself.
TEST(FadeTimeline, DismissalDuringTheFadeInStartsFromTheCurrentAlpha) {
    fakes::VirtualRunLoop loop;
    std::vector<double> alphas;
    std::unique_ptr<FadeTimeline> timeline;
    timeline = std::make_unique<FadeTimeline>(
        loop, [&](double a) { alphas.push_back(a); }, [&] { timeline.reset(); });
    timeline->present();
    loop.advance(0.25);
    alphas.clear();

    timeline->dismiss();
    loop.advance(1);
    EXPECT_EQ(timeline, nullptr);
    ASSERT_FALSE(alphas.empty());
    EXPECT_LE(alphas.front(), 0.4) << "no jump back up to the presented alpha";
    EXPECT_TRUE(std::is_sorted(alphas.rbegin(), alphas.rend())) << "never rises";
    EXPECT_EQ(alphas.back(), 0.0);
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

}  // namespace
}  // namespace twl
