#pragma once

#include <string>

namespace twl {

// The button of the client's status item (the tray icon).
class StatusBarButton {
  public:
    virtual ~StatusBarButton() = default;
    // Shows the named image ("menubar", "menubar_hover").
    virtual void setImage(const std::string& imageName) = 0;
    virtual std::string imageName() const = 0;
};

// A button that belongs to no status item: what `statusBarButton` holds until
// the application delegate has launched. It remembers its image and shows nothing.
class DetachedStatusBarButton final : public StatusBarButton {
  public:
    void setImage(const std::string& imageName) override { imageName_ = imageName; }
    std::string imageName() const override { return imageName_; }

  private:
    std::string imageName_;
};

}  // namespace twl
