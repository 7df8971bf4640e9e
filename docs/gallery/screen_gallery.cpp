// Shows one of the client's screens in the real main window, with the real
// tray item, for a screenshot:
//   screen_gallery <LoginController|MainController|SettingController|DialogController>
// The system behind the screens is played by the test fakes: settings live in
// memory, scripts are only recorded, the account service and the public-IP
// service answer from a script, so nothing on the machine changes and no
// network is used. Runs until SIGTERM (or the tray's "Close Application").
#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <string>

#include "app/settings_keys.h"
#include "fakes/fake_services.h"
#include "fakes/scripted_http_transport.h"
#include "platform/qt/interface_components.h"
#include "platform/qt/qt_alert_presenter.h"
#include "platform/qt/qt_run_loop.h"
#include "platform/qt/qt_workspace.h"
#include "platform/qt/quit_signals.h"
#include "screens/app_delegate.h"
#include "screens/desktop_shell.h"
#include "screens/register_screens.h"
#include "screens/screen_window.h"
#include "screens/view_controller.h"

namespace {

constexpr const char* demoUser = "demo";
constexpr const char* demoPassword = "demo-pass";
constexpr const char* shownPublicIp = "203.0.113.7";  // a documentation address

bool isScreen(const std::string& identifier) {
    return identifier == "LoginController" || identifier == "MainController" ||
           identifier == "SettingController" || identifier == "DialogController";
}

// As after an accepted sign-in of the demo account, for every screen past the
// login screen.
void signIn(twl::fakes::FakeServices& fake) {
    fake.context->accountUserName = demoUser;
    fake.context->accountPassword = demoPassword;
    fake.settings.setObject(demoUser, twl::keys::vpnUserName);
    fake.settings.setObject(demoPassword, twl::keys::vpnUserPassword);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2 || !isScreen(argv[1])) {
        std::fprintf(stderr,
                     "usage: screen_gallery <LoginController|MainController|"
                     "SettingController|DialogController>\n");
        return 2;
    }
    const std::string identifier = argv[1];

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tidewaterlink"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tidewaterlink"));
    twl::installInterfaceComponents(application);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/tidewaterlink.png")));
    twl::QuitSignals quitSignals;

    const auto trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    twl::QtRunLoop runLoop;
    twl::fakes::ScriptedHttpTransport http{runLoop};
    twl::QtWorkspace workspace(trayAvailable);
    twl::QtAlertPresenter alerts;
    twl::fakes::FakeServices fake(
        runLoop, http,
        {.endpoints = {"https://account.tidewaterlink.example", "https://ip.tidewaterlink.example",
                       "vpn.tidewaterlink.example", ""},
         .workspace = &workspace,
         .alerts = &alerts});
    fake.proxySettings.settings = twl::fakes::FixedProxySettings::withInterfaces({"lo", "eth0"});
    twl::registerScreens(fake.storyboard, *fake.context);
    // Enough answers for every look-up a screen makes while it is shown.
    for (int i = 0; i < 64; ++i) {
        http.scriptText(twl::TextReply{shownPublicIp, {}});
    }
    if (identifier != "LoginController") {
        signIn(fake);
    }

    twl::DesktopShell shell(workspace, trayAvailable);
    QObject::connect(&quitSignals, &twl::QuitSignals::quitRequested, &shell,
                     &twl::DesktopShell::terminate);
    twl::AppDelegate delegate(*fake.context, [&shell] { shell.terminate(); });
    // The administrator dialog only ever opens over the main screen.
    const bool dialog = identifier == "DialogController";
    shell.launch(delegate, fake.storyboard.instantiateControllerWithIdentifier(
                               dialog ? "MainController" : identifier));
    // Clear of the display's edge, so that a dialog centred over it stays on screen.
    shell.mainWindow().widget()->move(40, 40);
    if (dialog) {
        shell.mainWindow().contentViewController()->presentViewControllerAsModalWindow(
            fake.storyboard.instantiateControllerWithIdentifier("DialogController"));
    }
    const int status = QApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
