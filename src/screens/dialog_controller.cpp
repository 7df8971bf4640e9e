#include "screens/dialog_controller.h"

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "app/stored_secrets.h"
#include "platform/file_manager.h"
#include "platform/script_interpreter.h"
#include "platform/settings_store.h"
#include "platform/workspace.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"
#include "screens/screen_style.h"
#include "screens/screen_window.h"
#include "vpn/connection_session.h"

namespace twl {
namespace {

// The countdown starts at 2, so the notice stays up for about three seconds.
constexpr int noticeCountdownSeconds = 2;

}  // namespace

DialogController::DialogController(AppContext& ctx) : ctx_(ctx) {}

void DialogController::loadView(QWidget& root) {
    ui.setupUi(&root);
    QObject::connect(ui.btnOK, &QAbstractButton::clicked, actions(), [this] { clickOK(); });
    QObject::connect(ui.btnCancel, &QAbstractButton::clicked, actions(), [this] { clickCancel(); });
    // Return in either field is OK, as with a dialog's default button.
    for (QLineEdit* field :
         {static_cast<QLineEdit*>(ui.edtUserName), static_cast<QLineEdit*>(ui.edtUserPassword)}) {
        QObject::connect(field, &QLineEdit::returnPressed, actions(), [this] { clickOK(); });
    }
}

void DialogController::viewDidLoad() {
    ViewController::viewDidLoad();
    // Whatever the form put there gives way to an empty placeholder.
    screen_style::setPlaceholder(*ui.edtUserName, QString());
    screen_style::setPlaceholder(*ui.edtUserPassword, QString());
    // Only the user's own account can raise privileges, so start from its name.
    ui.edtUserName->setText(QString::fromStdString(ctx_.workspace().loginName()));
}

void DialogController::viewDidAppear() {
    ViewController::viewDidAppear();
    screen_style::blackCaret(*ui.edtUserName);
    screen_style::blackCaret(*ui.edtUserPassword);
    if (auto shownIn = window()) {
        screen_style::keepSize(*shownIn->widget());
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
    const std::string userName = screen_style::textOf(*ui.edtUserName);
    const std::string password = screen_style::textOf(*ui.edtUserPassword);

    if (ctx_.accountUserName.empty() || ctx_.accountPassword.empty()) {
        showNotice();
    }

    setCopying(true);
    ctx_.interpreter().execute(
        privilegedScript(commands::copyTool(ctx_.toolResourcePath), userName, password),
        answers_.guard([this, userName, password](const ScriptResult& copy) {
            copyFinished(copy, userName, password);
        }));
}

// The copy proves the pair: only an administrator can put the tool there. A
// copy that did not run is a failure even when an earlier one left the tool
// in place.
void DialogController::copyFinished(const ScriptResult& copy, const std::string& userName,
                                    const std::string& password) {
    setCopying(false);
    if (!copy.ok || !ctx_.fileManager().fileExistsAtPath(std::string(commands::markerFile))) {
        showNotice();
        return;
    }

    ctx_.isUserRegistered = true;
    ctx_.isAdminConfirmed = true;
    storeAdministrator(userName, password);
    close();
}

void DialogController::setCopying(bool copying) {
    copying_ = copying;
    ui.btnOK->setEnabled(!copying);
    ui.btnCancel->setEnabled(!copying);
}

void DialogController::close() {
    answers_.next();
    dismissViewController(*this);
}

std::shared_ptr<DialogController> DialogController::self() {
    return std::static_pointer_cast<DialogController>(shared_from_this());
}

void DialogController::storeAdministrator(const std::string& userName,
                                          const std::string& password) {
    ctx_.userDefaults().setObject(userName, keys::username);
    ctx_.secrets().set(keys::userpassword, password);
}

void DialogController::showNotice() {
    ui.txtIncorrectPassword->setHidden(false);
    // The handler keeps the dialog alive so that the notice can still be
    // hidden after the dialog has closed.
    ctx_.timerManager().startCountdown(
        noticeCountdownSeconds, [self = self()](const std::optional<std::string>&, bool finished) {
            if (finished) {
                self->ui.txtIncorrectPassword->setHidden(true);
            }
        });
}

void DialogController::clickCancel() {
    // The connect attempt that opened the dialog is over.
    ctx_.connection().cancelWaitForAdministrator();
    close();
}

void DialogController::cancelOperation() {
    clickCancel();
}

}  // namespace twl
