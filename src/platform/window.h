#pragma once

#include <memory>

namespace twl {

class ViewController;
class WindowDelegate;

// The bits of a window's style mask, with the platform's values.
namespace window_style {
inline constexpr unsigned titled = 1U << 0;
inline constexpr unsigned closable = 1U << 1;
inline constexpr unsigned miniaturizable = 1U << 2;
inline constexpr unsigned resizable = 1U << 3;
}  // namespace window_style

// A window that shows one screen at a time: the main window, or a modal window
// presented over it. All calls on the main thread.
class Window {
  public:
    virtual ~Window() = default;

    // Makes the screen the window's content. Loads its views the first time
    // (then viewDidLoad), puts them in place of the old content, and, if the
    // window is on screen, calls viewDidAppear. The replaced screen leaves the
    // window (its window() becomes empty) but keeps its views for as long as
    // it lives; the window drops its hold on it once the current event is done.
    virtual void setContentViewController(std::shared_ptr<ViewController> controller) = 0;
    virtual std::shared_ptr<ViewController> contentViewController() const = 0;

    virtual void setDelegate(std::weak_ptr<WindowDelegate> delegate) = 0;
    virtual std::shared_ptr<WindowDelegate> delegate() const = 0;

    // window_style bits. Without `resizable` the user cannot resize the window.
    virtual unsigned styleMask() const = 0;
    virtual void setStyleMask(unsigned styleMask) = 0;

    // Shows the screen in a new window-modal window over this one and returns
    // at once (no nested loop: timers keep running). The new window holds the
    // screen until dismissed. Closing it by its close button or Esc calls the
    // screen's cancelOperation().
    virtual void presentViewControllerAsModalWindow(std::shared_ptr<ViewController> controller) = 0;

    // Closes a modal window presented by another window and lets go of its
    // screen; the main window ignores it.
    virtual void dismiss() = 0;
};

}  // namespace twl
