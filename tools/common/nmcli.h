#pragma once

#include <string>
#include <vector>

#include "child_command.h"

namespace twl::tools {

// Exit codes of nmcli that the tools tell apart.
inline constexpr int nmcliNotRunningExit = 8;  // NetworkManager is not running
inline constexpr int nmcliNoSuchExit = 10;     // no such connection (or it is not active)

// Always this program: the tools run as root, so nothing the caller controls
// (PATH, variables) may choose it. Tests put another one in its place inside a
// private mount namespace.
inline constexpr const char* nmcliProgram = "/usr/bin/nmcli";

// Runs nmcli with the arguments, in a fixed environment of its own.
// Never put a secret into `args`: an argv is readable by every local user.
CommandResult runNmcli(const std::vector<std::string>& args);

// Why a run of nmcli failed, in words for the user; empty when it succeeded.
std::string nmcliFailure(const CommandResult& result);

}  // namespace twl::tools
