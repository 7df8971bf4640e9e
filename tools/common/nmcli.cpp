#include "nmcli.h"

#include <cerrno>
#include <cstring>

namespace twl::tools {
namespace {

std::string lastLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    const auto cut = text.find_last_of('\n');
    return cut == std::string::npos ? text : text.substr(cut + 1);
}

}  // namespace

CommandResult runNmcli(const std::vector<std::string>& args) {
    std::vector<std::string> argv{nmcliProgram};
    argv.insert(argv.end(), args.begin(), args.end());
    // Nothing of the caller's environment: under sudo it may be anyone's, and
    // a bus address or locale of their choosing must not steer what root runs
    // or how its answers read.
    return runCommand(argv, {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "LC_ALL=C"});
}

std::string nmcliFailure(const CommandResult& result) {
    if (!result.started) {
        if (result.startError == ENOENT) {
            return std::string(nmcliProgram) + " was not found; NetworkManager must be installed";
        }
        return std::string("nmcli could not be run: ") + std::strerror(result.startError);
    }
    if (result.exitCode == 0) {
        return "";
    }
    if (result.exitCode == nmcliNotRunningExit) {
        return "NetworkManager is not running";
    }
    std::string reason = "nmcli failed (exit status " + std::to_string(result.exitCode) + ")";
    const std::string detail = lastLine(result.err);
    if (!detail.empty()) {
        reason += ": " + detail;
    }
    return reason;
}

}  // namespace twl::tools
