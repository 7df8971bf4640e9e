#include "private_network_manager.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <thread>

#include "nmcli.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* daemonProgram = "/usr/sbin/NetworkManager";

std::string lastError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool tmpfsOver(const fs::path& target, const char* mode) {
    return ::mount("twl-nm", target.c_str(), "tmpfs", 0, mode) == 0;
}

// Forks a child that dies with this process and runs `argv` with its output
// into `log`.
pid_t spawn(const std::vector<std::string>& argv, const fs::path& log) {
    std::cout.flush();
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    char* const environment[] = {const_cast<char*>("PATH=/usr/sbin:/usr/bin:/sbin:/bin"),
                                 const_cast<char*>("LC_ALL=C"), nullptr};
    ::execve(args[0], args.data(), environment);
    ::_exit(127);
}

// SIGTERM, then SIGKILL if it has not gone within a few seconds.
void end(pid_t& pid) {
    if (pid <= 0) {
        return;
    }
    ::kill(pid, SIGTERM);
    for (int waited = 0; waited < 50; ++waited) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(100ms);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

std::string tail(const fs::path& file) {
    std::ifstream in(file);
    std::string text{std::istreambuf_iterator<char>(in), {}};
    return text.size() > 600 ? text.substr(text.size() - 600) : text;
}

}  // namespace

PrivateNetworkManager::~PrivateNetworkManager() {
    stop();
}

std::string PrivateNetworkManager::start() {
    if (::geteuid() != 0) {
        return "needs root: private namespaces and a NetworkManager of the test's own";
    }
    if (::access(daemonProgram, X_OK) != 0 || ::access(tools::nmcliProgram, X_OK) != 0) {
        return "NetworkManager is not installed (scripts/install-deps installs it)";
    }
    if (auto why = enterNamespaces(); !why.empty()) {
        return why;
    }
    if (auto why = startBus(); !why.empty()) {
        return why;
    }
    return startDaemon();
}

std::string PrivateNetworkManager::enterNamespaces() {
    hostMounts_ = ::open("/proc/self/ns/mnt", O_RDONLY | O_CLOEXEC);
    hostNetwork_ = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
    workingFolder_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string pattern = "/tmp/twl-nm-XXXXXX";
    if (hostMounts_ < 0 || hostNetwork_ < 0 || workingFolder_ < 0 ||
        ::mkdtemp(pattern.data()) == nullptr) {
        return lastError("cannot prepare the namespaces");
    }
    scratch_ = pattern;
    if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) {
        return lastError("cannot make private network and mount namespaces");
    }
    // Nothing mounted from here on may reach the host's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return lastError("cannot make the mounts private");
    }
    if (!fs::is_directory(keyfileFolder) || !fs::is_directory("/var/lib/NetworkManager")) {
        return "NetworkManager's folders are missing: is it installed?";
    }
    if (!tmpfsOver(scratch_, "mode=0755") || !tmpfsOver("/run", "mode=0755") ||
        !tmpfsOver("/var/lib/NetworkManager", "mode=0755") ||
        !tmpfsOver(keyfileFolder, "mode=0700")) {
        return lastError("cannot put a tmpfs over NetworkManager's folders");
    }
    fs::create_directories("/run/dbus");
    fs::create_directories("/run/NetworkManager");
    fs::create_directories(scratch_ / "conf.d");
    return tools::runCommand({"/usr/sbin/ip", "link", "set", "lo", "up"}).exitCode == 0
               ? ""
               : "cannot bring loopback up in the new network namespace";
}

std::string PrivateNetworkManager::startBus() {
    // The bus forks away once it listens; as the subreaper, this process still
    // gets to reap it.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const auto started = tools::runCommand(
        {"/usr/bin/dbus-daemon", "--system", "--fork", "--nopidfile", "--print-pid"},
        {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"});
    bus_ = started.exitCode == 0 ? std::atoi(started.out.c_str()) : -1;
    return bus_ > 0 ? "" : "the system bus did not start: " + started.err;
}

std::string PrivateNetworkManager::startDaemon() {
    const fs::path config = scratch_ / "NetworkManager.conf";
    std::ofstream(config) << "[main]\nplugins=keyfile\ndns=none\nhostname-mode=none\n"
                             "[logging]\nlevel=WARN\n";
    const std::string conf = (scratch_ / "conf.d").string();
    daemon_ = spawn(
        {daemonProgram, "--no-daemon", "--config=" + config.string(), "--config-dir=" + conf,
         "--system-config-dir=" + conf, "--intern-config=" + (scratch_ / "intern.conf").string(),
         "--state-file=" + (scratch_ / "NetworkManager.state").string(),
         "--pid-file=" + (scratch_ / "NetworkManager.pid").string()},
        scratch_ / "NetworkManager.log");
    for (int tries = 0; daemon_ > 0 && tries < 100; ++tries) {
        if (nmcli({"general", "status"}).exitCode == 0) {
            return {};
        }
        if (::waitpid(daemon_, nullptr, WNOHANG) == daemon_) {
            daemon_ = -1;
            break;
        }
        std::this_thread::sleep_for(100ms);
    }
    return "NetworkManager did not answer within 10 s: " + tail(scratch_ / "NetworkManager.log");
}

tools::CommandResult PrivateNetworkManager::nmcli(const std::vector<std::string>& args) const {
    return tools::runNmcli(args);
}

void PrivateNetworkManager::stop() {
    end(daemon_);
    end(bus_);
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
    // Back home: the namespaces, their mounts and the daemons' files go with them.
    if (hostNetwork_ >= 0) {
        ::setns(hostNetwork_, CLONE_NEWNET);
        ::close(hostNetwork_);
        hostNetwork_ = -1;
    }
    if (hostMounts_ >= 0) {
        ::setns(hostMounts_, CLONE_NEWNS);
        ::close(hostMounts_);
        hostMounts_ = -1;
    }
    // Joining a mount namespace moves the process to its root folder.
    if (workingFolder_ >= 0) {
        // Best effort: the folder may be gone by the time the test ends.
        [[maybe_unused]] const int returned = ::fchdir(workingFolder_);
        ::close(workingFolder_);
        workingFolder_ = -1;
    }
    if (!scratch_.empty()) {
        ::rmdir(scratch_.c_str());
        scratch_.clear();
    }
}

}  // namespace twl::test_support
