#include "app/register_screens.h"

#include <memory>

#include "admin/dialog_controller.h"
#include "app/storyboard.h"
#include "settings/setting_controller.h"
#include "signin/login_controller.h"
#include "vpn/main_controller.h"

namespace twl {

void registerScreens(Storyboard& storyboard, AppContext& context) {
    storyboard.registerController(
        "LoginController", [&context] { return std::make_shared<LoginController>(context); });
    storyboard.registerController("MainController",
                                  [&context] { return std::make_shared<MainController>(context); });
    storyboard.registerController(
        "SettingController", [&context] { return std::make_shared<SettingController>(context); });
    storyboard.registerController(
        "DialogController", [&context] { return std::make_shared<DialogController>(context); });
}

}  // namespace twl
