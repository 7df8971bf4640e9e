#pragma once

#include <memory>

namespace twl {

// A screen: the content of a window, or a dialog. Controllers are shared; the
// window that shows one holds it.
class ViewController : public std::enable_shared_from_this<ViewController> {
  public:
    virtual ~ViewController() = default;

    // Once the screen's views have been made and bound.
    virtual void viewDidLoad() {}
    // Each time the screen has been shown.
    virtual void viewDidAppear() {}
};

}  // namespace twl
