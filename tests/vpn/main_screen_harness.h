#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fake_environment.h"
#include "fakes/stub_screen.h"
#include "platform/http_transport.h"
#include "platform/script_interpreter.h"
#include "vpn/main_controller.h"

namespace twl::testing {

inline constexpr const char* homeAddress = "198.51.100.20";
inline constexpr const char* tunnelAddress = "203.0.113.7";

// One command the client ran, and what the screen under test showed then.
struct CommandSeen {
    std::string command;
    bool privileged = false;
    double at = 0.0;  // seconds since the harness was made
    std::string status;
    std::string title;
    std::size_t notificationsBefore = 0;
};

// The machine under the main screen. The connect command brings the tunnel
// "ppp0" up `tunnelDelay` seconds later (never, when unset); the disconnect
// command takes it down at once. The public-IP service answers with the
// tunnel's address while the tunnel is up. Statements go on to the
// environment's SimulatedSystem, which checks the administrator pair.
class SimulatedNetwork final : public ScriptInterpreter, public HttpTransport {
  public:
    explicit SimulatedNetwork(fakes::FakeEnvironment& env);

    ScriptResult execute(const std::string& source) override;
    void sendJson(HttpRequestSpec request, JsonCompletion completion) override;
    TextReply getText(const std::string& url, std::chrono::milliseconds bound) override;

    void setTunnel(bool up);

    std::optional<double> tunnelDelay = 0.0;
    std::vector<CommandSeen> seen;
    std::function<void(CommandSeen&)> describe;

  private:
    fakes::FakeEnvironment& env_;
    bool tunnelUp_ = false;
};

// The administrator dialog as it behaves toward the main screen: success
// raises the two flags, stores the pair and closes; Cancel (or Esc) stops
// registerTimer and closes.
class AdminDialogStub final : public fakes::StubScreen {
  public:
    explicit AdminDialogStub(AppContext& ctx) : ctx_(ctx) {}
    void succeed();
    void cancelOperation() override;

  private:
    AppContext& ctx_;
};

// A FakeEnvironment whose context runs statements and public-IP lookups
// through a SimulatedNetwork, with an account signed in, the administrator
// pair stored and confirmed, and the status item launched.
class MainScreenHarness {
  public:
    MainScreenHarness();
    ~MainScreenHarness();

    AppContext& ctx() const { return *env.context; }
    // A fresh main screen in the window; the one CommandSeen describes.
    std::shared_ptr<MainController> showMain();
    void click(const ViewController& screen, std::string_view control);
    std::string status(const ViewController& screen) const;
    std::string title(const ViewController& screen) const;
    std::string address(const ViewController& screen) const;
    std::string icon() const { return ctx().statusBarButton->imageName(); }
    // "title/body" of every notification, in order.
    std::vector<std::string> notifications() const;
    std::vector<std::string> commands() const;
    std::shared_ptr<AdminDialogStub> presentedDialog() const;

    fakes::FakeEnvironment env;
    SimulatedNetwork network{env};

  private:
    std::weak_ptr<MainController> described_;
};

std::string connectCommand();
std::string disconnectCommand();

}  // namespace twl::testing
