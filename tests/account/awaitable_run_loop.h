#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "fakes/virtual_run_loop.h"

namespace twl::fakes {

// A virtual run loop for tests whose replies come from a real server on
// another thread: runUntil() runs what is posted until a condition holds.
class AwaitableRunLoop final : public VirtualRunLoop {
  public:
    // False if `done` still does not hold after `limit` (a guard against a
    // hang, not a measure of speed).
    bool runUntil(const std::function<bool()>& done,
                  std::chrono::seconds limit = std::chrono::seconds(120)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (; std::chrono::steady_clock::now() < deadline;
             std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
            runPending();
            if (done()) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace twl::fakes
