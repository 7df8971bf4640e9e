#include "ui/timer_manager.h"

#include <cstdio>

#include "platform/run_loop.h"

namespace twl {

TimerManager::TimerManager(RunLoop& runLoop) : runLoop_(runLoop) {}

TimerManager::~TimerManager() {
    // The timer's handler points back at this object.
    if (countdownTimer_) {
        countdownTimer_->invalidate();
    }
}

void TimerManager::startCountdown(std::int64_t seconds, TickHandler handler) {
    remainingSeconds_ = seconds;
    if (countdownTimer_) {
        countdownTimer_->invalidate();
    }
    countdownTimer_ = runLoop_.scheduleRepeating(1.0, [this] { update(); });
    tickHandler_ = std::move(handler);
}

void TimerManager::update() {
    // A copy, so that a handler that starts a new countdown does not destroy
    // itself while it runs.
    const TickHandler handler = tickHandler_;
    if (remainingSeconds_ == 0) {
        if (countdownTimer_) {
            countdownTimer_->invalidate();
        }
        if (handler) {
            handler(std::nullopt, true);
        }
        return;
    }
    --remainingSeconds_;
    const std::string text = formatCountdown(remainingSeconds_);
    if (handler) {
        handler(text, false);
    }
}

std::string TimerManager::formatCountdown(std::int64_t seconds) {
    char buffer[48];
    std::snprintf(
        buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
        static_cast<long long>((seconds / 60) % 60), static_cast<long long>(seconds % 60));
    return buffer;
}

}  // namespace twl
