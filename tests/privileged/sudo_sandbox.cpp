// Runs privileged statements through the real interpreter and the real sudo
// as throwaway users inside a private mount namespace, and prints what it saw
// as JSON lines ({"skip": why} when it cannot run here). The assertions live
// in sudo_elevation_test.cpp.
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

#include "platform/posix/posix_script_interpreter.h"
#include "platform/posix/unique_fd.h"
#include "private_system.h"
#include "privileged/script_runner.h"
#include "test_support.h"

namespace twl::test_support {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using nlohmann::json;

void emit(const json& line) {
    std::cout << line.dump(-1, ' ', false, json::error_handler_t::replace) << std::endl;
}

void emit(const std::string& name, const ScriptResult& result, json extra = json::object()) {
    extra["case"] = name;
    extra["ok"] = result.ok;
    extra["descriptor"] = result.descriptor;
    extra["error"] = result.error;
    emit(extra);
}

bool noChildLeft() {
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

int credentials(const PrivateSystem& system) {
    const auto& user = system.asker();
    return PrivateSystem::runAs(
               user,
               [&] {
                   PosixScriptInterpreter shell("");
                   auto attempt = [&](const std::string& name, const std::string& userName,
                                      const std::string& password) {
                       const auto trace = system.drop() / name;
                       const auto result = shell.execute(
                           privilegedScript("touch '" + trace.string() + "'", userName, password));
                       emit(name, result, {{"ran", fs::exists(trace)}});
                   };
                   emit("right password",
                        shell.execute(privilegedScript("id -u", user.name, user.password)));
                   attempt("wrong password", user.name, user.password + "x");
                   attempt("empty password", user.name, "");
                   attempt("another user name", system.trusted().name, user.password);
                   attempt("root as user name", "root", user.password);
                   attempt("password with a line break", user.name, user.password + "\nx");
                   attempt("password with a NUL", user.name,
                           user.password + std::string(1, '\0') + "x");
                   return 0;
               })
               ? 0
               : 1;
}

// Both with a password that sudo reads and with a NOPASSWD rule, where the
// password is left unread in sudo's stdin.
int stdinOfTheCommand(const PrivateSystem& system) {
    for (const auto* user : {&system.asker(), &system.trusted()}) {
        const bool ran = PrivateSystem::runAs(*user, [&] {
            const auto result = PosixScriptInterpreter("").execute(
                privilegedScript("cat; readlink /proc/$$/fd/0", user->name, user->password));
            emit(user == &system.asker() ? "asks for password" : "NOPASSWD rule", result,
                 {{"holds password", result.descriptor.find(user->password) != std::string::npos}});
            return 0;
        });
        if (!ran) {
            return 1;
        }
    }
    return 0;
}

bool holds(const fs::path& file, const std::vector<std::string>& needles) {
    const std::string text = readFile(file);
    for (const auto& needle : needles) {
        if (text.find(needle) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Looks through every process's command line and environment, over and over,
// until `stop` closes; reports where the secrets showed and whether the
// watched command was seen running at all.
[[noreturn]] void watch(int stop, const std::vector<std::string>& secrets,
                        const std::string& token) {
    json leaks = json::array();
    bool sawCommand = false;
    int scans = 0;
    pollfd done{stop, POLLIN, 0};
    while (::poll(&done, 1, 5) == 0) {
        ++scans;
        for (const auto& entry :
             fs::directory_iterator("/proc", fs::directory_options::skip_permission_denied)) {
            const auto name = entry.path().filename().string();
            if (name.find_first_not_of("0123456789") != std::string::npos) {
                continue;
            }
            for (const char* file : {"cmdline", "environ"}) {
                if (holds(entry.path() / file, secrets)) {
                    leaks.push_back(name + "/" + file + " " + readFile(entry.path() / "comm"));
                }
            }
            sawCommand = sawCommand || holds(entry.path() / "cmdline", {token});
        }
    }
    emit({{"case", "watch"}, {"scans", scans}, {"saw command", sawCommand}, {"leaks", leaks}});
    ::_exit(0);
}

int secrecy(const PrivateSystem& system) {
    const auto& user = system.asker();
    const std::string token = "twl-watched-command";
    int fds[2];
    if (::pipe(fds) != 0) {
        return 1;
    }
    UniqueFd stopRead(fds[0]), stopWrite(fds[1]);
    std::cout.flush();
    const pid_t watcher = ::fork();
    if (watcher == 0) {
        stopWrite.reset();
        watch(stopRead.get(), {user.password, system.trusted().password}, token);
    }
    stopRead.reset();
    const bool ran = PrivateSystem::runAs(user, [&] {
        PosixScriptInterpreter shell("");
        emit("watched",
             shell.execute(privilegedScript("sleep 2; echo " + token, user.name, user.password)));
        emit("watched wrong password",
             shell.execute(privilegedScript("echo " + token, user.name, user.password + "x")));
        return 0;
    });
    stopWrite.reset();
    int status = 0;
    ::waitpid(watcher, &status, 0);
    return ran ? 0 : 1;
}

int timeBound(const PrivateSystem& system) {
    const auto& user = system.asker();
    const auto leftovers = system.drop() / "leftovers";
    const bool ran = PrivateSystem::runAs(user, [&] {
        PosixScriptInterpreter shell("", ScriptLimits{5s, 2s});
        const auto stopped =
            shell.execute(privilegedScript("echo $$; exec sleep 59", user.name, user.password));
        const bool ends = !stopped.descriptor.empty() && endsSoon(std::stoi(stopped.descriptor));
        emit("sleeps", stopped, {{"command ended", ends}, {"no child left", noChildLeft()}});
        std::ofstream(leftovers) << stopped.descriptor;

        // Ignores the relayed SIGTERM, so it outlives sudo; the client is free anyway.
        const auto stubborn = shell.execute(
            privilegedScript("trap '' TERM; echo $$; exec sleep 58", user.name, user.password));
        std::ofstream(leftovers, std::ios::app) << stubborn.descriptor;
        emit("ignores SIGTERM", stubborn, {{"no child left", noChildLeft()}});
        return 0;
    });
    // Whatever survived is ours to end, by its id.
    std::ifstream in(leftovers);
    for (pid_t pid = 0; in >> pid;) {
        if (readFile("/proc/" + std::to_string(pid) + "/cmdline").starts_with("sleep")) {
            ::kill(pid, SIGKILL);
        }
    }
    return ran ? 0 : 1;
}

}  // namespace
}  // namespace twl::test_support

int main(int argc, char** argv) {
    using namespace twl::test_support;
    const std::string scenario = argc == 2 ? argv[1] : "";
    if (::geteuid() != 0) {
        emit({{"skip", "needs root to make throwaway users"}});
        return 0;
    }
    PrivateSystem system;
    if (const auto why = system.setUp(); !why.empty()) {
        emit({{"skip", why}});
        return 0;
    }
    if (scenario == "credentials") {
        return credentials(system);
    }
    if (scenario == "stdin") {
        return stdinOfTheCommand(system);
    }
    if (scenario == "secrecy") {
        return secrecy(system);
    }
    if (scenario == "bound") {
        return timeBound(system);
    }
    std::cerr << "usage: sudo_sandbox credentials|stdin|secrecy|bound\n";
    return 2;
}
