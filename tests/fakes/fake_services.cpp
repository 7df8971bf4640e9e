#include "fakes/fake_services.h"

namespace twl::fakes {

FakeServices::FakeServices(RunLoop& loop, HttpTransport& http, Options options)
    : keyring(loop), system(files, loop), networkManager(loop) {
    proxySettings.settings = FixedProxySettings::withInterfaces({"lo", "en0"});
    context = std::make_unique<AppContext>(
        Services{.runLoop = &loop,
                 .settings = &settings,
                 .keyring = &keyring,
                 .console = &console,
                 .fileManager = &files,
                 .bundle = &bundle,
                 .interpreter = &system,
                 .http = &http,
                 .proxySettings = options.proxySettings ? options.proxySettings : &proxySettings,
                 .notifications = &notifications,
                 .workspace = options.workspace ? options.workspace : &workspace,
                 .alerts = options.alerts ? options.alerts : &alerts,
                 .storyboard = &storyboard,
                 .networkManager = &networkManager,
                 .sleep = &sleep},
        std::move(options.endpoints));
}

}  // namespace twl::fakes
