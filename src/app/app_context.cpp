#include "app/app_context.h"

#include <stdexcept>
#include <utility>

#include "app/stored_secrets.h"
#include "app/storyboard.h"
#include "platform/run_loop.h"
#include "platform/view_controller.h"
#include "platform/window.h"
#include "platform/workspace.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

// The name the desktop knows the client by.
constexpr const char* applicationName = "Tidewaterlink";

template <typename Service>
Service& wired(Service* service, const char* name) {
    if (service == nullptr) {
        throw std::logic_error(std::string("service not wired: ") + name);
    }
    return *service;
}

// Until the context is wired to a real run loop, the countdown needs one to
// hold; a context without a run loop never starts a countdown.
class NoRunLoop final : public RunLoop {
  public:
    std::shared_ptr<Timer> scheduleRepeating(double, Handler) override { return fail(); }
    void delay(double, Handler) override { fail(); }
    void post(Handler) override { fail(); }
    double now() const override { return 0.0; }

  private:
    [[noreturn]] static std::shared_ptr<Timer> fail() {
        throw std::logic_error("service not wired: runLoop");
    }
};

RunLoop& runLoopOrNone(RunLoop* runLoop) {
    static NoRunLoop none;
    return runLoop != nullptr ? *runLoop : none;
}

}  // namespace

AppContext::AppContext(Services services, Endpoints endpoints)
    : serverUrl(endpoints.defaultServer),
      services_(services),
      endpoints_(std::move(endpoints)),
      timerManager_(runLoopOrNone(services.runLoop)),
      secrets_(std::make_unique<StoredSecrets>(*this)),
      connection_(std::make_unique<ConnectionSession>(*this)) {}

// Out of line: the session is complete only here. It stops its timers first.
AppContext::~AppContext() = default;

RunLoop& AppContext::runLoop() const {
    return wired(services_.runLoop, "runLoop");
}
SettingsStore& AppContext::userDefaults() const {
    return wired(services_.settings, "settings");
}
SecretStore& AppContext::keyring() const {
    return wired(services_.keyring, "keyring");
}
Console& AppContext::console() const {
    return wired(services_.console, "console");
}
FileManager& AppContext::fileManager() const {
    return wired(services_.fileManager, "fileManager");
}
Bundle& AppContext::bundle() const {
    return wired(services_.bundle, "bundle");
}
ScriptInterpreter& AppContext::interpreter() const {
    return wired(services_.interpreter, "interpreter");
}
HttpTransport& AppContext::http() const {
    return wired(services_.http, "http");
}
ProxySettings& AppContext::proxySettings() const {
    return wired(services_.proxySettings, "proxySettings");
}
NotificationCenter& AppContext::notifications() const {
    return wired(services_.notifications, "notifications");
}
Workspace& AppContext::workspace() const {
    return wired(services_.workspace, "workspace");
}
AlertPresenter& AppContext::alerts() const {
    return wired(services_.alerts, "alerts");
}
Storyboard& AppContext::storyboard() const {
    return wired(services_.storyboard, "storyboard");
}
NetworkManagerWatch& AppContext::networkManager() const {
    return wired(services_.networkManager, "networkManager");
}
SleepWatch& AppContext::sleep() const {
    return wired(services_.sleep, "sleep");
}

void AppContext::showInPlaceOf(ViewController& current, const std::string& identifier) {
    auto shownIn = current.window();
    auto next = storyboard().instantiateControllerWithIdentifier(identifier);
    if (shownIn && next) {
        shownIn->setContentViewController(std::move(next));
    }
}

void AppContext::hideApplication() {
    workspace().hideApplication(applicationName);
}

}  // namespace twl
