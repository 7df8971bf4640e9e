#pragma once

#include <memory>

namespace twl {

class Menu;
class StatusBarButton;

// The client's item in the desktop's status area (the tray). It shows its
// button's image and, when clicked, its menu.
class StatusItem {
  public:
    virtual ~StatusItem() = default;

    // The same button for the item's whole life.
    virtual std::shared_ptr<StatusBarButton> button() = 0;
    virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
    virtual std::shared_ptr<Menu> menu() const = 0;
};

}  // namespace twl
