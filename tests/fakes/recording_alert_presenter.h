#pragma once

#include <vector>

#include "platform/alert_presenter.h"

namespace twl::fakes {

// Records every alert and answers at once, as if its first button were
// pressed.
class RecordingAlertPresenter final : public AlertPresenter {
  public:
    int runModal(const Alert& alert) override {
        alerts.push_back(alert);
        return 0;  // the first button
    }

    std::vector<Alert> alerts;
};

}  // namespace twl::fakes
