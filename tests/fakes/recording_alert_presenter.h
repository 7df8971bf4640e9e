#pragma once

#include <functional>
#include <vector>

#include "platform/alert_presenter.h"

namespace twl::fakes {

// Records every alert and answers at once, as if its first button were
// pressed. `whileShown` runs inside runModal, for tests that need something to
// happen while the alert is up (a timer tick, say).
class RecordingAlertPresenter final : public AlertPresenter {
  public:
    int runModal(const Alert& alert) override {
        alerts.push_back(alert);
        if (whileShown) {
            whileShown(alert);
        }
        return Alert::firstButtonReturn;
    }

    std::vector<Alert> alerts;
    std::function<void(const Alert&)> whileShown;
};

}  // namespace twl::fakes
