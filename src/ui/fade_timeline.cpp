#include "ui/fade_timeline.h"

#include <algorithm>
#include <utility>

#include "platform/run_loop.h"

namespace twl {

namespace {
// Clock readings are large epoch seconds; a fade counts as over within a
// microsecond of its end rather than one frame later.
constexpr double kClockTolerance = 1e-6;
}  // namespace

FadeTimeline::FadeTimeline(RunLoop& runLoop, AlphaHandler setAlpha, RemovalHandler remove)
    : runLoop_(runLoop), setAlpha_(std::move(setAlpha)), remove_(std::move(remove)) {}

FadeTimeline::~FadeTimeline() {
    timer_->invalidate();
}

Rect FadeTimeline::presentedFrame(const Rect& presentingFrame) {
    return presentingFrame.insetBy(kInset, kInset);
}

void FadeTimeline::present() {
    applyAlpha(0.0);
    startFade(kPresentedAlpha, Phase::FadingIn);
}

void FadeTimeline::dismiss() {
    startFade(kDismissedAlpha, Phase::FadingOut);
}

void FadeTimeline::startFade(double targetAlpha, Phase phase) {
    timer_->invalidate();
    phase_ = phase;
    fromAlpha_ = alpha_;
    toAlpha_ = targetAlpha;
    startTime_ = runLoop_.now();
    timer_ = runLoop_.scheduleRepeating(kFrameInterval, [this] { frame(); });
}

void FadeTimeline::frame() {
    const double elapsed = runLoop_.now() - startTime_;
    if (elapsed + kClockTolerance < kDuration) {
        const double progress = std::clamp(elapsed / kDuration, 0.0, 1.0);
        applyAlpha(fromAlpha_ + (toAlpha_ - fromAlpha_) * progress);
        return;
    }
    timer_->invalidate();
    applyAlpha(toAlpha_);
    if (phase_ == Phase::FadingIn) {
        phase_ = Phase::Presented;
        return;
    }
    phase_ = Phase::Removed;
    // Removal may destroy this timeline (and with it remove_), so run a copy.
    const RemovalHandler remove = remove_;
    if (remove) {
        remove();
    }
}

void FadeTimeline::applyAlpha(double alpha) {
    alpha_ = alpha;
    if (setAlpha_) {
        setAlpha_(alpha);
    }
}

}  // namespace twl
