#include "vpn/connection_notifications.h"

#include <cmath>

#include "app/app_context.h"
#include "platform/console.h"
#include "platform/notification_center.h"
#include "platform/run_loop.h"
#include "vpn/uuid_v4.h"

namespace twl {

void requestNotificationPermission(AppContext& ctx) {
    NotificationCenter& center = ctx.notifications();
    if (!center.isAvailable()) {
        return;
    }
    // The console outlives the context, and the answer may come from any
    // thread; writing one line is all it does.
    Console& console = ctx.console();
    const unsigned options =
        notification_options::alert | notification_options::sound | notification_options::badge;
    center.requestAuthorization(options, [&console](bool granted) {
        if (!granted) {
            console.writeLine(declinedNotificationsLine);
        }
    });
}

void postConnectionNotification(AppContext& ctx, const std::string& title,
                                const std::string& body) {
    NotificationCenter& center = ctx.notifications();
    if (!center.isAvailable()) {
        return;
    }
    NotificationRequest request;
    request.identifier = newUuidV4();
    request.title = title;
    request.body = body;
    request.categoryIdentifier = notificationCategory;
    // A calendar trigger matches down to the second: the fraction is dropped.
    request.triggerEpochSeconds = static_cast<std::int64_t>(std::floor(ctx.runLoop().now() + 1.0));
    center.add(std::move(request));
}

}  // namespace twl
