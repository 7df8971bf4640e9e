#include "vpn/observed_timer.h"

#include <utility>

namespace twl {

ObservedTimer::ObservedTimer(std::shared_ptr<Timer> timer, std::function<void()> onInvalidate)
    : timer_(std::move(timer)), onInvalidate_(std::move(onInvalidate)) {}

void ObservedTimer::invalidate() {
    timer_->invalidate();
    // Taken out first: the observer may stop this timer again.
    if (auto observer = std::exchange(onInvalidate_, nullptr)) {
        observer();
    }
}

bool ObservedTimer::isValid() const {
    return timer_->isValid();
}

}  // namespace twl
