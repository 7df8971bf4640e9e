#include "platform/posix/runtime_folder.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "platform/posix/unique_fd.h"

namespace twl {
namespace {

namespace fs = std::filesystem;

bool inMemory(int folder) {
    struct statfs system {};
    return ::fstatfs(folder, &system) == 0 &&
           (system.f_type == TMPFS_MAGIC || system.f_type == RAMFS_MAGIC);
}

bool isPrivate(const fs::path& folder, RuntimeFolder::Backing backing) {
    if (!folder.is_absolute()) {
        return false;
    }
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat status {};
    return fd && ::fstat(fd.get(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 07777) == 0700 &&
           (backing == RuntimeFolder::Backing::any || inMemory(fd.get()));
}

}  // namespace

std::vector<fs::path> RuntimeFolder::candidates() {
    std::vector<fs::path> candidates;
    if (const char* runtime = ::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        candidates.emplace_back(runtime);
    }
    candidates.push_back(fs::path("/run/user") / std::to_string(::geteuid()));
    return candidates;
}

std::optional<fs::path> RuntimeFolder::find(const std::vector<fs::path>& candidates,
                                            Backing backing) {
    const auto found =
        std::find_if(candidates.begin(), candidates.end(),
                     [backing](const fs::path& each) { return isPrivate(each, backing); });
    return found == candidates.end() ? std::nullopt : std::optional(*found);
}

}  // namespace twl
