#include "app/app_delegate.h"

#include "app/app_context.h"
#include "platform/console.h"
#include "platform/menu.h"
#include "platform/status_bar.h"
#include "platform/status_item.h"
#include "vpn/connection_session.h"

namespace twl {

AppDelegate::AppDelegate(AppContext& context, StatusBar& statusBar)
    : context_(context), statusBar_(statusBar), menu_(std::make_shared<Menu>()) {}

void AppDelegate::applicationDidFinishLaunching() {
    statusItem_ = statusBar_.statusItemWithLength(StatusBar::variableLength);
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
    // No attempt outlives the client: the service goes down before the process
    // ends, within a bound, so a hung tool cannot keep the client from quitting.
    context_.connection().quit();
}

}  // namespace twl
