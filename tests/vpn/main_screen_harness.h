#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/register_screens.h"
#include "app/settings_keys.h"
#include "fakes/fake_button.h"
#include "fakes/fake_environment.h"
#include "fakes/fake_text_field.h"
#include "fakes/stub_screen.h"
#include "platform/http_transport.h"
#include "platform/script_interpreter.h"
#include "privileged/commands.h"
#include "privileged/statement_parser.h"
#include "vpn/main_controller.h"

namespace twl::testing {

inline constexpr const char* homeAddress = "198.51.100.20";
inline constexpr const char* tunnelAddress = "203.0.113.7";

inline std::string connectCommand() {
    return commands::connectService();
}
inline std::string disconnectCommand() {
    return commands::disconnectService();
}

// One command the client ran, and what the screen under test showed then.
struct CommandSeen {
    std::string command;
    bool privileged = false;
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
    explicit SimulatedNetwork(fakes::FakeEnvironment& env) : env_(env) { setTunnel(false); }

    ScriptResult execute(const std::string& source) override {
        CommandSeen command;
        if (const auto parsed = parseStatement(source); parsed.statement) {
            command.command = parsed.statement->command;
            command.privileged = parsed.statement->administrator.has_value();
        }
        command.notificationsBefore = env_.notifications.requests.size();
        if (describe) {
            describe(command);
        }
        seen.push_back(command);

        const ScriptResult result = env_.system.execute(source);
        if (command.command == connectCommand() && tunnelDelay) {
            env_.loop.delay(*tunnelDelay, [this] { setTunnel(true); });
        } else if (command.command == disconnectCommand()) {
            setTunnel(false);
        }
        return result;
    }
    void sendJson(HttpRequestSpec, JsonCompletion) override {
        throw std::logic_error("the main screen sends no JSON request");
    }
    TextReply getText(const std::string&, std::chrono::milliseconds) override {
        return TextReply{tunnelUp_ ? tunnelAddress : homeAddress, {}};
    }

    void setTunnel(bool up) {
        tunnelUp_ = up;
        env_.proxySettings.settings =
            up ? fakes::FixedProxySettings::withInterfaces({"lo", "en0", "ppp0"})
               : fakes::FixedProxySettings::withInterfaces({"lo", "en0"});
    }

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
    void succeed() {
        ctx_.isUserRegistered = true;
        ctx_.isAdminConfirmed = true;
        ctx_.userDefaults().setObject("admin", keys::username);
        ctx_.userDefaults().setObject("admin-pass", keys::userpassword);
        dismissViewController(*this);
    }
    void cancelOperation() override {
        ctx_.registerTimer->invalidate();
        StubScreen::cancelOperation();
    }

  private:
    AppContext& ctx_;
};

// A FakeEnvironment whose context runs statements and public-IP lookups
// through a SimulatedNetwork, with an account signed in, the administrator
// pair stored and confirmed, and the status item launched.
class MainScreenHarness {
  public:
    MainScreenHarness() {
        // The same services, but statements and lookups go through the network.
        const Endpoints endpoints = env.context->endpoints();
        env.window.reset();
        env.context = std::make_unique<AppContext>(Services{.runLoop = &env.loop,
                                                            .settings = &env.settings,
                                                            .console = &env.console,
                                                            .fileManager = &env.files,
                                                            .bundle = &env.bundle,
                                                            .interpreter = &network,
                                                            .http = &network,
                                                            .proxySettings = &env.proxySettings,
                                                            .notifications = &env.notifications,
                                                            .workspace = &env.workspace,
                                                            .alerts = &env.alerts,
                                                            .storyboard = &env.storyboard},
                                                   endpoints);
        env.storyboard = Storyboard{};
        registerScreens(env.storyboard, ctx());
        for (const char* other : {"LoginController", "SettingController"}) {
            env.storyboard.registerController(other,
                                              [] { return std::make_shared<fakes::StubScreen>(); });
        }
        env.storyboard.registerController(
            "DialogController", [this] { return std::make_shared<AdminDialogStub>(ctx()); });
        env.window = fakes::FakeWindow::makeMain(env.loader);

        ctx().accountUserName = "demo";
        ctx().accountPassword = "demo-pass";
        env.settings.setObject("admin", keys::username);
        env.settings.setObject("admin-pass", keys::userpassword);
        ctx().isAdminConfirmed = true;
        ctx().statusBarButton->setImage("menubar");
        network.describe = [this](CommandSeen& command) {
            if (auto screen = described_.lock()) {
                command.status = status(*screen);
                command.title = title(*screen);
            }
        };
    }
    ~MainScreenHarness() {
        // Screens and timers use the network; let them go before it does.
        env.window.reset();
        env.context.reset();
    }

    AppContext& ctx() const { return *env.context; }
    // A fresh main screen in the window; the one CommandSeen describes.
    std::shared_ptr<MainController> showMain() {
        auto screen = std::dynamic_pointer_cast<MainController>(env.show("MainController"));
        if (!screen) {
            throw std::logic_error("the storyboard made no MainController");
        }
        described_ = screen;
        return screen;
    }
    void click(const ViewController& screen, std::string_view control) {
        env.views(screen).performAction(control);
    }
    std::string status(const ViewController& screen) const {
        return env.views(screen).outlet<fakes::FakeTextField>("lblConnectStatus")->stringValue();
    }
    std::string address(const ViewController& screen) const {
        return env.views(screen).outlet<fakes::FakeTextField>("lblIPAddress")->stringValue();
    }
    std::string title(const ViewController& screen) const {
        return env.views(screen).outlet<fakes::FakeButton>("btnConnect")->title();
    }
    std::string icon() const { return ctx().statusBarButton->imageName(); }
    // "title/body" of every notification, in order.
    std::vector<std::string> notifications() const {
        std::vector<std::string> shown;
        for (const auto& request : env.notifications.requests) {
            shown.push_back(request.title + "/" + request.body);
        }
        return shown;
    }
    std::vector<std::string> commands() const {
        std::vector<std::string> run;
        for (const auto& command : network.seen) {
            run.push_back(command.command);
        }
        return run;
    }
    std::shared_ptr<AdminDialogStub> presentedDialog() const {
        auto modal = env.window->modalWindow();
        return modal ? std::dynamic_pointer_cast<AdminDialogStub>(modal->contentViewController())
                     : nullptr;
    }

    fakes::FakeEnvironment env;
    SimulatedNetwork network{env};

  private:
    std::weak_ptr<MainController> described_;
};

}  // namespace twl::testing
