#include "fakes/virtual_run_loop.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

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

void VirtualRunLoop::add(std::shared_ptr<Entry> entry) {
    std::lock_guard lock(mutex_);
    entry->order = sequence_++;
    entries_.push_back(std::move(entry));
}

std::shared_ptr<Timer> VirtualRunLoop::scheduleRepeating(double intervalSeconds, Handler handler) {
    auto entry = std::make_shared<Entry>();
    entry->interval = std::max<std::int64_t>(1, toMicros(intervalSeconds));
    entry->due = nowMicros_ + entry->interval;
    entry->handler = std::move(handler);
    auto timer = std::make_shared<VirtualTimer>(entry);
    add(std::move(entry));
    return timer;
}

void VirtualRunLoop::delay(double seconds, Handler handler) {
    auto entry = std::make_shared<Entry>();
    entry->due = nowMicros_ + toMicros(seconds);
    entry->handler = std::move(handler);
    add(std::move(entry));
}

void VirtualRunLoop::post(Handler handler) {
    auto entry = std::make_shared<Entry>();
    entry->handler = std::move(handler);
    std::lock_guard lock(mutex_);
    entry->due = nowMicros_;
    entry->order = sequence_++;
    entries_.push_back(std::move(entry));
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
    auto best = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if ((*it)->due > until) {
            continue;
        }
        if (best == entries_.end() || (*it)->due < (*best)->due ||
            ((*it)->due == (*best)->due && (*it)->order < (*best)->order)) {
            best = it;
        }
    }
    return best == entries_.end() ? nullptr : *best;
}

void VirtualRunLoop::advance(double seconds) {
    const std::int64_t until = nowMicros_ + toMicros(seconds);
    while (auto entry = nextDue(until)) {
        nowMicros_ = entry->due;
        // Kept alive while it runs, whatever it invalidates or drops.
        const Handler handler = entry->handler;
        if (entry->interval > 0) {
            entry->due += entry->interval;
            std::lock_guard lock(mutex_);
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
