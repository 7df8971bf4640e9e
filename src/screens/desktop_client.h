#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/endpoints.h"
#include "app/stdout_console.h"
#include "app/storyboard.h"
#include "platform/curl/curl_http_transport.h"
#include "platform/posix/background_script_interpreter.h"
#include "platform/posix/executable_bundle.h"
#include "platform/posix/interface_proxy_settings.h"
#include "platform/posix/posix_file_manager.h"
#include "platform/posix/posix_script_interpreter.h"
#include "platform/posix/secret_service_store.h"
#include "platform/posix/settings_file_store.h"
#include "platform/qt/freedesktop_notification_center.h"
#include "platform/qt/logind_sleep_watch.h"
#include "platform/qt/network_manager_bus_watch.h"
#include "platform/qt/qt_alert_presenter.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_workspace.h"
#include "screens/app_delegate.h"
#include "screens/desktop_shell.h"

namespace twl {

// The client with its real adapters wired into one context, launched with the
// login screen in the main window: settings in the user's file, passwords in
// the desktop keyring when the session has one, commands through the bundle's
// compat folder off the UI thread, HTTPS through libcurl, notifications over
// the session bus, NetworkManager watched on the system bus with logind's
// sleep, the desktop's windows and tray. Secret folders an earlier run left
// behind go at start and at the end. Needs the QApplication already.
class DesktopClient {
  public:
    DesktopClient(const ExecutableBundle& bundle, const Endpoints& endpoints,
                  std::function<bool()> trayAvailable);
    ~DesktopClient();
    DesktopClient(const DesktopClient&) = delete;
    DesktopClient& operator=(const DesktopClient&) = delete;

    AppContext& context() { return ctx_; }
    DesktopShell& shell() { return shell_; }
    // The identifier of the screen in the main window, or "".
    std::string showing();

  private:
    std::function<bool()> trayAvailable_;
    QtRunLoop runLoop_;
    SettingsFileStore settings_{SettingsFileStore::defaultPath()};
    SecretServiceStore keyring_{runLoop_};
    StdoutConsole console_;
    PosixFileManager fileManager_;
    ExecutableBundle bundle_;
    PosixScriptInterpreter commandRunner_;
    BackgroundScriptInterpreter interpreter_;
    CurlHttpTransport http_;
    InterfaceProxySettings proxySettings_;
    FreedesktopNotificationCenter notifications_;
    NetworkManagerBusWatch networkManager_{&InterfaceProxySettings::upPointToPointHolding};
    LogindSleepWatch sleep_;
    QtWorkspace workspace_;
    QtAlertPresenter alerts_;
    Storyboard storyboard_;
    AppContext ctx_;
    DesktopShell shell_;
    AppDelegate delegate_;
};

}  // namespace twl
