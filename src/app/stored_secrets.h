#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace twl {

class AppContext;

// The two password keys, "vpnUserPassword" and "userpassword": kept in the
// desktop keyring when the session has one, else in the settings file as
// before, and in memory for the run once read or written, so that every
// reader sees the newest at once.
//
// At start (or the first use) it looks for the keyring. A password the
// settings file still holds wins and moves into the keyring; it leaves the
// file only once the keyring has stored it. A password the file lacks is read from the
// keyring when its user name ("vpnUserName", "username") is stored, as it is
// expected then; a reader waits for it at most readWaitSeconds from the
// start (an unlock prompt may stay open), after which it counts as not there
// for the run and nothing is written for it.
class StoredSecrets {
  public:
    using Reader = std::function<void(const std::optional<std::string>& secret)>;
    static constexpr double readWaitSeconds = 25.0;

    explicit StoredSecrets(AppContext& context);
    ~StoredSecrets();
    StoredSecrets(const StoredSecrets&) = delete;
    StoredSecrets& operator=(const StoredSecrets&) = delete;

    // Looks for the keyring, before anything may change the settings; once.
    void start();
    // Hands the secret to `reader` once it is known: before returning when it
    // is, else on the run loop. Nothing: not there, or not to be had this run.
    void whenRead(const std::string& key, Reader reader);
    // The secret as known now, without waiting.
    std::optional<std::string> known(const std::string& key);
    // Keeps a new secret; one equal to what is known, or to what the keyring
    // answers for it, writes nothing.
    void set(const std::string& key, const std::string& secret);

  private:
    enum class Place { unknown, keyring, file };
    struct Entry {
        bool settled = false;   // known for this run, found or not
        bool expected = false;  // the keyring is still to say what it holds
        bool unsaved = false;   // to be put where secrets are kept, once that is known
        std::optional<std::string> value;
        std::vector<Reader> readers;
    };

    Entry& entry(const std::string& key);
    void placeFound(Place place);
    void readFromKeyring(const std::string& key);
    void keyringAnswered(const std::string& key, std::optional<std::string> secret);
    void save(const std::string& key, Entry& entry);
    void giveUp();
    static void settle(Entry& entry, std::optional<std::string> value);

    AppContext& ctx_;
    bool started_ = false;
    Place place_ = Place::unknown;
    std::map<std::string, Entry> entries_;
    // Answers that come after this object has gone find it expired.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace twl
