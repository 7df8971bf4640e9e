#pragma once

#include <memory>

namespace twl {

// A repeating timer on the main run loop. The run loop keeps a scheduled timer
// (and its handler) alive until it is invalidated.
class Timer {
  public:
    virtual ~Timer() = default;

    // Stops the timer for good and releases its handler. Safe to call more than
    // once and from inside the timer's own handler (which then finishes normally).
    virtual void invalidate() = 0;
    virtual bool isValid() const = 0;

    // A timer object that was never scheduled: invalidating it does nothing.
    // Process-wide timers start as one of these, so callers never test for null.
    static std::shared_ptr<Timer> unscheduled();
};

}  // namespace twl
