#include "vpn/main_controller.h"

#include <utility>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "app/storyboard.h"
#include "platform/alert.h"
#include "platform/alert_presenter.h"
#include "platform/bundle.h"
#include "platform/button.h"
#include "platform/outlet_binder.h"
#include "platform/outlet_values.h"
#include "platform/settings_store.h"
#include "platform/text_field.h"
#include "platform/window.h"
#include "vpn/connection_notifications.h"
#include "vpn/connection_session.h"
#include "vpn/public_ip.h"

namespace twl {
namespace {

using outlets::setHidden;
using outlets::setStringValue;
using outlets::setTitle;

constexpr const char* toolResourceName = "macosvpn";

}  // namespace

MainController::MainController(AppContext& context) : ctx_(context) {}

std::shared_ptr<MainController> MainController::self() {
    return std::static_pointer_cast<MainController>(shared_from_this());
}

void MainController::bindOutlets(OutletBinder& binder) {
    binder.outlet("btnConnect", btnConnect);
    binder.outlet("btnSignOut", btnSignOut);
    binder.outlet("lblConnectStatus", lblConnectStatus);
    binder.outlet("lblConnectReason", lblConnectReason);
    binder.outlet("lblIPAddress", lblIPAddress);

    binder.action("btnConnect", [this] { tryConnect(); });
    binder.action("btnSignOut", [this] { trySignOut(); });
    binder.action("btnSetting", [this] { goSetting(); });
    binder.action("btnDisconnect", [this] { tryDisconnect(); });
}

void MainController::viewDidLoad() {
    ViewController::viewDidLoad();
    requestNotificationPermission(ctx_);
    refreshPublicIp();
    if (const auto& root = view()) {
        root->setWantsLayer(true);
        if (auto container = root->superview()) {
            container->setWantsLayer(true);
        }
    }
    // Without the resource the path stays empty: provisioning then fails like
    // any other failure, and the attempt ends at its time bound.
    executableVPNPath = ctx_.bundle().pathForResource(toolResourceName).value_or("");
    // From now on this screen shows the connection as it is.
    ctx_.connection().observe(self());
    connectionStateChanged(ctx_.connection().state());
}

void MainController::viewDidAppear() {
    ViewController::viewDidAppear();
    auto shownIn = window();
    if (!shownIn) {
        return;
    }
    shownIn->setDelegate(self());
    shownIn->setStyleMask(shownIn->styleMask() & ~window_style::resizable);
}

void MainController::windowWillClose() {
    // The client lives on in the status bar; only its window goes.
    ctx_.hideApplication();
}

void MainController::goSetting() {
    showInWindow("SettingController");
}

void MainController::trySignOut() {
    ctx_.connection().signOut();
    ctx_.userDefaults().setBool(false, keys::autoLogin);
    showInWindow("LoginController");
}

void MainController::showInWindow(const std::string& identifier) {
    if (window()) {
        ctx_.connection().stopObserving(*this);
    }
    ctx_.showInPlaceOf(*this, identifier);
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
    setStringValue(lblConnectStatus, looks.status);
    setTitle(btnConnect, looks.buttonTitle);
    const std::string& reason = ctx_.connection().reason();
    setStringValue(lblConnectReason, reason);
    setHidden(lblConnectReason, reason.empty());
}

void MainController::tunnelChanged() {
    refreshPublicIp();
}

void MainController::publicIpFound(const std::string& address) {
    ++publicIpAsked_;  // what is still on its way is older
    setStringValue(lblIPAddress, address);
}

// A slow answer must not overwrite a newer one: each look-up's answer shows
// only while it is still the newest asked for.
void MainController::refreshPublicIp() {
    const unsigned asked = ++publicIpAsked_;
    std::weak_ptr<MainController> weak = self();
    lookUpPublicIp(ctx_, [weak, asked](const std::string& address) {
        auto screen = weak.lock();
        if (screen && screen->publicIpAsked_ == asked) {
            setStringValue(screen->lblIPAddress, address);
        }
    });
}

void MainController::showServerAlert() {
    Alert alert;
    alert.messageText = "Tidewaterlink";
    alert.informativeText = "No servers found";
    alert.alertStyle = AlertStyle::warning;
    alert.addButtonWithTitle("OK");
    ctx_.alerts().runModal(alert);
}

void MainController::presentAdminDialog() {
    auto dialog = ctx_.storyboard().instantiateControllerWithIdentifier("DialogController");
    if (dialog) {
        presentViewControllerAsModalWindow(std::move(dialog));
    }
}

}  // namespace twl
