#include "app/register_screens.h"

#include <memory>

#include "app/storyboard.h"
#include "signin/login_controller.h"

namespace twl {

void registerScreens(Storyboard& storyboard, AppContext& context) {
    storyboard.registerController(
        "LoginController", [&context] { return std::make_shared<LoginController>(context); });
}

}  // namespace twl
