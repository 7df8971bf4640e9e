#include "keyfile_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>  // mkostemp
#include <cstring>
#include <functional>
#include <string_view>

namespace twl::tools {
namespace {

constexpr const char* systemConnectionsFolder = "/etc/NetworkManager/system-connections";

std::string systemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the rename durable: the folder's entry, not only the file's bytes.
void syncFolder(const std::filesystem::path& folder) {
    const Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
}

// The regular files in the folder whose names pass `wanted`.
std::vector<std::filesystem::path> filesNamed(const std::filesystem::path& folder,
                                              const std::function<bool(std::string_view)>& wanted) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code ignored;
        if (entry->symlink_status(ignored).type() == std::filesystem::file_type::regular &&
            wanted(entry->path().filename().native())) {
            found.push_back(entry->path());
        }
    }
    return found;
}

}  // namespace

std::string keyfileBaseName(const std::string& connectionName) {
    std::string base;
    for (const char c : connectionName) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        base += keep ? c : '_';
    }
    if (base.empty() || base.front() == '.') {
        base.insert(base.begin(), '_');
    }
    return base.substr(0, 200);
}

KeyfileFolder KeyfileFolder::systemConnections() {
    return KeyfileFolder(systemConnectionsFolder);
}

Descriptor KeyfileFolder::lock() const {
    Descriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0 && ::flock(folder.get(), LOCK_EX) != 0) {
        folder.reset(-1);
    }
    return folder;
}

void KeyfileFolder::removeTemporaries(const std::string& connectionName) const {
    const std::string start = "." + keyfileBaseName(connectionName) + ".";
    const auto temporary = [&](std::string_view name) {
        return name.size() == start.size() + 6 && name.starts_with(start);
    };
    for (const auto& file : filesNamed(folder_, temporary)) {
        ::unlink(file.c_str());
    }
}

std::vector<std::filesystem::path> KeyfileFolder::keyfilesOf(
    const std::string& connectionName) const {
    const std::string base = keyfileBaseName(connectionName);
    return filesNamed(folder_, [&](std::string_view name) {
        if (name.size() < base.size() + 13 || !name.starts_with(base) ||
            !name.ends_with(".nmconnection")) {
            return false;
        }
        name = name.substr(base.size(), name.size() - base.size() - 13);
        return name.empty() || (name.size() > 1 && name.front() == '-' &&
                                name.find_first_not_of("0123456789", 1) == std::string_view::npos);
    });
}

KeyfileFolder::Written KeyfileFolder::writeNew(const std::string& connectionName,
                                               const std::string& text) const {
    const std::string base = keyfileBaseName(connectionName);
    std::string temporary = (folder_ / ("." + base + ".XXXXXX")).string();
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        return {{}, systemError("cannot create a file in " + folder_.string(), errno)};
    }
    const auto discard = [&](const std::string& what) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return Written{{}, systemError(what, error)};
    };
    if (::fchmod(file.get(), 0600) != 0 || !writeAll(file.get(), text) ||
        ::fsync(file.get()) != 0 || !file.close()) {
        return discard("cannot write " + temporary);
    }

    // link() never replaces what is there, so another profile's file is safe.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix = attempt == 0 ? "" : "-" + std::to_string(attempt);
        const std::filesystem::path target = folder_ / (base + suffix + ".nmconnection");
        if (::link(temporary.c_str(), target.c_str()) == 0) {
            ::unlink(temporary.c_str());
            syncFolder(folder_);
            return {target, ""};
        }
        if (errno != EEXIST) {
            return discard("cannot create " + target.string());
        }
    }
    errno = EEXIST;
    return discard("no free file name for " + base + " in " + folder_.string());
}

}  // namespace twl::tools
