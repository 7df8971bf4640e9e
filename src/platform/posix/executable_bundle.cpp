#include "platform/posix/executable_bundle.h"

#include <system_error>

namespace twl {
namespace {

std::filesystem::path runningExecutable() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path{} : path;
}

}  // namespace

ExecutableBundle::ExecutableBundle() : ExecutableBundle(runningExecutable()) {}

ExecutableBundle::ExecutableBundle(const std::filesystem::path& executable)
    : resources_(executable.parent_path().parent_path() / "share" / "tidewaterlink") {}

std::optional<std::string> ExecutableBundle::pathForResource(const std::string& name) const {
    // A name that climbs out of the bundle is not one of its resources.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
        return std::nullopt;
    }
    const auto path = resources_ / name;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return std::nullopt;
    }
    return path.string();
}

}  // namespace twl
