#include "sandbox_network.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <set>
#include <thread>

#include "child_command.h"
#include "nmcli.h"
#include "test_support.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;

// Where the stand-in nmcli keeps its state (tests/e2e/fake_nmcli.sh).
const fs::path state = "/usr/local/share/twl-nm";

// Plain reads: a process that ends while its /proc files are read makes the
// read fail (ESRCH), and a stream would throw from inside the daemon.
std::string readWhole(const fs::path& file) {
    std::string text;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    char buffer[4096];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

std::vector<std::string> linesOf(const fs::path& file) {
    return lines(readWhole(file));
}

// Callers of both kinds append to the first two; the test too, to "requests".
bool makeStateFiles() {
    const std::pair<const char*, mode_t> files[] = {
        {"calls", 0666}, {"requests", 0666}, {"connections", 0644}, {"leaks", 0644}};
    for (const auto& [name, mode] : files) {
        std::ofstream(state / name).flush();
        if (::chmod((state / name).c_str(), mode) != 0) {
            return false;
        }
    }
    return true;
}

void append(const std::string& request) {
    std::ofstream(state / "requests", std::ios::app) << request << "\n";
}

void setTunnel(bool up) {
    if (up) {
        tools::runCommand({"ip", "tuntap", "add", "dev", "ppp0", "mode", "tun"});
        tools::runCommand({"ip", "link", "set", "ppp0", "up"});
    } else {
        tools::runCommand({"ip", "link", "delete", "ppp0"});
    }
}

// Every process's argv and environment, this instant: short-lived ones may
// slip between two looks, but the chain behind each nmcli call (sudo, the
// shells, the tool) is alive while the fake answers, and it looks then too.
void lookForSecrets(const std::vector<std::string>& secrets, std::set<std::string>& leaks) {
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string pid = it->path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) {
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

// The stand-in daemon: acts on the requests left by the fake nmcli and the
// test, in their order, until the test asks it to end.
int serve(const std::vector<std::string>& secrets) {
    std::set<std::string> leaks;
    for (std::size_t handled = 0;;) {
        const auto requests = linesOf(state / "requests");
        for (; handled < requests.size(); ++handled) {
            if (requests[handled] == "end") {
                std::ofstream report(state / "leaks", std::ios::trunc);
                for (const auto& leak : leaks) {
                    report << leak << "\n";
                }
                return 0;
            }
            setTunnel(requests[handled] == "up");
        }
        lookForSecrets(secrets, leaks);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

std::string SandboxNetwork::setUp(const fs::path& fakeNmcli) {
    if (auto why = system_.tmpfsOver("/usr/local"); !why.empty()) {
        return why;
    }
    fs::create_directories("/usr/local/bin");
    fs::create_directories(state);
    std::error_code ec;
    fs::copy_file(fakeNmcli, "/usr/local/bin/nmcli", ec);
    if (ec || ::chmod("/usr/local/bin/nmcli", 0755) != 0 || !makeStateFiles()) {
        return "cannot install the stand-in nmcli: " + ec.message();
    }
    // The tools run nmcli from its one fixed place, whatever PATH says.
    if (auto why = system_.bindOver("/usr/local/bin/nmcli", tools::nmcliProgram); !why.empty()) {
        return why;
    }
    return system_.tmpfsOver("/etc/NetworkManager/system-connections", "mode=0700");
}

void SandboxNetwork::startDaemon(std::vector<std::string> secrets) {
    daemon_ = system_.start([secrets] { return serve(secrets); });
}

void SandboxNetwork::dropTunnel() {
    append("drop");
}

std::vector<std::string> SandboxNetwork::finish() {
    if (daemon_ <= 0) {
        return {};
    }
    append("end");
    while (::waitpid(daemon_, nullptr, 0) < 0 && errno == EINTR) {
    }
    daemon_ = -1;
    return record("leaks");
}

std::vector<std::string> SandboxNetwork::record(const std::string& name) {
    return linesOf(state / name);
}

}  // namespace twl::test_support
