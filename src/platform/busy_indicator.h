#pragma once

#include "platform/view.h"

namespace twl {

// A spinning indicator. Switching the animation on or off leaves its
// visibility alone: a hidden indicator stays hidden while it spins.
class BusyIndicator : public View {
  public:
    virtual void setAnimate(bool animate) = 0;
    virtual bool isAnimating() const = 0;
};

}  // namespace twl
