#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "fakes/virtual_run_loop.h"

namespace twl::fakes {

// A virtual run loop for tests whose replies come from a real server on
// another thread: runUntil() runs what is posted until a condition holds.
class AwaitableRunLoop final : public RunLoop {
  public:
    std::shared_ptr<Timer> scheduleRepeating(double interval, Handler handler) override {
        return loop_.scheduleRepeating(interval, std::move(handler));
    }
    void delay(double seconds, Handler handler) override {
        loop_.delay(seconds, std::move(handler));
    }
    void post(Handler handler) override { loop_.post(std::move(handler)); }
    double now() const override { return loop_.now(); }

    // False if `done` still does not hold after `limit` (a guard against a
    // hang, not a measure of speed).
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::seconds limit = std::chrono::seconds(120)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (; std::chrono::steady_clock::now() < deadline;
             std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
            loop_.runPending();
            if (done()) {
                return true;
            }
        }
        return false;
    }
    void runPending() { loop_.runPending(); }

  private:
    VirtualRunLoop loop_;
};

}  // namespace twl::fakes
