#pragma once

#include <memory>
#include <string>

#include "platform/view_controller.h"
#include "platform/window_delegate.h"
#include "vpn/connection_observer.h"

namespace twl {

class AppContext;
class Button;
class TextField;

// The screen after a good sign-in: connects and disconnects the VPN with one
// button, shows the connection state and the public IP address, and leads to
// the settings screen and back to sign-in. It is its window's delegate.
//
// The connection itself is the session's: the screen draws the session's state
// when it loads and follows it while it is on show; a replaced screen holds
// nothing of it.
class MainController final : public ViewController,
                             public WindowDelegate,
                             public ConnectionObserver {
  public:
    explicit MainController(AppContext& context);

    void bindOutlets(OutletBinder& binder) override;
    void viewDidLoad() override;
    void viewDidAppear() override;
    void windowWillClose() override;

    // Actions.
    void goSetting();
    void trySignOut();
    void tryDisconnect();
    void tryConnect();

    void connectionStateChanged(ConnectionState state) override;
    void tunnelChanged() override;
    void publicIpFound(const std::string& address) override;

  private:
    void showServerAlert();
    void presentAdminDialog();
    void showInWindow(const std::string& identifier);
    void refreshPublicIp();
    std::shared_ptr<MainController> self();

    AppContext& ctx_;

    std::weak_ptr<Button> btnConnect;
    std::weak_ptr<Button> btnSignOut;
    std::weak_ptr<TextField> lblConnectStatus;
    std::weak_ptr<TextField> lblConnectReason;
    std::weak_ptr<TextField> lblIPAddress;
    std::string executableVPNPath;
    // Counts the look-ups asked for, so that only the newest one's answer shows.
    unsigned publicIpAsked_ = 0;
};

}  // namespace twl
