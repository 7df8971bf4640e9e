#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "account/devprovider_process.h"
#include "app/app_context.h"
#include "app/app_delegate.h"
#include "app/stdout_console.h"
#include "app/storyboard.h"
#include "platform/curl/curl_http_transport.h"
#include "platform/posix/background_script_interpreter.h"
#include "platform/posix/executable_bundle.h"
#include "platform/posix/interface_proxy_settings.h"
#include "platform/posix/posix_file_manager.h"
#include "platform/posix/posix_script_interpreter.h"
#include "platform/posix/settings_file_store.h"
#include "platform/qt/desktop_shell.h"
#include "platform/qt/freedesktop_notification_center.h"
#include "platform/qt/qt_alert_presenter.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_workspace.h"

namespace twl::test_support {

// The client as its entry wires it, in this process, with the provider's
// endpoints and the copied bundle at `bundleRoot`; the login screen is shown
// once it is made. Needs the QApplication already.
struct InProcessClient {
    InProcessClient(const std::filesystem::path& bundleRoot,
                    const fakes::DevproviderProcess& provider, const std::string& builtInServer);
    ~InProcessClient();
    InProcessClient(const InProcessClient&) = delete;
    InProcessClient& operator=(const InProcessClient&) = delete;

    // The identifier of the screen in the main window, or "".
    std::string showing();

    std::function<bool()> trayAvailable = [] { return false; };
    QtRunLoop runLoop;
    SettingsFileStore settings{SettingsFileStore::defaultPath()};
    StdoutConsole console;
    PosixFileManager fileManager;
    ExecutableBundle bundle;
    Endpoints endpoints;
    PosixScriptInterpreter commandRunner;
    BackgroundScriptInterpreter interpreter;
    CurlHttpTransport http;
    InterfaceProxySettings proxySettings;
    FreedesktopNotificationCenter notifications;
    QtWorkspace workspace;
    QtAlertPresenter alerts;
    Storyboard storyboard;
    std::unique_ptr<QtLayouts> layouts = QtLayouts::withStoryboardLayouts();
    AppContext context;
    DesktopShell shell;
    AppDelegate delegate;
};

}  // namespace twl::test_support
