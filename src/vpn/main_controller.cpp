#include "vpn/main_controller.h"

#include <optional>
#include <utility>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "app/storyboard.h"
#include "platform/alert.h"
#include "platform/alert_presenter.h"
#include "platform/bundle.h"
#include "platform/button.h"
#include "platform/console.h"
#include "platform/outlet_binder.h"
#include "platform/run_loop.h"
#include "platform/settings_store.h"
#include "platform/text_field.h"
#include "platform/window.h"
#include "platform/workspace.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "vpn/connection_notifications.h"
#include "vpn/detection_step.h"
#include "vpn/observed_timer.h"
#include "vpn/public_ip.h"
#include "vpn/tunnel_detection.h"
#include "vpn/vpn_service.h"

namespace twl {
namespace {

constexpr const char* applicationName = "Tidewaterlink";
constexpr const char* toolResourceName = "macosvpn";
constexpr double registerInterval = 0.1;
constexpr int connectCountdownSeconds = 1;

constexpr const char* connectingText = "Connecting...";
constexpr const char* connectedText = "Connected";
constexpr const char* disconnectedText = "Disconnected";
constexpr const char* connectTitle = "Connect";
constexpr const char* disconnectTitle = "Disconnect";
constexpr const char* disconnectedIcon = "menubar";
constexpr const char* connectedIcon = "menubar_hover";
constexpr const char* notificationTitle = "Tidewater Link";
constexpr const char* connectedNotificationTitle = "Duskway";
constexpr const char* registerLine = "-- register user timer --";

void setStringValue(const std::weak_ptr<TextField>& outlet, const std::string& value) {
    if (auto field = outlet.lock()) {
        field->setStringValue(value);
    }
}

void setTitle(const std::weak_ptr<Button>& outlet, const std::string& title) {
    if (auto button = outlet.lock()) {
        button->setTitle(title);
    }
}

}  // namespace

MainController::MainController(AppContext& context) : ctx_(context) {}

std::shared_ptr<MainController> MainController::self() {
    return std::static_pointer_cast<MainController>(shared_from_this());
}

void MainController::bindOutlets(OutletBinder& binder) {
    binder.outlet("btnConnect", btnConnect);
    binder.outlet("btnSignOut", btnSignOut);
    binder.outlet("lblConnectStatus", lblConnectStatus);
    binder.outlet("lblIPAddress", lblIPAddress);

    binder.action("btnConnect", [this] { tryConnect(); });
    binder.action("btnSignOut", [this] { trySignOut(); });
    binder.action("btnSetting", [this] { goSetting(); });
    binder.action("btnDisconnect", [this] { tryDisconnect(); });
}

void MainController::viewDidLoad() {
    ViewController::viewDidLoad();
    requestNotificationPermission(ctx_);
    setStringValue(lblIPAddress, publicIpAddress(ctx_));
    if (const auto& root = view()) {
        root->setWantsLayer(true);
        if (auto container = root->superview()) {
            container->setWantsLayer(true);
        }
    }
    // Without the resource the path stays empty: provisioning then fails like
    // any other failure, and the attempt ends at its time bound.
    executableVPNPath = ctx_.bundle().pathForResource(toolResourceName).value_or("");
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
    ctx_.workspace().hideApplication(applicationName);
}

void MainController::goSetting() {
    showInWindow("SettingController");
}

void MainController::trySignOut() {
    if (ctx_.isConnected) {
        ctx_.isConnected = false;
        ctx_.statusBarButton->setImage(disconnectedIcon);
        runScript(ctx_.interpreter(), plainScript(commands::disconnectService()));
    }
    ctx_.userDefaults().setBool(false, keys::autoLogin);
    showInWindow("LoginController");
}

void MainController::showInWindow(const std::string& identifier) {
    auto next = ctx_.storyboard().instantiateControllerWithIdentifier(identifier);
    auto shownIn = window();
    if (next && shownIn) {
        shownIn->setContentViewController(std::move(next));
    }
}

void MainController::tryConnect() {
    if (ctx_.isConnecting) {
        return;
    }
    if (ctx_.isConnected) {
        setStringValue(lblIPAddress, publicIpAddress(ctx_));  // while the tunnel is still up
        showDisconnectedTexts();
        postConnectionNotification(ctx_, notificationTitle, disconnectedText);
        disconnectVpnService();
        return;
    }
    ctx_.isConnecting = true;
    if (ctx_.serverUrl.empty()) {
        showServerAlert();
        ctx_.isConnecting = false;  // the attempt ends with the alert
        return;
    }
    if (!ctx_.isAdminConfirmed) {
        startRegisterWait();
        presentAdminDialog();
        return;
    }
    beginConnecting();
}

void MainController::tryDisconnect() {
    showDisconnectedTexts();
    disconnectVpnService();
    setStringValue(lblIPAddress, publicIpAddress(ctx_));
}

void MainController::showDisconnectedTexts() {
    setStringValue(lblConnectStatus, disconnectedText);
    setTitle(btnConnect, connectTitle);
}

void MainController::beginConnecting() {
    setStringValue(lblConnectStatus, connectingText);
    setTitle(btnConnect, connectingText);
    postConnectionNotification(ctx_, notificationTitle, connectingText);
    createVpnService(ctx_, executableVPNPath);
    startConnectCountdown();
}

void MainController::startConnectCountdown() {
    isTryConnect = true;
    auto screen = self();
    ctx_.timerManager().startCountdown(connectCountdownSeconds,
                                       [screen](const std::optional<std::string>&, bool finished) {
                                           if (finished) {
                                               screen->finishConnectCountdown();
                                           }
                                       });
}

void MainController::finishConnectCountdown() {
    if (!isTryConnect) {
        return;
    }
    isTryConnect = false;
    connectVpnService();
    auto& countdownTimer = ctx_.timerManager().countdownTimer();
    if (countdownTimer) {
        countdownTimer->invalidate();
        countdownTimer.reset();
    }
}

void MainController::connectVpnService() {
    runScript(ctx_.interpreter(), plainScript(commands::connectService()));
    startDetection();
    connectClickStatus = true;
    isTimerStart = true;
}

void MainController::disconnectVpnService() {
    runScript(ctx_.interpreter(), plainScript(commands::disconnectService()));
    connectClickStatus = false;
    ctx_.isConnected = false;
    ctx_.statusBarButton->setImage(disconnectedIcon);
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

void MainController::startRegisterWait() {
    ctx_.registerTimer->invalidate();
    auto screen = self();
    auto timer = ctx_.runLoop().scheduleRepeating(registerInterval,
                                                  [screen] { screen->startRegisterTimer(); });
    // The dialog's Cancel stops this timer. That ends the attempt: without
    // this the button would stay dead for the rest of the run.
    ctx_.registerTimer = std::make_shared<ObservedTimer>(std::move(timer), [&ctx = ctx_] {
        if (!ctx.isUserRegistered) {
            ctx.isConnecting = false;
        }
    });
}

void MainController::startRegisterTimer() {
    if (!ctx_.isUserRegistered) {
        return;
    }
    ctx_.console().writeLine(registerLine);
    ctx_.registerTimer->invalidate();
    beginConnecting();
}

void MainController::startDetection() {
    ctx_.detectionTimer->invalidate();
    ticksSinceConnectCommand_ = 0;
    tunnelSeen_ = false;
    auto screen = self();
    ctx_.detectionTimer =
        ctx_.runLoop().scheduleRepeating(detectionInterval, [screen] { screen->detectTimer(); });
}

void MainController::detectTimer() {
    ++ticksSinceConnectCommand_;
    const DetectionTick tick{.tunnelSeenBefore = tunnelSeen_,
                             .isConnected = ctx_.isConnected,
                             .tunnelUp = isVpnTunnelUp(ctx_),
                             .ticksSinceConnectCommand = ticksSinceConnectCommand_};
    switch (nextDetectionStep(tick)) {
        case DetectionStep::keepWaiting:
        case DetectionStep::keepWatching:
            return;
        case DetectionStep::tunnelSeen:
            showConnected();
            return;
        case DetectionStep::giveUp:
            giveUpConnecting();
            return;
        case DetectionStep::stopWatching:
            ctx_.detectionTimer->invalidate();
            return;
        case DetectionStep::tunnelDropped:
            showTunnelDropped();
            return;
    }
}

void MainController::showConnected() {
    ctx_.statusBarButton->setImage(connectedIcon);
    isTimerStart = false;
    ctx_.isConnected = true;
    ctx_.isConnecting = false;
    setStringValue(lblConnectStatus, connectedText);
    setStringValue(lblIPAddress, publicIpAddress(ctx_));
    setTitle(btnConnect, disconnectTitle);
    postConnectionNotification(ctx_, connectedNotificationTitle, connectedText);
    // The timer keeps running: from now on it watches that the tunnel stays.
    tunnelSeen_ = true;
}

void MainController::showTunnelDropped() {
    // As a disconnect with the button, but the system has already taken the
    // tunnel down: no command.
    setStringValue(lblIPAddress, publicIpAddress(ctx_));
    showDisconnectedTexts();
    postConnectionNotification(ctx_, notificationTitle, disconnectedText);
    connectClickStatus = false;
    ctx_.isConnected = false;
    ctx_.statusBarButton->setImage(disconnectedIcon);
    ctx_.detectionTimer->invalidate();
}

void MainController::giveUpConnecting() {
    ctx_.detectionTimer->invalidate();
    disconnectVpnService();  // the system may still be trying
    ctx_.isConnecting = false;
    showDisconnectedTexts();
    postConnectionNotification(ctx_, notificationTitle, disconnectedText);
}

}  // namespace twl
