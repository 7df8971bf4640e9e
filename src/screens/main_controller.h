#pragma once

#include <memory>
#include <string>

#include "app/step_guard.h"
#include "screens/view_controller.h"
#include "screens/window_delegate.h"
#include "ui_main_controller.h"
#include "vpn/connection_observer.h"

namespace twl {

class AppContext;

// The screen after a good sign-in: connects and disconnects the VPN with one
// button, shows the connection state (and why it ended) and the public IP
// address, and leads to the settings screen and back to sign-in. It is its
// window's delegate.
//
// The connection itself is the session's: the screen draws the session's state
// when it loads and follows it while it is on show; a replaced screen holds
// nothing of it.
class MainController final : public ViewController,
                             public WindowDelegate,
                             public ConnectionObserver {
  public:
    explicit MainController(AppContext& ctx);

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

  protected:
    void loadView(QWidget& root) override;

  private:
    void showServerAlert();
    void presentAdminDialog();
    void leaveFor(const std::string& identifier);
    void refreshPublicIp();
    std::shared_ptr<MainController> self();

    AppContext& ctx_;
    Ui::MainControllerLayout ui{};
    std::string executableVPNPath;
    // Only the newest look-up's answer shows.
    StepGuard lookUps_;
};

}  // namespace twl
