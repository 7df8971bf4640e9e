#include "platform/qt/logind_sleep_watch.h"

namespace twl {

LogindSleepWatch::LogindSleepWatch(BusConnector connectBus, QObject* parent)
    : QObject(parent), connectBus_(std::move(connectBus)) {}

void LogindSleepWatch::start(SleepListener& listener) {
    listener_ = &listener;
    if (bus_) {
        return;
    }
    bus_ = connectBus_();
    if (bus_->isConnected()) {
        bus_->connect(QStringLiteral("org.freedesktop.login1"),
                      QStringLiteral("/org/freedesktop/login1"),
                      QStringLiteral("org.freedesktop.login1.Manager"),
                      QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    }
}

void LogindSleepWatch::prepareForSleep(bool sleeping) {
    if (listener_ != nullptr) {
        listener_->preparingForSleep(sleeping);
    }
}

}  // namespace twl
