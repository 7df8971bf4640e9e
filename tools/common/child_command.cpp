#include "child_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

extern char** environ;

namespace twl::tools {
namespace {

class Pipe {
  public:
    Pipe() { ok_ = ::pipe2(fds_, O_CLOEXEC) == 0; }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool ok() const { return ok_; }
    int read() const { return fds_[0]; }
    int write() const { return fds_[1]; }
    void closeRead() { closeEnd(0); }
    void closeWrite() { closeEnd(1); }

  private:
    void closeEnd(int end) {
        if (ok_ && fds_[end] >= 0) {
            ::close(fds_[end]);
            fds_[end] = -1;
        }
    }
    int fds_[2] = {-1, -1};
    bool ok_ = false;
};

// Reads both pipes to their end, so that neither can fill up and stall the child.
void collect(Pipe& outPipe, Pipe& errPipe, std::string& out, std::string& err) {
    std::array<pollfd, 2> fds{{{outPipe.read(), POLLIN, 0}, {errPipe.read(), POLLIN, 0}}};
    std::array<std::string*, 2> sinks{&out, &err};
    std::array<char, 4096> buffer{};
    int open = 2;
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    outPipe.closeRead();
    errPipe.closeRead();
}

CommandResult run(const std::vector<std::string>& argv, char* const* environment) {
    CommandResult result;
    if (argv.empty()) {
        result.startError = EINVAL;
        return result;
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    Pipe outPipe;
    Pipe errPipe;
    if (!outPipe.ok() || !errPipe.ok()) {
        result.startError = errno;
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outPipe.write(), 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe.write(), 2);
    // Whoever started the tool may have left SIGCHLD ignored: the kernel would
    // then reap the child before its outcome could be read.
    ::signal(SIGCHLD, SIG_DFL);
    // The child takes no signals held off here: a stopped tool's nmcli stops too.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int spawned =
        ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environment);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    outPipe.closeWrite();
    errPipe.closeWrite();
    if (spawned != 0) {
        result.startError = spawned;
        return result;
    }
    result.started = true;
    collect(outPipe, errPipe, result.out, result.err);

    int status = 0;
    pid_t waited = -1;
    while ((waited = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    // Reaped by someone else, the outcome is unknown: never a success.
    result.exitCode = waited == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& argv) {
    return run(argv, environ);
}

CommandResult runCommand(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment) {
    std::vector<char*> entries;
    entries.reserve(environment.size() + 1);
    for (const auto& entry : environment) {
        entries.push_back(const_cast<char*>(entry.c_str()));
    }
    entries.push_back(nullptr);
    return run(argv, entries.data());
}

}  // namespace twl::tools
