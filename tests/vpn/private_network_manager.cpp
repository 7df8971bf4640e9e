#include "private_network_manager.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "nmcli.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;

constexpr const char* daemonProgram = "/usr/sbin/NetworkManager";
const fs::path log = PrivateNetworkManager::scratch() / "daemons.log";

// For a child of the test: argv with a fixed environment, its output into the log.
int execute(const std::vector<std::string>& argv) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    char* const environment[] = {const_cast<char*>("PATH=/usr/sbin:/usr/bin:/sbin:/bin"),
                                 const_cast<char*>("LC_ALL=C"), nullptr};
    ::execve(args[0], args.data(), environment);
    return 127;
}

std::string logTail() {
    std::ifstream in(log);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    return text.size() > 600 ? text.substr(text.size() - 600) : text;
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
    if (!started({"/usr/bin/dbus-daemon", "--system", "--nofork", "--nopidfile"},
                 [] { return fs::exists("/run/dbus/system_bus_socket"); })) {
        return "the system bus did not start: " + logTail();
    }
    if (!started({daemonProgram, "--no-daemon",
                  "--config=" + (scratch() / "NetworkManager.conf").string(),
                  "--config-dir=" + conf, "--system-config-dir=" + conf,
                  "--intern-config=" + (scratch() / "intern.conf").string(),
                  "--state-file=" + (scratch() / "NetworkManager.state").string(),
                  "--pid-file=" + (scratch() / "NetworkManager.pid").string()},
                 [] {
                     return tools::runNmcli({"general", "status"}).exitCode == 0;
                 })) {
        return "NetworkManager did not answer within 10 s: " + logTail();
    }
    return {};
}

// Starts argv and waits until it is ready, at most 10 s.
bool PrivateNetworkManager::started(const std::vector<std::string>& argv,
                                    const std::function<bool()>& ready) {
    const pid_t pid = system_.start([&argv] { return execute(argv); });
    for (int tries = 0; pid > 0 && tries < 100; ++tries) {
        if (ready()) {
            return true;
        }
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

}  // namespace twl::test_support
