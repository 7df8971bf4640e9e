#include "app/stored_secrets.h"

#include <utility>

#include "app/app_context.h"
#include "app/settings_keys.h"
#include "platform/run_loop.h"
#include "platform/secret_store.h"
#include "platform/settings_store.h"

namespace twl {
namespace {

// Each password key with the key whose presence says that it is expected.
struct SecretKey {
    const char* password;
    const char* userName;
};
constexpr SecretKey secretKeys[] = {{keys::vpnUserPassword, keys::vpnUserName},
                                    {keys::userpassword, keys::username}};

}  // namespace

StoredSecrets::StoredSecrets(AppContext& context) : ctx_(context) {}

StoredSecrets::~StoredSecrets() = default;

void StoredSecrets::whenRead(const std::string& key, Reader reader) {
    Entry& found = entry(key);
    if (found.settled) {
        reader(found.value);
        return;
    }
    found.readers.push_back(std::move(reader));
}

std::optional<std::string> StoredSecrets::known(const std::string& key) {
    return entry(key).value;
}

void StoredSecrets::set(const std::string& key, const std::string& secret) {
    Entry& found = entry(key);
    if (found.settled && found.value == secret) {
        return;  // a keyring write may prompt: none for what it has
    }
    settle(found, secret);
    found.unsaved = true;
    if (!found.expected) {
        save(key, found);
    }
}

StoredSecrets::Entry& StoredSecrets::entry(const std::string& key) {
    start();
    return entries_.at(key);
}

void StoredSecrets::start() {
    if (std::exchange(started_, true)) {
        return;
    }
    const SettingsStore& settings = ctx_.userDefaults();
    bool waiting = false;
    for (const auto& [password, userName] : secretKeys) {
        Entry& fresh = entries_[password];
        // Left in the file by a run without a keyring: it is the newest.
        fresh.value = storedString(settings, password);
        fresh.unsaved = fresh.value.has_value();
        fresh.expected = !fresh.unsaved && storedString(settings, userName).has_value();
        fresh.settled = !fresh.expected;
        waiting = waiting || fresh.expected;
    }
    const std::weak_ptr<int> alive = alive_;
    if (waiting) {
        ctx_.runLoop().delay(readWaitSeconds, [this, alive] {
            if (!alive.expired()) {
                giveUp();
            }
        });
    }
    ctx_.keyring().lookForService([this, alive](bool there) {
        if (!alive.expired()) {
            placeFound(there ? Place::keyring : Place::file);
        }
    });
}

void StoredSecrets::placeFound(Place place) {
    place_ = place;
    for (auto& [key, found] : entries_) {
        if (found.expected && place == Place::keyring) {
            readFromKeyring(key);
            continue;
        }
        found.expected = false;
        if (!found.settled) {
            settle(found, std::nullopt);  // no keyring to hold it
        }
        if (found.unsaved) {
            save(key, found);
        }
    }
}

void StoredSecrets::readFromKeyring(const std::string& key) {
    const std::weak_ptr<int> alive = alive_;
    ctx_.keyring().read(key, [this, alive, key](std::optional<std::string> secret) {
        if (!alive.expired()) {
            keyringAnswered(key, std::move(secret));
        }
    });
}

// One set meanwhile is newer, and written only when it differs; after the
// wait has ended, nothing is taken.
void StoredSecrets::keyringAnswered(const std::string& key, std::optional<std::string> secret) {
    Entry& found = entries_.at(key);
    found.expected = false;
    if (!found.settled) {
        settle(found, std::move(secret));
    } else if (found.unsaved && found.value == secret) {
        found.unsaved = false;
    } else if (found.unsaved) {
        save(key, found);
    }
}

void StoredSecrets::save(const std::string& key, Entry& entry) {
    entry.unsaved = place_ == Place::unknown;
    SettingsStore& settings = ctx_.userDefaults();
    if (place_ == Place::file && storedString(settings, key) != entry.value) {
        settings.setObject(*entry.value, key);
    }
    if (place_ != Place::keyring) {
        return;
    }
    const std::weak_ptr<int> alive = alive_;
    ctx_.keyring().write(key, *entry.value, [alive, &settings, key](bool stored) {
        // Only a stored secret may leave the file; a failed write leaves it as it was.
        if (!alive.expired() && stored && storedString(settings, key)) {
            settings.removeObjectForKey(key);
        }
    });
}

void StoredSecrets::giveUp() {
    for (auto& [key, found] : entries_) {
        if (!found.settled) {
            settle(found, std::nullopt);
        }
    }
}

void StoredSecrets::settle(Entry& entry, std::optional<std::string> value) {
    entry.settled = true;
    entry.value = std::move(value);
    const std::optional<std::string> secret = entry.value;
    for (const Reader& reader : std::exchange(entry.readers, {})) {
        reader(secret);
    }
}

}  // namespace twl
