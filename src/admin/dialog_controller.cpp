#include "admin/dialog_controller.h"

#include <initializer_list>

#include "app/app_context.h"
#include "app/appearance.h"
#include "app/settings_keys.h"
#include "app/stored_secrets.h"
#include "platform/button.h"
#include "platform/file_manager.h"
#include "platform/layer.h"
#include "platform/outlet_binder.h"
#include "platform/outlet_values.h"
#include "platform/script_interpreter.h"
#include "platform/settings_store.h"
#include "platform/text_field.h"
#include "platform/window.h"
#include "platform/workspace.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

// The countdown starts at 2, so the notice stays up for about three seconds.
constexpr int noticeCountdownSeconds = 2;

}  // namespace

DialogController::DialogController(AppContext& context) : context_(context) {}

void DialogController::bindOutlets(OutletBinder& binder) {
    binder.outlet("edtUserName", edtUserName);
    binder.outlet("edtUserPassword", edtUserPassword);
    binder.outlet("txtIncorrectPassword", txtIncorrectPassword);
    binder.outlet("btnCancel", btnCancel);
    binder.outlet("btnOK", btnOK);
    binder.action("btnOK", [this] { clickOK(); });
    // Return in either field is OK, as with a dialog's default button.
    binder.action("edtUserName", [this] { clickOK(); });
    binder.action("edtUserPassword", [this] { clickOK(); });
    binder.action("btnCancel", [this] { clickCancel(); });
}

void DialogController::viewDidLoad() {
    ViewController::viewDidLoad();
    for (const auto& field : {edtUserName.lock(), edtUserPassword.lock()}) {
        if (field) {
            styleField(*field);
        }
    }
    if (auto cancel = btnCancel.lock()) {
        if (auto layer = cancel->layer()) {
            layer->setBorderColor(colors::red);
        }
    }
    // Only the user's own account can raise privileges, so start from its name.
    if (auto userName = edtUserName.lock()) {
        userName->setStringValue(context_.workspace().loginName());
    }
}

void DialogController::styleField(TextField& field) {
    if (auto layer = field.layer()) {
        layer->setBackgroundColor(colors::white);
    }
    // Whatever the layout put there gives way to an empty placeholder.
    field.setPlaceholderAttributedString(
        AttributedString{"", appearance::placeholderColor, appearance::placeholderFont});
}

void DialogController::viewDidAppear() {
    ViewController::viewDidAppear();
    for (const auto& field : {edtUserName.lock(), edtUserPassword.lock()}) {
        if (field) {
            field->setInsertionPointColor(colors::black);
        }
    }
    if (auto shownIn = window()) {
        shownIn->setStyleMask(shownIn->styleMask() & ~window_style::resizable);
    }
}

void DialogController::clickOK() {
    clickOKButton();
}

void DialogController::clickOKButton() {
    if (copying_) {
        return;  // Return in a field while the copy runs
    }
    // Taken as typed: an empty pair is tried like any other.
    const std::string userName = outlets::stringValueOf(edtUserName);
    const std::string password = outlets::stringValueOf(edtUserPassword);

    if (context_.accountUserName.empty() || context_.accountPassword.empty()) {
        showNotice();
    }

    setCopying(true);
    std::weak_ptr<DialogController> weak = self();
    context_.interpreter().execute(
        privilegedScript(commands::copyTool(context_.toolResourcePath), userName, password),
        [weak, userName, password](const ScriptResult& copy) {
            // A dialog that has gone takes nothing from a late answer.
            auto dialog = weak.lock();
            if (dialog && !dialog->closed_) {
                dialog->copyFinished(copy, userName, password);
            }
        });
}

// The copy proves the pair: only an administrator can put the tool there. A
// copy that did not run is a failure even when an earlier one left the tool
// in place.
void DialogController::copyFinished(const ScriptResult& copy, const std::string& userName,
                                    const std::string& password) {
    setCopying(false);
    if (!copy.ok || !context_.fileManager().fileExistsAtPath(std::string(commands::markerFile))) {
        showNotice();
        return;
    }

    context_.isUserRegistered = true;
    context_.isAdminConfirmed = true;
    storeAdministrator(userName, password);
    close();
}

void DialogController::setCopying(bool copying) {
    copying_ = copying;
    outlets::setEnabled(btnOK, !copying);
    outlets::setEnabled(btnCancel, !copying);
}

void DialogController::close() {
    closed_ = true;
    dismissViewController(*this);
}

std::shared_ptr<DialogController> DialogController::self() {
    return std::static_pointer_cast<DialogController>(shared_from_this());
}

void DialogController::storeAdministrator(const std::string& userName,
                                          const std::string& password) {
    context_.userDefaults().setObject(userName, keys::username);
    context_.secrets().set(keys::userpassword, password);
}

void DialogController::showNotice() {
    outlets::setHidden(txtIncorrectPassword, false);
    // The handler keeps the dialog alive so that the notice can still be
    // hidden after the dialog has closed.
    context_.timerManager().startCountdown(
        noticeCountdownSeconds, [self = self()](const std::optional<std::string>&, bool finished) {
            if (!finished) {
                return;
            }
            outlets::setHidden(self->txtIncorrectPassword, true);
        });
}

void DialogController::clickCancel() {
    // The connect attempt that opened the dialog is over.
    context_.connection().cancelWaitForAdministrator();
    close();
}

void DialogController::cancelOperation() {
    clickCancel();
}

}  // namespace twl
