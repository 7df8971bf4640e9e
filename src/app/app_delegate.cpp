#include "app/app_delegate.h"

#include "app/app_context.h"
#include "platform/console.h"
#include "platform/menu.h"
#include "platform/script_interpreter.h"
#include "platform/status_bar.h"
#include "platform/status_item.h"
#include "privileged/commands.h"
#include "privileged/script_runner.h"

namespace twl {
namespace {

// How long quitting waits for the disconnect command.
constexpr std::chrono::seconds quitDisconnectBound{5};

}  // namespace

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
    // Synchronous, so the tunnel is down before the process ends, but bounded:
    // a hung tool must not keep the client from quitting.
    runScript(context_.interpreter(), plainScript(commands::disconnectService()),
              ScriptOptions{.timeLimit = quitDisconnectBound});
}

}  // namespace twl
