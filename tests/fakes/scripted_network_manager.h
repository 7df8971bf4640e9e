#pragma once

#include <string>

#include "platform/network_manager_watch.h"
#include "platform/run_loop.h"

namespace twl::fakes {

// NetworkManager as the test plays it: off the bus until the test puts it on,
// answering profile look-ups with `profile` on the run loop, and reporting
// what the test says.
class ScriptedNetworkManager final : public NetworkManagerWatch {
  public:
    explicit ScriptedNetworkManager(RunLoop& loop) : loop_(loop) {}

    void start(NetworkManagerListener& listener) override { listener_ = &listener; }
    void stop() override { listener_ = nullptr; }
    bool onBus() const override { return onBusNow; }
    int networkState() const override { return onBusNow ? networkStateNow : 0; }
    void findProfile(const std::string& /*id*/,
                     std::function<void(const std::string&)> found) override {
        loop_.post([this, found = std::move(found)] { found(onBusNow ? profile : ""); });
    }

    void report(const ActiveConnectionReport& report) {
        if (listener_ != nullptr) {
            listener_->activeConnectionChanged(report);
        }
    }

    void setNetworkState(int state) {
        networkStateNow = state;
        if (listener_ != nullptr) {
            listener_->networkStateChanged(state);
        }
    }

    bool onBusNow = false;
    int networkStateNow = 70;  // connected-global
    std::string profile = "/org/freedesktop/NetworkManager/Settings/7";

  private:
    RunLoop& loop_;
    NetworkManagerListener* listener_ = nullptr;
};

}  // namespace twl::fakes
