#include "screens/main_controller.h"

#include <utility>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "app/storyboard.h"
#include "platform/alert.h"
#include "platform/alert_presenter.h"
#include "platform/bundle.h"
#include "platform/settings_store.h"
#include "screens/screen_style.h"
#include "screens/screen_window.h"
#include "vpn/connection_notifications.h"
#include "vpn/connection_session.h"
#include "vpn/public_ip.h"

namespace twl {
namespace {

constexpr const char* toolResourceName = "macosvpn";

}  // namespace

MainController::MainController(AppContext& ctx) : ctx_(ctx) {}

std::shared_ptr<MainController> MainController::self() {
    return std::static_pointer_cast<MainController>(shared_from_this());
}

void MainController::loadView(QWidget& root) {
    ui.setupUi(&root);
    const auto on = [this](QAbstractButton* button, void (MainController::*action)()) {
        QObject::connect(button, &QAbstractButton::clicked, actions(),
                         [this, action] { (this->*action)(); });
    };
    on(ui.btnConnect, &MainController::tryConnect);
    on(ui.btnSignOut, &MainController::trySignOut);
    on(ui.btnSetting, &MainController::goSetting);
    on(ui.btnDisconnect, &MainController::tryDisconnect);
}

void MainController::viewDidLoad() {
    ViewController::viewDidLoad();
    requestNotificationPermission(ctx_);
    refreshPublicIp();
    // Without the resource the path stays empty: provisioning then fails like
    // any other failure, and the attempt ends at its time bound.
    executableVPNPath = ctx_.bundle().pathForResource(toolResourceName).value_or("");
    // From now on this screen shows the connection as it is.
    ctx_.connection().observe(self());
    connectionStateChanged(ctx_.connection().state());
}

void MainController::viewDidAppear() {
    ViewController::viewDidAppear();
    if (auto shownIn = window()) {
        shownIn->setDelegate(self());
        screen_style::keepSize(*shownIn->widget());
    }
}

void MainController::windowWillClose() {
    // The client lives on in the status bar; only its window goes.
    ctx_.hideApplication();
}

void MainController::goSetting() {
    leaveFor("SettingController");
}

void MainController::trySignOut() {
    ctx_.connection().signOut();
    ctx_.userDefaults().setBool(false, keys::autoLogin);
    leaveFor("LoginController");
}

void MainController::leaveFor(const std::string& identifier) {
    if (window()) {
        ctx_.connection().stopObserving(*this);
    }
    showInPlaceOf(identifier, ctx_.storyboard());
}

void MainController::tryConnect() {
    ConnectionSession& connection = ctx_.connection();
    if (connection.isConnecting() || connection.state() == ConnectionState::disconnecting) {
        return;
    }
    if (connection.isConnected()) {
        connection.disconnect();
        return;
    }
    if (ctx_.serverUrl.empty()) {
        showServerAlert();  // the attempt ends with the alert
        return;
    }
    if (!ctx_.isAdminConfirmed) {
        connection.waitForAdministrator(executableVPNPath);
        presentAdminDialog();
        return;
    }
    connection.beginConnecting(executableVPNPath);
}

// Stops the VPN at any moment, an attempt under way included.
void MainController::tryDisconnect() {
    ctx_.connection().forceDisconnect();
    refreshPublicIp();
}

void MainController::connectionStateChanged(ConnectionState state) {
    const ConnectionLooks looks = looksOf(state);
    screen_style::showText(*ui.lblConnectStatus, looks.status);
    ui.btnConnect->setText(QString::fromUtf8(looks.buttonTitle));
    const std::string& reason = ctx_.connection().reason();
    screen_style::showText(*ui.lblConnectReason, reason);
    ui.lblConnectReason->setHidden(reason.empty());
}

void MainController::tunnelChanged() {
    refreshPublicIp();
}

void MainController::publicIpFound(const std::string& address) {
    lookUps_.next();  // what is still on its way is older
    screen_style::showText(*ui.lblIPAddress, address);
}

// A slow answer must not overwrite a newer one.
void MainController::refreshPublicIp() {
    lookUps_.next();
    lookUpPublicIp(ctx_, lookUps_.guard([this](const std::string& address) {
        screen_style::showText(*ui.lblIPAddress, address);
    }));
}

void MainController::showServerAlert() {
    ctx_.alerts().runModal(Alert::warning("Tidewaterlink", "No servers found"));
}

void MainController::presentAdminDialog() {
    if (auto dialog = ctx_.storyboard().instantiateControllerWithIdentifier("DialogController")) {
        presentViewControllerAsModalWindow(dialog);
    }
}

}  // namespace twl
