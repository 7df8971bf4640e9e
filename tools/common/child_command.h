#pragma once

#include <string>
#include <vector>

namespace twl::tools {

struct CommandResult {
    bool started = false;  // false: the program could not be run at all
    int startError = 0;    // errno of the failed start
    int exitCode = -1;     // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] (looked up on PATH when it has no slash) with this process's
// environment and no input, collects its output and waits for it to end.
CommandResult runCommand(const std::vector<std::string>& argv);

// The same with exactly the given environment ("NAME=value" entries); argv[0]
// is then best an absolute path.
CommandResult runCommand(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment);

}  // namespace twl::tools
