#include "fakes/storyboard_layouts.h"

namespace twl::fakes {
namespace {

using K = WidgetKind;

LayoutView shown(WidgetKind kind, std::string text = {}, bool hasLayer = false) {
    return LayoutView{kind, std::move(text), false, hasLayer, std::nullopt};
}

LayoutView hidden(WidgetKind kind, std::string text = {}, bool hasLayer = false) {
    return LayoutView{kind, std::move(text), true, hasLayer, std::nullopt};
}

LayoutViews loginLayout() {
    LayoutView login = shown(K::button, "Sign In", true);
    login.trackingUserInfo = nlohmann::json{{"button", "btnLogin"}};
    return {
        {"mainView", shown(K::container)},
        {"edtUserName", shown(K::lineEdit, {}, true)},
        {"edtUserPassword", shown(K::lineEdit, {}, true)},
        {"imgRemember", shown(K::label)},
        {"chkRemember", shown(K::button, "Remember me")},
        {"btnLogin", login},
        {"loadBoxView", hidden(K::container)},
        {"loadingDialog", hidden(K::spinner, {}, true)},
        {"viewIncorectInfo", hidden(K::container)},
        {"lblErrorMessage", shown(K::label)},
    };
}

}  // namespace

const std::map<std::string, LayoutViews, std::less<>>& storyboardLayouts() {
    static const std::map<std::string, LayoutViews, std::less<>> layouts{
        {"LoginController", loginLayout()},
        {"MainController",
         {
             {"lblConnectStatus", shown(K::label, "Disconnected")},
             {"lblIPAddress", shown(K::label, "–")},
             {"btnConnect", shown(K::button, "Connect")},
             {"btnSignOut", shown(K::button, "Sign Out")},
         }},
        {"SettingController",
         {
             {"btnBack", shown(K::button, "‹ Back")},
             {"edtServerUrl", shown(K::lineEdit)},
             {"btnSave", shown(K::button, "Save")},
         }},
        {"DialogController",
         {
             {"edtUserName", shown(K::lineEdit, {}, true)},
             {"edtUserPassword", shown(K::lineEdit, {}, true)},
             {"txtIncorrectPassword", hidden(K::label, "The user name or password is incorrect.")},
             {"btnCancel", shown(K::button, "Cancel", true)},
         }},
    };
    return layouts;
}

}  // namespace twl::fakes
