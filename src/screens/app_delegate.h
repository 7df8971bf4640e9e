#pragma once

#include <functional>
#include <memory>

namespace twl {

class AppContext;
class TrayItem;

// The application's delegate: owns the client's tray item and its menu,
// shares the item's button as `statusBarButton`, and ends the connection when
// the client quits. It opens no window.
//
// The tray item is made once launching has finished, after the window is
// shown: finding the desktop's tray takes round trips to the session bus (or
// the X server) that the window need not wait for.
class AppDelegate {
  public:
    // `quit` is what the menu's entry does: the client's one quit path.
    AppDelegate(AppContext& ctx, std::function<void()> quit);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Once, after the first screen is in its window.
    void applicationDidFinishLaunching();
    // The user launched the client again while it runs: always true, so its
    // windows come back as usual.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // Once, just before the process ends, whichever way quitting began.
    void applicationWillTerminate();

    // Nothing until launching has finished.
    TrayItem* statusItem() const { return statusItem_.get(); }

  private:
    AppContext& ctx_;
    std::function<void()> quit_;
    std::unique_ptr<TrayItem> statusItem_;
};

}  // namespace twl
