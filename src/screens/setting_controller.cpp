#include "screens/setting_controller.h"

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "platform/alert.h"
#include "platform/alert_presenter.h"
#include "platform/settings_store.h"
#include "screens/screen_style.h"

namespace twl {

SettingController::SettingController(AppContext& ctx) : ctx_(ctx) {}

void SettingController::loadView(QWidget& root) {
    ui.setupUi(&root);
    QObject::connect(ui.btnBack, &QAbstractButton::clicked, actions(), [this] { goBack(); });
    QObject::connect(ui.btnSave, &QAbstractButton::clicked, actions(), [this] { trySave(); });
    // Return saves.
    QObject::connect(ui.edtServerUrl, &QLineEdit::returnPressed, actions(), [this] { trySave(); });
}

void SettingController::viewDidLoad() {
    ViewController::viewDidLoad();
    screen_style::setPlaceholder(*ui.edtServerUrl, QStringLiteral("Server URL"));
    // Until this screen loads in a run, connections use the built-in server.
    if (auto stored = storedString(ctx_.userDefaults(), keys::serverUrl)) {
        ctx_.serverUrl = *stored;
    }
    ui.edtServerUrl->setText(QString::fromStdString(ctx_.serverUrl));
}

void SettingController::trySave() {
    // Kept exactly as typed, blanks included; only an empty text is refused.
    const std::string typed = screen_style::textOf(*ui.edtServerUrl);
    if (typed.empty()) {
        showNotice("Please input server ip");
        return;
    }
    ctx_.serverUrl = typed;
    ctx_.userDefaults().setObject(ctx_.serverUrl, keys::serverUrl);
    showNotice("Server changed successfully");
}

void SettingController::showNotice(const std::string& informativeText) {
    ctx_.alerts().runModal(Alert::warning("Notice", informativeText));
}

void SettingController::goBack() {
    // Always a fresh main screen, never the one that opened this screen.
    showInPlaceOf("MainController", ctx_.storyboard());
}

}  // namespace twl
