#include "platform/posix/posix_script_interpreter.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/posix/child_process.h"
#include "privileged/statement_parser.h"

namespace twl {
namespace {

constexpr const char* shell = "/bin/sh";
constexpr const char* sudo = "/usr/bin/sudo";
constexpr std::string_view defaultPath = "/usr/local/bin:/usr/bin:/bin";

// Written first by the elevated shell. sudo never writes to stdout itself, so
// output that starts with it proves that authorisation passed, whatever
// language sudo speaks and whatever the command's exit status.
constexpr std::string_view startedMarker = "@twl-elevated@";

// Run by sudo as root, with the command as $1 (never spliced into this text)
// and the secret folder, if any, as $2: sudo clears the environment, so the
// shell hands the folder on to the command itself.
// The command gets /dev/null, not the pipe that carried the password: sudo
// leaves the rest of that pipe to the command, and with a NOPASSWD rule it
// does not read the password at all. sudo relays our SIGTERM to this shell
// only; the trap passes it on to every process of the command. The PATH is
// root's own: where sudo keeps the caller's (no secure_path), a folder the
// caller can write to would choose what runs as root.
std::string elevatedShell() {
    return "printf '%s' '" + std::string(startedMarker) +
           "'\n"
           "exec </dev/null\n"
           "PATH=/usr/sbin:/usr/bin:/sbin:/bin; export PATH\n"
           "[ $# -lt 2 ] || export " +
           std::string(secretFolderVariable) +
           "=\"$2\"\n"
           "trap 'trap \"\" TERM; kill -TERM 0' TERM\n"
           "/bin/sh -c \"$1\" &\n"
           "wait $!\n";
}

const std::string authorisationFailed = "authorisation failed";

ScriptResult failure(std::string error, std::string descriptor = {}) {
    return ScriptResult{false, std::move(descriptor), std::move(error)};
}

std::string durationText(std::chrono::milliseconds limit) {
    if (limit.count() % 1000 == 0) {
        return std::to_string(limit.count() / 1000) + " s";
    }
    return std::to_string(limit.count()) + " ms";
}

ScriptResult outcome(ChildResult child, std::chrono::milliseconds limit) {
    switch (child.end) {
        case ChildResult::End::NotStarted:
            return failure("the command could not be started: " +
                           std::generic_category().message(child.code));
        case ChildResult::End::Stopped:
            return failure("the command was stopped after " + durationText(limit),
                           std::move(child.output));
        case ChildResult::End::Exited:
            if (child.code == 0) {
                return ScriptResult{true, std::move(child.output), {}};
            }
            return failure("the command failed with exit status " + std::to_string(child.code),
                           std::move(child.output));
        case ChildResult::End::Signalled:
            return failure("the command ended on signal " + std::to_string(child.code),
                           std::move(child.output));
        case ChildResult::End::Lost:
            break;
    }
    return failure("the end of the command could not be observed", std::move(child.output));
}

std::optional<std::string> currentUserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_name);
}

// sudo reads the password as one line: a line break would end it early and
// leave the rest for the command; a NUL cannot be typed at its prompt.
bool passesThroughSudo(const std::string& password) {
    return password.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos &&
           password.size() < ChildRequest::inputLimit;
}

}  // namespace

PosixScriptInterpreter::PosixScriptInterpreter(std::filesystem::path compatFolder,
                                               ScriptLimits limits,
                                               std::vector<std::filesystem::path> runtimeFolders)
    : compatFolder_(std::move(compatFolder)),
      limits_(limits),
      runtimeFolders_(std::move(runtimeFolders)) {}

void PosixScriptInterpreter::removeLeftovers() const {
    SecretFolder::removeLeftovers(runtimeFolders_);
}

ScriptResult PosixScriptInterpreter::execute(const std::string& source,
                                             const ScriptOptions& options, int stopNotice) const {
    auto parsed = parseStatement(source);
    if (!parsed.statement) {
        return failure("the statement does not compile: " + parsed.error);
    }
    const ShellStatement& statement = *parsed.statement;
    // An argument ends at a NUL, so the shell would run a shortened command.
    if (statement.command.find('\0') != std::string::npos) {
        return failure("the statement does not compile: the command holds a NUL character");
    }
    ScriptLimits limits = limits_;
    if (options.timeLimit) {
        limits.timeLimit = std::min(limits.timeLimit, *options.timeLimit);
    }
    // Lives until the command has ended, however it ends.
    std::optional<SecretFolder> secrets;
    if (!options.secrets.empty()) {
        auto made = SecretFolder::make(runtimeFolders_, options.secrets);
        if (!made.folder) {
            return failure(std::move(made.error));
        }
        secrets = std::move(made.folder);
    }
    const std::filesystem::path folder = secrets ? secrets->path() : std::filesystem::path();
    if (!statement.administrator || ::geteuid() == 0) {
        return runAsCurrentUser(statement.command, limits, folder, stopNotice);
    }
    return runElevated(statement.command, *statement.administrator, limits, folder, stopNotice);
}

ScriptResult PosixScriptInterpreter::runAsCurrentUser(const std::string& command,
                                                      ScriptLimits limits,
                                                      const std::filesystem::path& secrets,
                                                      int stopNotice) const {
    ChildRequest request;
    request.stopNotice = stopNotice;
    request.argv = {shell, "-c", command};
    request.environment = environment(secrets);
    request.timeLimit = limits.timeLimit;
    request.stopMethod = StopMethod::KillGroup;
    return outcome(runChildProcess(request), limits.timeLimit);
}

ScriptResult PosixScriptInterpreter::runElevated(const std::string& command,
                                                 const AdministratorCredentials& administrator,
                                                 ScriptLimits limits,
                                                 const std::filesystem::path& secrets,
                                                 int stopNotice) const {
    // sudo can only prove the password of the user who runs it.
    if (administrator.userName != currentUserName()) {
        return failure(authorisationFailed + ": the user name is not the current user's");
    }
    if (!passesThroughSudo(administrator.password)) {
        return failure(authorisationFailed +
                       ": the password holds a line break or NUL character or is too long");
    }
    ChildRequest request;
    request.argv = {sudo, "-S", "-k", "-p", "", "--", shell, "-c", elevatedShell(), "sh", command};
    if (!secrets.empty()) {
        request.argv.push_back(secrets.string());
    }
    request.environment = environment({});
    request.input = administrator.password + "\n";
    request.stopNotice = stopNotice;
    request.timeLimit = limits.timeLimit;
    request.stopMethod = StopMethod::TerminateThenKill;
    request.grace = limits.stopGrace;

    ChildResult child = runChildProcess(request);
    const bool started = child.output.starts_with(startedMarker);
    if (started) {
        child.output.erase(0, startedMarker.size());
    }
    if (child.end == ChildResult::End::NotStarted) {
        return failure(authorisationFailed + ": sudo could not be started: " +
                       std::generic_category().message(child.code));
    }
    if (!started && child.end != ChildResult::End::Stopped) {
        return failure(authorisationFailed, std::move(child.output));
    }
    return outcome(std::move(child), limits.timeLimit);
}

std::vector<std::string> PosixScriptInterpreter::environment(
    const std::filesystem::path& secrets) const {
    const std::string secretsEntry = std::string(secretFolderVariable) + "=";
    std::string path;
    std::vector<std::string> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view variable(*entry);
        if (variable.starts_with("PATH=")) {
            path = variable.substr(5);
        } else if (!variable.starts_with(secretsEntry)) {
            variables.emplace_back(variable);
        }
    }
    if (!secrets.empty()) {
        variables.push_back(secretsEntry + secrets.string());
    }
    if (path.empty()) {
        path = defaultPath;
    }
    if (!compatFolder_.empty()) {
        path = compatFolder_.string() + ":" + path;
    }
    variables.push_back("PATH=" + path);
    return variables;
}

}  // namespace twl
