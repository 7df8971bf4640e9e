#pragma once

#include <memory>

#include "fakes/recording_status_bar_button.h"
#include "platform/status_item.h"

namespace twl::fakes {

class FakeStatusItem final : public StatusItem {
  public:
    std::shared_ptr<StatusBarButton> button() override { return button_; }
    void setMenu(std::shared_ptr<Menu> menu) override { menu_ = std::move(menu); }
    std::shared_ptr<Menu> menu() const override { return menu_; }

    RecordingStatusBarButton& recordingButton() { return *button_; }

  private:
    std::shared_ptr<RecordingStatusBarButton> button_ =
        std::make_shared<RecordingStatusBarButton>();
    std::shared_ptr<Menu> menu_;
};

}  // namespace twl::fakes
