#include "app/app_delegate.h"

#include "app/app_context.h"
#include "platform/console.h"
#include "platform/menu.h"
#include "platform/status_bar.h"
#include "platform/status_item.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"

namespace twl {

AppDelegate::AppDelegate(AppContext& context, StatusBar& statusBar)
    : context_(context),
      statusItem_(statusBar.statusItemWithLength(StatusBar::variableLength)),
      menu_(std::make_shared<Menu>()) {}

void AppDelegate::applicationDidFinishLaunching() {
    context_.statusBarButton = statusItem_->button();
    context_.statusBarButton->setImage("menubar");
    menu_->addItem(MenuItem{"Close Application", MenuAction::terminate, "q"});
    statusItem_->setMenu(menu_);
}

bool AppDelegate::applicationShouldHandleReopen(bool) {
    return true;
}

void AppDelegate::applicationWillTerminate() {
    context_.console().writeLine("app is closed");
    if (!context_.isConnected) {
        return;
    }
    // Synchronous: the tunnel is down before the process ends.
    runScript(context_.interpreter(), plainScript(commands::disconnectService()));
}

}  // namespace twl
