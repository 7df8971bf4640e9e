#pragma once

#include <vector>

#include "platform/menu_item.h"

namespace twl {

// The entries of a status item's menu, in order. The platform builds the shown
// menu from the entries there are when the menu is attached to its item.
class Menu {
  public:
    void addItem(MenuItem item) { items_.push_back(std::move(item)); }
    const std::vector<MenuItem>& items() const { return items_; }

  private:
    std::vector<MenuItem> items_;
};

}  // namespace twl
