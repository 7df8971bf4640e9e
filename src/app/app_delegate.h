#pragma once

#include <memory>

#include "platform/application_delegate.h"

namespace twl {

class AppContext;
class Menu;
class StatusBar;
class StatusItem;

// The application's delegate: owns the client's status item and its one-entry
// menu, shares the item's button as `statusBarButton`, and ends the connection
// when the client quits. It opens no window.
//
// The status item is made once launching has finished, after the window is
// shown: finding the desktop's tray takes round trips to the session bus (or
// the X server) that the window need not wait for.
class AppDelegate final : public ApplicationDelegate {
  public:
    // Creates an empty menu; no status item yet.
    AppDelegate(AppContext& context, StatusBar& statusBar);

    void applicationDidFinishLaunching() override;
    // Always: the platform brings the window back as it usually does.
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;
    void applicationWillTerminate() override;

    // Notifications show even while the client is in front.
    bool shouldPresentNotification() const { return true; }

    // Nothing until launching has finished.
    const std::shared_ptr<StatusItem>& statusItem() const { return statusItem_; }
    const std::shared_ptr<Menu>& menu() const { return menu_; }

  private:
    AppContext& context_;
    StatusBar& statusBar_;
    std::shared_ptr<StatusItem> statusItem_;
    std::shared_ptr<Menu> menu_;
};

}  // namespace twl
