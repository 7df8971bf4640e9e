#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace twl {

// The user's private runtime folder: the first candidate that is a folder
// (not a symbolic link) of this user's with mode 0700, so that no other user
// can put anything in it or see what is there; and, for secrets, one that
// lives in memory (tmpfs or ramfs), so that they never reach a disk.
class RuntimeFolder {
  public:
    enum class Backing { any, memory };

    // $XDG_RUNTIME_DIR, then /run/user/UID.
    static std::vector<std::filesystem::path> candidates();

    static std::optional<std::filesystem::path> find(
        const std::vector<std::filesystem::path>& candidates, Backing backing);
};

}  // namespace twl
