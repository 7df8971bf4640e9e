// The entry: picks the real adapters, wires them into one context, and hands
// control to the desktop's event loop with the login screen in the main window.

#include <sys/prctl.h>

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <memory>

#include "app/app_context.h"
#include "app/app_delegate.h"
#include "app/endpoints.h"
#include "app/register_screens.h"
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
#include "platform/qt/interface_components.h"
#include "platform/qt/qt_alert_presenter.h"
#include "platform/qt/qt_layouts.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_workspace.h"
#include "platform/qt/quit_signals.h"
#include "platform/qt/single_instance.h"

int main(int argc, char* argv[]) {
#ifndef TIDEWATERLINK_SANITIZED
    // The process holds the account and administrator passwords: no core
    // dump, and no other process of the user may read its memory. The leak
    // checker of a sanitizer build needs it dumpable.
    ::prctl(PR_SET_DUMPABLE, 0);
#endif
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewaterlink"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tidewaterlink"));
    QApplication::setDesktopFileName(QStringLiteral("tidewaterlink"));
    twl::installInterfaceComponents(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/tidewaterlink.png")));

    // Ready before the socket exists: whoever sees the socket may signal us.
    twl::QuitSignals quitSignals;
    twl::SingleInstance instance(twl::SingleInstance::defaultSocketPath());
    if (instance.claim() == twl::SingleInstance::Claim::reachedRunning) {
        return 0;  // the running client brings its window back
    }

    const auto trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    twl::QtRunLoop runLoop;
    twl::SettingsFileStore settings(twl::SettingsFileStore::defaultPath());
    twl::StdoutConsole console;
    twl::PosixFileManager fileManager;
    twl::ExecutableBundle bundle;
    const twl::Endpoints endpoints = twl::Endpoints::builtIn();
    const twl::PosixScriptInterpreter commandRunner(bundle.resourceFolder() / "compat");
    commandRunner.removeLeftovers();
    twl::BackgroundScriptInterpreter interpreter(commandRunner, runLoop);
    twl::CurlHttpTransport http(runLoop, endpoints.extraCaFile);
    twl::InterfaceProxySettings proxySettings;
    twl::FreedesktopNotificationCenter notifications(runLoop);
    twl::QtWorkspace workspace(trayAvailable);
    twl::QtAlertPresenter alerts;
    twl::Storyboard storyboard;
    auto layouts = twl::QtLayouts::withStoryboardLayouts();

    twl::AppContext context(twl::Services{.runLoop = &runLoop,
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
                            endpoints);
    twl::registerScreens(storyboard, context);

    twl::DesktopShell shell(*layouts, workspace, trayAvailable);
    QObject::connect(&quitSignals, &twl::QuitSignals::quitRequested, &shell,
                     &twl::DesktopShell::terminate);
    QObject::connect(&instance, &twl::SingleInstance::reopenRequested, &shell,
                     &twl::DesktopShell::reopen);

    twl::AppDelegate delegate(context, shell.statusBar());
    shell.launch(delegate, storyboard.instantiateControllerWithIdentifier("LoginController"));
    const int status = QApplication::exec();

    // Screens, timers and views go before the application object does.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    commandRunner.removeLeftovers();
    return status;
}
