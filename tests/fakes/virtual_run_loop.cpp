#include "fakes/virtual_run_loop.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

namespace twl::fakes {

struct VirtualRunLoop::Entry {
    std::int64_t due = 0;
    std::uint64_t order = 0;
    std::int64_t interval = 0;  // 0: fires once
    Handler handler;
    bool valid = true;
};

class VirtualRunLoop::VirtualTimer final : public Timer {
  public:
    explicit VirtualTimer(std::weak_ptr<Entry> entry) : entry_(std::move(entry)) {}
    void invalidate() override {
        if (auto entry = entry_.lock()) {
            entry->valid = false;
            entry->handler = nullptr;
        }
    }
    bool isValid() const override {
        auto entry = entry_.lock();
        return entry && entry->valid;
    }

  private:
    std::weak_ptr<Entry> entry_;
};

VirtualRunLoop::VirtualRunLoop(double startEpochSeconds)
    : startMicros_(toMicros(startEpochSeconds)) {}

VirtualRunLoop::~VirtualRunLoop() {
    // Handlers may hold objects whose destructors invalidate timers of this loop.
    std::vector<std::shared_ptr<Entry>> entries;
    {
        std::lock_guard lock(mutex_);
        entries.swap(entries_);
    }
    for (auto& entry : entries) {
        entry->valid = false;
        Handler dropped = std::move(entry->handler);
    }
}

std::int64_t VirtualRunLoop::toMicros(double seconds) {
    if (!(seconds >= 0.0)) {
        throw std::invalid_argument("run loop interval must be a non-negative number");
    }
    return static_cast<std::int64_t>(std::llround(seconds * 1e6));
}

// Also called from other threads (post).
std::shared_ptr<VirtualRunLoop::Entry> VirtualRunLoop::add(std::int64_t delay,
                                                           std::int64_t interval, Handler handler) {
    auto entry = std::make_shared<Entry>(Entry{0, 0, interval, std::move(handler), true});
    std::lock_guard lock(mutex_);
    entry->due = nowMicros_ + delay;
    entry->order = sequence_++;
    entries_.push_back(entry);
    return entry;
}

std::shared_ptr<Timer> VirtualRunLoop::scheduleRepeating(double intervalSeconds, Handler handler) {
    const auto interval = std::max<std::int64_t>(1, toMicros(intervalSeconds));
    return std::make_shared<VirtualTimer>(add(interval, interval, std::move(handler)));
}

std::shared_ptr<Timer> VirtualRunLoop::delay(double seconds, Handler handler) {
    return std::make_shared<VirtualTimer>(add(toMicros(seconds), 0, std::move(handler)));
}

void VirtualRunLoop::post(Handler handler) {
    add(0, 0, std::move(handler));
}

double VirtualRunLoop::now() const {
    return static_cast<double>(startMicros_ + nowMicros_) / 1e6;
}

double VirtualRunLoop::elapsed() const {
    return static_cast<double>(nowMicros_) / 1e6;
}

std::size_t VirtualRunLoop::scheduledTimerCount() const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        entries_.begin(), entries_.end(), [](auto& e) { return e->valid && e->interval > 0; }));
}

std::shared_ptr<VirtualRunLoop::Entry> VirtualRunLoop::nextDue(std::int64_t until) {
    std::lock_guard lock(mutex_);
    std::erase_if(entries_, [](auto& e) { return !e->valid; });
    const auto best = std::min_element(entries_.begin(), entries_.end(), [](auto& a, auto& b) {
        return std::tie(a->due, a->order) < std::tie(b->due, b->order);
    });
    if (best == entries_.end() || (*best)->due > until) {
        return nullptr;
    }
    return *best;
}

void VirtualRunLoop::advance(double seconds) {
    const std::int64_t until = nowMicros_ + toMicros(seconds);
    while (auto entry = nextDue(until)) {
        nowMicros_ = entry->due;
        // Kept alive while it runs, whatever it invalidates or drops.
        const Handler handler = entry->handler;
        if (entry->interval > 0) {
            std::lock_guard lock(mutex_);
            entry->due += entry->interval;
            entry->order = sequence_++;
        } else {
            entry->valid = false;
            entry->handler = nullptr;
        }
        if (handler) {
            handler();
        }
    }
    nowMicros_ = until;
}

}  // namespace twl::fakes
