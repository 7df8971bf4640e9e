#include "app/app_context.h"

#include <stdexcept>
#include <utility>

#include "app/stored_secrets.h"
#include "platform/workspace.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

// The name the desktop knows the client by.
constexpr const char* applicationName = "Tidewaterlink";

template <typename Service>
Service& given(Service* service, const char* name) {
    if (service == nullptr) {
        throw std::invalid_argument(std::string("the context needs the service ") + name);
    }
    return *service;
}

}  // namespace

AppContext::AppContext(const Services& services, Endpoints endpoints)
    : serverUrl(endpoints.defaultServer),
      runLoop_(given(services.runLoop, "runLoop")),
      settings_(given(services.settings, "settings")),
      keyring_(given(services.keyring, "keyring")),
      console_(given(services.console, "console")),
      fileManager_(given(services.fileManager, "fileManager")),
      bundle_(given(services.bundle, "bundle")),
      interpreter_(given(services.interpreter, "interpreter")),
      http_(given(services.http, "http")),
      proxySettings_(given(services.proxySettings, "proxySettings")),
      notifications_(given(services.notifications, "notifications")),
      workspace_(given(services.workspace, "workspace")),
      alerts_(given(services.alerts, "alerts")),
      storyboard_(given(services.storyboard, "storyboard")),
      networkManager_(given(services.networkManager, "networkManager")),
      sleep_(given(services.sleep, "sleep")),
      endpoints_(std::move(endpoints)),
      timerManager_(runLoop_),
      secrets_(std::make_unique<StoredSecrets>(*this)),
      connection_(std::make_unique<ConnectionSession>(*this)) {}

// Out of line: the session is complete only here. It stops its timers first.
AppContext::~AppContext() = default;

void AppContext::hideApplication() {
    workspace_.hideApplication(applicationName);
}

}  // namespace twl
