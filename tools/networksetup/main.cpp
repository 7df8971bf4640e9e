// Gives Linux the two command lines the client uses to start and stop its VPN
// service:
//   networksetup -connectpppoeservice NAME
//   networksetup -disconnectpppoeservice NAME
// over NetworkManager. Like the tool it stands in for, it returns as soon as
// the request is made; the client's tunnel detection does the waiting.
#include <iostream>
#include <string>
#include <vector>

#include "nmcli.h"

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

int usage(const std::string& problem) {
    std::cerr << "networksetup: " << problem << "\n"
              << "usage: networksetup -connectpppoeservice NAME\n"
                 "       networksetup -disconnectpppoeservice NAME\n";
    return exitUsage;
}

int startService(const std::string& name) {
    const auto result = twl::tools::runNmcli({"--wait", "0", "connection", "up", "id", name});
    if (result.started && result.exitCode == twl::tools::nmcliNoSuchExit) {
        std::cerr << "networksetup: there is no service named '" << name << "'" << std::endl;
        return exitFailure;
    }
    if (const std::string failure = twl::tools::nmcliFailure(result); !failure.empty()) {
        std::cerr << "networksetup: " << failure << std::endl;
        return exitFailure;
    }
    return 0;
}

int stopService(const std::string& name) {
    const auto result = twl::tools::runNmcli({"--wait", "0", "connection", "down", "id", name});
    // Not active (or not there): it is down already, which is what was asked.
    if (result.started && result.exitCode == twl::tools::nmcliNoSuchExit) {
        return 0;
    }
    if (const std::string failure = twl::tools::nmcliFailure(result); !failure.empty()) {
        std::cerr << "networksetup: " << failure << std::endl;
        return exitFailure;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return usage("no command given");
    }
    const std::string& command = args[0];
    if (command != "-connectpppoeservice" && command != "-disconnectpppoeservice") {
        return usage("unknown command '" + command + "'");
    }
    if (args.size() != 2) {
        return usage(command + " takes exactly one service name");
    }
    return command == "-connectpppoeservice" ? startService(args[1]) : stopService(args[1]);
}
