#include "platform/posix/secret_service_store.h"

#include <libsecret/secret.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <utility>

#include "platform/run_loop.h"

namespace twl {
namespace {

constexpr const char* secretServiceName = "org.freedesktop.secrets";
constexpr const char* clientName = "Tidewaterlink";
constexpr int busCallMilliseconds = 5000;
constexpr auto quitWait = std::chrono::seconds(2);

void warn(const std::string& message) {
    std::cerr << "tidewaterlink: keyring: " << message << std::endl;
}

// The reason GLib gives, and the error freed.
std::string reasonOf(GError* error) {
    if (error == nullptr) {
        return "no reason given";
    }
    std::string reason = error->message;
    g_error_free(error);
    return reason;
}

const SecretSchema& passwordSchema() {
    static const SecretSchema schema = [] {
        SecretSchema made{};
        made.name = "example.tidewaterlink.Password";
        made.flags = SECRET_SCHEMA_NONE;
        made.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        made.attributes[1] = {"key", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return made;
    }();
    return schema;
}

// The session bus as GLib would find it, short of starting one (X11
// autolaunch would leave a bus of our own behind).
std::optional<std::string> sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        address != nullptr && address[0] != '\0') {
        return address;
    }
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && runtime[0] == '/') {
        const std::filesystem::path bus = std::filesystem::path(runtime) / "bus";
        std::error_code ignored;
        if (std::filesystem::is_socket(bus, ignored)) {
            return "unix:path=" + bus.string();
        }
    }
    return std::nullopt;
}

GVariant* askBus(GDBusConnection* bus, const char* method, GVariant* arguments,
                 const char* replyType, GCancellable* cancellable) {
    return g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                       "org.freedesktop.DBus", method, arguments,
                                       G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE,
                                       busCallMilliseconds, cancellable, nullptr);
}

bool ownedOrActivatable(GDBusConnection* bus, GCancellable* cancellable) {
    gboolean owned = FALSE;
    if (GVariant* reply = askBus(bus, "NameHasOwner", g_variant_new("(s)", secretServiceName),
                                 "(b)", cancellable)) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    bool activatable = false;
    GVariant* reply =
        owned ? nullptr : askBus(bus, "ListActivatableNames", nullptr, "(as)", cancellable);
    if (reply != nullptr) {
        const gchar** names = nullptr;
        g_variant_get(reply, "(^a&s)", &names);
        for (const gchar** name = names; name != nullptr && *name != nullptr; ++name) {
            activatable = activatable || g_strcmp0(*name, secretServiceName) == 0;
        }
        g_free(static_cast<gpointer>(names));
        g_variant_unref(reply);
    }
    return owned != FALSE || activatable;
}

bool secretServiceOnBus(const std::optional<std::string>& address, GCancellable* cancellable) {
    if (!address) {
        return false;
    }
    const auto flags =
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(address->c_str(), flags, nullptr,
                                                                  cancellable, nullptr);
    if (bus == nullptr) {
        return false;
    }
    const bool there = ownedOrActivatable(bus, cancellable);
    g_object_unref(bus);
    return there;
}

std::optional<std::string> lookUp(const std::string& key, GCancellable* cancellable) {
    GError* error = nullptr;
    gchar* found = secret_password_lookup_sync(&passwordSchema(), cancellable, &error, "service",
                                               clientName, "key", key.c_str(), nullptr);
    if (found == nullptr) {
        warn(error != nullptr ? "cannot read " + key + ": " + reasonOf(error)
                              : key + " is not in the keyring");
        return std::nullopt;
    }
    std::string secret(found);
    secret_password_free(found);  // wipes it
    return secret;
}

bool store(const std::string& key, const std::string& secret, GCancellable* cancellable) {
    GError* error = nullptr;
    const std::string label = std::string(clientName) + " " + key;
    const bool stored =
        secret_password_store_sync(&passwordSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
                                   secret.c_str(), cancellable, &error, "service", clientName,
                                   "key", key.c_str(), nullptr) != FALSE;
    if (!stored) {
        warn("cannot store " + key + ": " + reasonOf(error));
    }
    return stored;
}

template <typename Completion, typename Value>
void postAnswer(RunLoop& loop, const std::shared_ptr<bool>& wanted, Completion done, Value value) {
    loop.post([wanted, done = std::move(done), value = std::move(value)]() mutable {
        if (*wanted) {
            done(std::move(value));
        }
    });
}

}  // namespace

struct SecretServiceStore::Cancellable {
    GCancellable* handle = g_cancellable_new();
    ~Cancellable() { g_object_unref(handle); }
};

SecretServiceStore::SecretServiceStore(RunLoop& mainLoop)
    : mainLoop_(mainLoop),
      cancellable_(std::make_unique<Cancellable>()),
      thread_([this] { work(); }) {}

SecretServiceStore::~SecretServiceStore() {
    *wanted_ = false;
    std::unique_lock lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
    if (!changed_.wait_for(lock, quitWait, [this] { return jobs_.empty() && !working_; })) {
        jobs_.clear();
        g_cancellable_cancel(cancellable_->handle);
    }
    lock.unlock();
    thread_.join();
}

void SecretServiceStore::lookForService(Presence done) {
    enqueue([this, address = sessionBusAddress(), done = std::move(done), wanted = wanted_] {
        const bool there = secretServiceOnBus(address, cancellable_->handle);
        if (!there) {
            warn(
                "no Secret Service (org.freedesktop.secrets) on the session bus: the account "
                "and administrator passwords stay in the settings file");
        }
        postAnswer(mainLoop_, wanted, done, there);
    });
}

void SecretServiceStore::read(const std::string& key, ReadCompletion done) {
    enqueue([this, key, done = std::move(done), wanted = wanted_] {
        postAnswer(mainLoop_, wanted, done, lookUp(key, cancellable_->handle));
    });
}

void SecretServiceStore::write(const std::string& key, const std::string& secret,
                               WriteCompletion done) {
    enqueue([this, key, secret, done = std::move(done), wanted = wanted_] {
        postAnswer(mainLoop_, wanted, done, store(key, secret, cancellable_->handle));
    });
}

void SecretServiceStore::enqueue(std::function<void()> job) {
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    changed_.notify_all();
}

void SecretServiceStore::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) {
            return;  // stopping, with nothing left to do
        }
        const std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        working_ = true;
        lock.unlock();
        job();
        lock.lock();
        working_ = false;
        changed_.notify_all();
    }
}

}  // namespace twl
