#include "screens/login_controller.h"

#include <QPixmap>
#include <QPointer>
#include <utility>

#include "account/account_check.h"
#include "account/account_effects.h"
#include "account/account_reply.h"
#include "app/app_context.h"
#include "app/settings_keys.h"
#include "app/stored_secrets.h"
#include "platform/bundle.h"
#include "platform/console.h"
#include "screens/hover_filter.h"
#include "screens/screen_style.h"
#include "screens/screen_window.h"
#include "signin/login_rules.h"
#include "signin/tool_step.h"

namespace twl {
namespace {

constexpr const char* toolResourceName = "macosvpn.txt";
// The error panel stays for the countdown's second plus its closing tick.
constexpr int errorCountdownSeconds = 1;

using screen_style::showText;
using screen_style::textOf;

}  // namespace

LoginController::LoginController(AppContext& ctx) : ctx_(ctx) {}

void LoginController::loadView(QWidget& root) {
    ui.setupUi(&root);
    // Each change of the remember-me state is the user's, however it came
    // (pointer, keys, assistive technology), so the choice follows the state
    // that is shown and heard.
    QObject::connect(ui.chkRemember, &QAbstractButton::toggled, actions(),
                     [this] { tryRemember(); });
    QObject::connect(ui.btnLogin, &QAbstractButton::clicked, actions(), [this] { tryLogin(); });
    for (QLineEdit* field :
         {static_cast<QLineEdit*>(ui.edtUserName), static_cast<QLineEdit*>(ui.edtUserPassword)}) {
        QObject::connect(field, &QLineEdit::returnPressed, actions(),
                         [this] { tryLoginByTextField(); });
    }
    new HoverFilter(*ui.btnLogin, *actions(), [this](bool inside) { colourLoginButton(inside); });
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
    screen_style::setPlaceholder(*ui.edtUserName, QStringLiteral("Username"));
    screen_style::setPlaceholder(*ui.edtUserPassword, QStringLiteral("Password"));
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
    ui.edtUserName->setText(QString::fromStdString(storedUserName));
    if (!storedPassword) {
        return;  // not to be had this run: the user types it
    }
    ui.edtUserPassword->setText(QString::fromStdString(*storedPassword));
    ui.loadBoxView->setHidden(false);
    ui.loadingDialog->setHidden(true);
    ui.loadingDialog->setAnimating(true);
    // Sent as stored: the user name was saved already escaped.
    checkAccountAndHandleReply(storedUserName, *storedPassword);
}

void LoginController::viewDidAppear() {
    ViewController::viewDidAppear();
    screen_style::blackCaret(*ui.edtUserName);
    screen_style::blackCaret(*ui.edtUserPassword);
    if (auto shownIn = window()) {
        screen_style::keepSize(*shownIn->widget());
        shownIn->setDelegate(self());
    }
}

void LoginController::windowWillClose() {
    // The client lives on in the status bar; only its window goes.
    ctx_.hideApplication();
}

void LoginController::tryRemember() {
    isRemeber = !isRemeber;
    ui.imgRemember->setPixmap(QPixmap(isRemeber ? QStringLiteral(":/images/checked.png")
                                                : QStringLiteral(":/images/uncheck.png")));
}

void LoginController::tryLogin() {
    ui.loadBoxView->setHidden(false);
    const std::string userName = textOf(*ui.edtUserName);
    const std::string password = textOf(*ui.edtUserPassword);
    if (const auto message = missingFieldMessage(userName, password)) {
        showError(*message);
        return;
    }
    ui.loadingDialog->setHidden(false);
    ui.loadingDialog->setAnimating(true);
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
            ui.loadingDialog->setHidden(true);
            showError(accountMessages::refused);
            stopRotating();
            endBusy();
            return;
        case AccountOutcome::notPaid:
            ui.loadingDialog->setHidden(true);
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
    showText(*ui.lblErrorMessage, message);
    ui.loadBoxView->setHidden(true);
    ui.viewIncorectInfo->setHidden(false);
    // The shared countdown keeps its last handler; holding only the panel
    // lets a replaced screen go.
    QPointer<QWidget> panel = ui.viewIncorectInfo;
    ctx_.timerManager().startCountdown(errorCountdownSeconds,
                                       [panel](const std::optional<std::string>&, bool finished) {
                                           if (finished && panel) {
                                               panel->setHidden(true);
                                           }
                                       });
}

void LoginController::stopRotating() {
    ui.loadingDialog->setAnimating(false);
    ctx_.console().writeLine("Stop rotating");
}

void LoginController::endBusy() {
    ui.loadingDialog->setHidden(true);
    ui.loadingDialog->setAnimating(false);
    ui.edtUserName->setEnabled(true);
    ui.edtUserPassword->setEnabled(true);
    ui.btnLogin->setEnabled(true);
}

void LoginController::showMainScreen() {
    showInPlaceOf("MainController", ctx_.storyboard());
}

void LoginController::colourLoginButton(bool underPointer) {
    const QColor colour =
        underPointer ? screen_style::buttonHoverColor : screen_style::buttonNormalColor;
    ui.btnLogin->setStyleSheet(
        QStringLiteral("QPushButton#btnLogin { background-color: %1; }").arg(colour.name()));
}

}  // namespace twl
