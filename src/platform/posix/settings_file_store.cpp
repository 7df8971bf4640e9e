#include "platform/posix/settings_file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/json_reading.h"

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
    } else {
        base = fs::temp_directory_path();
    }
    return base / "tidewaterlink" / "defaults.json";
}

void SettingsFileStore::load() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) {
        return;  // first launch: no file yet
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    auto parsed = readOutsideJson(text.str(), error);
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
        warn(file_.string() + " is " + reason + " and could not be moved aside (" + ec.message() +
             "); starting with empty settings");
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
    save();
}

void SettingsFileStore::setBool(bool value, const std::string& key) {
    values_[key] = value;
    save();
}

void SettingsFileStore::save() const {
    const fs::path folder = file_.parent_path();
    if (!ensurePrivateFolder(folder)) {
        return;
    }
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
