#include "ui/fade_timeline.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

// A timeline on the virtual clock that records what it asks of the view.
struct Faded {
    fakes::VirtualRunLoop loop;
    std::vector<double> alphas;
    int removals = 0;
    FadeTimeline timeline{loop, [this](double a) { alphas.push_back(a); }, [this] { ++removals; }};

    bool alphasNeverRise() const {
        for (std::size_t i = 1; i < alphas.size(); ++i) {
            if (alphas[i] > alphas[i - 1]) {
                return false;
            }
        }
        return true;
    }
};

TEST(FadeTimeline, PresentationStartsTransparentAndEndsAtEightyPercentAfterHalfASecond) {
    Faded f;
    f.timeline.present();
    ASSERT_FALSE(f.alphas.empty());
    EXPECT_EQ(f.alphas.front(), 0.0) << "transparent before the first frame";
    EXPECT_EQ(f.timeline.phase(), FadeTimeline::Phase::FadingIn);

    f.loop.advance(0.25);
    EXPECT_NEAR(f.timeline.alpha(), 0.4, 1e-9) << "halfway in time, halfway in alpha";

    f.loop.advance(0.25);
    EXPECT_EQ(f.timeline.phase(), FadeTimeline::Phase::Presented);
    EXPECT_EQ(f.alphas.back(), 0.8);
    EXPECT_EQ(f.loop.scheduledTimerCount(), 0u) << "no frames once the fade is over";
    EXPECT_EQ(f.removals, 0);

    const auto frames = f.alphas.size();
    f.loop.advance(5);
    EXPECT_EQ(f.alphas.size(), frames);
}

TEST(FadeTimeline, DismissalFadesOutAndRemovesOnceWhenTheHalfSecondIsOver) {
    Faded f;
    f.timeline.present();
    f.loop.advance(1);
    f.alphas.clear();

    f.timeline.dismiss();
    f.loop.advance(0.49);
    EXPECT_EQ(f.removals, 0) << "still on screen, fading";
    EXPECT_GT(f.timeline.alpha(), 0.0);
    EXPECT_LT(f.timeline.alpha(), 0.8);

    f.loop.advance(0.01);
    EXPECT_EQ(f.removals, 1);
    EXPECT_EQ(f.timeline.phase(), FadeTimeline::Phase::Removed);
    EXPECT_EQ(f.alphas.back(), 0.0);
    EXPECT_TRUE(f.alphasNeverRise());

    f.loop.advance(5);
    EXPECT_EQ(f.removals, 1);
}

TEST(FadeTimeline, DismissalDuringTheFadeInStartsFromTheCurrentAlpha) {
    Faded f;
    f.timeline.present();
    f.loop.advance(0.25);
    f.alphas.clear();

    f.timeline.dismiss();
    f.loop.advance(1);
    EXPECT_EQ(f.removals, 1);
    ASSERT_FALSE(f.alphas.empty());
    EXPECT_LE(f.alphas.front(), 0.4) << "no jump back up to the presented alpha";
    EXPECT_TRUE(f.alphasNeverRise());
    EXPECT_NE(f.timeline.phase(), FadeTimeline::Phase::Presented);
}

TEST(FadeTimeline, RemovalMayDestroyTheTimelineItself) {
    fakes::VirtualRunLoop loop;
    std::unique_ptr<FadeTimeline> timeline;
    timeline = std::make_unique<FadeTimeline>(
        loop, [](double) {}, [&] { timeline.reset(); });
    timeline->dismiss();
    loop.advance(1);
    EXPECT_EQ(timeline, nullptr);
}

TEST(FadeTimeline, DestroyingItMidFadeStopsTheFrames) {
    fakes::VirtualRunLoop loop;
    int frames = 0;
    auto timeline = std::make_unique<FadeTimeline>(
        loop, [&](double) { ++frames; }, [] {});
    timeline->present();
    loop.advance(0.1);
    const int before = frames;
    timeline.reset();
    loop.advance(1);
    EXPECT_EQ(frames, before);
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST(FadeTimeline, PresentedFrameSitsFortyInsideOnEverySide) {
    EXPECT_EQ(FadeTimeline::presentedFrame({0, 0, 480, 360}), (Rect{40, 40, 400, 280}));
    EXPECT_EQ(FadeTimeline::presentedFrame({15, -5, 100, 80}), (Rect{55, 35, 20, 0}));
}

}  // namespace
}  // namespace twl
