#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/script_interpreter.h"

namespace twl {

// The folder that carries one command's secrets: made fresh (mode 0700) in the
// user's runtime folder, one file (mode 0600) per secret, and removed with its
// content when this object goes. sudo closes every descriptor above 2 and the
// elevated command reads /dev/null, so files are the way to root's side; the
// runtime folder is a private tmpfs (never a disk) that root can read even
// when the home folder is on a network share.
class SecretFolder {
  public:
    struct Made;

    // The runtime folders to try, in order: $XDG_RUNTIME_DIR, /run/user/UID.
    // The first that is a folder (not a link) of this user's with mode 0700
    // in memory is used.
    static std::vector<std::filesystem::path> runtimeCandidates();

    // Writes every secret. On failure nothing is left behind, and the error
    // names what failed, never a value.
    static Made make(const std::vector<std::filesystem::path>& candidates,
                     const std::vector<ScriptSecret>& secrets);

    // Removes the folders that a client which ended abruptly left behind.
    static void removeLeftovers(const std::vector<std::filesystem::path>& candidates);

    SecretFolder(SecretFolder&& other) noexcept;
    SecretFolder& operator=(SecretFolder&& other) noexcept;
    SecretFolder(const SecretFolder&) = delete;
    SecretFolder& operator=(const SecretFolder&) = delete;
    ~SecretFolder();

    const std::filesystem::path& path() const { return path_; }

  private:
    explicit SecretFolder(std::filesystem::path path) : path_(std::move(path)) {}
    void remove() noexcept;

    std::filesystem::path path_;
};

struct SecretFolder::Made {
    std::optional<SecretFolder> folder;
    std::string error;
};

}  // namespace twl
