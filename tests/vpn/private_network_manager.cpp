#include "private_network_manager.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "nmcli.h"
#include "test_support.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;

constexpr const char* daemonProgram = "/usr/sbin/NetworkManager";
const fs::path log = PrivateNetworkManager::scratch() / "daemons.log";

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

std::string PrivateNetworkManager::start(const std::string& config) {
    if (::access(daemonProgram, X_OK) != 0 || ::access(tools::nmcliProgram, X_OK) != 0) {
        return "NetworkManager is not installed (scripts/install-deps installs it)";
    }
    std::string why = system_.enter(true);
    for (const char* folder : {"/var/lib/NetworkManager", keyfileFolder}) {
        why = why.empty() ? system_.tmpfsOver(folder, "mode=0700") : why;
    }
    if (!why.empty()) {
        return why;
    }
    fs::create_directories("/run/dbus");
    fs::create_directories(scratch() / "conf.d");
    std::ofstream(scratch() / "NetworkManager.conf")
        << "[main]\nplugins=keyfile\ndns=none\nhostname-mode=none\n[logging]\nlevel=WARN\n"
        << config;
    const std::string conf = (scratch() / "conf.d").string();
    if (auto failed =
            started(system_, {"/usr/bin/dbus-daemon", "--system", "--nofork", "--nopidfile"},
                    [] { return fs::exists("/run/dbus/system_bus_socket"); });
        !failed.empty()) {
        return failed;
    }
    return started(
        system_,
        {daemonProgram, "--no-daemon", "--config=" + (scratch() / "NetworkManager.conf").string(),
         "--config-dir=" + conf, "--system-config-dir=" + conf,
         "--intern-config=" + (scratch() / "intern.conf").string(),
         "--state-file=" + (scratch() / "NetworkManager.state").string(),
         "--pid-file=" + (scratch() / "NetworkManager.pid").string()},
        [] {
            return tools::runNmcli({"general", "status"}).exitCode == 0;
        });
}

}  // namespace twl::test_support
