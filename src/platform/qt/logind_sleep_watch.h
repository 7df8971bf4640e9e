#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <optional>

#include "platform/sleep_watch.h"

namespace twl {

// logind's PrepareForSleep on the system bus (org.freedesktop.login1). The
// signal is matched whoever comes to own the name, so a logind that starts
// later is heard too; without a system bus or logind, nothing is.
class LogindSleepWatch final : public QObject, public SleepWatch {
    Q_OBJECT

  public:
    using BusConnector = std::function<QDBusConnection()>;

    explicit LogindSleepWatch(BusConnector connectBus = &QDBusConnection::systemBus,
                              QObject* parent = nullptr);

    void start(SleepListener& listener) override;
    void stop() override { listener_ = nullptr; }

  private Q_SLOTS:
    void prepareForSleep(bool sleeping);

  private:
    BusConnector connectBus_;
    std::optional<QDBusConnection> bus_;
    SleepListener* listener_ = nullptr;
};

}  // namespace twl
