#pragma once

#include <map>
#include <string>
#include <vector>

namespace twl::testing {

struct ChildResult {
    int exitCode = -1;  // -1 when it could not start or did not exit normally
    std::string out;
    std::string err;
};

// Runs argv[0] (looked up on the PATH of `environment` when it has no slash)
// with exactly that environment and no input, and waits for it to end.
ChildResult runChild(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& environment);

// True when the program is found on this process's PATH.
bool haveProgram(const std::string& name);

}  // namespace twl::testing
