#include "private_system.h"

#include <crypt.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;

constexpr const char* sudoProgram = "/usr/bin/sudo";

std::string lastError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

std::string randomText(std::size_t length, std::string_view alphabet) {
    std::random_device device;
    std::string text(length, ' ');
    for (char& each : text) {
        each = alphabet[device() % alphabet.size()];
    }
    return text;
}

// Blanks and shell metacharacters included: they must survive the trip to sudo.
std::string randomPassword() {
    return randomText(10, " '\"$`\\;|&()<>*?~#!") +
           randomText(14, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
}

std::string passwordHash(const std::string& password) {
    const std::string salt =
        "$6$" + randomText(16, "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    auto data = std::make_unique<crypt_data>();
    const char* hash = ::crypt_r(password.c_str(), salt.c_str(), data.get());
    return hash != nullptr && hash[0] == '$' ? hash : "";
}

uid_t freeId() {
    for (uid_t id = 61000; id < 65000; ++id) {
        if (::getpwuid(id) == nullptr && ::getgrgid(id) == nullptr) {
            return id;
        }
    }
    return 0;
}

// The file's lines without any stale entry of our users (the sandbox prefix),
// then ours.
std::string withEntries(const fs::path& file, const std::string& entries) {
    std::ifstream in(file);
    std::string kept;
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("twlsudo")) {
            kept += line + "\n";
        }
    }
    return kept + entries;
}

bool writeFile(const fs::path& file, const std::string& text, mode_t mode) {
    return static_cast<bool>(std::ofstream(file, std::ios::binary) << text) &&
           ::chmod(file.c_str(), mode) == 0;
}

bool bindOver(const fs::path& source, const fs::path& target) {
    return ::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

bool tmpfsOver(const fs::path& target, const char* options) {
    return ::mount("twl-sandbox", target.c_str(), "tmpfs", 0, options) == 0;
}

}  // namespace

PrivateSystem::~PrivateSystem() {
    if (!workspace_.empty()) {
        ::umount2(workspace_.c_str(), MNT_DETACH);
        ::rmdir(workspace_.c_str());
    }
}

std::string PrivateSystem::setUp() {
    if (::unshare(CLONE_NEWNS) != 0) {
        return lastError("cannot make a private mount namespace");
    }
    // Nothing mounted from here on may reach the host's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return lastError("cannot make the mounts private");
    }
    struct stat sudo {};
    if (::stat(sudoProgram, &sudo) != 0 || sudo.st_uid != 0 || (sudo.st_mode & S_ISUID) == 0) {
        return "sudo is not installed setuid root at /usr/bin/sudo";
    }
    std::string pattern = "/tmp/twl-sudo-sandbox-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return lastError("cannot make a workspace");
    }
    workspace_ = pattern;
    if (!tmpfsOver(workspace_, "mode=0755")) {
        return lastError("cannot mount a tmpfs workspace");
    }
    fs::create_directory(drop());
    ::chmod(drop().c_str(), 01777);

    if (auto why = mountUserDatabase(); !why.empty()) {
        return why;
    }
    if (auto why = mountSudoers(); !why.empty()) {
        return why;
    }
    hideSudoState();
    if (!sudoWorks()) {
        return "setuid sudo does not work here (sudo -n true fails for a NOPASSWD user)";
    }
    return {};
}

std::string PrivateSystem::mountUserDatabase() {
    asker_ = SandboxUser{"twlsudoasker", freeId(), randomPassword()};
    if (asker_.id == 0) {
        return "no free user id";
    }
    // Taken only once the first is in the files, so look past it by hand.
    trusted_ = SandboxUser{"twlsudotrusted", asker_.id + 1, randomPassword()};
    if (::getpwuid(trusted_.id) != nullptr || ::getgrgid(trusted_.id) != nullptr) {
        return "no second free user id";
    }
    std::string users, shadows, groups;
    for (const auto* user : {&asker_, &trusted_}) {
        const auto hash = passwordHash(user->password);
        if (hash.empty()) {
            return "crypt(3) cannot make a SHA-512 password hash";
        }
        const auto id = std::to_string(user->id);
        users += user->name + ":x:" + id + ":" + id + "::/nonexistent:/bin/sh\n";
        shadows += user->name + ":" + hash + ":19000:0:99999:7:::\n";
        groups += user->name + ":x:" + id + ":\n";
    }
    const std::tuple<const char*, const std::string&, mode_t> files[] = {
        {"passwd", users, 0644}, {"shadow", shadows, 0640}, {"group", groups, 0644}};
    for (const auto& [name, entries, mode] : files) {
        const fs::path real = fs::path("/etc") / name;
        const fs::path copy = workspace_ / name;
        if (!writeFile(copy, withEntries(real, entries), mode) || !bindOver(copy, real)) {
            return lastError(std::string("cannot put a copy over ") + real.string());
        }
    }
    const passwd* found = ::getpwnam(asker_.name.c_str());
    if (found == nullptr || found->pw_uid != asker_.id) {
        return "the user database is not read from /etc/passwd here (a caching service?)";
    }
    return {};
}

std::string PrivateSystem::mountSudoers() {
    const fs::path folder = workspace_ / "sudoers.d";
    fs::create_directory(folder);
    ::chmod(folder.c_str(), 0755);
    // No syslog, lecture or mail: sudo must leave no trace outside this namespace.
    const std::string rules =
        "Defaults logfile=" + sudoLog().string() + ", loglinelen=0\n" + "Defaults:" + asker_.name +
        ", " + trusted_.name + " !syslog, !lecture, !mail_badpass\n" + asker_.name +
        " ALL=(ALL:ALL) ALL\n" + trusted_.name + " ALL=(ALL:ALL) NOPASSWD: ALL\n";
    if (!writeFile(folder / "twl-sandbox", rules, 0440) || !bindOver(folder, "/etc/sudoers.d")) {
        return lastError("cannot put a sudoers drop-in folder in place");
    }
    return {};
}

void PrivateSystem::hideSudoState() {
    for (const char* folder : {"/run/sudo", "/var/lib/sudo"}) {
        if (fs::is_directory(folder)) {
            tmpfsOver(folder, "mode=0711");
        }
    }
    if (fs::exists(fs::symlink_status("/dev/log"))) {
        const fs::path blank = workspace_ / "no-log";
        writeFile(blank, "", 0644);
        bindOver(blank, "/dev/log");
    }
}

bool PrivateSystem::sudoWorks() const {
    return runAs(trusted_, [] {
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, STDIN_FILENO);
        ::dup2(devNull, STDOUT_FILENO);
        ::execl(sudoProgram, "sudo", "-n", "--", "/bin/true", static_cast<char*>(nullptr));
        return 127;
    });
}

bool PrivateSystem::runAs(const SandboxUser& user, const std::function<int()>& body) {
    std::cout.flush();
    const pid_t pid = ::fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(user.id) != 0 || ::setuid(user.id) != 0 ||
            ::chdir("/") != 0) {
            ::_exit(111);
        }
        ::clearenv();
        ::setenv("PATH", "/usr/bin:/bin", 1);
        ::setenv("HOME", "/", 1);
        ::setenv("LANG", "C", 1);
        ::setenv("USER", user.name.c_str(), 1);
        const int status = body();
        std::cout.flush();
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace twl::test_support
