#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/status_bar.h"
#include "platform/status_bar_button.h"
#include "platform/status_item.h"

namespace twl::fakes {

// Remembers every image it was given, in order.
class RecordingStatusBarButton final : public StatusBarButton {
  public:
    void setImage(const std::string& imageName) override { images.push_back(imageName); }
    std::string imageName() const override { return images.empty() ? "" : images.back(); }

    std::vector<std::string> images;
};

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

// Keeps every item it made, for tests to inspect.
class FakeStatusBar final : public StatusBar {
  public:
    std::shared_ptr<StatusItem> statusItemWithLength(double) override {
        return items.emplace_back(std::make_shared<FakeStatusItem>());
    }

    std::vector<std::shared_ptr<FakeStatusItem>> items;
};

}  // namespace twl::fakes
