#pragma once

namespace twl {

// Hears about the life of a window; a screen that shows in it may make itself
// the delegate. Held weakly by the window.
class WindowDelegate {
  public:
    virtual ~WindowDelegate() = default;
    // The user is closing the window (its close button, or a close command).
    virtual void windowWillClose() = 0;
};

}  // namespace twl
