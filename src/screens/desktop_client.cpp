#include "screens/desktop_client.h"

#include <QCoreApplication>

#include "app/stored_secrets.h"
#include "screens/register_screens.h"
#include "screens/screen_window.h"
#include "screens/view_controller.h"

namespace twl {

DesktopClient::DesktopClient(const ExecutableBundle& bundle, const Endpoints& endpoints,
                             std::function<bool()> trayAvailable)
    : trayAvailable_(std::move(trayAvailable)),
      bundle_(bundle),
      commandRunner_(bundle_.resourceFolder() / "compat"),
      interpreter_(commandRunner_, runLoop_),
      http_(runLoop_, endpoints.extraCaFile),
      notifications_(runLoop_),
      workspace_(trayAvailable_),
      ctx_(Services{.runLoop = &runLoop_,
                    .settings = &settings_,
                    .keyring = &keyring_,
                    .console = &console_,
                    .fileManager = &fileManager_,
                    .bundle = &bundle_,
                    .interpreter = &interpreter_,
                    .http = &http_,
                    .proxySettings = &proxySettings_,
                    .notifications = &notifications_,
                    .workspace = &workspace_,
                    .alerts = &alerts_,
                    .storyboard = &storyboard_,
                    .networkManager = &networkManager_,
                    .sleep = &sleep_},
           endpoints),
      shell_(workspace_, trayAvailable_),
      delegate_(ctx_, [this] { shell_.terminate(); }) {
    commandRunner_.removeLeftovers();
    ctx_.secrets().start();
    registerScreens(storyboard_, ctx_);
    shell_.launch(delegate_, storyboard_.instantiateControllerWithIdentifier("LoginController"));
}

// Screens, timers and views go before the adapters they use.
DesktopClient::~DesktopClient() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    commandRunner_.removeLeftovers();
}

std::string DesktopClient::showing() {
    auto shown = shell_.mainWindow().contentViewController();
    return shown ? shown->storyboardIdentifier() : "";
}

}  // namespace twl
