#pragma once

#include <string>

namespace twl {

// The outcome of one `do shell script` statement: the command's standard output
// (the "descriptor") on success, or a description of what failed.
struct ScriptResult {
    bool ok = false;
    std::string descriptor;
    std::string error;
};

// Runs one `do shell script` statement. Called on the main thread; returns only
// after the command has ended (or has been stopped for running too long).
class ScriptInterpreter {
  public:
    virtual ~ScriptInterpreter() = default;
    virtual ScriptResult execute(const std::string& source) = 0;
};

}  // namespace twl
