#include "platform/posix/settings_file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <vector>

#include "platform/json_reading.h"
#include "platform/posix/unique_fd.h"

namespace twl {
namespace {

namespace fs = std::filesystem;

void warn(const std::string& message) {
    std::cerr << "tidewaterlink: settings: " << message << std::endl;
}

std::string errnoText() {
    return std::strerror(errno);
}

// Creates the folder (and its parents) with 0700; an existing folder of ours is
// tightened to 0700 as it holds passwords.
bool ensurePrivateFolder(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        warn("cannot create " + folder.string() + ": " + ec.message());
        return false;
    }
    if (::chmod(folder.c_str(), 0700) != 0) {
        warn("cannot make " + folder.string() + " private: " + errnoText());
        return false;
    }
    return true;
}

bool writeAll(int fd, const std::string& data) {
    const char* at = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

void syncFolder(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The user's home folder from the password database, for a session without HOME.
std::optional<fs::path> homeFromPasswordDatabase() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') {
        return std::nullopt;
    }
    return fs::path(found->pw_dir);
}

enum class Ownership { absent, ours, foreign, unreadable };

// Whether `info` describes something this user owns; what group and others may
// write of it is taken away, as it holds passwords.
Ownership claim(const fs::path& path, int fd, const struct stat& info, mode_t privateMode) {
    if (info.st_uid != ::geteuid()) {
        warn(path.string() + " belongs to another user; it is not read and nothing is written");
        return Ownership::foreign;
    }
    if ((info.st_mode & 077) != 0 && ::fchmod(fd, privateMode) != 0) {
        warn("cannot make " + path.string() + " private: " + errnoText());
    }
    return Ownership::ours;
}

Ownership claimFolder(const fs::path& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0) {
        return Ownership::absent;
    }
    return claim(folder, fd.get(), info, 0700);
}

// The file's text, or nothing when it is absent, not this user's or there
// but not to be opened (its mode, a failing disk).
std::optional<std::string> readOwnFile(const fs::path& file, Ownership& ownership) {
    const UniqueFd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0) {
        // A link in our own folder can only have been put there by us.
        if (errno == ELOOP) {
            warn(file.string() + " is a symbolic link; it is not read and nothing is written");
            ownership = Ownership::foreign;
        } else {
            const bool none = errno == ENOENT || errno == ENOTDIR;
            ownership = none ? Ownership::absent : Ownership::unreadable;
        }
        return std::nullopt;
    }
    ownership = claim(file, fd.get(), info, 0600);
    if (ownership != Ownership::ours) {
        return std::nullopt;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%d-%H%M%S", &parts);
    return buffer;
}

}  // namespace

SettingsFileStore::SettingsFileStore(fs::path file) : file_(std::move(file)) {
    load();
}

fs::path SettingsFileStore::defaultPath() {
    fs::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = fs::path(home) / ".config";
    } else if (auto home = homeFromPasswordDatabase()) {
        base = *home / ".config";
    } else {
        // Never a shared folder such as /tmp: another user could plant settings there.
        base = fs::path("/nonexistent");
    }
    return base / "tidewaterlink" / "defaults.json";
}

void SettingsFileStore::load() {
    if (claimFolder(file_.parent_path()) == Ownership::foreign) {
        foreign_ = true;
        return;
    }
    Ownership ownership = Ownership::absent;
    const auto text = readOwnFile(file_, ownership);
    if (ownership == Ownership::foreign) {
        foreign_ = true;
        return;
    }
    if (ownership == Ownership::unreadable) {
        setAsideUnreadable("there but cannot be opened");
        return;
    }
    if (!text) {
        return;  // first launch: no file yet
    }
    std::string error;
    auto parsed = readOutsideJson(*text, error);
    if (!parsed) {
        setAsideUnreadable("not valid JSON (" + error + ")");
        return;
    }
    if (!parsed->is_object()) {
        setAsideUnreadable("not a JSON object");
        return;
    }
    values_ = std::move(*parsed);
}

void SettingsFileStore::setAsideUnreadable(const std::string& reason) {
    fs::path aside = file_;
    aside += ".unreadable-" + timestamp();
    std::error_code ec;
    fs::rename(file_, aside, ec);
    if (ec) {
        // Written over, it would be lost: this run keeps its values in memory.
        warn(file_.string() + " is " + reason + " and could not be moved aside (" + ec.message() +
             "); starting with empty settings and writing nothing");
        foreign_ = true;
    } else {
        warn(file_.string() + " is " + reason + "; moved it to " + aside.string() +
             " and started with empty settings");
    }
    values_ = nlohmann::json::object();
}

std::optional<SettingValue> SettingsFileStore::objectForKey(const std::string& key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    if (found->is_string()) {
        return SettingValue{found->get<std::string>()};
    }
    if (found->is_boolean()) {
        return SettingValue{found->get<bool>()};
    }
    return std::nullopt;
}

void SettingsFileStore::setObject(const std::string& value, const std::string& key) {
    values_[key] = value;
    save(key);
}

void SettingsFileStore::setBool(bool value, const std::string& key) {
    values_[key] = value;
    save(key);
}

void SettingsFileStore::removeObjectForKey(const std::string& key) {
    values_.erase(key);
    save(key);
}

void SettingsFileStore::save(const std::string& key) {
    if (foreign_) {
        return;  // said at load: the running client keeps its values in memory
    }
    const fs::path folder = file_.parent_path();
    if (!ensurePrivateFolder(folder)) {
        return;
    }
    // Another client of the same user (a second session) may have written since
    // this one loaded: under the lock, only `key` changes in what is on disk.
    fs::path lockPath = file_;
    lockPath += ".lock";
    const UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    while (lock && ::flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
    if (mergeFromDisk(key)) {
        write(folder);
    }
}

bool SettingsFileStore::mergeFromDisk(const std::string& key) {
    Ownership ownership = Ownership::absent;
    const auto text = readOwnFile(file_, ownership);
    if (ownership == Ownership::unreadable) {
        warn(file_.string() + " cannot be opened now; it is not written over");
        return false;
    }
    std::string error;
    auto onDisk = text ? readOutsideJson(*text, error) : std::nullopt;
    if (onDisk && onDisk->is_object()) {
        if (const auto mine = values_.find(key); mine != values_.end()) {
            (*onDisk)[key] = std::move(*mine);
        } else {
            onDisk->erase(key);
        }
        values_ = std::move(*onDisk);
    }
    return true;
}

void SettingsFileStore::write(const fs::path& folder) const {
    // Invalid UTF-8 typed into a field must not make the whole store unwritable.
    const std::string text = values_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);

    std::string temp = (folder / (file_.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());  // created 0600
    if (fd < 0) {
        warn("cannot write in " + folder.string() + ": " + errnoText());
        return;
    }
    const bool written = writeAll(fd, text + "\n") && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written) {
        errno = savedErrno;
        warn("cannot write " + temp + ": " + errnoText());
        ::unlink(temp.c_str());
        return;
    }
    if (::rename(temp.c_str(), file_.c_str()) != 0) {
        warn("cannot replace " + file_.string() + ": " + errnoText());
        ::unlink(temp.c_str());
        return;
    }
    syncFolder(folder);
}

}  // namespace twl
