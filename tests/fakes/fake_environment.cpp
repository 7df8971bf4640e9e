#include "fakes/fake_environment.h"

#include "app/register_screens.h"
#include "fakes/fake_root_view.h"

namespace twl::fakes {

FakeEnvironment::FakeEnvironment() {
    proxySettings.settings = FixedProxySettings::withInterfaces({"lo", "en0"});
    context = std::make_unique<AppContext>(
        Services{.runLoop = &loop,
                 .settings = &settings,
                 .console = &console,
                 .fileManager = &files,
                 .bundle = &bundle,
                 .interpreter = &system,
                 .http = &http,
                 .proxySettings = &proxySettings,
                 .notifications = &notifications,
                 .workspace = &workspace,
                 .alerts = &alerts,
                 .storyboard = &storyboard},
        Endpoints{"https://api.test", "https://ip.test", "vpn.test", ""});
    registerScreens(storyboard, *context);
    window = FakeWindow::makeMain(loader);
}

FakeEnvironment::~FakeEnvironment() {
    // Screens and timers hold the context; let them go first.
    window.reset();
    context.reset();
}

std::shared_ptr<ViewController> FakeEnvironment::show(const std::string& identifier) {
    auto screen = storyboard.instantiateControllerWithIdentifier(identifier);
    if (screen) {
        window->setContentViewController(screen);
    }
    return screen;
}

FakeRootView& FakeEnvironment::views(const ViewController& screen) {
    return FakeRootView::of(screen);
}

}  // namespace twl::fakes
