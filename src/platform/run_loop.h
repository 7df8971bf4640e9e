#pragma once

#include <functional>
#include <memory>

#include "platform/timer.h"

namespace twl {

// The main thread's run loop. Every method except post() is called on the main
// thread, and every handler runs on the main thread.
//
// Lifetime contract: a handler that is firing stays alive until it returns, even
// if it drops the last reference to its own timer or to the screen it captures.
class RunLoop {
  public:
    using Handler = std::function<void()>;

    virtual ~RunLoop() = default;

    // A repeating timer; the first tick comes one interval after the call, and
    // later ticks keep that phase.
    virtual std::shared_ptr<Timer> scheduleRepeating(double intervalSeconds, Handler handler) = 0;

    // Runs the handler once, the given number of seconds from now, unless the
    // timer is invalidated first; it stays scheduled without the handle too.
    virtual std::shared_ptr<Timer> delay(double seconds, Handler handler) = 0;

    // Runs the handler on the main thread as soon as it is free. The one call
    // that may be made from any thread.
    virtual void post(Handler handler) = 0;

    // Wall-clock time in seconds since the Unix epoch.
    virtual double now() const = 0;
};

}  // namespace twl
