#include "account/devprovider_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace twl::fakes {

DevproviderProcess::DevproviderProcess(DevproviderSetup setup) {
    const std::string program = setup.program.empty() ? TWL_DEVPROVIDER_PATH : setup.program;
    std::vector<std::string> args = {
        program, "--port", "0", "--dir", folder_ / "state", "--record", folder_ / "requests.jsonl"};
    if (setup.accounts) {
        std::ofstream(folder_ / "accounts.json") << setup.accounts->dump();
        args.insert(args.end(), {"--accounts", folder_ / "accounts.json"});
    }
    args.insert(args.end(), setup.arguments.begin(), setup.arguments.end());
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    // The first line on its standard output names the URL it listens on; the
    // pipe ends there should it fail to start.
    int out[2];
    if (folder_.path().empty() || ::pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a folder and a pipe for the devprovider");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (folder_ / "provider.log").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    char line[256] = {};
    const ssize_t length = pid_ > 0 ? ::read(out[0], line, sizeof line - 1) : -1;
    ::close(out[0]);
    const char* colon = length > 0 ? std::strrchr(line, ':') : nullptr;
    port_ = colon != nullptr ? std::atoi(colon + 1) : -1;
    if (port_ <= 0) {
        stop();
        throw std::runtime_error(
            program + " did not start: " + test_support::readFile(folder_ / "provider.log"));
    }
}

DevproviderProcess::~DevproviderProcess() {
    stop();
}

void DevproviderProcess::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

std::string DevproviderProcess::baseUrl() const {
    return "https://127.0.0.1:" + std::to_string(port_);
}

std::string DevproviderProcess::caFile() const {
    return folder_ / "state/ca.pem";
}

std::vector<nlohmann::json> DevproviderProcess::recordedRequests() const {
    std::vector<nlohmann::json> requests;
    for (const auto& line :
         test_support::lines(test_support::readFile(folder_ / "requests.jsonl"))) {
        requests.push_back(nlohmann::json::parse(line));
    }
    return requests;
}

}  // namespace twl::fakes
