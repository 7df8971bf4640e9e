#pragma once

#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

namespace twl::bench {

// A timer on the UI thread that ticks every `period` and keeps, for each step
// of a walk, the longest time between two ticks on the steady clock: how long
// the thread was kept from its events, and how many gaps a user would notice.
// Entering a step counts as a tick: the thread is free at that moment, so no
// gap spans two steps.
class Heartbeat {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds period{10};
    static constexpr std::chrono::milliseconds noticeable{50};

    struct Step {
        std::string name;
        Clock::duration took{};
        Clock::duration longestGap{};
        int noticeableGaps = 0;
    };

    Heartbeat();

    // Ends the step under way (if any) and begins the next; the first starts
    // the ticks.
    void enter(std::string step);
    // Ends the last step and the ticks.
    void stop();

    const std::vector<Step>& steps() const { return steps_; }
    // The step holding the longest gap of all. Needs one step at least.
    const Step& worst() const;

  private:
    void tick();
    void closeStep(Clock::time_point now);

    QTimer timer_;
    std::vector<Step> steps_;
    Clock::time_point stepBegan_;
    Clock::time_point lastTick_;
};

}  // namespace twl::bench
