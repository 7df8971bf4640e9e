#include "sandbox_network.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "child_command.h"
#include "nmcli.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;

const fs::path state = SandboxNetwork::stateFolder;
constexpr char dropCommand = 'd';

std::string lastError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Plain reads: a process that ends while its /proc files are read makes the
// read fail (ESRCH), and a stream would throw from inside the daemon.
std::string readWhole(const fs::path& file) {
    std::string text;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return text;
    }
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

std::vector<std::string> linesOf(const fs::path& file) {
    std::istringstream in(readWhole(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool run(const std::vector<std::string>& argv) {
    return tools::runCommand(argv).exitCode == 0;
}

bool makeFile(const fs::path& file, mode_t mode) {
    std::ofstream(file, std::ios::trunc).flush();
    return ::chmod(file.c_str(), mode) == 0;
}

void bringTunnelUp() {
    run({"ip", "tuntap", "add", "dev", "ppp0", "mode", "tun"});
    run({"ip", "link", "set", "ppp0", "up"});
}

void takeTunnelDown() {
    run({"ip", "link", "delete", "ppp0"});
}

bool isProcessId(const std::string& name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

// Every process's argv and environment, this instant: short-lived ones may
// slip between two looks, but the chain behind each nmcli call (sudo, the
// shells, the tool) is alive while the fake answers, and it looks then too.
void lookForSecrets(const std::vector<std::string>& secrets, std::set<std::string>& leaks) {
    if (secrets.empty()) {
        return;  // spares the machine a scan of /proc every 20 ms
    }
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (!isProcessId(pid)) {
            continue;
        }
        for (const char* part : {"cmdline", "environ"}) {
            const std::string text = readWhole(it->path() / part);
            for (const auto& secret : secrets) {
                if (text.find(secret) != std::string::npos) {
                    std::string program = readWhole(it->path() / "comm");
                    program.erase(program.find_last_not_of('\n') + 1);
                    leaks.insert(pid + " " + program + ": " + part);
                }
            }
        }
    }
}

// The stand-in daemon: acts on the requests the fake nmcli leaves and on the
// test's own, until the test closes its end of the command pipe.
[[noreturn]] void serve(int commands, const std::vector<std::string>& secrets) {
    std::size_t handled = 0;
    std::set<std::string> leaks;
    for (;;) {
        pollfd wanted{commands, POLLIN, 0};
        if (::poll(&wanted, 1, 20) > 0) {
            char command = 0;
            if (::read(commands, &command, 1) <= 0) {
                break;
            }
            if (command == dropCommand) {
                takeTunnelDown();
            }
        }
        const auto requests = linesOf(state / "requests");
        for (; handled < requests.size(); ++handled) {
            requests[handled] == "up" ? bringTunnelUp() : takeTunnelDown();
        }
        lookForSecrets(secrets, leaks);
    }
    std::ofstream report(state / "leaks", std::ios::trunc);
    for (const auto& leak : leaks) {
        report << leak << "\n";
    }
    report.close();
    ::chmod((state / "leaks").c_str(), 0644);
    ::_exit(0);
}

}  // namespace

SandboxNetwork::~SandboxNetwork() {
    finish();
}

std::string SandboxNetwork::setUp(const fs::path& fakeNmcli) {
    if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) {
        return lastError("cannot make private network and mount namespaces");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return lastError("cannot make the mounts private");
    }
    // /sys/class/net shows the namespace of whoever mounted /sys; nothing the
    // client runs depends on it, so a container that forbids this is no reason
    // to skip.
    ::mount("sysfs", "/sys", "sysfs", 0, nullptr);
    if (!run({"ip", "link", "set", "lo", "up"})) {
        return "cannot bring loopback up in the new network namespace";
    }
    if (!fs::is_directory("/usr/local") ||
        ::mount("twl-e2e", "/usr/local", "tmpfs", 0, "mode=0755") != 0) {
        return lastError("cannot put a tmpfs over /usr/local");
    }
    fs::create_directories("/usr/local/bin");
    fs::create_directories(state);
    std::error_code ec;
    fs::copy_file(fakeNmcli, "/usr/local/bin/nmcli", ec);
    if (ec || ::chmod("/usr/local/bin/nmcli", 0755) != 0) {
        return "cannot install the stand-in nmcli: " + ec.message();
    }
    // Callers of both kinds append; only root (through sudo) changes the rest.
    if (!makeFile(state / "calls", 0666) || !makeFile(state / "requests", 0666) ||
        !makeFile(state / "connections", 0644)) {
        return lastError("cannot make the stand-in's state");
    }
    if (auto why = putNmcliInPlace(); !why.empty()) {
        return why;
    }
    return giveKeyfileFolderAPlace();
}

// The tools run nmcli from its one fixed place, whatever PATH says.
std::string SandboxNetwork::putNmcliInPlace() {
    const fs::path place = tools::nmcliProgram;
    if (!fs::exists(place)) {
        if (auto why = overlayOver(place.parent_path(), "twl-usr-bin"); !why.empty()) {
            return why;
        }
        if (!makeFile(place, 0755)) {
            return lastError("cannot make room for the stand-in nmcli");
        }
    }
    if (::mount("/usr/local/bin/nmcli", place.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        return lastError("cannot mount the stand-in nmcli over " + place.string());
    }
    return {};
}

std::string SandboxNetwork::giveKeyfileFolderAPlace() {
    const fs::path folder = keyfileFolder;
    if (!fs::is_directory(folder)) {
        if (auto why = overlayOver("/etc", "twl-etc"); !why.empty()) {
            return why;
        }
        fs::create_directories(folder);
    }
    if (::mount("twl-e2e", folder.c_str(), "tmpfs", 0, "mode=0700") != 0) {
        return lastError("cannot put a tmpfs over the keyfile folder");
    }
    return {};
}

// Where the host lacks a file or folder to mount over: an overlay over its
// folder, whose changes live in the tmpfs, makes room for one.
std::string SandboxNetwork::overlayOver(const fs::path& folder, const std::string& layersName) {
    const fs::path layers = state.parent_path() / layersName;
    fs::create_directories(layers / "upper");
    fs::create_directories(layers / "work");
    const std::string options = "lowerdir=" + folder.string() +
                                ",upperdir=" + (layers / "upper").string() +
                                ",workdir=" + (layers / "work").string();
    if (::mount("twl-e2e", folder.c_str(), "overlay", 0, options.c_str()) != 0) {
        return lastError("cannot put an overlay over " + folder.string());
    }
    return {};
}

std::string SandboxNetwork::startDaemon(std::vector<std::string> secrets) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        return lastError("cannot make the daemon's command pipe");
    }
    std::cout.flush();
    daemon_ = ::fork();
    if (daemon_ < 0) {
        return lastError("cannot start the stand-in daemon");
    }
    if (daemon_ == 0) {
        ::close(pipe[1]);
        try {
            serve(pipe[0], secrets);
        } catch (...) {
            // Never back into the test's own code: this is a copy of it.
        }
        ::_exit(1);
    }
    ::close(pipe[0]);
    commands_ = pipe[1];
    return {};
}

void SandboxNetwork::slowDownStartAndStop(int seconds) {
    std::ofstream(state / "start-stop-seconds", std::ios::trunc) << seconds << "\n";
}

void SandboxNetwork::dropTunnel() {
    if (commands_ >= 0) {
        const ssize_t written = ::write(commands_, &dropCommand, 1);
        (void)written;
    }
}

std::vector<std::string> SandboxNetwork::finish() {
    if (daemon_ <= 0) {
        return {};
    }
    ::close(commands_);
    commands_ = -1;
    int status = 0;
    while (::waitpid(daemon_, &status, 0) < 0 && errno == EINTR) {
    }
    daemon_ = -1;
    return linesOf(state / "leaks");
}

std::vector<std::string> SandboxNetwork::nmcliCalls() const {
    return linesOf(state / "calls");
}

std::string SandboxNetwork::lastLoadedKeyfile() const {
    return readWhole(state / "loaded");
}

std::vector<std::string> SandboxNetwork::keyfileFolderAtLastLoad() const {
    return linesOf(state / "folder");
}

}  // namespace twl::test_support
