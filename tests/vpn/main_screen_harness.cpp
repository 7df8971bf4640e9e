#include "main_screen_harness.h"

#include <stdexcept>

#include "app/register_screens.h"
#include "app/settings_keys.h"
#include "fakes/fake_button.h"
#include "fakes/fake_text_field.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "privileged/statement_parser.h"

namespace twl::testing {

std::string connectCommand() {
    return commands::connectService();
}

std::string disconnectCommand() {
    return commands::disconnectService();
}

SimulatedNetwork::SimulatedNetwork(fakes::FakeEnvironment& env) : env_(env) {
    setTunnel(false);
}

ScriptResult SimulatedNetwork::execute(const std::string& source) {
    CommandSeen command;
    if (const auto parsed = parseStatement(source); parsed.statement) {
        command.command = parsed.statement->command;
        command.privileged = parsed.statement->administrator.has_value();
    }
    command.at = env_.loop.elapsed();
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

void SimulatedNetwork::sendJson(HttpRequestSpec, JsonCompletion) {
    throw std::logic_error("the main screen sends no JSON request");
}

TextReply SimulatedNetwork::getText(const std::string&, std::chrono::milliseconds) {
    return TextReply{tunnelUp_ ? tunnelAddress : homeAddress, {}};
}

void SimulatedNetwork::setTunnel(bool up) {
    tunnelUp_ = up;
    env_.proxySettings.settings =
        up ? fakes::FixedProxySettings::withInterfaces({"lo", "en0", "ppp0"})
           : fakes::FixedProxySettings::withInterfaces({"lo", "en0"});
}

void AdminDialogStub::succeed() {
    ctx_.isUserRegistered = true;
    ctx_.isAdminConfirmed = true;
    ctx_.userDefaults().setObject("admin", keys::username);
    ctx_.userDefaults().setObject("admin-pass", keys::userpassword);
    dismissViewController(*this);
}

void AdminDialogStub::cancelOperation() {
    ctx_.registerTimer->invalidate();
    StubScreen::cancelOperation();
}

MainScreenHarness::MainScreenHarness() {
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
    env.storyboard.registerController("DialogController",
                                      [this] { return std::make_shared<AdminDialogStub>(ctx()); });
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

MainScreenHarness::~MainScreenHarness() {
    // Screens and timers use the network; let them go before it does.
    env.window.reset();
    env.context.reset();
}

std::shared_ptr<MainController> MainScreenHarness::showMain() {
    auto screen = std::dynamic_pointer_cast<MainController>(env.show("MainController"));
    if (!screen) {
        throw std::logic_error("the storyboard made no MainController");
    }
    described_ = screen;
    return screen;
}

void MainScreenHarness::click(const ViewController& screen, std::string_view control) {
    env.views(screen).performAction(control);
}

std::string MainScreenHarness::status(const ViewController& screen) const {
    return env.views(screen).outlet<fakes::FakeTextField>("lblConnectStatus")->stringValue();
}

std::string MainScreenHarness::title(const ViewController& screen) const {
    return env.views(screen).outlet<fakes::FakeButton>("btnConnect")->title();
}

std::string MainScreenHarness::address(const ViewController& screen) const {
    return env.views(screen).outlet<fakes::FakeTextField>("lblIPAddress")->stringValue();
}

std::vector<std::string> MainScreenHarness::notifications() const {
    std::vector<std::string> shown;
    for (const auto& request : env.notifications.requests) {
        shown.push_back(request.title + "/" + request.body);
    }
    return shown;
}

std::vector<std::string> MainScreenHarness::commands() const {
    std::vector<std::string> run;
    for (const auto& command : network.seen) {
        run.push_back(command.command);
    }
    return run;
}

std::shared_ptr<AdminDialogStub> MainScreenHarness::presentedDialog() const {
    auto modal = env.window->modalWindow();
    return modal ? std::dynamic_pointer_cast<AdminDialogStub>(modal->contentViewController())
                 : nullptr;
}

}  // namespace twl::testing
