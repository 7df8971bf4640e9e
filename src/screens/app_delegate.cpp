#include "screens/app_delegate.h"

#include "app/app_context.h"
#include "platform/console.h"
#include "screens/tray_item.h"
#include "vpn/connection_session.h"

namespace twl {

AppDelegate::AppDelegate(AppContext& ctx, std::function<void()> quit)
    : ctx_(ctx), quit_(std::move(quit)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    statusItem_ = std::make_unique<TrayItem>(quit_);
    ctx_.statusBarButton = statusItem_->button();
    ctx_.statusBarButton->setImage("menubar");
}

bool AppDelegate::applicationShouldHandleReopen(bool) {
    return true;
}

void AppDelegate::applicationWillTerminate() {
    ctx_.console().writeLine("app is closed");
    // No attempt outlives the client: the service goes down before the process
    // ends, within a bound, so a hung tool cannot keep the client from quitting.
    ctx_.connection().quit();
}

}  // namespace twl
