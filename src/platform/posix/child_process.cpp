#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>

#include "platform/posix/unique_fd.h"

namespace twl {
namespace {

using Clock = std::chrono::steady_clock;

// More output than any command of the client gives; the rest is drained unread.
constexpr std::size_t outputLimit = std::size_t{16} << 20;
// Without a pidfd the child's end is looked for this often.
constexpr auto exitPollInterval = std::chrono::milliseconds(20);

// A descriptor of ours at 0, 1 or 2 (the client runs without them) would be
// overwritten when the child's standard streams are set up.
UniqueFd aboveStandardStreams(int fd) {
    if (fd < 0 || fd > 2) {
        return UniqueFd(fd);
    }
    const UniqueFd low(fd);  // closed once moved
    return UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
}

struct Pipe {
    UniqueFd read;
    UniqueFd write;
};

std::optional<Pipe> makePipe() {
    std::array<int, 2> fds{};
    if (::pipe2(fds.data(), O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    Pipe pipe{aboveStandardStreams(fds[0]), aboveStandardStreams(fds[1])};
    if (!pipe.read || !pipe.write) {
        return std::nullopt;
    }
    return pipe;
}

UniqueFd openDevNull(int flags) {
    return aboveStandardStreams(::open("/dev/null", flags | O_CLOEXEC));
}

// The input sits in the pipe before the child starts, so the child can never
// be left waiting on us, and a child that does not read it cannot raise SIGPIPE.
UniqueFd inputWithEndOfFile(const std::string& input) {
    auto pipe = makePipe();
    if (!pipe) {
        return UniqueFd();
    }
    ::fcntl(pipe->write.get(), F_SETFL, O_NONBLOCK);
    if (!input.empty() && ::write(pipe->write.get(), input.data(), input.size()) !=
                              static_cast<ssize_t>(input.size())) {
        return UniqueFd();
    }
    return std::move(pipe->read);
}

std::vector<char*> nullTerminated(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (const auto& s : strings) {
        pointers.push_back(const_cast<char*>(s.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

// posix_spawn's attributes and file actions, released on every path.
class SpawnSettings {
  public:
    SpawnSettings(int input, int output, int errors) {
        ::posix_spawn_file_actions_init(&actions_);
        ::posix_spawnattr_init(&attributes_);
        ::posix_spawn_file_actions_adddup2(&actions_, input, STDIN_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions_, output, STDOUT_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions_, errors, STDERR_FILENO);
        // Whatever the client has open (sockets, the settings file) stays out.
        ::posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
        // A session of its own: a group we can stop as a whole, and no
        // controlling terminal that sudo could fall back on.
        sigset_t signals;
        ::sigemptyset(&signals);
        ::posix_spawnattr_setsigmask(&attributes_, &signals);
        ::sigfillset(&signals);
        ::posix_spawnattr_setsigdefault(&attributes_, &signals);
        ::posix_spawnattr_setflags(
            &attributes_, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnSettings() {
        ::posix_spawnattr_destroy(&attributes_);
        ::posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attributes() const { return &attributes_; }

  private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
};

// Watches one started child: collects its stdout, stops it when its time is
// up, and reaps it. The child never outlives this object.
class ChildSupervisor {
  public:
    ChildSupervisor(pid_t pid, UniqueFd output, const ChildRequest& request)
        : pid_(pid),
          output_(std::move(output)),
          exitNotice_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))),
          request_(request),
          deadline_(Clock::now() + request.timeLimit) {
        ::fcntl(output_.get(), F_SETFL, O_NONBLOCK);
    }

    ~ChildSupervisor() {
        if (!reaped_) {
            ::kill(-pid_, SIGKILL);
            ::kill(pid_, SIGKILL);
            reap(0);
        }
    }

    ChildSupervisor(const ChildSupervisor&) = delete;
    ChildSupervisor& operator=(const ChildSupervisor&) = delete;

    ChildResult run() {
        while (!reaped_) {
            if (Clock::now() >= deadline_) {
                stopStep();
            }
            if (stopAsked()) {
                stopStep();
            }
            waitForActivity();
            readAvailable();
            reap(WNOHANG);
        }
        // Whatever the command wrote just before it ended; a writer left in
        // the background must not keep us here.
        for (int pass = 0; pass < 16 && readAvailable(); ++pass) {
        }
        result_.output = std::move(output_text_);
        if (stopped_) {
            result_.end = ChildResult::End::Stopped;
            result_.code = 0;
        }
        return std::move(result_);
    }

  private:
    enum class Phase { Running, Terminating, Killing };

    void stopStep() {
        stopped_ = true;
        if (phase_ == Phase::Running && request_.stopMethod == StopMethod::TerminateThenKill) {
            ::kill(pid_, SIGTERM);
            phase_ = Phase::Terminating;
            deadline_ = Clock::now() + request_.grace;
            return;
        }
        ::kill(pid_, SIGKILL);
        ::kill(-pid_, SIGKILL);
        phase_ = Phase::Killing;
        deadline_ = Clock::time_point::max();
    }

    // Asked once: from then on the deadlines of stopping take over.
    bool stopAsked() {
        if (stopped_ || request_.stopNotice < 0) {
            return false;
        }
        pollfd notice{request_.stopNotice, POLLIN, 0};
        return ::poll(&notice, 1, 0) > 0;
    }

    void waitForActivity() {
        std::array<pollfd, 3> fds{};
        nfds_t count = 0;
        if (!stopped_ && request_.stopNotice >= 0) {
            fds[count++] = pollfd{request_.stopNotice, POLLIN, 0};
        }
        if (exitNotice_) {
            fds[count++] = pollfd{exitNotice_.get(), POLLIN, 0};
        }
        if (output_) {
            fds[count++] = pollfd{output_.get(), POLLIN, 0};
        }
        ::poll(fds.data(), count, timeoutMs());
    }

    int timeoutMs() const {
        auto wait = std::chrono::milliseconds(-1);
        if (deadline_ != Clock::time_point::max()) {
            wait = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
            wait = std::max(wait, std::chrono::milliseconds(0));
        }
        if (!exitNotice_ && (wait.count() < 0 || wait > exitPollInterval)) {
            wait = exitPollInterval;
        }
        return static_cast<int>(std::min<std::chrono::milliseconds::rep>(wait.count(), INT_MAX));
    }

    // Reads what is there now; false once nothing more came.
    bool readAvailable() {
        if (!output_) {
            return false;
        }
        std::array<char, 65536> buffer;
        const ssize_t n = ::read(output_.get(), buffer.data(), buffer.size());
        if (n > 0) {
            const auto room = outputLimit - std::min(outputLimit, output_text_.size());
            output_text_.append(buffer.data(), std::min(static_cast<std::size_t>(n), room));
            return true;
        }
        if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            output_.reset();
        }
        return false;
    }

    void reap(int options) {
        int status = 0;
        pid_t done = 0;
        do {
            done = ::waitpid(pid_, &status, options);
        } while (done < 0 && errno == EINTR);
        if (done == pid_) {
            reaped_ = true;
            if (WIFEXITED(status)) {
                result_ = ChildResult{ChildResult::End::Exited, WEXITSTATUS(status), {}};
            } else {
                result_ = ChildResult{ChildResult::End::Signalled, WTERMSIG(status), {}};
            }
        } else if (done < 0) {
            reaped_ = true;
            result_ = ChildResult{ChildResult::End::Lost, errno, {}};
        }
    }

    pid_t pid_;
    UniqueFd output_;
    UniqueFd exitNotice_;
    const ChildRequest& request_;
    Clock::time_point deadline_;
    Phase phase_ = Phase::Running;
    bool stopped_ = false;
    bool reaped_ = false;
    std::string output_text_;
    ChildResult result_;
};

}  // namespace

ChildResult runChildProcess(const ChildRequest& request) {
    ChildResult notStarted;
    if (request.argv.empty()) {
        notStarted.code = EINVAL;
        return notStarted;
    }
    if (request.input && request.input->size() > ChildRequest::inputLimit) {
        notStarted.code = E2BIG;
        return notStarted;
    }
    auto output = makePipe();
    UniqueFd input = request.input ? inputWithEndOfFile(*request.input) : openDevNull(O_RDONLY);
    UniqueFd errors = openDevNull(O_WRONLY);
    if (!output || !input || !errors) {
        notStarted.code = EMFILE;
        return notStarted;
    }

    const auto argv = nullTerminated(request.argv);
    const auto environment = nullTerminated(request.environment);
    pid_t pid = -1;
    int failure = 0;
    {
        const SpawnSettings settings(input.get(), output->write.get(), errors.get());
        failure = ::posix_spawn(&pid, argv[0], settings.actions(), settings.attributes(),
                                argv.data(), environment.data());
    }
    // Only the child holds the write end now, so its end of output is seen.
    output->write.reset();
    if (failure != 0) {
        notStarted.code = failure;
        return notStarted;
    }
    return ChildSupervisor(pid, std::move(output->read), request).run();
}

}  // namespace twl
