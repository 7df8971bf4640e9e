#pragma once

#include <memory>
#include <vector>

#include "fakes/fake_view_base.h"
#include "platform/window.h"

namespace twl {
class ViewLoader;
}

namespace twl::fakes {

// A window without a screen, behaving as the real one does: content swaps load
// the new screen (viewDidLoad), then show it (viewDidAppear when the window is
// visible); modal windows are presented over it without a nested loop.
//
// Like the real window, it does not drop a replaced or dismissed screen while
// a test's action may still be running in it: it keeps it until
// dropReleased(), so tests can also check that nothing else holds it.
class FakeWindow final : public Window, public std::enable_shared_from_this<FakeWindow> {
  public:
    // A main window, on screen.
    static std::shared_ptr<FakeWindow> makeMain(ViewLoader& loader);

    void setContentViewController(std::shared_ptr<ViewController> controller) override;
    std::shared_ptr<ViewController> contentViewController() const override { return content_; }
    void setDelegate(std::weak_ptr<WindowDelegate> delegate) override { delegate_ = delegate; }
    std::shared_ptr<WindowDelegate> delegate() const override { return delegate_.lock(); }
    unsigned styleMask() const override { return styleMask_; }
    void setStyleMask(unsigned styleMask) override { styleMask_ = styleMask; }
    void presentViewControllerAsModalWindow(std::shared_ptr<ViewController> controller) override;
    void dismiss() override;

    // The close button: the main window tells its delegate and leaves the
    // screen; a modal window's close button is its screen's Cancel.
    void performClose();
    void pressEscape();

    // The newest modal window presented over this one and not yet dismissed, or nothing.
    std::shared_ptr<FakeWindow> modalWindow() const;

    // Lets go of replaced screens and dismissed windows.
    void dropReleased() { released_.clear(); }

    // Made only through makeMain and presentViewControllerAsModalWindow.
    class Key {
        friend class FakeWindow;
        Key() = default;
    };
    FakeWindow(Key, ViewLoader& loader) : loader_(loader) {}

  private:
    void show();
    void releaseContent();

    ViewLoader& loader_;
    std::shared_ptr<ViewController> content_;
    std::weak_ptr<WindowDelegate> delegate_;
    unsigned styleMask_ = window_style::titled | window_style::closable |
                          window_style::miniaturizable | window_style::resizable;
    bool visible_ = false;
    bool modal_ = false;
    bool dismissed_ = false;
    std::weak_ptr<FakeWindow> presenter_;
    std::vector<std::shared_ptr<FakeWindow>> presented_;
    std::vector<std::shared_ptr<void>> released_;
    std::shared_ptr<FakeView> frame_ = std::make_shared<FakeView>(false);
};

}  // namespace twl::fakes
