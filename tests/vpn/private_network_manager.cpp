#include "private_network_manager.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "child_command.h"
#include "nmcli.h"
#include "test_support.h"

#ifndef STAND_IN_VPN_PLUGIN
#define STAND_IN_VPN_PLUGIN ""  // a build without the Qt client has none
#endif

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;

constexpr const char* daemonProgram = "/usr/sbin/NetworkManager";
constexpr const char* gatewayNamespace = "twl-gateway";
const fs::path log = PrivateNetworkManager::scratch() / "daemons.log";
const fs::path l2tpPluginName = "/usr/lib/NetworkManager/VPN/nm-l2tp-service.name";

bool run(const std::vector<std::string>& argv) {
    return tools::runCommand(argv).exitCode == 0;
}

std::string ownMountNamespace() {
    std::error_code ignored;
    return fs::read_symlink("/proc/self/ns/mnt", ignored).string();
}

// Starts argv in a plain environment, its output into the log, and waits until
// it is ready, at most 10 s. Why not, else empty.
std::string started(PrivateSystem& system, std::vector<std::string> argv,
                    const std::function<bool()>& ready) {
    const pid_t pid = system.start([&argv] {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        std::vector<char*> args;
        for (auto& arg : argv) {
            args.push_back(arg.data());
        }
        args.push_back(nullptr);
        char* const environment[] = {const_cast<char*>("PATH=/usr/sbin:/usr/bin:/sbin:/bin"),
                                     const_cast<char*>("LC_ALL=C"), nullptr};
        ::execve(args[0], args.data(), environment);
        return 127;
    });
    for (int tries = 0; pid > 0 && tries < 100; ++tries) {
        if (ready()) {
            return {};
        }
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const std::string text = readFile(log);
    return argv[0] + " did not get ready within 10 s: " +
           text.substr(text.size() > 600 ? text.size() - 600 : 0);
}

}  // namespace

PrivateNetworkManager::~PrivateNetworkManager() {
    endEverythingStartedHere();
}

std::string PrivateNetworkManager::start(const Options& options) {
    if (::access(daemonProgram, X_OK) != 0 || ::access(tools::nmcliProgram, X_OK) != 0) {
        return "NetworkManager is not installed (scripts/install-deps installs it)";
    }
    hostNamespace_ = ownMountNamespace();
    // Daemons that leave their parent come to the test, which reaps them.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    std::string why = system_.enter(true);
    for (const char* folder : {"/var/lib/NetworkManager", keyfileFolder}) {
        why = why.empty() ? system_.tmpfsOver(folder, "mode=0700") : why;
    }
    if (!why.empty()) {
        return why;
    }
    fs::create_directories("/run/dbus");
    fs::create_directories(scratch() / "conf.d");
    if (auto failed = protectWhatThePluginWrites(); !failed.empty()) {
        return failed;
    }
    // Without udev NetworkManager takes a device only where sysfs is read-only.
    if (options.gateway &&
        ::mount(nullptr, "/sys", nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        return "cannot make sysfs read-only in the private mount namespace";
    }
    if (options.standInPlugin) {
        std::string plugin = readFile(l2tpPluginName);
        const auto program = plugin.find("program=");
        if (program == std::string::npos) {
            return "the L2TP plugin is not installed (scripts/install-deps installs it)";
        }
        plugin.replace(program, plugin.find('\n', program) - program,
                       std::string("program=") + STAND_IN_VPN_PLUGIN);
        std::ofstream(scratch() / "stand-in.name") << plugin;
        if (auto failed = system_.bindOver(scratch() / "stand-in.name", l2tpPluginName);
            !failed.empty()) {
            return failed;
        }
    }
    std::ofstream(scratch() / "NetworkManager.conf")
        << "[main]\nplugins=keyfile\ndns=none\nhostname-mode=none\nno-auto-default=*\n"
        << "[logging]\nlevel=WARN\n"
        << options.config;
    const std::string conf = (scratch() / "conf.d").string();
    if (auto failed =
            started(system_, {"/usr/bin/dbus-daemon", "--system", "--nofork", "--nopidfile"},
                    [] { return fs::exists("/run/dbus/system_bus_socket"); });
        !failed.empty()) {
        return failed;
    }
    why = started(
        system_,
        {daemonProgram, "--no-daemon", "--config=" + (scratch() / "NetworkManager.conf").string(),
         "--config-dir=" + conf, "--system-config-dir=" + conf,
         "--intern-config=" + (scratch() / "intern.conf").string(),
         "--state-file=" + (scratch() / "NetworkManager.state").string(),
         "--pid-file=" + (scratch() / "NetworkManager.pid").string()},
        [] {
            return tools::runNmcli({"general", "status"}).exitCode == 0;
        });
    return why.empty() && options.gateway ? addGateway() : why;
}

// The plugin puts the pre-shared key beside strongSwan's own secrets.
std::string PrivateNetworkManager::protectWhatThePluginWrites() {
    if (fs::is_directory("/etc/ipsec.d")) {
        if (auto why = system_.tmpfsOver("/etc/ipsec.d"); !why.empty()) {
            return why;
        }
    }
    if (fs::exists("/etc/ipsec.secrets")) {
        fs::copy_file("/etc/ipsec.secrets", scratch() / "ipsec.secrets");
        return system_.bindOver(scratch() / "ipsec.secrets", "/etc/ipsec.secrets");
    }
    return {};
}

std::string PrivateNetworkManager::addGateway() {
    const std::string peer = gatewayNamespace;
    const bool made = run({"ip", "netns", "add", peer}) &&
                      run({"ip", "link", "add", "twl-base", "type", "veth", "peer", "name",
                           "twl-peer", "netns", peer}) &&
                      run({"ip", "-n", peer, "addr", "add", std::string(gatewayAddress) + "/24",
                           "dev", "twl-peer"}) &&
                      run({"ip", "-n", peer, "link", "set", "twl-peer", "up"}) &&
                      run({"ip", "-n", peer, "link", "set", "lo", "up"});
    if (!made) {
        return "cannot make the veth pair to the gateway's network namespace";
    }
    // A gateway, so that NetworkManager counts the network as connected.
    const auto added =
        tools::runNmcli({"connection", "add", "type", "ethernet", "ifname", "twl-base", "con-name",
                         "base", "ipv4.method", "manual", "ipv4.addresses", "10.99.0.1/24",
                         "ipv4.gateway", gatewayAddress, "ipv6.method", "disabled"});
    const auto up = tools::runNmcli({"--wait", "20", "connection", "up", "base"});
    return added.exitCode == 0 && up.exitCode == 0
               ? ""
               : "NetworkManager does not bring the base connection up: " + added.err + up.err;
}

pid_t PrivateNetworkManager::startAtGateway(const std::function<int()>& body) {
    return system_.start([&body] {
        const int peer =
            ::open(("/run/netns/" + std::string(gatewayNamespace)).c_str(), O_RDONLY | O_CLOEXEC);
        if (peer < 0 || ::setns(peer, CLONE_NEWNET) != 0 || ::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("twl-gateway", "/run", "tmpfs", 0, "mode=0755") != 0) {
            return 126;
        }
        return body();
    });
}

// Daemons that left their parent (the plugin's strongSwan, xl2tpd) are in
// this mount namespace still.
void PrivateNetworkManager::endEverythingStartedHere() {
    const std::string here = ownMountNamespace();
    if (hostNamespace_.empty() || here.empty() || here == hostNamespace_) {
        return;
    }
    std::vector<pid_t> others;
    std::error_code ec;
    for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code unreadable;
        if (name.find_first_not_of("0123456789") == std::string::npos &&
            std::stoi(name) != ::getpid() &&
            fs::read_symlink(it->path() / "ns/mnt", unreadable).string() == here) {
            others.push_back(std::stoi(name));
        }
    }
    for (const pid_t pid : others) {
        ::kill(pid, SIGTERM);
    }
    for (const pid_t pid : others) {
        if (!endsSoon(pid)) {
            ::kill(pid, SIGKILL);
        }
        ::waitpid(pid, nullptr, WNOHANG);
    }
}

}  // namespace twl::test_support
