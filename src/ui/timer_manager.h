#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/timer.h"

namespace twl {

class RunLoop;

// The client's one shared one-second countdown: a caller starts it with a number
// of seconds and a handler, the handler hears the remaining time once a second
// and, one second after zero, that the countdown has finished. Starting again
// replaces the count and the handler; the earlier handler hears nothing more.
class TimerManager {
  public:
    // Called with (remaining time as text, false) on each tick, and with
    // (nothing, true) when the countdown has finished.
    using TickHandler = std::function<void(const std::optional<std::string>& text, bool finished)>;

    explicit TimerManager(RunLoop& runLoop);
    ~TimerManager();
    TimerManager(const TimerManager&) = delete;
    TimerManager& operator=(const TimerManager&) = delete;

    void startCountdown(std::int64_t seconds, TickHandler handler);

    // One tick of the countdown; the one-second timer calls it.
    void update();

    // "%02i:%02i:%02i" of hours, minutes and seconds; hours may exceed two digits.
    static std::string formatCountdown(std::int64_t seconds);

    // The running (or last) timer; a handler may stop it and clear it.
    std::shared_ptr<Timer>& countdownTimer() { return countdownTimer_; }
    std::int64_t remainingSeconds() const { return remainingSeconds_; }

  private:
    RunLoop& runLoop_;
    std::int64_t remainingSeconds_ = 0;
    std::shared_ptr<Timer> countdownTimer_;
    TickHandler tickHandler_;
};

}  // namespace twl
