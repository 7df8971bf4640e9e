#include "in_process_client.h"

#include <QCoreApplication>

#include "app/register_screens.h"
#include "platform/view_controller.h"

namespace twl::test_support {

InProcessClient::InProcessClient(const std::filesystem::path& bundleRoot,
                                 const fakes::DevproviderProcess& provider,
                                 const std::string& builtInServer)
    : bundle(bundleRoot / "bin" / "tidewaterlink"),
      endpoints{provider.baseUrl(), provider.baseUrl(), builtInServer, provider.caFile()},
      commandRunner(bundle.resourceFolder() / "compat"),
      interpreter(commandRunner, runLoop),
      http(runLoop, endpoints.extraCaFile),
      notifications(runLoop),
      workspace(trayAvailable),
      context(Services{.runLoop = &runLoop,
                       .settings = &settings,
                       .console = &console,
                       .fileManager = &fileManager,
                       .bundle = &bundle,
                       .interpreter = &interpreter,
                       .http = &http,
                       .proxySettings = &proxySettings,
                       .notifications = &notifications,
                       .workspace = &workspace,
                       .alerts = &alerts,
                       .storyboard = &storyboard},
              endpoints),
      shell(*layouts, workspace, trayAvailable),
      delegate(context, shell.statusBar()) {
    registerScreens(storyboard, context);
    shell.launch(delegate, storyboard.instantiateControllerWithIdentifier("LoginController"));
}

InProcessClient::~InProcessClient() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::string InProcessClient::showing() {
    auto shown = shell.mainWindow().contentViewController();
    return shown ? shown->storyboardIdentifier() : "";
}

}  // namespace twl::test_support
