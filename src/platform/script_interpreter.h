#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twl {

// The outcome of one `do shell script` statement: the command's standard output
// (the "descriptor") on success, or a description of what failed.
struct ScriptResult {
    bool ok = false;
    std::string descriptor;
    std::string error;
};

// A value the command reads from a file instead of its own text, so that it
// never shows on a command line or in sudo's log.
struct ScriptSecret {
    std::string name;   // the file's name: lower-case letters, digits and hyphens
    std::string value;  // the file's whole content, at most secretLimit bytes
};

inline constexpr std::size_t secretLimit = 4096;

// Where the interpreter tells the command the folder holding its secrets.
inline constexpr std::string_view secretFolderVariable = "TWL_SECRET_FOLDER";

// The shell text that names the file of the secret `name` inside a command.
// The folder comes from the command's environment, so the text holds neither
// a path nor a value; without the folder the shell refuses to run the command.
inline std::string secretFileReference(std::string_view name) {
    return "\"${" + std::string(secretFolderVariable) + ":?}\"/" + std::string(name);
}

// What a statement runs with besides its text.
struct ScriptOptions {
    // A bound shorter than the interpreter's own, for a command that must not
    // hold up its caller for long (the disconnect while quitting).
    std::optional<std::chrono::milliseconds> timeLimit{};
    // Written, each to a file of its own that only the user can read, before
    // the command starts, and removed once it has ended, whatever the outcome.
    // When they cannot be written the command does not run.
    std::vector<ScriptSecret> secrets{};
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
