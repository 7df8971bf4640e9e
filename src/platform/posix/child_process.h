#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace twl {

// How a child that outlives its time is stopped.
enum class StopMethod {
    // SIGKILL to the child's whole process group at once.
    KillGroup,
    // SIGTERM to the child alone, for it to relay, then SIGKILL once the grace
    // period is over: for a child (sudo) whose command runs out of our reach.
    TerminateThenKill,
};

struct ChildRequest {
    // argv[0] is the program's absolute path.
    std::vector<std::string> argv;
    // NAME=value entries, the child's whole environment.
    std::vector<std::string> environment;
    // Written to the child's stdin before it starts, followed by end of file;
    // at most inputLimit bytes. Without it, stdin is /dev/null.
    std::optional<std::string> input;
    std::chrono::milliseconds timeLimit{std::chrono::seconds(120)};
    StopMethod stopMethod = StopMethod::KillGroup;
    std::chrono::milliseconds grace{std::chrono::seconds(5)};
    // A descriptor that turns readable when the child must be stopped before
    // its time is up (the client is quitting); stopped as at the time limit.
    int stopNotice = -1;

    // Input up to this size fits an empty pipe, so writing it never blocks.
    static constexpr std::size_t inputLimit = 4095;
};

struct ChildResult {
    enum class End {
        NotStarted,  // code: the errno of the failed start
        Exited,      // code: the exit status
        Signalled,   // code: the signal that ended it
        Stopped,     // outlived its time and was stopped
        Lost,        // reaped elsewhere, its end unknown
    };
    End end = End::NotStarted;
    int code = 0;
    // What the child wrote to stdout, also when it failed or was stopped.
    std::string output;
};

// Runs a program to its end in a session of its own, with only stdin, stdout
// (collected) and stderr (/dev/null) open, all signals at their defaults.
// Returns once the child has been reaped, so no zombie is left. Processes it
// leaves in the background are not waited for.
ChildResult runChildProcess(const ChildRequest& request);

}  // namespace twl
