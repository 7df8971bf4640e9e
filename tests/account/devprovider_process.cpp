#include "account/devprovider_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace twl::fakes {

DevproviderProcess::DevproviderProcess(DevproviderSetup setup) {
    folder_ = (std::filesystem::temp_directory_path() / "twl-devprovider-XXXXXX").string();
    if (::mkdtemp(folder_.data()) == nullptr) {
        throw std::runtime_error("cannot make a folder for the devprovider");
    }
    try {
        start(setup);
    } catch (...) {
        stop();
        throw;
    }
}

DevproviderProcess::~DevproviderProcess() {
    stop();
}

void DevproviderProcess::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void DevproviderProcess::start(const DevproviderSetup& setup) {
    std::vector<std::string> args = {
        setup.program.empty() ? std::string(TWL_DEVPROVIDER_PATH) : setup.program,
        "--port",
        "0",
        "--dir",
        folder_ + "/state",
        "--record",
        folder_ + "/requests.jsonl"};
    if (setup.accounts) {
        std::ofstream(folder_ + "/accounts.json") << setup.accounts->dump();
        args.insert(args.end(), {"--accounts", folder_ + "/accounts.json"});
    }
    args.insert(args.end(), setup.arguments.begin(), setup.arguments.end());
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        throw std::runtime_error("cannot make a pipe for the devprovider");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string logPath = folder_ + "/provider.log";
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, logPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        pid_ = -1;
    }
    // The first line on its standard output names the URL it listens on; the
    // pipe ends there should it fail to start.
    char line[256] = {};
    const ssize_t length = spawned == 0 ? ::read(out[0], line, sizeof line - 1) : -1;
    ::close(out[0]);
    const char* colon = length > 0 ? std::strrchr(line, ':') : nullptr;
    if (colon == nullptr) {
        throw std::runtime_error("the devprovider did not start: " + log());
    }
    port_ = std::atoi(colon + 1);
}

std::string DevproviderProcess::baseUrl() const {
    return "https://127.0.0.1:" + std::to_string(port_);
}

std::string DevproviderProcess::caFile() const {
    return folder_ + "/state/ca.pem";
}

std::vector<nlohmann::json> DevproviderProcess::recordedRequests() const {
    std::vector<nlohmann::json> requests;
    std::ifstream in(folder_ + "/requests.jsonl");
    for (std::string line; std::getline(in, line);) {
        requests.push_back(nlohmann::json::parse(line));
    }
    return requests;
}

std::string DevproviderProcess::log() const {
    std::ostringstream text;
    text << std::ifstream(folder_ + "/provider.log").rdbuf();
    return text.str();
}

int DevproviderProcess::unusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    ::close(fd);
    if (!bound) {
        throw std::runtime_error("cannot find an unused loopback port");
    }
    return ntohs(address.sin_port);
}

}  // namespace twl::fakes
