#pragma once

#include <chrono>
#include <deque>
#include <functional>
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

using ScriptCompletion = std::function<void(const ScriptResult&)>;

// Runs `do shell script` statements away from the main thread, one at a time,
// first in first out: commands never overlap. Called on the main thread.
class ScriptInterpreter {
  public:
    virtual ~ScriptInterpreter() = default;

    // Queues the statement and returns at once. The completion runs on the main
    // run loop once the command has ended (or has been stopped for running too
    // long), and before the next statement starts, so that it can check what the
    // command did before anything else runs.
    void execute(std::string source, ScriptCompletion completion = {});
    void execute(std::string source, ScriptOptions options, ScriptCompletion completion = {});

    // Drops the statements that wait and stops the one under way as its time
    // bound would; none of their completions runs.
    void stopAll();
    // For quitting, when the run loop no longer turns: stopAll(), then runs
    // `source` to its end on this thread.
    ScriptResult executeWhileQuitting(const std::string& source, const ScriptOptions& options);

    // A statement is under way or waiting.
    bool busy() const { return running_ || !waiting_.empty(); }

  protected:
    // Starts one statement and returns at once; `finished` runs exactly once,
    // later, on the main run loop, unless stop() comes first.
    virtual void start(const std::string& source, const ScriptOptions& options,
                       ScriptCompletion finished) = 0;
    // Stops the statement under way; its `finished` must then never run.
    virtual void stop() = 0;
    // Runs one statement to its end on the calling thread.
    virtual ScriptResult runToEnd(const std::string& source, const ScriptOptions& options) = 0;

  private:
    struct Waiting {
        std::string source;
        ScriptOptions options;
        ScriptCompletion completion;
    };

    void startNext();

    std::deque<Waiting> waiting_;
    bool running_ = false;
};

}  // namespace twl
