#include "platform/posix/secret_folder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/posix/runtime_folder.h"
#include "platform/posix/unique_fd.h"

namespace twl {
namespace {

namespace fs = std::filesystem;

// Only folders of this name are ever removed as leftovers.
constexpr std::string_view prefix = "tidewaterlink-secrets-";

const std::string noRuntimeFolder =
    "the command needs a private runtime folder: neither $XDG_RUNTIME_DIR nor "
    "/run/user/UID is a folder of this user's with mode 0700 in memory (tmpfs)";

bool isValidName(const std::string& name) {
    return !name.empty() && name.size() <= 64 && name.front() != '-' &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
           });
}

std::string checkSecrets(const std::vector<ScriptSecret>& secrets) {
    std::set<std::string> names;
    for (const auto& secret : secrets) {
        if (!isValidName(secret.name) || !names.insert(secret.name).second) {
            return "the command's secrets are not valid: a name is not a plain file name or "
                   "is given twice";
        }
        if (secret.value.size() > secretLimit) {
            return "the command's secrets are not valid: one is longer than " +
                   std::to_string(secretLimit) + " bytes";
        }
    }
    return {};
}

std::optional<fs::path> privateRuntimeFolder(const std::vector<fs::path>& candidates) {
    return RuntimeFolder::find(candidates, RuntimeFolder::Backing::memory);
}

std::string writeError() {
    return "the command's secrets could not be written: " + std::generic_category().message(errno);
}

// The value alone, no line break: the file is the secret.
bool writeSecret(int folder, const ScriptSecret& secret) {
    const UniqueFd file(::openat(folder, secret.name.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!file || ::fchmod(file.get(), 0600) != 0) {
        return false;
    }
    std::string_view rest = secret.value;
    while (!rest.empty()) {
        const ssize_t written = ::write(file.get(), rest.data(), rest.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::vector<fs::path> SecretFolder::runtimeCandidates() {
    return RuntimeFolder::candidates();
}

SecretFolder::Made SecretFolder::make(const std::vector<fs::path>& candidates,
                                      const std::vector<ScriptSecret>& secrets) {
    if (auto why = checkSecrets(secrets); !why.empty()) {
        return {std::nullopt, std::move(why)};
    }
    const auto runtime = privateRuntimeFolder(candidates);
    if (!runtime) {
        return {std::nullopt, noRuntimeFolder};
    }
    std::string pattern = (*runtime / (std::string(prefix) + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        return {std::nullopt, writeError()};
    }
    Made made{SecretFolder(pattern), {}};
    const UniqueFd folder(::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder || ::fchmod(folder.get(), 0700) != 0) {
        return {std::nullopt, writeError()};
    }
    for (const auto& secret : secrets) {
        if (!writeSecret(folder.get(), secret)) {
            return {std::nullopt, writeError()};
        }
    }
    return made;
}

void SecretFolder::removeLeftovers(const std::vector<fs::path>& candidates) {
    const auto runtime = privateRuntimeFolder(candidates);
    if (!runtime) {
        return;
    }
    std::error_code error;
    for (fs::directory_iterator entry(*runtime, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ignored;
        if (entry->path().filename().string().starts_with(prefix) &&
            entry->symlink_status(ignored).type() == fs::file_type::directory) {
            fs::remove_all(entry->path(), ignored);
        }
    }
}

SecretFolder::SecretFolder(SecretFolder&& other) noexcept : path_(std::exchange(other.path_, {})) {}

SecretFolder& SecretFolder::operator=(SecretFolder&& other) noexcept {
    if (this != &other) {
        remove();
        path_ = std::exchange(other.path_, {});
    }
    return *this;
}

SecretFolder::~SecretFolder() {
    remove();
}

void SecretFolder::remove() noexcept {
    if (!path_.empty()) {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
        path_.clear();
    }
}

}  // namespace twl
