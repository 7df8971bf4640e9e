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
// Held reads wait, as behind an unlock prompt, until a test answers them.
struct FakeSecretStore final : SecretStore {
    explicit FakeSecretStore(RunLoop& loop) : loop(loop) {}

    void lookForService(Presence done) override {
        loop.post([done, there = there] { done(there); });
    }
    void read(const std::string& key, ReadCompletion done) override {
        const auto found = items.find(key);
        const auto secret = found == items.end() ? std::nullopt : std::optional(found->second);
        auto answer = [done, secret] { done(secret); };
        if (holdReads) {
            heldReads.push_back(answer);
        } else {
            loop.post(answer);
        }
    }
    void write(const std::string& key, const std::string& secret, WriteCompletion done) override {
        writes.push_back(key);
        if (!failWrites) {
            items[key] = secret;
        }
        loop.post([done, stored = !failWrites] { done(stored); });
    }

    RunLoop& loop;
    bool there = false;
    bool holdReads = false;
    bool failWrites = false;
    std::map<std::string, std::string> items;
    std::vector<std::string> writes;
    std::vector<std::function<void()>> heldReads;
};

}  // namespace twl::fakes
