#include "launched_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace twl::bench {
namespace {

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

LaunchedProgram::LaunchedProgram(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& environment) {
    auto args = argv;
    auto variables = environment;
    auto argPointers = pointersTo(args);
    auto variablePointers = pointersTo(variables);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int failed = ::posix_spawn(&pid_, argPointers[0], &actions, nullptr, argPointers.data(),
                                     variablePointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + argv.at(0));
    }
}

LaunchedProgram::~LaunchedProgram() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool LaunchedProgram::running() {
    // Looked at without reaping: finish() still needs its usage.
    siginfo_t info{};
    return pid_ > 0 &&
           ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

LaunchedProgram::Ending LaunchedProgram::finish(std::chrono::milliseconds grace) {
    Ending ending;
    if (pid_ <= 0) {
        return ending;
    }
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    int status = 0;
    rusage usage{};
    pid_t reaped = 0;
    while ((reaped = ::wait4(pid_, &status, WNOHANG, &usage)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (reaped == 0) {
        ::kill(pid_, SIGKILL);
        reaped = ::wait4(pid_, &status, 0, &usage);
    } else {
        ending.endedWithinGrace = true;
    }
    pid_ = -1;
    ending.peakResidentKiB = reaped > 0 ? usage.ru_maxrss : 0;
    return ending;
}

}  // namespace twl::bench
