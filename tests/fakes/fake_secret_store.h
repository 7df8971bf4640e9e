#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/run_loop.h"
#include "platform/secret_store.h"

namespace twl::fakes {

// The keyring in memory, answering on the loop's next turn. None is there
// unless a test says so, so the settings file keeps the passwords as before.
class FakeSecretStore final : public SecretStore {
  public:
    explicit FakeSecretStore(RunLoop& loop) : loop_(loop) {}

    void lookForService(Presence done) override {
        loop_.post([done, there = there] { done(there); });
    }
    void read(const std::string& key, ReadCompletion done) override {
        const auto found = items.find(key);
        auto answer = [done, secret = found == items.end()
                                          ? std::nullopt
                                          : std::optional(found->second)] { done(secret); };
        if (holdReads) {
            heldReads.push_back(answer);  // an unlock prompt nobody answers, until a test does
        } else {
            loop_.post(answer);
        }
    }
    void write(const std::string& key, const std::string& secret, WriteCompletion done) override {
        writes.push_back(key);
        if (!failWrites) {
            items[key] = secret;
        }
        loop_.post([done, stored = !failWrites] { done(stored); });
    }

    bool there = false;
    bool holdReads = false;
    bool failWrites = false;
    std::map<std::string, std::string> items;
    std::vector<std::string> writes;
    std::vector<std::function<void()>> heldReads;

  private:
    RunLoop& loop_;
};

}  // namespace twl::fakes
