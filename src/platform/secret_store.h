#pragma once

#include <functional>
#include <optional>
#include <string>

namespace twl {

// The desktop keyring: the session's Secret Service, which keeps secrets
// encrypted at rest and unlocked with the user's login. Each secret is kept
// under the client's name and a key. Called on the main thread; every answer
// comes later on the main run loop, never from inside the call, and the
// answers come in the order of the calls. A store destroyed with calls under
// way drops their answers.
class SecretStore {
  public:
    using Presence = std::function<void(bool there)>;
    using ReadCompletion = std::function<void(std::optional<std::string> secret)>;
    using WriteCompletion = std::function<void(bool stored)>;

    virtual ~SecretStore() = default;

    // Whether the session has a Secret Service: its name owned, or
    // activatable, on the session bus.
    virtual void lookForService(Presence done) = 0;
    // The secret under `key`; nothing when it is not there or could not be
    // had (a locked keyring whose prompt was dismissed, an error).
    virtual void read(const std::string& key, ReadCompletion done) = 0;
    // Replaces the secret under `key`; true once it is stored.
    virtual void write(const std::string& key, const std::string& secret, WriteCompletion done) = 0;
};

}  // namespace twl
