#pragma once

#include <string>
#include <string_view>

namespace twl {

class AppContext;

inline constexpr std::string_view notificationCategory = "alarm";
inline constexpr std::string_view declinedNotificationsLine = "User has declined notifications";

// Asks for permission to show alerts, sounds and badges; a refusal writes
// "User has declined notifications" when the answer comes. Does nothing where
// the desktop has no notifications.
void requestNotificationPermission(AppContext& ctx);

// Schedules one notification with a new identifier, shown one second from now.
// Returns at once; does nothing where the desktop has no notifications.
void postConnectionNotification(AppContext& ctx, const std::string& title, const std::string& body);

}  // namespace twl
