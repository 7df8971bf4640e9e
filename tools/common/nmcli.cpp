#include "nmcli.h"

#include <cerrno>
#include <cstdlib>
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
    const char* override = std::getenv("TIDEWATERLINK_NMCLI");
    std::vector<std::string> argv{override != nullptr && *override != '\0' ? override : "nmcli"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runCommand(argv);
}

std::string nmcliFailure(const CommandResult& result) {
    if (!result.started) {
        if (result.startError == ENOENT) {
            return "nmcli was not found; NetworkManager must be installed";
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
