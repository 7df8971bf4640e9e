#include "fakes/storyboard_layouts.h"

namespace twl::fakes {
namespace {

using K = WidgetKind;

LayoutView shown(WidgetKind kind, std::string text = {}) {
    return LayoutView{kind, std::move(text), false, false, std::nullopt};
}

LayoutView hidden(WidgetKind kind, std::string text = {}) {
    return LayoutView{kind, std::move(text), true, false, std::nullopt};
}

LayoutView layered(LayoutView view) {
    view.hasLayer = true;
    return view;
}

LayoutViews loginLayout() {
    LayoutView login = layered(shown(K::button, "Sign In"));
    login.trackingUserInfo = nlohmann::json{{"button", "btnLogin"}};
    return {
        {"LoginControllerLayout", shown(K::container)},
        {"mainView", shown(K::container)},
        {"imgLogo", shown(K::label)},
        {"lblTitle", shown(K::label, "Tidewaterlink")},
        {"lblSubtitle", shown(K::label, "Sign in to your VPN account")},
        {"edtUserName", layered(shown(K::lineEdit))},
        {"edtUserPassword", layered(shown(K::lineEdit))},
        {"imgRemember", shown(K::label)},
        {"chkRemember", shown(K::button, "Remember me")},
        {"btnLogin", login},
        {"statusArea", shown(K::container)},
        {"loadBoxView", hidden(K::container)},
        {"loadingDialog", layered(hidden(K::spinner))},
        {"lblBusy", shown(K::label, "Signing in…")},
        {"viewIncorectInfo", hidden(K::container)},
        {"lblErrorMessage", shown(K::label)},
        {"lblFooter", shown(K::label, "Secure L2TP VPN")},
    };
}

LayoutViews mainLayout() {
    return {
        {"MainControllerLayout", shown(K::container)},
        {"headerBar", shown(K::container)},
        {"lblBrand", shown(K::label, "Tidewaterlink")},
        {"btnSetting", shown(K::button, "Settings")},
        {"body", shown(K::container)},
        {"statusCard", shown(K::container)},
        {"lblStatusCaption", shown(K::label, "STATUS")},
        {"lblConnectStatus", shown(K::label, "Disconnected")},
        {"lblIPCaption", shown(K::label, "PUBLIC IP ADDRESS")},
        {"lblIPAddress", shown(K::label, "–")},
        {"btnConnect", shown(K::button, "Connect")},
        {"btnDisconnect", shown(K::button, "Force disconnect")},
        {"btnSignOut", shown(K::button, "Sign Out")},
    };
}

LayoutViews settingLayout() {
    return {
        {"SettingControllerLayout", shown(K::container)},
        {"headerBar", shown(K::container)},
        {"btnBack", shown(K::button, "‹ Back")},
        {"lblHeader", shown(K::label, "Settings")},
        {"body", shown(K::container)},
        {"lblServerCaption", shown(K::label, "VPN server")},
        {"lblServerHint",
         shown(K::label, "The host name or IP address of the server to connect to.")},
        {"edtServerUrl", shown(K::lineEdit)},
        {"btnSave", shown(K::button, "Save")},
    };
}

LayoutViews dialogLayout() {
    return {
        {"DialogControllerLayout", shown(K::container)},
        {"lblTitle", shown(K::label, "Administrator rights needed")},
        {"lblMessage", shown(K::label,
                             "Tidewaterlink needs an administrator of this computer to set up "
                             "the VPN service. Enter an administrator's user name and password.")},
        {"lblUserNameCaption", shown(K::label, "User name")},
        {"edtUserName", layered(shown(K::lineEdit))},
        {"lblPasswordCaption", shown(K::label, "Password")},
        {"edtUserPassword", layered(shown(K::lineEdit))},
        {"noticeArea", shown(K::container)},
        {"txtIncorrectPassword", hidden(K::label, "The user name or password is incorrect.")},
        {"btnCancel", layered(shown(K::button, "Cancel"))},
        {"btnOK", shown(K::button, "OK")},
    };
}

}  // namespace

const std::map<std::string, LayoutViews, std::less<>>& storyboardLayouts() {
    static const std::map<std::string, LayoutViews, std::less<>> layouts{
        {"LoginController", loginLayout()},
        {"MainController", mainLayout()},
        {"SettingController", settingLayout()},
        {"DialogController", dialogLayout()},
    };
    return layouts;
}

}  // namespace twl::fakes
