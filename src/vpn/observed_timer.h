#pragma once

#include <functional>
#include <memory>

#include "platform/timer.h"

namespace twl {

// A timer that says, once, that it has been stopped, whoever stops it. Lets a
// screen learn that another one ended its wait by stopping a shared timer.
class ObservedTimer final : public Timer {
  public:
    ObservedTimer(std::shared_ptr<Timer> timer, std::function<void()> onInvalidate);

    // Stops the timer, then runs the observer if this is the first call.
    void invalidate() override;
    bool isValid() const override;

  private:
    std::shared_ptr<Timer> timer_;
    std::function<void()> onInvalidate_;
};

}  // namespace twl
