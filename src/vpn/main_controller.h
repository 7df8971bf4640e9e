#pragma once

#include <memory>
#include <string>

#include "platform/view_controller.h"
#include "platform/window_delegate.h"

namespace twl {

class AppContext;
class Button;
class TextField;

// The screen after a good sign-in: connects and disconnects the VPN with one
// button, shows the connection state and the public IP address, and leads to
// the settings screen and back to sign-in. It is its window's delegate.
//
// Its timers and the connect countdown hold it: a main screen replaced in the
// window goes on receiving their ticks and updating its own views.
class MainController final : public ViewController, public WindowDelegate {
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

    // Ticks of registerTimer (0.1 s) and detectionTimer (0.5 s).
    void startRegisterTimer();
    void detectTimer();

  private:
    void beginConnecting();
    void startConnectCountdown();
    void finishConnectCountdown();
    void connectVpnService();
    void disconnectVpnService();
    void showServerAlert();
    void presentAdminDialog();
    void startRegisterWait();
    void startDetection();
    void showConnected();
    void showTunnelDropped();
    void giveUpConnecting();
    void showDisconnectedTexts();
    void showInWindow(const std::string& identifier);
    std::shared_ptr<MainController> self();

    AppContext& ctx_;

    std::weak_ptr<Button> btnConnect;
    std::weak_ptr<Button> btnSignOut;
    std::weak_ptr<TextField> lblConnectStatus;
    std::weak_ptr<TextField> lblIPAddress;
    bool connectClickStatus = true;
    bool isTimerStart = true;
    bool isTryConnect = true;
    std::string executableVPNPath;

    // The current attempt's detection: ticks since its connect command, and
    // whether it has seen the tunnel (from then on it watches the tunnel).
    int ticksSinceConnectCommand_ = 0;
    bool tunnelSeen_ = false;
};

}  // namespace twl
