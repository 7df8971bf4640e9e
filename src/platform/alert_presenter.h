#pragma once

#include "platform/alert.h"

namespace twl {

// Shows alerts. Called on the main thread.
class AlertPresenter {
  public:
    virtual ~AlertPresenter() = default;

    // Shows the alert and returns when the user has pressed one of its buttons,
    // with that button's place among them (0 for the first). While it waits,
    // the main run loop keeps running, so timers may fire meanwhile.
    virtual int runModal(const Alert& alert) = 0;
};

}  // namespace twl
