#include "heartbeat.h"

#include <algorithm>

namespace twl::bench {

Heartbeat::Heartbeat() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(period);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
}

void Heartbeat::enter(std::string step) {
    const auto now = Clock::now();
    if (steps_.empty()) {
        lastTick_ = now;
        timer_.start();
    } else {
        tick();
        closeStep(now);
    }
    steps_.push_back(Step{.name = std::move(step)});
    stepBegan_ = now;
}

void Heartbeat::stop() {
    if (timer_.isActive()) {
        tick();  // the time since the last tick counts as well
        timer_.stop();
        closeStep(Clock::now());
    }
}

const Heartbeat::Step& Heartbeat::worst() const {
    return *std::max_element(steps_.begin(), steps_.end(), [](const Step& a, const Step& b) {
        return a.longestGap < b.longestGap;
    });
}

void Heartbeat::tick() {
    const auto now = Clock::now();
    const auto gap = now - lastTick_;
    Step& current = steps_.back();
    current.longestGap = std::max(current.longestGap, gap);
    if (gap >= noticeable) {
        ++current.noticeableGaps;
    }
    lastTick_ = now;
}

void Heartbeat::closeStep(Clock::time_point now) {
    steps_.back().took = now - stepBegan_;
}

}  // namespace twl::bench
