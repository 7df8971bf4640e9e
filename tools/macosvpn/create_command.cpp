#include "create_command.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <ostream>
#include <set>

#include "nmcli.h"
#include "secret_file.h"
#include "stored_profile.h"
#include "vpn/uuid_v4.h"

namespace twl::tools {
namespace {

int fail(std::ostream& err, const std::string& message) {
    err << "macosvpn: " << message << std::endl;
    return exitFailure;
}

std::optional<std::string> userName(uid_t uid) {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_name);
}

// The unprivileged user who reached the tool through sudo, from SUDO_UID (set
// by sudo, never by its caller); 0 without one; nothing when it is no user id.
std::optional<uid_t> sudoCaller() {
    const char* text = ::getenv("SUDO_UID");
    if (text == nullptr) {
        return 0;
    }
    const char* last = text + std::strlen(text);
    uid_t uid = 0;
    const auto [end, error] = std::from_chars(text, last, uid);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    return uid;
}

// Ours to replace: the name, and this owner's alone or nobody's (profiles
// written before they had an owner).
bool isOurs(const StoredProfile& stored, const L2tpProfile& profile) {
    return stored.id == profile.name &&
           (stored.permissions.empty() ||
            stored.permissions == std::vector<std::string>{"user:" + profile.owner});
}

struct Older {
    std::vector<std::string> uuids;
    std::string error;
};

// The profiles that the new one replaces.
Older olderProfiles(const L2tpProfile& profile) {
    const CommandResult listing = runNmcli({"-t", "-f", "UUID,NAME", "connection", "show"});
    if (std::string failure = nmcliFailure(listing); !failure.empty()) {
        return {{}, failure};
    }
    Older older;
    for (const std::string& uuid : uuidsNamed(listing.out, profile.name)) {
        const ProfileLookup lookup = lookUpProfile(uuid);
        if (!lookup.error.empty()) {
            return {{}, lookup.error};
        }
        if (lookup.profile && isOurs(*lookup.profile, profile)) {
            older.uuids.push_back(uuid);
        }
    }
    return older;
}

// Each still ours when looked at again; one that went meanwhile is fine.
std::string removeProfiles(const std::vector<std::string>& uuids, const L2tpProfile& profile) {
    for (const std::string& uuid : uuids) {
        const ProfileLookup lookup = lookUpProfile(uuid);
        if (!lookup.error.empty()) {
            return "cannot read the old connection " + uuid + ": " + lookup.error;
        }
        if (!lookup.profile || !isOurs(*lookup.profile, profile)) {
            continue;
        }
        const CommandResult removed = runNmcli({"connection", "delete", "uuid", uuid});
        if (removed.started && removed.exitCode == nmcliNoSuchExit) {
            continue;
        }
        if (const std::string failure = nmcliFailure(removed); !failure.empty()) {
            return std::string("cannot remove the old connection ")
                .append(uuid)
                .append(": ")
                .append(failure);
        }
    }
    return {};
}

// `nmcli connection load` succeeds even for a file NetworkManager refused:
// only finding the profile tells.
std::string load(const std::filesystem::path& file, const L2tpProfile& profile) {
    const CommandResult loaded = runNmcli({"connection", "load", file.string()});
    if (std::string failure = nmcliFailure(loaded); !failure.empty()) {
        return failure;
    }
    const ProfileLookup lookup = lookUpProfile(profile.uuid);
    if (!lookup.error.empty()) {
        return lookup.error;
    }
    if (!lookup.profile || lookup.profile->id != profile.name) {
        return "it refused the file";
    }
    return {};
}

// SIGTERM, SIGINT and SIGHUP wait while it lives: a run stopped between
// writing a keyfile and NetworkManager taking it would leave the secrets in a
// file that NetworkManager loads at its next start. (SIGKILL cannot wait: the
// next run removes what it leaves.)
class SignalsHeldOff {
  public:
    SignalsHeldOff() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
            sigaddset(&held, signal);
        }
        ::sigprocmask(SIG_BLOCK, &held, &before_);
    }
    ~SignalsHeldOff() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
    SignalsHeldOff(const SignalsHeldOff&) = delete;
    SignalsHeldOff& operator=(const SignalsHeldOff&) = delete;

  private:
    sigset_t before_{};
};

// The uuid of a keyfile written for this owner's profile of that name, else
// empty.
std::string uuidIfOurs(const std::filesystem::path& file, const L2tpProfile& profile) {
    std::ifstream in(file);
    std::string uuid;
    bool named = false;
    bool owned = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("uuid=")) {
            uuid = line.substr(5);
        }
        named = named || line == "id=" + escapeKeyfileValue(profile.name);
        owned = owned || line == "permissions=" + escapeKeyfileValue("user:" + profile.owner + ";");
    }
    return named && owned && isUuid(uuid) ? uuid : "";
}

// What a run killed half-way left: temporary files, and this owner's
// keyfiles of the connection that NetworkManager does not know.
void removeLeftovers(const KeyfileFolder& folder, const L2tpProfile& profile) {
    folder.removeTemporaries(profile.name);
    for (const auto& file : folder.keyfilesOf(profile.name)) {
        const std::string uuid = uuidIfOurs(file, profile);
        const ProfileLookup lookup = uuid.empty() ? ProfileLookup{} : lookUpProfile(uuid);
        if (!uuid.empty() && lookup.error.empty() && !lookup.profile) {
            ::unlink(file.c_str());
        }
    }
}

}  // namespace

std::variant<CreateRequest, UsageError> parseCreateArguments(const std::vector<std::string>& args) {
    if (args.empty() || args[0] != "create") {
        return UsageError{args.empty() ? "no command given" : "unknown command '" + args[0] + "'"};
    }
    static const std::set<std::string> valueOptions{
        "--l2tp",          "--endpoint",      "--username",          "--password",
        "--password-file", "--shared-secret", "--shared-secret-file"};
    CreateRequest request;
    std::map<std::string, std::string> given;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--force") {
            request.force = true;
        } else if (!valueOptions.contains(option)) {
            return UsageError{"unknown option '" + option + "'"};
        } else if (i + 1 == args.size()) {
            return UsageError{"option " + option + " needs a value"};
        } else {
            given[option] = args[++i];
        }
    }
    if (!given.contains("--l2tp")) {
        return UsageError{"--l2tp NAME is required"};
    }
    if (!given.contains("--endpoint")) {
        return UsageError{"--endpoint HOST is required"};
    }
    for (const char* secret : {"--password", "--shared-secret"}) {
        if (given.contains(secret) && given.contains(std::string(secret) + "-file")) {
            return UsageError{std::string("give either ") + secret + " or " + secret + "-file"};
        }
    }
    request.profile.name = given["--l2tp"];
    request.profile.gateway = given["--endpoint"];
    request.profile.user = given["--username"];
    request.profile.password = given["--password"];
    request.profile.sharedSecret = given["--shared-secret"];
    if (given.contains("--password-file")) {
        request.passwordFile = given["--password-file"];
    }
    if (given.contains("--shared-secret-file")) {
        request.sharedSecretFile = given["--shared-secret-file"];
    }
    return request;
}

std::string takeSecretsAndOwner(CreateRequest& request) {
    // Never an environment variable, but for narrowing: under sudo they name
    // root, or whoever the caller says.
    const auto caller = sudoCaller();
    if (!caller) {
        return "SUDO_UID is not a user id";
    }
    std::optional<uid_t> owner;
    const auto take = [&](const std::optional<std::string>& path, const char* what,
                          std::string& value) -> std::string {
        if (!path) {
            return {};
        }
        auto read = readSecretFile(*path, what);
        if (auto* why = std::get_if<std::string>(&read)) {
            return *why;
        }
        auto& secret = std::get<SecretFile>(read);
        if (*caller != 0 && secret.owner != *caller) {
            return std::string(what) + " '" + *path + "' does not belong to the user who ran sudo";
        }
        if (owner && *owner != secret.owner) {
            return "the password file and the shared secret file belong to different users";
        }
        owner = secret.owner;
        value = std::move(secret.value);
        return {};
    };
    if (auto why = take(request.passwordFile, "the password file", request.profile.password);
        !why.empty()) {
        return why;
    }
    if (auto why =
            take(request.sharedSecretFile, "the shared secret file", request.profile.sharedSecret);
        !why.empty()) {
        return why;
    }
    const uid_t uid = owner.value_or(::getuid());
    const auto name = userName(uid);
    if (!name) {
        return "user id " + std::to_string(uid) + " has no user name to give the connection to";
    }
    request.profile.owner = *name;
    return {};
}

int createConnection(CreateRequest request, const KeyfileFolder& folder, std::ostream& out,
                     std::ostream& err) {
    if (auto why = takeSecretsAndOwner(request); !why.empty()) {
        return fail(err, why);
    }
    L2tpProfile& profile = request.profile;
    if (auto problem = profileProblem(profile)) {
        return fail(err, *problem);
    }
    const Older older = olderProfiles(profile);
    if (!older.error.empty()) {
        return fail(err, older.error);
    }
    if (!older.uuids.empty() && !request.force) {
        return fail(err, "a connection named '" + profile.name +
                             "' already exists; give --force to replace it");
    }

    const Descriptor turn = folder.lock();
    if (turn.get() < 0) {
        return fail(err, "cannot lock " + folder.path().string() + ": " + std::strerror(errno) +
                             "; the old connection is kept");
    }
    removeLeftovers(folder, profile);

    // The new one first: whatever fails, the user is never left without one.
    // The secrets travel in the file, never on nmcli's command line.
    profile.uuid = newUuidV4();
    {
        const SignalsHeldOff held;
        const KeyfileFolder::Written written = folder.writeNew(profile.name, keyfileText(profile));
        if (written.path.empty()) {
            return fail(err, written.error + "; the old connection is kept");
        }
        if (const std::string failure = load(written.path, profile); !failure.empty()) {
            ::unlink(written.path.c_str());
            return fail(err, "NetworkManager did not take the connection (" + failure +
                                 "); the old connection is kept");
        }
    }
    if (const std::string failure = removeProfiles(older.uuids, profile); !failure.empty()) {
        return fail(err, "the new connection is in place, but " + failure);
    }
    out << "Created L2TP connection '" << profile.name << "'" << std::endl;
    return 0;
}

}  // namespace twl::tools
