#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace twl {

// What the client asks permission for, as bits of one value.
namespace notification_options {
inline constexpr unsigned badge = 1;
inline constexpr unsigned sound = 2;
inline constexpr unsigned alert = 4;
}  // namespace notification_options

// One local notification, shown when its trigger falls due.
struct NotificationRequest {
    std::string identifier;  // unique per request: a request never replaces another
    std::string title;
    std::string body;
    std::string categoryIdentifier;
    // The calendar second at which it is shown, as whole seconds since the
    // Unix epoch; not repeating.
    std::int64_t triggerEpochSeconds = 0;
};

// The desktop's notification centre. Called on the main thread only.
class NotificationCenter {
  public:
    using AuthorizationHandler = std::function<void(bool granted)>;

    virtual ~NotificationCenter() = default;

    // False where the desktop has no notifications at all; callers then do
    // nothing, and the two calls below must not be made.
    virtual bool isAvailable() const = 0;

    // Asks for permission for the given options (notification_options bits).
    // Returns at once; the handler runs at most once, later, and may run on any
    // thread. It is dropped unrun if this object goes away first.
    virtual void requestAuthorization(unsigned options, AuthorizationHandler handler) = 0;

    // Schedules the request and returns at once. Failures are not reported.
    virtual void add(NotificationRequest request) = 0;
};

}  // namespace twl
