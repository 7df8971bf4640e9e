#pragma once

#include <memory>
#include <string>

namespace twl {
class DesktopClient;
}

namespace twl::test_support {

// The client with its own wiring (its session, the watch on the system bus,
// the real tools; as root, whose commands run as they are), made once a
// private NetworkManager is up: the main screen on show, an account signed
// in and the administrator confirmed, so that Connect makes real attempts at
// the private gateway. Its folders are in the private /run. Needs the
// QApplication; quits on the way out as the user would.
class AttemptingClient {
  public:
    AttemptingClient();
    ~AttemptingClient();
    AttemptingClient(const AttemptingClient&) = delete;
    AttemptingClient& operator=(const AttemptingClient&) = delete;

    DesktopClient& client() { return *client_; }
    // What the main screen shows.
    static std::string status();
    static std::string reason();
    // Whether the main screen shows `status` within `ms` milliseconds.
    static bool showsWithin(const std::string& status, int ms);
    // Presses Connect: the seconds until the screen shows `status` (with a
    // reason, for "Disconnected"), or -1 when it does not within 70 s.
    double connectUntil(const std::string& status);

  private:
    std::unique_ptr<DesktopClient> client_;
};

}  // namespace twl::test_support
