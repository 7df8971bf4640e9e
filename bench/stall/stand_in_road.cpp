#include "stand_in_road.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <utility>

#include "child_command.h"
#include "nmcli.h"
#include "test_support.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;

const fs::path state = "/usr/local/share/twl-nm";

void request(const std::string& what) {
    std::ofstream(state / "requests", std::ios::app) << what << "\n";
}

// The administrator's nmcli calls append requests too.
bool makeStateFiles(int startStopSeconds) {
    const std::pair<const char*, mode_t> files[] = {{"requests", 0666}, {"connections", 0644}};
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

void setTunnel(const std::string& request) {
    if (request == "up") {
        tools::runCommand({"ip", "tuntap", "add", "dev", "ppp0", "mode", "tun"});
        tools::runCommand({"ip", "link", "set", "ppp0", "up"});
    } else {
        tools::runCommand({"ip", "link", "delete", "ppp0"});
    }
}

// The stand-in daemon: acts on the requests left by the stand-in nmcli, in
// their order, until "end". It ends with the walk too: once the walk has
// given up root, neither its signals nor its death signal reach a root process.
int playNetworkManager(pid_t walk) {
    for (std::size_t handled = 0; ::getppid() == walk;) {
        const auto requested = lines(readFile(state / "requests"));
        for (; handled < requested.size(); ++handled) {
            if (requested[handled] == "end") {
                return 0;
            }
            setTunnel(requested[handled]);
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

std::string StandInRoad::setUp(int startStopSeconds) {
    if (!fs::exists("/dev/net/tun")) {
        return "needs /dev/net/tun to play the tunnel";
    }
    if (!tools::runCommand({"ip", "-V"}).started) {
        return "needs ip (iproute2) to play the tunnel";
    }
    if (auto why = system_.enter(true); !why.empty()) {
        return why;
    }
    if (auto why = installStandInNetwork(startStopSeconds); !why.empty()) {
        return why;
    }
    if (auto why = system_.addSudoUsers(); !why.empty()) {
        return why;
    }
    bundleRoot_ = copyBundle();
    admin_ = system_.asker();
    daemon_ = system_.start([walk = ::getpid()] { return playNetworkManager(walk); });
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
    // A desktop session of its own: a home and a 0700 runtime folder.
    fs::create_directories(home() / "run");
    for (const auto& folder : {home(), home() / "run"}) {
        if (::chown(folder.c_str(), admin_.id, admin_.id) != 0 ||
            ::chmod(folder.c_str(), 0700) != 0) {
            return "cannot give the administrator a home";
        }
    }
    if (!PrivateSystem::switchTo(admin_, home())) {
        return "cannot become " + admin_.name;
    }
    ::setenv("XDG_CONFIG_HOME", (home() / ".config").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home() / "run").c_str(), 1);
    // Temporary files of the walk's and the client's stay in here.
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

void StandInRoad::finish() {
    if (daemon_ > 0) {
        request("end");
        ::waitpid(std::exchange(daemon_, -1), nullptr, 0);
    }
}

}  // namespace twl::test_support
