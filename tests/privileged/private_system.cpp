#include "private_system.h"

#include <crypt.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>

#include "child_command.h"
#include "test_support.h"

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

// The first of two ids in a row that no user or group has.
uid_t twoFreeIds() {
    const auto taken = [](uid_t id) { return ::getpwuid(id) || ::getgrgid(id); };
    for (uid_t id = 61000; id < 65000; ++id) {
        if (!taken(id) && !taken(id + 1)) {
            return id;
        }
    }
    return 0;
}

bool writeFile(const fs::path& file, const std::string& text, mode_t mode) {
    return static_cast<bool>(std::ofstream(file, std::ios::binary) << text) &&
           ::chmod(file.c_str(), mode) == 0;
}

// Runs body in a child process that never returns into the test's own code
// (it is a copy of it), whatever body does.
pid_t forked(const std::function<int()>& body) {
    std::cout.flush();
    const pid_t pid = ::fork();
    if (pid == 0) {
        int status = 127;
        try {
            status = body();
        } catch (...) {
        }
        std::cout.flush();
        ::_exit(status);
    }
    return pid;
}

}  // namespace

PrivateSystem::~PrivateSystem() {
    // Newest first: a daemon goes before the bus it talks on.
    for (auto pid = started_.rbegin(); pid != started_.rend(); ++pid) {
        if (::waitpid(*pid, nullptr, WNOHANG) == 0 && ::kill(*pid, SIGTERM) == 0) {
            if (!endsSoon(*pid)) {
                ::kill(*pid, SIGKILL);
            }
            ::waitpid(*pid, nullptr, 0);
        }
    }
    // Back home, so that a next test starts from the host's system (the
    // namespaces go with their last process); joining one moves to its root.
    if (home_[1] >= 0 && ::setns(home_[0], CLONE_NEWNET) == 0 &&
        ::setns(home_[1], CLONE_NEWNS) == 0) {
        [[maybe_unused]] const int back = ::fchdir(home_[2]);
    }
    for (const int fd : home_) {
        ::close(fd);
    }
}

std::string PrivateSystem::enter(bool ownNetwork) {
    if (::geteuid() != 0) {
        return "needs root: namespaces, users and daemons of the test's own";
    }
    home_ = {::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC),
             ::open("/proc/self/ns/mnt", O_RDONLY | O_CLOEXEC),
             ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (::unshare(CLONE_NEWNS | (ownNetwork ? CLONE_NEWNET : 0)) != 0) {
        return lastError("cannot make private namespaces");
    }
    // Nothing mounted from here on may reach the host's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return lastError("cannot make the mounts private");
    }
    if (auto why = tmpfsOver("/run"); !why.empty()) {
        return why;
    }
    fs::create_directory(drop());
    ::chmod(drop().c_str(), 01777);
    if (!ownNetwork) {
        return {};
    }
    // /sys/class/net shows the namespace of whoever mounted /sys; nothing here
    // depends on it, so a container that forbids this is no reason to skip.
    ::mount("sysfs", "/sys", "sysfs", 0, nullptr);
    return tools::runCommand({"ip", "link", "set", "lo", "up"}).exitCode == 0
               ? ""
               : "cannot bring loopback up in the new network namespace";
}

std::string PrivateSystem::tmpfsOver(const fs::path& folder, const char* options) {
    return ::mount("twl-private", folder.c_str(), "tmpfs", 0, options) == 0
               ? ""
               : lastError("cannot put a tmpfs over " + folder.string());
}

std::string PrivateSystem::bindOver(const fs::path& file, const fs::path& target) {
    return ::mount(file.c_str(), target.c_str(), nullptr, MS_BIND, nullptr) == 0
               ? ""
               : lastError("cannot mount " + file.string() + " over " + target.string());
}

std::string PrivateSystem::addSudoUsers() {
    const uid_t id = twoFreeIds();
    if (id == 0) {
        return "no two free user ids";
    }
    asker_ = SandboxUser{"twlsudoasker", id, randomPassword()};
    trusted_ = SandboxUser{"twlsudotrusted", id + 1, randomPassword()};
    std::string users, shadows, groups;
    for (const auto* user : {&asker_, &trusted_}) {
        const auto hash = passwordHash(user->password);
        if (hash.empty()) {
            return "crypt(3) cannot make a SHA-512 password hash";
        }
        const auto ids = std::to_string(user->id);
        users += user->name + ":x:" + ids + ":" + ids + "::/nonexistent:/bin/sh\n";
        shadows += user->name + ":" + hash + ":19000:0:99999:7:::\n";
        groups += user->name + ":x:" + ids + ":\n";
    }
    const std::tuple<std::string, const std::string&, mode_t> files[] = {
        {"passwd", users, 0644}, {"shadow", shadows, 0640}, {"group", groups, 0644}};
    for (const auto& [name, entries, mode] : files) {
        const fs::path real = "/etc/" + name, copy = "/run/twl-" + name;
        if (!writeFile(copy, readFile(real) + entries, mode)) {
            return lastError("cannot write " + copy.string());
        }
        if (auto why = bindOver(copy, real); !why.empty()) {
            return why;
        }
    }
    // No syslog, lecture or mail: sudo must leave no trace outside this namespace.
    // No secure_path either, as on systems that keep the caller's PATH.
    const fs::path rules = "/run/twl-sudoers.d";
    fs::create_directory(rules);
    const std::string text =
        "Defaults logfile=" + sudoLog().string() + ", loglinelen=0\n" + "Defaults:" + asker_.name +
        ", " + trusted_.name + " !syslog, !lecture, !mail_badpass, !secure_path\n" + asker_.name +
        " ALL=(ALL:ALL) ALL\n" + trusted_.name + " ALL=(ALL:ALL) NOPASSWD: ALL\n";
    if (!writeFile(rules / "twl-sandbox", text, 0440) || ::chmod(rules.c_str(), 0755) != 0) {
        return lastError("cannot write the sudoers rules");
    }
    if (auto why = bindOver(rules, "/etc/sudoers.d"); !why.empty()) {
        return why;
    }
    if (fs::is_directory("/var/lib/sudo")) {
        tmpfsOver("/var/lib/sudo", "mode=0711");
    }
    if (fs::exists("/dev/log") && writeFile("/run/twl-no-log", "", 0644)) {
        bindOver("/run/twl-no-log", "/dev/log");
    }
    const bool works = runAs(trusted_, [] {
        return tools::runCommand({sudoProgram, "-n", "--", "/bin/true"}).exitCode;
    });
    return works ? ""
                 : "sudo -n fails for a throwaway user (sudo not setuid root at /usr/bin/sudo, "
                   "or users not read from /etc/passwd?)";
}

pid_t PrivateSystem::start(const std::function<int()>& body) {
    const pid_t pid = forked([&body] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        return body();
    });
    if (pid > 0) {
        started_.push_back(pid);
    }
    return pid;
}

bool PrivateSystem::runAs(const SandboxUser& user, const std::function<int()>& body) {
    const pid_t pid = forked([&] { return switchTo(user, "/") ? body() : 111; });
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

bool PrivateSystem::switchTo(const SandboxUser& user, const fs::path& home) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(user.id) != 0 || ::setuid(user.id) != 0 ||
        ::chdir(home.c_str()) != 0) {
        return false;
    }
    ::prctl(PR_SET_DUMPABLE, 1);  // a sanitizer's leak check stops the process's threads
    ::clearenv();
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("PATH", "/usr/local/bin:/usr/bin:/bin", 1);
    ::setenv("LANG", "C", 1);
    ::setenv("USER", user.name.c_str(), 1);
    ::setenv("LOGNAME", user.name.c_str(), 1);
    return true;
}

}  // namespace twl::test_support
