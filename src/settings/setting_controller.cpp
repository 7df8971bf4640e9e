#include "settings/setting_controller.h"

#include "app/app_context.h"
#include "app/appearance.h"
#include "app/settings_keys.h"
#include "platform/alert.h"
#include "platform/alert_presenter.h"
#include "platform/button.h"
#include "platform/outlet_binder.h"
#include "platform/outlet_values.h"
#include "platform/settings_store.h"
#include "platform/text_field.h"
#include "platform/view.h"

namespace twl {

SettingController::SettingController(AppContext& context) : context_(context) {}

void SettingController::bindOutlets(OutletBinder& binder) {
    binder.outlet("btnBack", btnBack);
    binder.outlet("btnSave", btnSave);
    binder.outlet("edtServerUrl", edtServerUrl);
    binder.action("btnBack", [this] { goBack(); });
    binder.action("btnSave", [this] { trySave(); });
    binder.action("edtServerUrl", [this] { trySave(); });  // Return saves
}

void SettingController::viewDidLoad() {
    ViewController::viewDidLoad();
    const auto field = edtServerUrl.lock();
    if (field) {
        field->setPlaceholderAttributedString(AttributedString{
            "Server URL", appearance::placeholderColor, appearance::placeholderFont});
    }
    view()->setWantsLayer(true);
    if (auto container = view()->superview()) {
        container->setWantsLayer(true);
    }

    // Until this screen loads in a run, connections use the built-in server.
    if (auto stored = storedString(context_.userDefaults(), keys::serverUrl)) {
        context_.serverUrl = *stored;
    }
    if (field) {
        field->setStringValue(context_.serverUrl);
    }
}

void SettingController::trySave() {
    // Kept exactly as typed, blanks included; only an empty text is refused.
    const std::string typed = outlets::stringValueOf(edtServerUrl);
    if (typed.empty()) {
        showNotice("Please input server ip");
        return;
    }
    context_.serverUrl = typed;
    context_.userDefaults().setObject(context_.serverUrl, keys::serverUrl);
    showNotice("Server changed successfully");
}

void SettingController::showNotice(const std::string& informativeText) {
    Alert alert;
    alert.messageText = "Notice";
    alert.informativeText = informativeText;
    alert.alertStyle = AlertStyle::warning;
    alert.addButtonWithTitle("OK");
    context_.alerts().runModal(alert);
}

void SettingController::goBack() {
    // Always a fresh main screen, never the one that opened this screen.
    context_.showInPlaceOf(*this, "MainController");
}

}  // namespace twl
