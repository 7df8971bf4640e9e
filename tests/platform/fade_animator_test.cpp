#include "platform/qt/my_custom_fade_animator.h"

#include <gtest/gtest.h>

#include <QGraphicsOpacityEffect>
#include <QTest>
#include <memory>

#include "fakes/virtual_run_loop.h"

namespace twl {
namespace {

double opacityOf(const QWidget& view) {
    const auto* effect = qobject_cast<const QGraphicsOpacityEffect*>(view.graphicsEffect());
    return effect == nullptr ? 1.0 : effect->opacity();
}

class FadeAnimator : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(600, 500);
        presenting_ = new QWidget(window_.get());  // the window owns it
        presenting_->setGeometry(30, 20, 480, 360);
        presented_ = std::make_unique<QWidget>();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    fakes::VirtualRunLoop loop_;
    std::unique_ptr<QWidget> window_;
    QWidget* presenting_ = nullptr;
    std::unique_ptr<QWidget> presented_;  // the caller's, as a controller's view is
    std::unique_ptr<MyCustomFadeAnimator> animator_ = std::make_unique<MyCustomFadeAnimator>(loop_);
};

TEST_F(FadeAnimator, FadesInFortyInsideThePresentingViewThenOutOfTheViewTree) {
    animator_->animatePresentation(*presented_, *presenting_);
    EXPECT_EQ(opacityOf(*presented_), 0.0);
    // 40 inside on every side of where the presenting view is on screen.
    const QRect onScreen(presented_->mapTo(window_.get(), QPoint(0, 0)), presented_->size());
    EXPECT_EQ(onScreen, presenting_->geometry().adjusted(40, 40, -40, -40));

    loop_.advance(0.5);
    EXPECT_DOUBLE_EQ(opacityOf(*presented_), 0.8);

    animator_->animateDismissal(*presented_);
    loop_.advance(0.49);
    EXPECT_EQ(presented_->parentWidget(), presenting_) << "still there, fading";

    loop_.advance(0.01);
    EXPECT_EQ(presented_->parentWidget(), nullptr);
    EXPECT_FALSE(presented_->isVisible());
}

TEST_F(FadeAnimator, ViewDestroyedMidFadeIsForgotten) {
    animator_->animatePresentation(*presented_, *presenting_);
    loop_.advance(0.1);
    const QWidget* gone = presented_.get();
    presented_.reset();
    loop_.advance(1);
    EXPECT_EQ(animator_->timelineFor(gone), nullptr);
    EXPECT_EQ(loop_.scheduledTimerCount(), 0u);
}

}  // namespace
}  // namespace twl
