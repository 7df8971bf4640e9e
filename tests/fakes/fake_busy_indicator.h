#pragma once

#include "fakes/fake_view_base.h"
#include "platform/busy_indicator.h"

namespace twl::fakes {

// Remembers the animation switch; like the real one, switching it leaves the
// indicator's visibility alone.
class FakeBusyIndicator final : public FakeViewBase<BusyIndicator> {
  public:
    using FakeViewBase::FakeViewBase;

    void setAnimate(bool animate) override { animating_ = animate; }
    bool isAnimating() const override { return animating_; }

  private:
    bool animating_ = false;
};

}  // namespace twl::fakes
