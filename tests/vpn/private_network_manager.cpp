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

// Starts argv in a plain environment, its output into the log, and waits until
// it is ready, at most 10 s. Why not, else empty. With `alone`, it is the first
// of a PID namespace of its own: when it ends, whatever it started ends too
// (the L2TP plugin's strongSwan and xl2tpd leave their parent).
std::string started(PrivateSystem& system, std::vector<std::string> argv,
                    const std::function<bool()>& ready, bool alone = false) {
    const pid_t pid = system.start([&argv, alone] {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        if (alone && ::unshare(CLONE_NEWPID) == 0) {
            if (const pid_t first = ::fork(); first != 0) {
                int status = 0;
                ::waitpid(first, &status, 0);
                return first > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : 126;
            }
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // it goes with its parent
        }
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

std::string PrivateNetworkManager::start(const Options& options) {
    if (::access(daemonProgram, X_OK) != 0 || ::access(tools::nmcliProgram, X_OK) != 0) {
        return "NetworkManager is not installed (scripts/install-deps installs it)";
    }
    std::string why = system_.enter(true);
    for (const char* folder : {"/var/lib/NetworkManager", keyfileFolder}) {
        why = why.empty() ? system_.tmpfsOver(folder, "mode=0700") : why;
    }
    // The L2TP plugin puts the pre-shared key beside strongSwan's secrets.
    fs::create_directories(scratch() / "conf.d");
    if (why.empty() && fs::is_directory("/etc/ipsec.d")) {
        why = system_.tmpfsOver("/etc/ipsec.d");
    }
    if (why.empty() && fs::exists("/etc/ipsec.secrets")) {
        fs::copy_file("/etc/ipsec.secrets", scratch() / "ipsec.secrets");
        why = system_.bindOver(scratch() / "ipsec.secrets", "/etc/ipsec.secrets");
    }
    // Without udev NetworkManager takes a device only where sysfs is read-only.
    if (why.empty() && options.gateway &&
        ::mount(nullptr, "/sys", nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        why = "cannot make sysfs read-only in the private mount namespace";
    }
    if (why.empty() && options.standInPlugin) {
        why = useStandInPlugin();
    }
    if (!why.empty()) {
        return why;
    }
    fs::create_directories("/run/dbus");
    std::ofstream(scratch() / "NetworkManager.conf")
        << "[main]\nplugins=keyfile\ndns=none\nhostname-mode=none\nno-auto-default=*\n"
        << "[logging]\nlevel=WARN\n"
        << options.config;
    const std::string conf = (scratch() / "conf.d").string();
    // The system's bus, where root may also play logind.
    std::ofstream(scratch() / "bus.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig>\n"
           "<include>/usr/share/dbus-1/system.conf</include>\n"
           "<policy user=\"root\"><allow own=\"org.freedesktop.login1\"/></policy>\n"
           "</busconfig>\n";
    if (auto failed =
            started(system_,
                    {"/usr/bin/dbus-daemon", "--config-file=" + (scratch() / "bus.conf").string(),
                     "--nofork", "--nopidfile"},
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
        },
        true);
    return why.empty() && options.gateway ? addGateway() : why;
}

std::string PrivateNetworkManager::useStandInPlugin() {
    std::string plugin = readFile(l2tpPluginName);
    const auto program = plugin.find("program=");
    if (program == std::string::npos || std::string(STAND_IN_VPN_PLUGIN).empty()) {
        return "needs the L2TP plugin (scripts/install-deps) and the stand-in of the Qt build";
    }
    plugin.replace(program, plugin.find('\n', program) - program,
                   std::string("program=") + STAND_IN_VPN_PLUGIN);
    std::ofstream(scratch() / "stand-in.name") << plugin;
    return system_.bindOver(scratch() / "stand-in.name", l2tpPluginName);
}

// With a gateway, so that NetworkManager counts the network as connected.
std::string PrivateNetworkManager::addGateway() {
    const std::string peer = gatewayNamespace;
    const std::string address = std::string(gatewayAddress) + "/24";
    for (const auto& step : std::vector<std::vector<std::string>>{
             {"ip", "netns", "add", peer},
             {"ip", "link", "add", "twl-base", "type", "veth", "peer", "twl-peer", "netns", peer},
             {"ip", "-n", peer, "addr", "add", address, "dev", "twl-peer"},
             {"ip", "-n", peer, "link", "set", "twl-peer", "up"},
             {"ip", "-n", peer, "link", "set", "lo", "up"}}) {
        if (tools::runCommand(step).exitCode != 0) {
            return "cannot make the veth pair to the gateway's network namespace";
        }
    }
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

}  // namespace twl::test_support
