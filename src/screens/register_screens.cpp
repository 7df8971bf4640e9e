#include "screens/register_screens.h"

#include <memory>

#include "app/storyboard.h"
#include "screens/dialog_controller.h"
#include "screens/login_controller.h"
#include "screens/main_controller.h"
#include "screens/setting_controller.h"

namespace twl {
namespace {

template <typename Screen>
Storyboard::Factory factoryOf(AppContext& ctx) {
    return [&ctx](const std::string& identifier) -> std::shared_ptr<ViewController> {
        auto screen = std::make_shared<Screen>(ctx);
        screen->setStoryboardIdentifier(identifier);
        return screen;
    };
}

}  // namespace

void registerScreens(Storyboard& storyboard, AppContext& ctx) {
    storyboard.registerController("LoginController", factoryOf<LoginController>(ctx));
    storyboard.registerController("MainController", factoryOf<MainController>(ctx));
    storyboard.registerController("SettingController", factoryOf<SettingController>(ctx));
    storyboard.registerController("DialogController", factoryOf<DialogController>(ctx));
}

}  // namespace twl
