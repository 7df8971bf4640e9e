#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "heartbeat.h"

namespace twl {
class DesktopClient;
}

namespace twl::bench {

struct WalkSetup {
    std::string accountName;
    std::string accountPassword;
    std::string adminName;
    std::string adminPassword;
    std::string publicIp;  // what the main screen shows once the look-up is answered
    // Held after a step whose end starts a public-IP look-up, so that its
    // answer lands inside the step.
    std::chrono::milliseconds settle;
};

// Drives the client's real screens, as a user would, through sign-in, the
// main screen, connect with the administrator dialog (a wrong password, then
// the right one), disconnect and sign-out, telling the heartbeat each step.
// Waits by turning the event loop as the application does, each wait bounded.
class ScreenWalk {
  public:
    ScreenWalk(DesktopClient& client, Heartbeat& heartbeat, WalkSetup setup);

    // Throws std::runtime_error naming the step and what never came.
    void run();

  private:
    void signIn();
    void waitForAddress();
    void openAdministratorDialog();
    void giveWrongPassword();
    void giveRightPassword();
    void waitUntilConnected();
    void disconnect();
    void signOut();

    void waitFor(const std::string& what, const std::function<bool()>& done);
    void settle();

    DesktopClient& client_;
    Heartbeat& heartbeat_;
    WalkSetup setup_;
};

}  // namespace twl::bench
