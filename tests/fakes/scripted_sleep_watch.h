#pragma once

#include "platform/sleep_watch.h"

namespace twl::fakes {

// The machine's sleep as the test plays it.
class ScriptedSleepWatch final : public SleepWatch {
  public:
    void start(SleepListener& listener) override { listener_ = &listener; }
    void stop() override { listener_ = nullptr; }

    void prepareForSleep(bool sleeping) {
        if (listener_ != nullptr) {
            listener_->preparingForSleep(sleeping);
        }
    }

  private:
    SleepListener* listener_ = nullptr;
};

}  // namespace twl::fakes
