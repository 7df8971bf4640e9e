#include "signin/login_controller.h"

#include <utility>

#include "account/account_check.h"
#include "account/account_effects.h"
#include "account/account_reply.h"
#include "app/app_context.h"
#include "app/appearance.h"
#include "app/settings_keys.h"
#include "app/stored_secrets.h"
#include "platform/box.h"
#include "platform/bundle.h"
#include "platform/busy_indicator.h"
#include "platform/button.h"
#include "platform/console.h"
#include "platform/image_view.h"
#include "platform/layer.h"
#include "platform/outlet_binder.h"
#include "platform/outlet_values.h"
#include "platform/text_field.h"
#include "platform/window.h"
#include "signin/login_rules.h"
#include "signin/tool_step.h"

namespace twl {
namespace {

constexpr const char* toolResourceName = "macosvpn.txt";
constexpr const char* loginButtonName = "btnLogin";
// The error panel stays for the countdown's second plus its closing tick.
constexpr int errorCountdownSeconds = 1;

using outlets::setEnabled;
using outlets::setHidden;
using outlets::setStringValue;
using outlets::stringValueOf;

AttributedString placeholder(const std::string& text) {
    return AttributedString{text, appearance::placeholderColor, appearance::placeholderFont};
}

}  // namespace

LoginController::LoginController(AppContext& context) : ctx_(context) {}

void LoginController::bindOutlets(OutletBinder& binder) {
    binder.outlet("imgRemember", imgRemember);
    binder.outlet("edtUserName", edtUserName);
    binder.outlet("edtUserPassword", edtUserPassword);
    binder.outlet("viewIncorectInfo", viewIncorectInfo);
    binder.outlet("loadingDialog", loadingDialog);
    binder.outlet("mainView", mainView);
    binder.outlet("btnLogin", btnLogin);
    binder.outlet("loadBoxView", loadBoxView);
    binder.outlet("lblErrorMessage", lblErrorMessage);
    binder.outlet("chkRemember", chkRemember);

    binder.action("chkRemember", [this] { tryRemember(); });
    binder.action("btnLogin", [this] { tryLogin(); });
    binder.action("edtUserName", [this] { tryLoginByTextField(); });
    binder.action("edtUserPassword", [this] { tryLoginByTextField(); });
}

void LoginController::viewDidLoad() {
    ViewController::viewDidLoad();
    setPlaceholders();
    // A missing resource leaves the path empty: the tool step then has
    // nothing to copy.
    ctx_.toolResourcePath = ctx_.bundle().pathForResource(toolResourceName).value_or("");
    toolStepRunning_ = true;
    std::weak_ptr<LoginController> weak = self();
    runToolStep(ctx_, [weak] {
        if (auto screen = weak.lock()) {
            screen->toolStepFinished();
        }
    });
}

// The automatic sign-in follows the tool step, unless the user has asked for
// one meanwhile: that one goes ahead instead.
void LoginController::toolStepFinished() {
    toolStepRunning_ = false;
    if (auto asked = std::exchange(signInAfterToolStep_, {})) {
        asked();
        return;
    }
    signInAutomatically();
}

void LoginController::setPlaceholders() {
    auto userNameField = edtUserName.lock();
    if (userNameField) {
        userNameField->setPlaceholderAttributedString(placeholder("Username"));
    }
    if (auto field = edtUserPassword.lock()) {
        field->setPlaceholderAttributedString(placeholder("Password"));
    }
    if (auto layer = userNameField ? userNameField->layer() : nullptr) {
        layer->setBackgroundColor(colors::white);
    }
}

void LoginController::signInAutomatically() {
    const auto& store = ctx_.userDefaults();
    const auto storedUserName = storedString(store, keys::vpnUserName);
    if (!storedFlagIsSet(store, keys::autoLogin) || !storedUserName) {
        return;
    }
    std::weak_ptr<LoginController> weak = self();
    ctx_.secrets().whenRead(keys::vpnUserPassword, [weak, userName = *storedUserName](
                                                       const std::optional<std::string>& password) {
        if (auto screen = weak.lock()) {
            screen->signInWithStored(userName, password);
        }
    });
}

// A sign-in of the user's own, made while the password was read, goes alone.
void LoginController::signInWithStored(const std::string& storedUserName,
                                       const std::optional<std::string>& storedPassword) {
    if (signInSent_) {
        return;
    }
    setStringValue(edtUserName, storedUserName);
    if (!storedPassword) {
        return;  // not to be had this run: the user types it
    }
    setStringValue(edtUserPassword, *storedPassword);
    setHidden(loadBoxView, false);
    setHidden(loadingDialog, true);
    if (auto indicator = loadingDialog.lock()) {
        indicator->setAnimate(true);
    }
    // Sent as stored: the user name was saved already escaped.
    checkAccountAndHandleReply(storedUserName, *storedPassword);
}

void LoginController::viewDidAppear() {
    ViewController::viewDidAppear();
    for (const auto* field : {&edtUserName, &edtUserPassword}) {
        if (auto shown = field->lock()) {
            shown->setInsertionPointColor(colors::black);
        }
    }
    auto shownIn = window();
    if (!shownIn) {
        return;
    }
    shownIn->setStyleMask(shownIn->styleMask() & ~window_style::resizable);
    shownIn->setDelegate(std::static_pointer_cast<LoginController>(shared_from_this()));
}

void LoginController::windowWillClose() {
    // The client lives on in the status bar; only its window goes.
    ctx_.hideApplication();
}

void LoginController::tryRemember() {
    isRemeber = !isRemeber;
    if (auto image = imgRemember.lock()) {
        image->setImage(isRemeber ? "checked" : "uncheck");
    }
}

void LoginController::tryLogin() {
    setHidden(loadBoxView, false);
    const std::string userName = stringValueOf(edtUserName);
    const std::string password = stringValueOf(edtUserPassword);
    if (const auto message = missingFieldMessage(userName, password)) {
        showError(*message);
        return;
    }
    setHidden(loadingDialog, false);
    if (auto indicator = loadingDialog.lock()) {
        indicator->setAnimate(true);
    }
    checkAccountAndHandleReply(escapeSpaces(userName), password);
}

void LoginController::tryLoginByTextField() {
    tryLogin();
}

std::shared_ptr<LoginController> LoginController::self() {
    return std::static_pointer_cast<LoginController>(shared_from_this());
}

void LoginController::checkAccountAndHandleReply(const std::string& userName,
                                                 const std::string& password) {
    // What the account allows depends on whether the administrator is proved.
    if (toolStepRunning_) {
        signInAfterToolStep_ = [this, userName, password] {
            checkAccountAndHandleReply(userName, password);
        };
        return;
    }
    signInSent_ = true;
    // The pending reply holds the screen, so it is handled even if the screen
    // has left the window meanwhile.
    auto self = this->self();
    checkAccount(ctx_, userName, password,
                 [self, userName, password](const std::optional<nlohmann::json>& value,
                                            const std::optional<std::string>& error) {
                     self->handleAccountReply(value, error, userName, password);
                 });
}

void LoginController::handleAccountReply(const std::optional<nlohmann::json>& value,
                                         const std::optional<std::string>& error,
                                         const std::string& userName, const std::string& password) {
    const SortedAccountReply reply = sortAccountReply(value, error);
    applyAccountOutcome(ctx_, reply.outcome, userName, password);
    switch (reply.outcome) {
        case AccountOutcome::networkError:
            showError(accountMessages::networkError);
            endBusy();
            return;
        case AccountOutcome::refused:
            setHidden(loadingDialog, true);
            showError(accountMessages::refused);
            stopRotating();
            endBusy();
            return;
        case AccountOutcome::notPaid:
            setHidden(loadingDialog, true);
            showError(reply.message);
            stopRotating();
            endBusy();
            return;
        case AccountOutcome::accepted:
            endBusy();
            rememberAcceptedAccount(ctx_, isRemeber);
            showMainScreen();
            return;
    }
}

void LoginController::showError(const std::string& message) {
    setStringValue(lblErrorMessage, message);
    setHidden(loadBoxView, true);
    setHidden(viewIncorectInfo, false);
    // The shared countdown keeps its last handler; holding only the panel
    // lets a replaced screen go.
    std::weak_ptr<View> panel = viewIncorectInfo;
    ctx_.timerManager().startCountdown(errorCountdownSeconds,
                                       [panel](const std::optional<std::string>&, bool finished) {
                                           if (finished) {
                                               setHidden(panel, true);
                                           }
                                       });
}

void LoginController::stopRotating() {
    if (auto indicator = loadingDialog.lock()) {
        if (auto layer = indicator->layer()) {
            layer->removeAllAnimations();
        }
    }
    ctx_.console().writeLine("Stop rotating");
}

void LoginController::endBusy() {
    setHidden(loadingDialog, true);
    if (auto indicator = loadingDialog.lock()) {
        indicator->setAnimate(false);
    }
    setEnabled(edtUserName, true);
    setEnabled(edtUserPassword, true);
    setEnabled(btnLogin, true);
}

void LoginController::showMainScreen() {
    ctx_.showInPlaceOf(*this, "MainController");
}

void LoginController::mouseEntered(const MouseEvent& event) {
    colourLoginButtonOnHover(event, appearance::buttonHoverColor);
}

void LoginController::mouseExited(const MouseEvent& event) {
    colourLoginButtonOnHover(event, appearance::buttonNormalColor);
}

void LoginController::colourLoginButtonOnHover(const MouseEvent& event, const Color& color) {
    const auto control = trackedControlName(event);
    if (!control) {
        return;
    }
    if (*control != loginButtonName) {
        ctx_.console().writeLine("Switch default");
        return;
    }
    if (auto button = btnLogin.lock()) {
        if (auto layer = button->layer()) {
            layer->setBackgroundColor(color);
        }
    }
}

}  // namespace twl
