#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/posix/secret_folder.h"
#include "platform/script_interpreter.h"

namespace twl {

struct AdministratorCredentials;

// How long a command may run before it is stopped, and how long a stopped
// privileged command gets to end before sudo is killed.
struct ScriptLimits {
    std::chrono::milliseconds timeLimit{std::chrono::seconds(120)};
    std::chrono::milliseconds stopGrace{std::chrono::seconds(5)};
};

// Runs `do shell script` statements with /bin/sh. A plain statement runs as the
// current user with the bundle's compat folder first on PATH. A privileged one
// runs directly when the client is root (the administrator pair is then not
// looked at); otherwise only for the current user's own name, through
// `sudo -S` with the password on sudo's stdin. Every command gets stdin from
// /dev/null, a session of its own, no inherited descriptors, and timeLimit.
// Secrets go into a SecretFolder in the first private runtime folder, named to
// the command (and to the shell that sudo starts) by TWL_SECRET_FOLDER.
// An error begins "the statement does not compile", "authorisation failed",
// "the command needs a private runtime folder", "the command's secrets"
// (nothing ran) or "the command ..." (it ran and failed or was stopped); it
// never quotes the statement, the command, a secret or the output.
//
// It runs a statement to its end on the calling thread; the client's
// BackgroundScriptInterpreter runs it off the main thread.
class PosixScriptInterpreter final {
  public:
    explicit PosixScriptInterpreter(
        std::filesystem::path compatFolder, ScriptLimits limits = {},
        std::vector<std::filesystem::path> runtimeFolders = SecretFolder::runtimeCandidates());

    // Removes secret folders that an earlier run of the client left behind
    // when it ended abruptly. For the start and the end of the client, when
    // no command runs.
    void removeLeftovers() const;

    ScriptResult execute(const std::string& source, const ScriptOptions& options = {}) const {
        return execute(source, options, -1);
    }
    // `stopNotice`: a descriptor that turns readable when the command must be
    // stopped before its time is up; it is then stopped as at its time limit.
    ScriptResult execute(const std::string& source, const ScriptOptions& options,
                         int stopNotice) const;

  private:
    ScriptResult runAsCurrentUser(const std::string& command, ScriptLimits limits,
                                  const std::filesystem::path& secrets, int stopNotice) const;
    ScriptResult runElevated(const std::string& command,
                             const AdministratorCredentials& administrator, ScriptLimits limits,
                             const std::filesystem::path& secrets, int stopNotice) const;
    std::vector<std::string> environment(const std::filesystem::path& secrets) const;

    std::filesystem::path compatFolder_;
    ScriptLimits limits_;
    std::vector<std::filesystem::path> runtimeFolders_;
};

}  // namespace twl
