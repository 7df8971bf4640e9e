#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace twl {

// The outcome of one `do shell script` statement: the command's standard output
// (the "descriptor") on success, or a description of what failed.
struct ScriptResult {
    bool ok = false;
    std::string descriptor;
    std::string error;
};

// What a statement runs with besides its text.
struct ScriptOptions {
    // A bound shorter than the interpreter's own, for a command that must not
    // hold up its caller for long (the disconnect while quitting).
    std::optional<std::chrono::milliseconds> timeLimit;
};

// Runs one `do shell script` statement. Called on the main thread; returns only
// after the command has ended (or has been stopped for running too long).
class ScriptInterpreter {
  public:
    virtual ~ScriptInterpreter() = default;

    ScriptResult execute(const std::string& source) { return run(source, ScriptOptions{}); }
    ScriptResult execute(const std::string& source, const ScriptOptions& options) {
        return run(source, options);
    }

  protected:
    virtual ScriptResult run(const std::string& source, const ScriptOptions& options) = 0;
};

}  // namespace twl
