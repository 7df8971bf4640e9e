#pragma once

#include <functional>
#include <memory>

#include "platform/timer.h"
#include "ui/color.h"
#include "ui/geometry.h"

namespace twl {

class RunLoop;

// The fade of a view presented over another one: it appears at alpha 0, fades
// to 0.8 in half a second (so the presenting view shows through it), and on
// dismissal fades to 0 in half a second and is then removed. The timeline only
// decides alpha and the moment of removal; the view itself is reached through
// the two handlers, on the run loop's thread.
class FadeTimeline {
  public:
    enum class Phase { Idle, FadingIn, Presented, FadingOut, Removed };

    static constexpr double kInset = 40.0;
    static constexpr double kDuration = 0.5;
    static constexpr double kPresentedAlpha = 0.8;
    static constexpr double kDismissedAlpha = 0.0;
    static constexpr Color kBackground = colors::gray;
    // 64 frames a second: a whole number of frames, and of microseconds, in
    // every fade, so the last frame lands exactly on the fade's end.
    static constexpr double kFrameInterval = 1.0 / 64.0;

    using AlphaHandler = std::function<void(double alpha)>;
    using RemovalHandler = std::function<void()>;

    // The run loop must outlive the timeline. The removal handler may destroy
    // the timeline: it is the last thing a frame does.
    FadeTimeline(RunLoop& runLoop, AlphaHandler setAlpha, RemovalHandler remove);
    ~FadeTimeline();
    FadeTimeline(const FadeTimeline&) = delete;
    FadeTimeline& operator=(const FadeTimeline&) = delete;

    // Alpha 0 at once, then a fade to kPresentedAlpha. Restarts a running fade.
    void present();
    // A fade from the current alpha to 0, then removal. Replaces a running fade.
    void dismiss();

    double alpha() const { return alpha_; }

    // Where the presented view sits: the presenting view's frame, kInset inside
    // on every side.
    static Rect presentedFrame(const Rect& presentingFrame);

  private:
    void startFade(double targetAlpha, Phase phase);
    void frame();
    void applyAlpha(double alpha);

    RunLoop& runLoop_;
    AlphaHandler setAlpha_;
    RemovalHandler remove_;
    Phase phase_ = Phase::Idle;
    double alpha_ = 1.0;  // a view is opaque until a fade says otherwise
    double fromAlpha_ = 1.0;
    double toAlpha_ = 1.0;
    double startTime_ = 0.0;
    std::shared_ptr<Timer> timer_ = Timer::unscheduled();
};

}  // namespace twl
