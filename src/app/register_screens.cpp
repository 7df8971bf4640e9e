#include "app/register_screens.h"

#include <memory>

#include "admin/dialog_controller.h"
#include "app/placeholder_screen.h"
#include "app/storyboard.h"
#include "settings/setting_controller.h"

namespace twl {

void registerScreens(Storyboard& storyboard, AppContext& context) {
    // Until the sign-in screen lands, the window shows its layout inert.
    storyboard.registerController("LoginController",
                                  [] { return std::make_shared<PlaceholderScreen>(); });
    storyboard.registerController(
        "SettingController", [&context] { return std::make_shared<SettingController>(context); });
    storyboard.registerController(
        "DialogController", [&context] { return std::make_shared<DialogController>(context); });
}

}  // namespace twl
