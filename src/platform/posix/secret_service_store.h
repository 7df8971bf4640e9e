#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/secret_store.h"

namespace twl {

class RunLoop;

// The keyring over libsecret: items of the schema "example.tidewaterlink.Password"
// with the attributes service "Tidewaterlink" and key (the settings key's
// name), in the default collection. Each call runs in turn on a thread of its
// own with libsecret's blocking calls, so the window never waits on the bus
// or on an unlock prompt; answers are posted to `mainLoop`.
//
// The session bus is the one DBUS_SESSION_BUS_ADDRESS names, else
// $XDG_RUNTIME_DIR/bus; none is ever started. Without a Secret Service it
// says so once on standard error, and a failed read or write says why there.
// Destroying it gives calls under way two seconds to end (a just accepted
// password is not lost), then cancels them.
class SecretServiceStore final : public SecretStore {
  public:
    explicit SecretServiceStore(RunLoop& mainLoop);
    ~SecretServiceStore() override;
    SecretServiceStore(const SecretServiceStore&) = delete;
    SecretServiceStore& operator=(const SecretServiceStore&) = delete;

    void lookForService(Presence done) override;
    void read(const std::string& key, ReadCompletion done) override;
    void write(const std::string& key, const std::string& secret, WriteCompletion done) override;

  private:
    struct Cancellable;
    void enqueue(std::function<void()> job);
    void work();

    RunLoop& mainLoop_;
    std::unique_ptr<Cancellable> cancellable_;
    // Shared with the posted answers, which run only while it says yes.
    std::shared_ptr<bool> wanted_ = std::make_shared<bool>(true);
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool working_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace twl
