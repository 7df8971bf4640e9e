#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/run_loop.h"

namespace twl::fakes {

// A run loop on a virtual clock. Nothing happens until advance(): it fires every
// timer, delay and posted handler that falls due, in time order (ties in the
// order they were scheduled), moving the clock to each firing's moment. A
// repeating timer keeps its phase. Time is kept in whole microseconds so that
// ten ticks of 0.1 s make exactly one second.
class VirtualRunLoop : public RunLoop {
  public:
    explicit VirtualRunLoop(double startEpochSeconds = 1'800'000'000.0);
    ~VirtualRunLoop() override;

    std::shared_ptr<Timer> scheduleRepeating(double intervalSeconds, Handler handler) override;
    std::shared_ptr<Timer> delay(double seconds, Handler handler) override;
    void post(Handler handler) override;
    double now() const override;

    // Moves the clock forward, firing what falls due on the way.
    void advance(double seconds);
    // Fires what is due now (posted handlers, say) without moving the clock.
    void runPending() { advance(0.0); }

    // Seconds since the loop was made.
    double elapsed() const;
    std::size_t scheduledTimerCount() const;

  private:
    struct Entry;
    class VirtualTimer;

    static std::int64_t toMicros(double seconds);
    std::shared_ptr<Entry> nextDue(std::int64_t until);
    std::shared_ptr<Entry> add(std::int64_t delay, std::int64_t interval, Handler handler);

    std::int64_t startMicros_;
    std::int64_t nowMicros_ = 0;
    std::uint64_t sequence_ = 0;
    mutable std::mutex mutex_;  // guards entries_ against post() from other threads
    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace twl::fakes
