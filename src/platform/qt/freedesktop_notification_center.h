#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>
#include <memory>

#include "platform/notification_center.h"

namespace twl {

class RunLoop;

// Desktop notifications through the freedesktop notification server
// (org.freedesktop.Notifications on the session bus). Nothing here waits on
// the bus: permission is asked asynchronously, notifications are sent without
// awaiting a reply. Without a session bus the desktop counts as having no
// notifications at all.
//
// The bus is reached on first use, not at start-up: connecting waits for the
// bus daemon's answer, and the login window has no use for notifications.
class FreedesktopNotificationCenter final : public NotificationCenter {
  public:
    using BusConnector = std::function<QDBusConnection()>;

    // The run loop must outlive this object; scheduled notifications that fall
    // due after this object is gone are dropped.
    explicit FreedesktopNotificationCenter(RunLoop& runLoop,
                                           BusConnector connectBus = &QDBusConnection::sessionBus,
                                           QString appName = QStringLiteral("Tidewaterlink"));
    ~FreedesktopNotificationCenter() override;
    FreedesktopNotificationCenter(const FreedesktopNotificationCenter&) = delete;
    FreedesktopNotificationCenter& operator=(const FreedesktopNotificationCenter&) = delete;

    bool isAvailable() const override;

    // Permission counts as granted when a notification server answers
    // GetCapabilities, and as declined when none does in time. The handler
    // runs on the main thread.
    void requestAuthorization(unsigned options, AuthorizationHandler handler) override;

    // Sent as a new notification (replaces_id 0) when its trigger falls due,
    // with the category as the "category" hint and no sound.
    void add(NotificationRequest request) override;

  private:
    struct State;

    RunLoop& runLoop_;
    std::shared_ptr<State> state_;
};

}  // namespace twl
