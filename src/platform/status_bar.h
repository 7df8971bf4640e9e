#pragma once

#include <memory>

namespace twl {

class StatusItem;

// The desktop's status area.
class StatusBar {
  public:
    // The length that makes an item as wide as its image.
    static constexpr double variableLength = -1.0;

    virtual ~StatusBar() = default;

    // A new item, without image or menu until the caller gives it them. It
    // stays in the status area for as long as the caller holds it.
    virtual std::shared_ptr<StatusItem> statusItemWithLength(double length) = 0;
};

}  // namespace twl
