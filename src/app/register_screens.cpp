#include "app/register_screens.h"

#include <memory>

#include "app/placeholder_screen.h"
#include "app/storyboard.h"
#include "vpn/main_controller.h"

namespace twl {

void registerScreens(Storyboard& storyboard, AppContext& context) {
    // Until the sign-in screen lands, the window shows its layout inert.
    storyboard.registerController("LoginController",
                                  [] { return std::make_shared<PlaceholderScreen>(); });
    storyboard.registerController("MainController",
                                  [&context] { return std::make_shared<MainController>(context); });
}

}  // namespace twl
