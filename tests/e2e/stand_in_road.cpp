#include "stand_in_road.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <thread>
#include <utility>

#include "child_command.h"
#include "nmcli.h"
#include "privileged/commands.h"
#include "test_support.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;

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

void request(const std::string& what) {
    std::ofstream(state / "requests", std::ios::app) << what << "\n";
}

// Callers of both kinds append to the first two; the test too, to "requests".
bool makeStateFiles(int startStopSeconds) {
    const std::pair<const char*, mode_t> files[] = {
        {"calls", 0666}, {"requests", 0666}, {"connections", 0644}, {"leaks", 0644}};
    for (const auto& [name, mode] : files) {
        std::ofstream(state / name).flush();
        if (::chmod((state / name).c_str(), mode) != 0) {
            return false;
        }
    }
    if (startStopSeconds > 0) {
        std::ofstream(state / "start-stop-seconds") << startStopSeconds << "\n";
    }
    return true;
}

// A lost line may leave the device behind, down: only a device that is up
// is a tunnel.
void setTunnel(const std::string& request) {
    if (request == "up") {
        tools::runCommand({"ip", "tuntap", "add", "dev", "ppp0", "mode", "tun"});
        tools::runCommand({"ip", "link", "set", "ppp0", "up"});
    } else if (request == "drop") {
        tools::runCommand({"ip", "link", "set", "ppp0", "down"});
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
// test ("drop" when the line is lost), in their order, until "end".
// It ends with the test too: once the test has given up root, neither its
// signals nor its death signal reach a root process.
int playNetworkManager(const std::vector<std::string>& secrets, pid_t test) {
    std::set<std::string> leaks;
    for (std::size_t handled = 0; ::getppid() == test;) {
        const auto requests = StandInRoad::record("requests");
        for (; handled < requests.size(); ++handled) {
            if (requests[handled] == "end") {
                std::ofstream report(state / "leaks", std::ios::trunc);
                for (const auto& leak : leaks) {
                    report << leak << "\n";
                }
                return 0;
            }
            setTunnel(requests[handled]);
        }
        if (!secrets.empty()) {
            lookForSecrets(secrets, leaks);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 1;
}

// The client's resources and the provider, where the administrator can read
// them: the build tree may sit in a folder only root may enter.
fs::path copyBundle() {
    const fs::path root = "/usr/local/share/twl-bundle";
    fs::create_directories(root / "bin");
    fs::create_directories(root / "share");
    fs::copy(TWL_SHARE_DIR, root / "share" / "tidewaterlink", fs::copy_options::recursive);
    fs::copy_file(TWL_DEVPROVIDER, root / "bin" / "tidewaterlink-devprovider");
    return root;
}

}  // namespace

StandInRoad::~StandInRoad() {
    finish();
}

std::string StandInRoad::setUp(const Options& options) {
    if (!fs::exists("/dev/net/tun")) {
        return "needs /dev/net/tun to play the tunnel";
    }
    if (!tools::runCommand({"ip", "-V"}).started) {
        return "needs ip (iproute2) to play the tunnel";
    }
    if (auto why = system_.enter(true); !why.empty()) {
        return why;
    }
    if (auto why = installStandInNetwork(options.startStopSeconds); !why.empty()) {
        return why;
    }
    if (auto why = system_.addSudoUsers(); !why.empty()) {
        return why;
    }
    bundleRoot_ = copyBundle();
    admin_ = system_.asker();
    std::vector<std::string> secrets = options.secrets;
    if (!secrets.empty()) {
        secrets.insert(secrets.end(), {admin_.password, std::string(commands::presharedKey)});
    }
    daemon_ =
        system_.start([secrets, test = ::getpid()] { return playNetworkManager(secrets, test); });
    return daemon_ > 0 ? "" : "cannot start the stand-in daemon";
}

// As root, before the users are added: the stand-in nmcli, its state and an
// empty keyfile folder. The tools run nmcli from its one fixed place.
std::string StandInRoad::installStandInNetwork(int startStopSeconds) {
    if (!fs::exists(tools::nmcliProgram)) {
        return "needs NetworkManager's nmcli in its place to put the stand-in over it";
    }
    if (auto why = system_.tmpfsOver("/usr/local"); !why.empty()) {
        return why;
    }
    fs::create_directories("/usr/local/bin");
    fs::create_directories(state);
    std::error_code ec;
    fs::copy_file(TWL_FAKE_NMCLI, "/usr/local/bin/nmcli", ec);
    if (ec || ::chmod("/usr/local/bin/nmcli", 0755) != 0 || !makeStateFiles(startStopSeconds)) {
        return "cannot install the stand-in nmcli: " + ec.message();
    }
    if (auto why = system_.bindOver("/usr/local/bin/nmcli", tools::nmcliProgram); !why.empty()) {
        return why;
    }
    return system_.tmpfsOver("/etc/NetworkManager/system-connections", "mode=0700");
}

std::string StandInRoad::becomeAdministrator() {
    if (auto why = PrivateSystem::become(admin_, home()); !why.empty()) {
        return why;
    }
    // Temporary files of the test's and the client's stay in here.
    const std::pair<const char*, std::string> session[] = {
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (home() / "no-bus").string()},
        {"QT_QPA_PLATFORM", "offscreen"},
        {"TMPDIR", home()},
        {"TEST_TMPDIR", home()}};
    for (const auto& [name, value] : session) {
        ::setenv(name, value.c_str(), 1);
    }
    return {};
}

void StandInRoad::dropLine() {
    request("drop");
}

std::vector<std::string> StandInRoad::finish() {
    if (daemon_ <= 0) {
        return {};
    }
    request("end");
    ::waitpid(std::exchange(daemon_, -1), nullptr, 0);
    return record("leaks");
}

std::vector<std::string> StandInRoad::record(const std::string& name) {
    return lines(readWhole(state / name));
}

}  // namespace twl::test_support
