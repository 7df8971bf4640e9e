#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "fakes/virtual_run_loop.h"

namespace twl::fakes {

// A virtual run loop for tests whose replies come from a real server on
// another thread: runUntil() sleeps until something is posted, then runs it.
class AwaitableRunLoop final : public RunLoop {
  public:
    std::shared_ptr<Timer> scheduleRepeating(double interval, Handler handler) override {
        return loop_.scheduleRepeating(interval, std::move(handler));
    }
    void delay(double seconds, Handler handler) override {
        loop_.delay(seconds, std::move(handler));
    }
    void post(Handler handler) override;
    double now() const override { return loop_.now(); }

    // Runs what is posted until `done` holds; false if it still does not after
    // `limit` (a guard against a hang, not a measure of speed).
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::seconds limit = std::chrono::seconds(120));
    void runPending() { loop_.runPending(); }

  private:
    VirtualRunLoop loop_;
    std::mutex mutex_;
    std::condition_variable posted_;
    unsigned long postCount_ = 0;
};

}  // namespace twl::fakes
