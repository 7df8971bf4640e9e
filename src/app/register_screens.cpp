#include "app/register_screens.h"

#include <memory>

#include "app/placeholder_screen.h"
#include "app/storyboard.h"

namespace twl {

void registerScreens(Storyboard& storyboard, [[maybe_unused]] AppContext& context) {
    // Until the sign-in screen lands, the window shows its layout inert.
    storyboard.registerController("LoginController",
                                  [] { return std::make_shared<PlaceholderScreen>(); });
}

}  // namespace twl
