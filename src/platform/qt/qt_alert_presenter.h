#pragma once

#include <functional>

#include "platform/alert_presenter.h"

class QWidget;

namespace twl {

// Alerts as message boxes: the alert style's icon, the client's name as the
// title, the buttons in order (the first is the default; "OK" when the alert
// names none). Runs a nested event loop until a button is pressed.
class QtAlertPresenter final : public AlertPresenter {
  public:
    // The window the box is centred on; the active window when not given.
    explicit QtAlertPresenter(std::function<QWidget*()> parent = {});

    int runModal(const Alert& alert) override;

  private:
    std::function<QWidget*()> parent_;
};

}  // namespace twl
